// The real scoreboard program, started by a test on a port the system picks, with a database in
// a scratch folder; plain HTTP requests to it; and true plays made by the seeded player.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zarq::test {

// A scratch folder, removed with everything in it when the test ends.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

class ScoreboardProcess {
  public:
    // Starts the program with `args` (after --listen 127.0.0.1:0) and waits for its port.
    explicit ScoreboardProcess(std::vector<std::string> args);
    ~ScoreboardProcess();  // SIGKILL if still running
    unsigned short Port() const { return port_; }
    pid_t Pid() const { return pid_; }
    // Waits (at most a minute, as a guard) for a line of standard error holding `text`.
    bool WaitForLine(const std::string& text);
    std::vector<std::string> Lines();
    void Signal(int signal);
    // The exit status once it has ended: the code, or 128 + the signal.
    int Wait();

  private:
    pid_t pid_ = -1;
    unsigned short port_ = 0;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
    bool ended_ = false;
};

// Runs a program to its end, its output on ours: its exit code, or 128 + the signal.
int RunProgram(const std::vector<std::string>& args);
// The scoreboard program so (for `remove`).
int RunScoreboard(const std::vector<std::string>& args);

struct Reply {
    int Status = 0;
    std::map<std::string, std::string> Headers;  // names in lower case
    std::string Body;
    std::string Header(const std::string& name) const {
        const auto it = Headers.find(name);
        return it == Headers.end() ? std::string() : it->second;
    }
};

// One request on a connection of its own.
Reply Request(unsigned short port, const std::string& method, const std::string& target,
              const std::string& body = {}, const std::map<std::string, std::string>& headers = {});

// A raw connection, for requests sent in parts.
class RawConnection {
  public:
    explicit RawConnection(unsigned short port);
    ~RawConnection();
    bool Connected() const { return fd_ >= 0; }
    void Send(const std::string& bytes);
    // Reads one whole answer (header and Content-Length body).
    Reply Receive();

  private:
    int fd_ = -1;
    std::string pending_;
};

// The raw value of `key` in a flat JSON object ("12", "\"Al\""), empty when absent.
std::string JsonField(const std::string& json, const std::string& key);

// A whole play from the switch to its game over by the seeded player, as the play keeper kept
// it; it scores.
std::string TruePlay(unsigned seed);
// The same play as another recording: another start date, so another digest.
std::string Redated(const std::string& recording, int n);

}  // namespace zarq::test
