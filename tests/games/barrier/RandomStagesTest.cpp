// Long seeded runs of barrier stages with throws at random moments: after every step the
// tables are never indexed out of range, the score never falls, the counters stay within
// their bounds and the barrier shows what its state says.
#include <algorithm>
#include <random>

#include "StageFixture.h"

namespace zarq::test {
namespace {

class RandomStages : public Stage {
  protected:
    int victories = 0;
    int gameOvers = 0;

    void CheckInvariants(int lastTotal, const std::string& where) {
        ASSERT_EQ(f.TableFaults(), 0) << where;
        ASSERT_GE(Total(), lastTotal) << where;
        ASSERT_GE(g.DiscZarqLives, 0) << where;
        ASSERT_LE(g.DiscZarqLives, 4) << where;
        ASSERT_GE(g.ZarqLives, 0) << where;
        ASSERT_LE(g.ZarqLives, 4) << where;
        ASSERT_GE(g.SpeedLevel, 1) << where;
        ASSERT_LE(g.SpeedLevel, 6) << where;
        if (g.CurrentGame == 3 && g.PlayEnabled) {
            const std::string b = Barrier();
            const auto gaps = std::count(b.begin(), b.end(), '.');
            ASSERT_EQ(gaps, g.BarrierOpen ? 1 : 0) << where << " " << b;
            ASSERT_TRUE(toy.Lit("Im_Zarq2Disk")) << where;
            ASSERT_FALSE(toy.Lit("Im_Krev2Disk")) << where;
            // Only the bar running out may be dark for a blink.
            const std::string bars = TimeBars();
            const auto lit = std::count(bars.begin(), bars.end(), '#');
            ASSERT_TRUE(lit == g.DiscZarqLives || lit == g.DiscZarqLives - 1)
                << where << " " << bars;
        }
    }

    // One stage from the won duel to the next race, or to the game-over display.
    void RunStage(std::mt19937& rng, int stage) {
        std::uniform_int_distribution<int> segments(1, 4), level(1, 6), lives(1, 4), score(0, 1990);
        std::uniform_int_distribution<int> wait(1, 400), action(0, 9);
        const int startLevel = level(rng);
        StartPlay(segments(rng), startLevel, lives(rng), score(rng));
        int last = Total();
        bool held = false;
        const Millis limit = toy.Now() + 10 * 60 * 1000;
        while (toy.Now() < limit) {
            toy.Advance(wait(rng));
            const std::string where =
                "stage " + std::to_string(stage) + " at " + std::to_string(toy.Now());
            CheckInvariants(last, where);
            if (HasFatalFailure()) return;
            last = Total();
            if (g.CurrentGame == 1) {
                ++victories;
                ASSERT_EQ(g.SpeedLevel, std::min(startLevel + 1, 6)) << where;
                ASSERT_TRUE(f.TimerCycleZarq.Enabled()) << where;
                break;
            }
            if (!g.GameStarted) {
                ++gameOvers;
                ASSERT_EQ(g.ZarqLives, 0) << where;
                break;
            }
            const int a = action(rng);
            if (a < 4 && !held) {
                toy.Press(VK_CONTROL);
                held = true;
            } else if (a < 7 && held) {
                toy.Release(VK_CONTROL);
                held = false;
            } else if (a == 7) {
                toy.Press(VK_UP);
            }
        }
        ASSERT_LT(toy.Now(), limit) << "a stage always ends";
        if (held) toy.Release(VK_CONTROL);
    }
};

TEST_F(RandomStages, ManySeededStagesKeepTheirInvariants) {
    std::mt19937 rng(20261207u);
    for (int stage = 0; stage < 120; ++stage) {
        RunStage(rng, stage);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(victories, 0);
    EXPECT_GT(gameOvers, 0);
    EXPECT_GT(Played("Miss1"), gameOvers) << "time-outs with lives left, too";
}

}  // namespace
}  // namespace zarq::test
