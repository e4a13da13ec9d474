// The best plays, kept by the session as the player plays: a play that scores is kept with its
// recording from its first step to its end, ranked among the ten best; the shelf is only ever
// believed through a replay.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "core/record/Recording.h"
#include "core/record/ReplayLink.h"
#include "tests/harness/Harness.h"
#include "tests/harness/PlayBot.h"

namespace zarq::test {
namespace {

class MemoryShelf : public BestScoreShelf {
  public:
    std::map<std::string, std::string> Kept;
    std::vector<std::string> Log;
    std::string FailWith;  // when set, every Keep fails with it

    std::string Keep(const std::string& id, const std::string& recording,
                     const std::string& dropped) override {
        if (!FailWith.empty()) return FailWith;
        Kept[id] = recording;
        Kept.erase(dropped);
        Log.push_back("keep " + id + (dropped.empty() ? "" : " drop " + dropped));
        return {};
    }
    std::string Remove(const std::vector<std::string>& ids) override {
        for (const std::string& id : ids) {
            Kept.erase(id);
            Log.push_back("remove " + id);
        }
        return {};
    }
};

class Told : public SessionEvents {
  public:
    std::vector<std::string> Said;
    void PlayKept(int rank) override { Said.push_back("kept " + std::to_string(rank)); }
    void PlayNotKept(const std::string& why) override { Said.push_back("not kept: " + why); }
};

class BestPlays : public ::testing::Test {
  protected:
    BestPlays() {
        rig.Session.SetBestScoreShelf(&shelf);
        rig.Session.SetEvents(&told);
    }
    // One play by a seeded player, from the switch or the speed button, to its game over.
    std::int64_t PlayToGameOver(unsigned seed) {
        PlayBot bot(
            rig.F(), rig.Session.Input(), [this] { return rig.Time; },
            [this](Millis ms) { rig.RunTo(rig.Time + ms); }, seed);
        if (!rig.G().PowerOn) {
            rig.ClickSwitch();
        } else {
            bot.Tap(VK_CONTROL, 40);
        }
        bot.Play(rig.Time + 3'600'000, false, [this] { return !rig.G().GameStarted; });
        EXPECT_FALSE(rig.G().GameStarted) << "no game over within an hour";
        return rig.Session.Score();
    }
    const std::vector<BestScore>& Entries() { return rig.Session.Best().Entries(); }

    SessionRig rig;
    MemoryShelf shelf;
    Told told;
};

std::string Line(const std::string& text, std::string_view starting) {
    const std::size_t at = text.find("\n" + std::string(starting));
    return at == std::string::npos ? std::string()
                                   : text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

TEST_F(BestPlays, APlayThatScoresIsKeptFromTheSwitchAndTheNextFromTheSpeedButton) {
    rig.Time = 5000;
    const std::int64_t first = PlayToGameOver(3);
    ASSERT_GT(first, 0);
    ASSERT_EQ(Entries().size(), 1u);
    const BestScore kept = Entries()[0];
    EXPECT_EQ(kept.Score, first);
    EXPECT_GE(kept.SpeedLevel, 1);
    EXPECT_GT(kept.Length, 10'000);
    EXPECT_EQ(shelf.Kept.at(kept.Id), kept.Recording);
    EXPECT_EQ(told.Said, std::vector<std::string>{"kept 1"});
    // From the click on the switch, the toy off before it, to the game-over display.
    EXPECT_EQ(kept.Recording.substr(0, 17), "zarq-recording 1\n");
    EXPECT_EQ(Line(kept.Recording, "0 0 "), "0 0 switch-on");
    EXPECT_EQ(Line(kept.Recording, "end ").substr(0, 13), "end game-over");

    // The speed button on the game-over display starts the next play: kept from that press,
    // with the toy on and idle at its start, in the format's second version.
    const std::int64_t second = PlayToGameOver(11);
    ASSERT_GT(second, 0);
    ASSERT_EQ(Entries().size(), 2u);
    const BestScore next = *std::find_if(Entries().begin(), Entries().end(),
                                         [&](const BestScore& e) { return e.Id != kept.Id; });
    EXPECT_EQ(next.Score, second);
    EXPECT_EQ(next.Recording.substr(0, 17), "zarq-recording 2\n");
    EXPECT_NE(Line(next.Recording, "state ").find("PowerOn=1 GameStarted=0 PlayEnabled=0"),
              std::string::npos);
    EXPECT_EQ(Line(next.Recording, "0 0 "), "0 0 key-down ctrl");

    // Watched in another session, through a link, it plays to the same end; a replay is not
    // the player's play and keeps nothing.
    const LinkResult link =
        RecordingFromLink(ReplayLinkAddress("https://example.org/zarq/#old", next.Recording));
    ASSERT_TRUE(link.Value) << link.Error;
    SessionRig watcher;
    MemoryShelf watched;
    watcher.Session.SetBestScoreShelf(&watched);
    ASSERT_EQ(watcher.Session.StartPlayback(ReadRecording(*link.Value)), "");
    watcher.RunTo(next.Length + 1000);
    EXPECT_FALSE(watcher.Session.PlayingBack());
    EXPECT_EQ(watcher.Session.PlaybackFailure(), "");
    EXPECT_EQ(watcher.Session.Score(), second);
    EXPECT_TRUE(watcher.G().PowerOn && !watcher.G().GameStarted);
    EXPECT_TRUE(watched.Kept.empty());
}

TEST_F(BestPlays, TenAreKeptTheEleventhDropsTheLowestAndATieKeepsTheEarlierPlay) {
    std::vector<std::int64_t> scores;
    for (unsigned seed = 1; Entries().size() < kBestScoresKept || scores.size() < 13; ++seed) {
        scores.push_back(PlayToGameOver(seed));
        ASSERT_LT(seed, 60u) << "the player scores too seldom";
    }
    std::sort(scores.rbegin(), scores.rend());
    std::erase(scores, 0);
    std::vector<std::int64_t> listed;
    for (const BestScore& e : Entries()) listed.push_back(e.Score);
    EXPECT_EQ(listed, std::vector<std::int64_t>(scores.begin(), scores.begin() + 10));
    EXPECT_EQ(shelf.Kept.size(), 10u);
    for (const BestScore& e : Entries()) EXPECT_EQ(shelf.Kept.count(e.Id), 1u) << e.Id;
    EXPECT_TRUE(std::any_of(shelf.Log.begin(), shelf.Log.end(), [](const std::string& l) {
        return l.find(" drop ") != std::string::npos;
    }));

    // The tenth's own play again, dated later, ties with it and stays out; dated earlier it
    // passes it and the tenth is dropped.
    const BestScore tenth = Entries().back();
    auto dated = [&](const std::string& date) {
        std::string text = tenth.Recording;
        const std::size_t at = text.find("date ") + 5;
        return text.replace(at, text.find('\n', at) - at, date);
    };
    const auto tied = std::find_if(Entries().begin(), Entries().end(),
                                   [&](const BestScore& e) { return e.Score == tenth.Score; });
    const int rank = static_cast<int>(tied - Entries().begin()) + 1;
    EXPECT_EQ(rig.Session.Best().Offer(dated("2999-01-01T00:00:00Z")).Rank, 0);
    EXPECT_EQ(rig.Session.Best().Offer(dated("1999-01-01T00:00:00Z")).Rank, rank);
    EXPECT_EQ(rig.Session.Best().Find(tenth.Id), nullptr);
    EXPECT_EQ(shelf.Kept.count(tenth.Id), 0u);
}

TEST_F(BestPlays, AShelfIsBelievedOnlyThroughAReplay) {
    rig.Time = 1000;
    ASSERT_GT(PlayToGameOver(5), 0);
    const BestScore good = Entries()[0];
    std::string edited = good.Recording;  // a hand-edited score
    const std::size_t at = edited.find("score=") + 6;
    edited.replace(at, edited.find(' ', at) - at, "999999");
    std::string newer = good.Recording;
    newer.replace(0, 16, "zarq-recording 7");
    std::string cut = good.Recording.substr(0, good.Recording.size() / 2);

    BestScores list;
    list.SetShelf(&shelf);
    list.Load("good", good.Recording);
    list.Load("edited", edited);
    list.Load("newer", newer);
    list.Load("cut", cut);
    list.LoadFailed("locked", "it cannot be read (Permission denied).");
    ASSERT_EQ(list.Entries().size(), 1u);
    EXPECT_EQ(list.Entries()[0].Score, good.Score);
    std::map<std::string, std::string> why;
    for (const DroppedScore& d : list.Dropped()) why[d.Id] = d.Why;
    ASSERT_EQ(why.size(), 4u);
    EXPECT_NE(why["edited"].find("claims score 999999"), std::string::npos) << why["edited"];
    EXPECT_NE(why["newer"].find("format version 7"), std::string::npos) << why["newer"];
    EXPECT_NE(why["cut"].find("cut short"), std::string::npos) << why["cut"];
    // Nothing dropped is taken off the shelf by itself; Clear takes everything.
    const std::size_t before = shelf.Log.size();
    EXPECT_EQ(list.Offer(good.Recording).Rank, 0);  // already listed
    EXPECT_EQ(shelf.Log.size(), before);
    EXPECT_EQ(list.Clear(), "");
    EXPECT_EQ(shelf.Log.size(), before + 5);
    EXPECT_TRUE(list.Entries().empty() && list.Dropped().empty());
}

TEST_F(BestPlays, AFullShelfIsSaidAndAPlayUnderWayIsKeptWhenTheProgramEnds) {
    shelf.FailWith = "the disk is full.";
    ASSERT_GT(PlayToGameOver(2), 0);
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(told.Said,
              std::vector<std::string>{"not kept: The best score could not be kept: the disk is "
                                       "full."});

    // The next play is cut off by the program's end once it has points: kept as "closed".
    shelf.FailWith.clear();
    PlayBot bot(
        rig.F(), rig.Session.Input(), [this] { return rig.Time; },
        [this](Millis ms) { rig.RunTo(rig.Time + ms); }, 9);
    bot.Tap(VK_CONTROL, 40);
    bot.Play(rig.Time + 3'600'000, false, [this] { return rig.Session.Score() > 0; });
    ASSERT_TRUE(rig.G().GameStarted);
    rig.Session.Close();
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].Score, rig.Session.Score());
    EXPECT_EQ(Line(Entries()[0].Recording, "end ").substr(0, 10), "end closed");
}

TEST(GameOverStart, OnlyAToyIdleAfterAGameOverMayStartOnAndOnlyFromTheSecondVersion) {
    SessionRig rig;
    Recording r;
    r.Program = "test";
    r.Date = "2026-01-01T00:00:00Z";
    r.Start = TakeSnapshot(rig.F());
    r.Start.Values[0] = 1;  // PowerOn
    const std::string on = HeaderText(r) +
                           "0 0 key-down ctrl\nend closed clock=0 ticks=0 "
                           "score=0 cycles=0\n";
    ASSERT_EQ(on.substr(0, 17), "zarq-recording 2\n");
    EXPECT_TRUE(ReadRecording(on).Value) << ReadRecording(on).Error;
    std::string first = on;
    first[15] = '1';
    EXPECT_NE(ReadRecording(first).Error.find("begins with the toy off, not with PowerOn=1"),
              std::string::npos)
        << ReadRecording(first).Error;
    std::string playing = on;
    playing.replace(playing.find("GameStarted=0"), 13, "GameStarted=1");
    EXPECT_NE(
        ReadRecording(playing).Error.find("or idle after a game over, not with GameStarted=1"),
        std::string::npos)
        << ReadRecording(playing).Error;
}

}  // namespace
}  // namespace zarq::test
