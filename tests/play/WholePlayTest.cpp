// Long seeded plays of the whole toy, from the switch through the three games and game overs,
// with random keys: whatever happens, no table is indexed out of range, the counters stay
// within their bounds and the toy never stalls while it is on. Random keys seldom win a race,
// so now and then the opponent's cycle is made to crash, as its own crash test would.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "harness/Harness.h"

namespace zarq::test {
namespace {

struct PlaySummary {
    std::set<int> gamesSeen;
    int gameOvers = 0;
    int highestLevel = 1;
};

void Play(unsigned seed, Millis duration, PlaySummary& out) {
    Toy toy;
    toy.SoundOn();
    TForm1& f = toy.F();
    TGameState& g = toy.G();
    std::mt19937 rng(seed);
    const int keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_CONTROL};

    toy.SwitchOn();
    while (toy.Now() < duration) {
        if (g.CurrentGame == 1 && g.PlayEnabled && rng() % 40 == 0) f.ProcWinGame1();
        const int key = keys[rng() % 5];
        toy.Press(key);
        toy.Advance(20 + rng() % 300);
        toy.Release(key);
        toy.Advance(20 + rng() % 400);

        ASSERT_EQ(f.TableFaults(), 0) << "seed " << seed << " at " << toy.Now();
        ASSERT_GE(g.Score, 0);
        ASSERT_LT(g.Score, 2000 + 400);
        ASSERT_GE(g.ZarqLives, 0);
        ASSERT_LE(g.ZarqLives, 4);
        ASSERT_GE(g.SpeedLevel, 1);
        ASSERT_LE(g.SpeedLevel, 6);
        ASSERT_GE(g.DiscZarqLives, 0);
        ASSERT_LE(g.DiscZarqLives, 4);
        ASSERT_GE(g.DiscKrevLives, 0);
        ASSERT_LE(g.DiscKrevLives, 4);
        out.gamesSeen.insert(g.CurrentGame);
        out.highestLevel = std::max(out.highestLevel, g.SpeedLevel);

        // Idle after a game over nothing runs, and CTRL starts again.
        if (!g.GameStarted) {
            ASSERT_FALSE(toy.Clock.Scheduler().NextDue().has_value());
            ++out.gameOvers;
            toy.Press(VK_CONTROL);
            toy.Release(VK_CONTROL);
        }
        // On and playing, something is always due: the toy never stalls.
        ASSERT_TRUE(toy.Clock.Scheduler().NextDue().has_value())
            << "seed " << seed << " stalled at " << toy.Now() << " in game " << g.CurrentGame;
    }
}

TEST(WholePlay, RandomKeysThroughEveryGameKeepTheToySound) {
    PlaySummary all;
    for (unsigned seed : {3u, 17u, 2026u, 77u, 90210u}) {
        PlaySummary one;
        Play(seed, 8 * 3600 * 1000, one);
        if (HasFatalFailure()) return;
        EXPECT_TRUE(one.gamesSeen.count(2)) << "seed " << seed << " never reached the duel";
        EXPECT_GT(one.gameOvers, 0) << "seed " << seed;
        all.gamesSeen.insert(one.gamesSeen.begin(), one.gamesSeen.end());
        all.highestLevel = std::max(all.highestLevel, one.highestLevel);
    }
    // Somewhere in these plays the barrier stage was won and the race came back faster.
    EXPECT_TRUE(all.gamesSeen.count(3));
    EXPECT_GT(all.highestLevel, 1);
}

}  // namespace
}  // namespace zarq::test
