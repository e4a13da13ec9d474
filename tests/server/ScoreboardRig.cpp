// The rig around the real scoreboard program.
#include "tests/server/ScoreboardRig.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "core/session/BestScores.h"
#include "tests/harness/Harness.h"
#include "tests/harness/PlayBot.h"

extern char** environ;

namespace zarq::test {

namespace {

std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

class Shelf : public BestScoreShelf {
  public:
    std::string Keep(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string Remove(const std::vector<std::string>&) override { return {}; }
};

}  // namespace

ScratchFolder::ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zarq-scoreboard-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no scratch folder";
    path_ = pattern;
    // Readable and writable by an unprivileged user the tests may run a database as.
    std::filesystem::permissions(path_, std::filesystem::perms::all);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ScoreboardProcess::ScoreboardProcess(std::vector<std::string> args) {
    args.insert(args.begin(), {ZARQ_SCOREBOARD_PROGRAM, "--listen", "127.0.0.1:0"});
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "no pipe";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 2);
    auto argv = Argv(args);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        ADD_FAILURE() << "cannot start " << argv[0];
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    reader_ = std::thread([this, fd = pipe[0]] {
        FILE* in = ::fdopen(fd, "r");
        char line[4096];
        while (in != nullptr && std::fgets(line, sizeof line, in) != nullptr) {
            std::lock_guard lock(mutex_);
            lines_.emplace_back(line);
            changed_.notify_all();
        }
        if (in != nullptr) std::fclose(in);
        std::lock_guard lock(mutex_);
        ended_ = true;
        changed_.notify_all();
    });
    if (WaitForLine("listening on ")) {
        std::smatch m;
        const std::string first = Lines().front();  // the first line says where it listens
        if (std::regex_search(first, m, std::regex("listening on 127\\.0\\.0\\.1:([0-9]+)")))
            port_ = static_cast<unsigned short>(std::stoi(m[1]));
    }
    if (port_ == 0) {
        std::string said;
        for (const std::string& l : Lines()) said += l;
        ADD_FAILURE() << "the scoreboard did not say its port; it said:\n" << said;
    }
}

ScoreboardProcess::~ScoreboardProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
    if (reader_.joinable()) reader_.join();
}

bool ScoreboardProcess::WaitForLine(const std::string& text) {
    std::unique_lock lock(mutex_);
    bool found = false;
    changed_.wait_for(lock, std::chrono::minutes(1), [&] {
        for (const std::string& l : lines_) found = found || l.find(text) != std::string::npos;
        return found || ended_;
    });
    return found;
}

std::vector<std::string> ScoreboardProcess::Lines() {
    std::lock_guard lock(mutex_);
    return lines_;
}

void ScoreboardProcess::Signal(int signal) {
    ::kill(pid_, signal);
}

int ScoreboardProcess::Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunProgram(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    auto argv = Argv(args);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunScoreboard(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    args.insert(args.begin(), ZARQ_SCOREBOARD_PROGRAM);
    return RunProgram(args);
}

RawConnection::RawConnection(unsigned short port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RawConnection::~RawConnection() {
    if (fd_ >= 0) ::close(fd_);
}

void RawConnection::Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
}

Reply RawConnection::Receive() {
    Reply reply;
    const auto more = [&] {
        char buffer[65536];
        const ssize_t n = fd_ >= 0 ? ::recv(fd_, buffer, sizeof buffer, 0) : -1;
        if (n <= 0) return false;
        pending_.append(buffer, static_cast<std::size_t>(n));
        return true;
    };
    std::size_t end = 0;
    while ((end = pending_.find("\r\n\r\n")) == std::string::npos) {
        if (!more()) return reply;
    }
    const std::string head = pending_.substr(0, end);
    pending_.erase(0, end + 4);
    std::size_t at = head.find("\r\n");
    reply.Status = std::atoi(head.substr(9, 3).c_str());
    while (at != std::string::npos && at < head.size()) {
        const std::size_t next = head.find("\r\n", at + 2);
        const std::string line =
            head.substr(at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            reply.Headers[name] = line.substr(line.find_first_not_of(' ', colon + 1));
        }
        at = next;
    }
    const std::size_t length = std::strtoull(reply.Header("content-length").c_str(), nullptr, 10);
    while (pending_.size() < length) {
        if (!more()) break;
    }
    reply.Body = pending_.substr(0, length);
    pending_.erase(0, length);
    return reply;
}

Reply Request(unsigned short port, const std::string& method, const std::string& target,
              const std::string& body, const std::map<std::string, std::string>& headers) {
    RawConnection c(port);
    if (!c.Connected()) return {};
    std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (const auto& [name, value] : headers) request += name + ": " + value + "\r\n";
    if (method == "POST" || !body.empty())
        request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "Connection: close\r\n\r\n" + body;
    c.Send(request);
    Reply r = c.Receive();
    if (method == "HEAD") r.Body.clear();
    return r;
}

std::string JsonField(const std::string& json, const std::string& key) {
    std::smatch m;
    const std::regex field("\"" + key + "\":(\"(?:[^\"\\\\]|\\\\.)*\"|[^,}\\]]*)");
    return std::regex_search(json, m, field) ? m[1].str() : std::string();
}

std::string TruePlay(unsigned seed) {
    SessionRig rig;
    Shelf shelf;
    rig.Session.SetBestScoreShelf(&shelf);
    rig.Time = 5000;
    rig.ClickSwitch();
    PlayBot bot(
        rig.F(), rig.Session.Input(), [&] { return rig.Time; },
        [&](Millis ms) { rig.RunTo(rig.Time + ms); }, seed);
    bot.Play(rig.Time + 3'600'000, false, [&] { return !rig.G().GameStarted; });
    const auto& kept = rig.Session.Best().Entries();
    if (kept.empty()) {
        ADD_FAILURE() << "the play of seed " << seed << " was not kept";
        return {};
    }
    return kept.front().Recording;
}

std::string Redated(const std::string& recording, int n) {
    char date[40];
    std::snprintf(date, sizeof date, "date 2025-%02d-%02dT%02d:%02d:00Z", 1 + n / 1000 % 12,
                  1 + n / 40 % 25, n / 60 % 24, n % 60);
    return std::regex_replace(recording, std::regex("date [^\n]*"), date,
                              std::regex_constants::format_first_only);
}

}  // namespace zarq::test
