// The scoreboard program seen from outside: the real process on a loopback port the system
// picks, a real SQLite file in a scratch folder, plain HTTP.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

#include "core/record/ReplayLink.h"
#include "core/session/BestScores.h"
#include "tests/server/ScoreboardRig.h"

namespace zarq::test {
namespace {

class Scoreboard : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        plays_ = {TruePlay(3), TruePlay(11)};
        for (const std::string& play : plays_) {
            auto checked = BestScores::Check(play);
            ASSERT_TRUE(std::holds_alternative<BestScore>(checked));
            scores_.push_back(std::get<BestScore>(checked).Score);
        }
        ASSERT_NE(scores_[0], scores_[1]) << "two seeds that score alike: pick others";
    }
    std::vector<std::string> Args(std::vector<std::string> more = {}) {
        std::filesystem::create_directories(Site());
        std::ofstream(Site() + "/index.html")
            << "<!doctype html><title>Zarq</title>" << std::string(2000, ' ') << "<p>the toy</p>\n";
        std::vector<std::string> args{"--database", Database(), "--site", Site()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    std::string Database() const { return "sqlite:" + scratch_.Path() + "/scores.sqlite"; }
    std::string Site() const { return scratch_.Path() + "/site"; }
    static std::string Submit(const std::string& name) { return "/api/plays?name=" + name; }

    static inline std::vector<std::string> plays_;
    static inline std::vector<std::int64_t> scores_;
    ScratchFolder scratch_;
};

std::string Metric(const std::string& text, const std::string& series) {
    const std::size_t at = text.find("\n" + series + " ");
    if (at == std::string::npos) return "0";
    const std::size_t start = at + series.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

TEST_F(Scoreboard, ListsATruePlayOnceAndRefusesWhatDoesNotReplay) {
    ScoreboardProcess server(Args());
    const unsigned short port = server.Port();
    ASSERT_NE(port, 0);

    // 24 characters (48 bytes of UTF-8) are a name; each of the others is not.
    const std::string name24 = std::string(24, 'x').replace(0, 1, "%C3%A9");
    Reply first = Request(port, "POST", Submit(name24), plays_[1]);
    ASSERT_EQ(first.Status, 201) << first.Body;
    EXPECT_EQ(JsonField(first.Body, "score"), std::to_string(scores_[1]));
    EXPECT_EQ(JsonField(first.Body, "rank"), "1");
    EXPECT_EQ(JsonField(first.Body, "name"), "\"\\u00e9" + std::string(23, 'x') + "\"");
    const std::string id = JsonField(first.Body, "id");
    for (const std::string& bad :
         {std::string("%01Al"), std::string(25, 'x'), std::string("Al%C3%28"),
          std::string("Al%E2%80%AEla"), std::string(""), std::string("%20Al")}) {
        const Reply r = Request(port, "POST", Submit(bad), plays_[0]);
        EXPECT_EQ(r.Status, 400) << bad;
        EXPECT_NE(JsonField(r.Body, "error").find("The name is not taken: a name"),
                  std::string::npos)
            << bad << ": " << r.Body;
    }

    // The same recording under another name: the entry it has, under its first name.
    const Reply again = Request(port, "POST", Submit("Mallory"), plays_[1]);
    EXPECT_EQ(again.Status, 200);
    EXPECT_EQ(JsonField(again.Body, "id"), id);
    EXPECT_EQ(JsonField(again.Body, "existing"), "true");
    EXPECT_EQ(JsonField(again.Body, "name"), JsonField(first.Body, "name"));

    // The other play ranks by its score.
    const Reply second = Request(port, "POST", Submit("Bo+Bo"), plays_[0]);
    ASSERT_EQ(second.Status, 201) << second.Body;
    EXPECT_EQ(JsonField(second.Body, "rank"), scores_[0] > scores_[1] ? "1" : "2");

    // A claim its play does not make, a file cut in two, a damaged one: each with its reason.
    const std::string claimed =
        std::regex_replace(plays_[0], std::regex("score=" + std::to_string(scores_[0])),
                           "score=" + std::to_string(scores_[0] + 2000));
    ASSERT_NE(claimed, plays_[0]);
    const Reply lie = Request(port, "POST", Submit("Eve"), claimed);
    EXPECT_EQ(lie.Status, 422);
    EXPECT_NE(lie.Body.find("claims score " + std::to_string(scores_[0] + 2000)), std::string::npos)
        << lie.Body;
    const Reply cut =
        Request(port, "POST", Submit("Eve"), plays_[0].substr(0, plays_[0].size() / 2));
    EXPECT_EQ(cut.Status, 422);
    EXPECT_NE(cut.Body.find("cut short"), std::string::npos) << cut.Body;
    std::string damaged = plays_[0];
    damaged.replace(damaged.find("state "), 6, "stat\x1b ");
    const Reply broken = Request(port, "POST", Submit("Eve"), damaged);
    EXPECT_EQ(broken.Status, 422);
    EXPECT_NE(broken.Body.find("not a recording this program reads: line"), std::string::npos)
        << broken.Body;
    // 256 KiB is still read (and refused as no recording); a byte more is not taken at all.
    EXPECT_EQ(Request(port, "POST", Submit("Eve"), std::string(256 * 1024, 'x')).Status, 422);
    EXPECT_EQ(Request(port, "POST", Submit("Eve"), std::string(256 * 1024 + 1, 'x')).Status, 413);
    // Answered before they are read: the client still gets the answer, not a reset.
    EXPECT_EQ(Request(port, "POST", Submit("Eve"), std::string(3 << 20, 'x')).Status, 413);
    EXPECT_EQ(Request(port, "POST", Submit(std::string(1'000'000, 'x')), "x").Status, 431);

    // The board, an entry, its recording as sent, its short link that the page plays.
    const Reply board = Request(port, "GET", "/api/scores?board=week&limit=1");
    ASSERT_EQ(board.Status, 200);
    EXPECT_EQ(JsonField(board.Body, "more"), "true");
    EXPECT_EQ(JsonField(board.Body, "score"), std::to_string(std::max(scores_[0], scores_[1])));
    const Reply entry = Request(port, "GET", "/api/plays/" + id);
    EXPECT_EQ(JsonField(entry.Body, "score"), std::to_string(scores_[1]));
    EXPECT_EQ(JsonField(entry.Body, "rank"), scores_[1] > scores_[0] ? "1" : "2");
    EXPECT_EQ(Request(port, "GET", "/api/plays/" + id + "/recording").Body, plays_[1]);
    const Reply link = Request(port, "GET", "/p/" + id);
    EXPECT_EQ(link.Status, 302);
    EXPECT_EQ(link.Header("location").substr(0, 7), "/#play=");
    const LinkResult linked = RecordingFromLink(link.Header("location"));
    ASSERT_TRUE(linked.Value) << linked.Error;
    EXPECT_EQ(*linked.Value, plays_[1]);

    // Taken down by the operator: gone from the board and its link.
    EXPECT_EQ(RunScoreboard({"remove", id, "--database", Database()}), 0);
    EXPECT_EQ(Request(port, "GET", "/api/plays/" + id).Status, 404);
    EXPECT_EQ(Request(port, "GET", "/p/" + id).Status, 404);
    EXPECT_EQ(RunScoreboard({"remove", id, "--database", Database()}), 1);

    // The page: validators, gzip when asked for, the same headers on every answer.
    const Reply page = Request(port, "GET", "/", {}, {{"Accept-Encoding", "br, gzip"}});
    EXPECT_EQ(page.Status, 200);
    EXPECT_EQ(page.Header("content-encoding"), "gzip");
    EXPECT_LT(page.Body.size(), 200u);
    EXPECT_EQ(page.Header("cache-control"), "no-cache");
    const Reply plain = Request(port, "GET", "/index.html");
    EXPECT_EQ(plain.Header("content-encoding"), "");
    EXPECT_GT(plain.Body.size(), 2000u);
    EXPECT_EQ(Request(port, "GET", "/", {}, {{"If-None-Match", plain.Header("etag")}}).Status, 304);
    for (const Reply& r : {page, lie, Request(port, "GET", "/nothing"), board}) {
        EXPECT_NE(r.Header("content-security-policy").find("'wasm-unsafe-eval'"),
                  std::string::npos);
        EXPECT_EQ(r.Header("x-content-type-options"), "nosniff");
        EXPECT_EQ(r.Header("access-control-allow-origin"), "");
    }

    // Counted by route and status; every replay timed.
    const std::string metrics = Request(port, "GET", "/metrics").Body;
    EXPECT_EQ(Metric(metrics, "zarq_requests_total{route=\"submit\",status=\"201\"}"), "2");
    EXPECT_EQ(Metric(metrics, "zarq_requests_total{route=\"submit\",status=\"200\"}"), "1");
    EXPECT_EQ(Metric(metrics, "zarq_requests_total{route=\"submit\",status=\"400\"}"), "6");
    EXPECT_EQ(Metric(metrics, "zarq_requests_total{route=\"submit\",status=\"422\"}"), "4");
    EXPECT_EQ(Metric(metrics, "zarq_requests_total{route=\"submit\",status=\"413\"}"), "2");
    EXPECT_EQ(Metric(metrics, "zarq_check_seconds_count"), "6");
    EXPECT_EQ(Metric(metrics, "zarq_checks_total{verdict=\"accepted\"}"), "2");
    // One line per request on standard error.
    EXPECT_TRUE(server.WaitForLine("\"GET /metrics\" 200"));
}

TEST_F(Scoreboard, ChecksWithinItsLimits) {
    // Replayed in slices, a play gives what it gives in one go; stopped, it is refused.
    const BestScore whole = std::get<BestScore>(BestScores::Check(plays_[0]));
    ASSERT_GT(whole.Length, 120'000) << "a play of over two minutes is needed here";
    int asked = 0;
    auto sliced = BestScores::Check(plays_[0], {.LongestPlay = whole.Length, .GiveUp = [&] {
                                                    ++asked;
                                                    return false;
                                                }});
    ASSERT_TRUE(std::holds_alternative<BestScore>(sliced));
    EXPECT_EQ(std::get<BestScore>(sliced).Score, whole.Score);
    EXPECT_EQ(std::get<BestScore>(sliced).Length, whole.Length);
    EXPECT_EQ(asked, (whole.Length + 59'999) / 60'000);
    asked = 0;
    auto stopped =
        BestScores::Check(plays_[0], {.LongestPlay = 0, .GiveUp = [&] { return ++asked == 2; }});
    ASSERT_TRUE(std::holds_alternative<std::string>(stopped));
    EXPECT_EQ(std::get<std::string>(stopped), "its replay took longer than a check may take here");
    EXPECT_EQ(asked, 2);

    // A play a millisecond over the longest is refused unreplayed.
    auto tooLong = BestScores::Check(plays_[0], {.LongestPlay = whole.Length - 1, .GiveUp = {}});
    ASSERT_TRUE(std::holds_alternative<std::string>(tooLong));
    ScoreboardProcess server(Args({"--longest-play", "1"}));
    const Reply r = Request(server.Port(), "POST", Submit("Al"), plays_[0]);
    EXPECT_EQ(r.Status, 422);
    EXPECT_EQ(JsonField(r.Body, "error"),
              "\"The play is not listed: its play lasts longer than the longest checked here (1 "
              "min).\"");
    EXPECT_EQ(Metric(Request(server.Port(), "GET", "/metrics").Body, "zarq_check_seconds_count"),
              "1");
}

// A file system of its own, as small as asked, unmounted when the test ends.
class SmallDisk {
  public:
    SmallDisk(const std::string& folder, const std::string& size) : folder_(folder) {
        std::filesystem::create_directories(folder);
        mounted_ = RunProgram({"mount", "-t", "tmpfs", "-o", "size=" + size, "tmpfs", folder}) == 0;
    }
    ~SmallDisk() {
        if (mounted_) RunProgram({"umount", folder_});
    }
    bool Mounted() const { return mounted_; }
    bool Grow(const std::string& size) {
        return RunProgram({"mount", "-o", "remount,size=" + size, folder_}) == 0;
    }

  private:
    std::string folder_;
    bool mounted_ = false;
};

TEST_F(Scoreboard, AFullDiskAnswers503AndLosesNothing) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small disk needs root: skipped";
    SmallDisk disk(scratch_.Path() + "/small", "400k");
    if (!disk.Mounted()) GTEST_SKIP() << "this system lets no tmpfs be mounted here: skipped";
    ScoreboardProcess server({"--database", "sqlite:" + scratch_.Path() + "/small/scores.sqlite",
                              "--submit-rate", "1000/1"});
    ASSERT_NE(server.Port(), 0);
    std::map<std::string, int> taken;  // id: the copy it holds
    int n = 0;
    Reply r;
    for (; n < 200; ++n) {
        r = Request(server.Port(), "POST", Submit("Al"), Redated(plays_[0], n));
        if (r.Status != 201) break;
        taken[JsonField(r.Body, "id")] = n;
    }
    ASSERT_EQ(r.Status, 503) << r.Body;
    EXPECT_EQ(r.Header("retry-after"), "5");
    ASSERT_FALSE(taken.empty());
    // The board is still read meanwhile.
    const Reply full = Request(server.Port(), "GET", "/api/scores?limit=100");
    EXPECT_EQ(full.Status, 200);
    // Room again: taken again, without a restart, and every entry whole.
    ASSERT_TRUE(disk.Grow("8m"));
    const Reply back = Request(server.Port(), "POST", Submit("Al"), Redated(plays_[0], n));
    EXPECT_EQ(back.Status, 201) << back.Body;
    taken[JsonField(back.Body, "id")] = n;
    for (const auto& [id, copy] : taken) {
        EXPECT_EQ(Request(server.Port(), "GET", "/api/plays/" + id + "/recording").Body,
                  Redated(plays_[0], copy))
            << id;
    }
    const Reply board = Request(server.Port(), "GET", "/api/scores?limit=100");
    EXPECT_EQ(static_cast<std::size_t>(std::count(board.Body.begin(), board.Body.end(), '{')),
              taken.size() + 1);
}

TEST_F(Scoreboard, RefusesSubmissionsPastTheAddressesLimit) {
    ScoreboardProcess server(Args({"--submit-rate", "2/86400"}));
    ASSERT_NE(server.Port(), 0);
    EXPECT_EQ(Request(server.Port(), "POST", Submit("Al"), "x").Status, 422);
    EXPECT_EQ(Request(server.Port(), "POST", Submit("Al"), plays_[0]).Status, 201);
    const Reply third = Request(server.Port(), "POST", Submit("Al"), plays_[1]);
    EXPECT_EQ(third.Status, 429);
    const long wait = std::atol(third.Header("retry-after").c_str());
    EXPECT_GT(wait, 0);
    EXPECT_LE(wait, 43'201);  // one turn comes back every 12 hours
    EXPECT_EQ(Request(server.Port(), "GET", "/api/scores").Status, 200);
}

TEST_F(Scoreboard, SigtermFinishesTheRequestUnderWayAndExitsZero) {
    ScoreboardProcess server(Args());
    ASSERT_NE(server.Port(), 0);
    RawConnection idle(server.Port());
    RawConnection busy(server.Port());
    const std::string& play = plays_[0];
    busy.Send("POST " + Submit("Al") + " HTTP/1.1\r\nHost: x\r\nContent-Length: " +
              std::to_string(play.size()) + "\r\n\r\n" + play.substr(0, 100));
    // The header has arrived once the idle connection's request is answered after it.
    idle.Send("GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(idle.Receive().Status, 200);
    server.Signal(SIGTERM);
    ASSERT_TRUE(server.WaitForLine("stopping on SIGTERM"));
    EXPECT_FALSE(RawConnection(server.Port()).Connected());
    busy.Send(play.substr(100));
    const Reply reply = busy.Receive();
    EXPECT_EQ(reply.Status, 201) << reply.Body;
    EXPECT_EQ(reply.Header("connection"), "close");
    EXPECT_EQ(server.Wait(), 0);
}

TEST_F(Scoreboard, EveryAcknowledgedEntrySurvivesSigkill) {
    std::set<std::string> acknowledged;  // "id score"
    {
        ScoreboardProcess server(Args({"--submit-rate", "100000/1"}));
        ASSERT_NE(server.Port(), 0);
        std::mutex mutex;
        std::atomic<int> next{0};
        std::vector<std::thread> senders;
        for (int t = 0; t < 4; ++t) {
            senders.emplace_back([&] {
                for (int n; (n = next++) < 400;) {
                    const Reply r =
                        Request(server.Port(), "POST", Submit("Al"), Redated(plays_[n % 2], n));
                    if (r.Status == 0) return;  // the server is gone
                    if (r.Status != 201) continue;
                    std::lock_guard lock(mutex);
                    acknowledged.insert(JsonField(r.Body, "id") + " " + JsonField(r.Body, "score"));
                    if (acknowledged.size() == 20) server.Signal(SIGKILL);
                }
            });
        }
        for (auto& s : senders) s.join();
        EXPECT_EQ(server.Wait(), 128 + SIGKILL);
    }
    ASSERT_GE(acknowledged.size(), 20u);
    ScoreboardProcess again(Args());
    ASSERT_NE(again.Port(), 0);
    for (const std::string& entry : acknowledged) {
        const std::string id = entry.substr(0, entry.find(' '));
        const Reply r = Request(again.Port(), "GET", "/api/plays/" + id);
        EXPECT_EQ(r.Status, 200) << id;
        EXPECT_EQ(JsonField(r.Body, "id") + " " + JsonField(r.Body, "score"), entry);
    }
    // No half entry: every listed one has its recording, and it replays to its score.
    const Reply board = Request(again.Port(), "GET", "/api/scores?limit=100");
    const std::regex id("\"id\":([0-9]+)");
    int listed = 0;
    for (auto it = std::sregex_iterator(board.Body.begin(), board.Body.end(), id);
         it != std::sregex_iterator(); ++it, ++listed) {
        const Reply r = Request(again.Port(), "GET", "/api/plays/" + (*it)[1].str() + "/recording");
        ASSERT_EQ(r.Status, 200);
        EXPECT_TRUE(std::holds_alternative<BestScore>(BestScores::Check(r.Body)));
    }
    EXPECT_GE(listed, static_cast<int>(acknowledged.size()));
}

}  // namespace
}  // namespace zarq::test
