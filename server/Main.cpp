// zarq-scoreboard: the command line.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/Server.h"
#include "server/Store.h"

#ifndef ZARQ_VERSION
#define ZARQ_VERSION "unknown"
#endif
#ifndef ZARQ_BUILD_SITE
#define ZARQ_BUILD_SITE ""
#endif

namespace {

namespace fs = std::filesystem;
using zarq::scoreboard::ServerOptions;

constexpr std::string_view kUsage =
    "Usage: zarq-scoreboard [--listen ADDRESS:PORT] [--database URL] [--site FOLDER]\n"
    "                       [--submit-rate N/SECONDS] [--longest-play MINUTES]\n"
    "                       [--check-time MILLISECONDS] [--max-connections N] [--workers N]\n"
    "       zarq-scoreboard remove ID [--database URL]\n"
    "       zarq-scoreboard --help | --version\n"
    "\n"
    "A scoreboard that lists a play only when its recording, replayed here, gives the score\n"
    "it claims; it serves the web edition's page beside its API.\n"
    "\n"
    "  --listen ADDRESS:PORT    where to listen (default 127.0.0.1:8080; port 0: any free one,\n"
    "                           named in the first line on standard error)\n"
    "  --database URL           sqlite:PATH or postgresql://USER@HOST/DB (default: SQLite in\n"
    "                           $STATE_DIRECTORY, else $XDG_DATA_HOME/zarq-scoreboard)\n"
    "  --site FOLDER            the web edition's files (default: the installed site)\n"
    "  --submit-rate N/SECONDS  plays one address may send: N at once, N per SECONDS\n"
    "                           (default 20/60)\n"
    "  --longest-play MINUTES   longer plays are refused unreplayed (default 240)\n"
    "  --check-time MS          a replay taking longer is stopped and refused (default 2000)\n"
    "  --max-connections N      connections held at once (default 4096)\n"
    "  --workers N              threads that check plays and query the database\n"
    "                           (default: one per processor, at least two)\n"
    "  remove ID                takes entry ID off the board, with its recording\n";

std::string DataFolder() {
    if (const char* state = std::getenv("STATE_DIRECTORY"); state != nullptr && *state != '\0') {
        const std::string_view s(state);
        return std::string(s.substr(0, s.find(':')));  // systemd lists several with ':'
    }
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/')
        return std::string(data) + "/zarq-scoreboard";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.local/share/zarq-scoreboard";
}

std::string DefaultSite() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const fs::path installed = exe.parent_path().parent_path() / "share/zarq-scoreboard/site";
        if (fs::is_directory(installed, ec)) return installed.string();
    }
    if (*ZARQ_BUILD_SITE != '\0' &&
        fs::is_regular_file(fs::path(ZARQ_BUILD_SITE) / "index.html", ec))
        return ZARQ_BUILD_SITE;
    return {};
}

bool Whole(std::string_view text, long long lowest, long long highest, long long& out) {
    if (text.empty() || text.size() > 12) return false;
    long long v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < lowest || v > highest) return false;
    out = v;
    return true;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "zarq-scoreboard: %s\n%s", message.c_str(), "Try --help.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    ServerOptions options;
    std::string database;
    std::optional<std::string> site;
    std::optional<long long> remove;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        long long n = 0;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage.data(), stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("zarq-scoreboard %s\n", ZARQ_VERSION);
            return 0;
        } else if (a == "remove" && i == 0) {
            const auto id = value();
            if (!id || !Whole(*id, 1, 999'999'999'999, n))
                return Fail("remove needs an entry's number");
            remove = n;
        } else if (a == "--listen") {
            const auto v = value();
            const std::size_t colon = v ? v->rfind(':') : std::string_view::npos;
            if (colon == std::string_view::npos || !Whole(v->substr(colon + 1), 0, 65535, n))
                return Fail("--listen needs ADDRESS:PORT, such as 127.0.0.1:8080");
            std::string_view host = v->substr(0, colon);
            if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
                host = host.substr(1, host.size() - 2);
            options.Address = std::string(host);
            options.Port = static_cast<unsigned short>(n);
        } else if (a == "--database") {
            const auto v = value();
            if (!v) return Fail("--database needs an address");
            database = std::string(*v);
        } else if (a == "--site") {
            const auto v = value();
            if (!v) return Fail("--site needs a folder");
            site = std::string(*v);
        } else if (a == "--submit-rate") {
            const auto v = value();
            const std::size_t slash = v ? v->find('/') : std::string_view::npos;
            long long seconds = 0;
            if (slash == std::string_view::npos ||
                !Whole(v->substr(0, slash), 1, 1'000'000'000, n) ||
                !Whole(v->substr(slash + 1), 1, 100'000'000, seconds))
                return Fail("--submit-rate needs N/SECONDS, such as 20/60");
            options.SubmitBurst = static_cast<double>(n);
            options.SubmitWindow = std::chrono::seconds(seconds);
        } else if (a == "--longest-play") {
            const auto v = value();
            if (!v || !Whole(*v, 1, 24 * 60, n))
                return Fail("--longest-play needs 1 to 1440 minutes");
            options.Limits.LongestPlay = n * 60'000;
        } else if (a == "--check-time") {
            const auto v = value();
            if (!v || !Whole(*v, 1, 600'000, n)) return Fail("--check-time needs milliseconds");
            options.Limits.LongestCheck = std::chrono::milliseconds(n);
        } else if (a == "--max-connections") {
            const auto v = value();
            if (!v || !Whole(*v, 1, 1'000'000, n)) return Fail("--max-connections needs a number");
            options.MaxConnections = static_cast<std::size_t>(n);
        } else if (a == "--workers") {
            const auto v = value();
            if (!v || !Whole(*v, 1, 256, n)) return Fail("--workers needs 1 to 256");
            options.Workers = static_cast<unsigned>(n);
        } else {
            return Fail("unknown argument '" + std::string(a) + "'");
        }
    }

    if (database.empty()) {
        const std::string folder = DataFolder();
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) return Fail("cannot make the data folder " + folder + ": " + ec.message());
        database = "sqlite:" + folder + "/scores.sqlite";
    }
    std::unique_ptr<zarq::scoreboard::PlayStore> store;
    try {
        store = zarq::scoreboard::OpenStore(database);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarq-scoreboard: the database %s cannot be used: %s\n",
                     database.c_str(), e.what());
        return 1;
    }

    if (remove) {
        try {
            if (!store->Remove(*remove)) {
                std::fprintf(stderr, "zarq-scoreboard: no entry has the number %lld\n", *remove);
                return 1;
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zarq-scoreboard: %s\n", e.what());
            return 1;
        }
        std::printf("entry %lld removed\n", *remove);
        return 0;
    }

    options.Database = database;
    options.Site = site ? *site : DefaultSite();
    return zarq::scoreboard::RunServer(options, *store);
}
