// The scoreboard on PostgreSQL: a database server of the test's own in a scratch folder (run as
// an unprivileged user when the test runs as root, reached through a socket in that folder
// only), two scoreboard processes on it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <thread>

#include "core/session/BestScores.h"
#include "tests/server/ScoreboardRig.h"

namespace zarq::test {
namespace {

constexpr const char* kBin = "/usr/lib/postgresql/15/bin";

class PostgresServer {
  public:
    explicit PostgresServer(const std::string& folder)
        : data_(folder + "/data"), sockets_(folder + "/sockets") {
        std::filesystem::create_directories(sockets_);
        // PostgreSQL refuses to run as root: its files then belong to nobody, who runs it.
        if (::geteuid() == 0) {
            RunProgram({"chown", "-R", "nobody:nogroup", folder});
            as_ = {"runuser", "-u", "nobody", "--"};
        }
        ok_ = Run({std::string(kBin) + "/initdb", "-D", data_, "-U", "zarq", "-A", "trust",
                   "--no-sync", "--no-instructions", "-E", "UTF8", "--locale=C"}) == 0 &&
              Start();
    }
    ~PostgresServer() { Stop(); }
    bool Ok() const { return ok_; }
    // TCP is off: the socket in the scratch folder is the only way in, so no port can clash.
    bool Start() {
        return Run({std::string(kBin) + "/pg_ctl", "-D", data_, "-w", "-s", "-l",
                    data_ + "/../server.log", "-o",
                    "-c listen_addresses= -c unix_socket_directories=" + sockets_ +
                        " -c fsync=off -p 5432",
                    "start"}) == 0;
    }
    void Stop() {
        Run({std::string(kBin) + "/pg_ctl", "-D", data_, "-w", "-s", "-m", "fast", "stop"});
    }
    std::string Url() const {
        return "postgresql://zarq@/postgres?host=" + sockets_ + "&port=5432";
    }

  private:
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), as_.begin(), as_.end());
        return RunProgram(args);
    }
    std::string data_;
    std::string sockets_;
    std::vector<std::string> as_;
    bool ok_ = false;
};

TEST(ScoreboardOnPostgres, TwoServersAgreeOnRanksAndBothWaitOutTheDatabase) {
    if (!std::filesystem::exists(std::string(kBin) + "/initdb"))
        GTEST_SKIP() << "PostgreSQL 15 is not installed (" << kBin << "/initdb): skipped";
    ScratchFolder scratch;
    PostgresServer database(scratch.Path());
    ASSERT_TRUE(database.Ok()) << "the test's PostgreSQL did not start";
    const std::vector<std::string> plays = {TruePlay(3), TruePlay(11)};

    ScoreboardProcess one({"--database", database.Url(), "--submit-rate", "1000/1"});
    ScoreboardProcess two({"--database", database.Url(), "--submit-rate", "1000/1"});
    ASSERT_NE(one.Port(), 0);
    ASSERT_NE(two.Port(), 0);

    // Sent to both at once, each play in several copies (of equal scores the first taken ranks
    // first); a copy sent to both is one entry.
    std::vector<std::thread> senders;
    for (const unsigned short port : {one.Port(), two.Port()}) {
        senders.emplace_back([&, port] {
            for (int n = 0; n < 12; ++n) {
                const Reply r =
                    Request(port, "POST", "/api/plays?name=Al",
                            Redated(plays[n % 2], n / 2 + (port == one.Port() ? 0 : 3)));
                EXPECT_TRUE(r.Status == 201 || r.Status == 200) << r.Status << r.Body;
            }
        });
    }
    for (auto& s : senders) s.join();

    const Reply board1 = Request(one.Port(), "GET", "/api/scores?limit=100");
    const Reply board2 = Request(two.Port(), "GET", "/api/scores?limit=100");
    ASSERT_EQ(board1.Status, 200);
    EXPECT_EQ(board1.Body, board2.Body);
    // Copies 0..5 from one, 3..8 from two: nine of each play, every rank once, in order.
    const std::regex entry("\"id\":([0-9]+),\"rank\":([0-9]+),\"name\":\"Al\",\"score\":([0-9]+)");
    int expected = 1;
    long long lastScore = -1;
    for (auto it = std::sregex_iterator(board1.Body.begin(), board1.Body.end(), entry);
         it != std::sregex_iterator(); ++it, ++expected) {
        EXPECT_EQ(std::stoi((*it)[2]), expected);
        const long long score = std::stoll((*it)[3]);
        if (lastScore >= 0) {
            EXPECT_LE(score, lastScore);
        }
        lastScore = score;
        // Each entry's own rank, asked of the other server, is its place on the board.
        const Reply single = Request(two.Port(), "GET", "/api/plays/" + (*it)[1].str());
        EXPECT_EQ(JsonField(single.Body, "rank"), (*it)[2].str());
    }
    EXPECT_EQ(expected - 1, 18);

    // The database gone: 503 with Retry-After from both, nothing taken; back by itself.
    database.Stop();
    const Reply down = Request(one.Port(), "GET", "/api/scores");
    EXPECT_EQ(down.Status, 503);
    EXPECT_EQ(down.Header("retry-after"), "5");
    const Reply refused = Request(two.Port(), "POST", "/api/plays?name=Al", Redated(plays[0], 40));
    EXPECT_EQ(refused.Status, 503);
    EXPECT_EQ(Request(one.Port(), "GET", "/healthz").Status, 503);
    ASSERT_TRUE(database.Start());
    EXPECT_EQ(Request(one.Port(), "GET", "/healthz").Status, 200);
    EXPECT_EQ(Request(two.Port(), "GET", "/api/scores?limit=100").Body, board1.Body);
    EXPECT_EQ(Request(two.Port(), "POST", "/api/plays?name=Al", Redated(plays[0], 40)).Status, 201);
}

}  // namespace
}  // namespace zarq::test
