// The player's cycle: its steps and turns at its fixed point, the trail it leaves, its crash
// test for each heading and the score it earns while it drives.
#include "tests/games/cycle/RaceFixture.h"

namespace zarq::test {
namespace {

using PlayerCycle = Race;

TEST_F(PlayerCycle, TheWorkedExampleOfATurnUpWhileHeadingRight) {
    StartPlayerAlone();
    toy.Press(VK_UP);
    EXPECT_EQ(g.ZarqTurnRequest, 1);
    AdvanceTo(659);
    EXPECT_EQ(g.ZarqDirection, 2);
    AdvanceTo(660);
    // The new segment climbs from the player's point, the one left behind lies to its left,
    // and the opponent's column has dropped by one.
    EXPECT_EQ(Screen(), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +
            I
+   +   +---+   +   +   +

+   +   +===+   +   +   +

+   +   +   +   +   +   +
)");
    EXPECT_EQ(g.ZarqDirection, 1);
    EXPECT_EQ(g.ZarqTurnRequest, 0);
    EXPECT_EQ(Cell(4, 3), 1);
    EXPECT_EQ(Cell(3, 3), 2);
    EXPECT_EQ(g.KrevCol, 3);
    EXPECT_EQ(toy.Sound.Played().back(), "Turn@" + std::to_string(raceStart + 660));
    EXPECT_FALSE(MissStarted());
}

TEST_F(PlayerCycle, OfTwoKeysBeforeAStepOnlyTheSecondTurns) {
    StartPlayerAlone();
    toy.Press(VK_DOWN);
    toy.Press(VK_UP);
    AdvanceTo(660);
    EXPECT_EQ(g.ZarqDirection, 1);
    EXPECT_EQ(Played("Turn"), 1);
    AdvanceTo(1320);  // the next step goes straight on
    EXPECT_EQ(g.ZarqDirection, 1);
    EXPECT_EQ(Played("Turn"), 1);
    EXPECT_EQ(Cell(4, 3), 1);
    EXPECT_EQ(Cell(4, 2), 1);
    EXPECT_FALSE(MissStarted());
}

// Every turn: the new segment is the first one in the new heading from the old head point, and
// after the step it lies at the player's point (4, 3); the segment left behind lies where the
// same move of the labyrinth took it.
struct TurnCase {
    int code, before, after;
    int oldCol, oldRow, oldValue;  // the old segment after the step
    int ownCell;                   // the value of (4, 3) after the step
};
const TurnCase kTurns[] = {
    // code before after  old segment   (4, 3)
    {1, 2, 1, 3, 3, 2, 1},  // right, up: the old one to the left
    {2, 4, 1, 4, 3, 2, 3},  // left, up: the old one shares the point
    {3, 1, 2, 4, 2, 1, 2},  // up, right: the old one below
    {4, 3, 2, 4, 3, 1, 3},  // down, right: shares the point
    {5, 2, 3, 3, 4, 2, 1},  // right, down: up and to the left
    {6, 4, 3, 4, 4, 2, 1},  // left, down: above
    {7, 1, 4, 5, 2, 1, 2},  // up, left: down and to the right
    {8, 3, 4, 5, 3, 1, 2},  // down, left: to the right
};

TEST_F(PlayerCycle, EveryTurnLightsTheFirstSegmentOfTheNewHeading) {
    StartPlayerAlone();
    for (const TurnCase& t : kTurns) {
        SCOPED_TRACE("turn code " + std::to_string(t.code));
        EmptyLabyrinth();
        g.ZarqDirection = t.before;
        Cell(4, 3) = t.before % 2 == 1 ? 1 : 2;
        const int turns = Played("Turn");
        g.ZarqTurnRequest = t.code;
        f.TimerCycleZarqTimer();

        EXPECT_EQ(g.ZarqDirection, t.after);
        EXPECT_EQ(g.ZarqTurnRequest, 0);
        EXPECT_EQ(Played("Turn"), turns + 1);
        EXPECT_EQ(Cell(4, 3), t.ownCell);
        if (t.oldCol != 4 || t.oldRow != 3) {
            EXPECT_EQ(Cell(t.oldCol, t.oldRow), t.oldValue);
        }
        EXPECT_EQ(RealSum(), 3) << "exactly the old and the new segment";
        const bool vertical = t.after % 2 == 1;
        EXPECT_EQ(toy.Lit("Im_DiskV43"), vertical);
        EXPECT_EQ(toy.Lit("Im_DiskH43"), !vertical);
        EXPECT_EQ(toy.Lit(vertical ? "Im_BarV43" : "Im_BarH43"), true);
        EXPECT_FALSE(MissStarted());
    }
}

TEST_F(PlayerCycle, StraightStepsLeaveTheTrailBehind) {
    StartPlayerAlone();
    AdvanceTo(3 * 660);
    EXPECT_EQ(Screen(), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+---+---+---+===+   +   +

+===+   +   +   +   +   +

+   +   +   +   +   +   +
)");
    EXPECT_EQ(Played("Turn"), 0);
}

TEST_F(PlayerCycle, ATrailScrolledOutOfTheRealRegionIsLost) {
    StartPlayerAlone();
    f.TimerXOM1.SetEnabled(false);
    for (int i = 0; i < 8; ++i) f.TimerCycleZarqTimer();  // right, far enough to lose the start
    g.ZarqTurnRequest = 1;                                // up
    f.TimerCycleZarqTimer();
    g.ZarqTurnRequest = 7;  // left, back along a row above the trail
    f.TimerCycleZarqTimer();
    for (int i = 0; i < 3; ++i) f.TimerCycleZarqTimer();
    // Nine segments ran to the left; coming back only five are there, the columns beyond
    // the real region came back in empty.
    EXPECT_EQ(Screen(), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +===+---+---+---

+   +   +---+---+---+---+---

+   +   +   +   +   +   +
)");
    for (int c = -1; c <= 2; ++c) EXPECT_EQ(Cell(c, 2), 0) << "column " << c;
    EXPECT_FALSE(MissStarted());
}

// The player crashes when its head point is touched by a lit segment other than its own.
struct CrashCase {
    int heading;
    int col, row, value;  // one more cell lit besides the player's own segment
    bool crash;
    const char* why;
};
const CrashCase kCrashes[] = {
    {1, 3, 4, 2, true, "up: a horizontal segment arriving from the left"},
    {1, 3, 4, 1, false, "up: a vertical segment beside the head"},
    {1, 4, 4, 1, true, "up: a vertical segment leaving the head"},
    {1, 4, 4, 2, true, "up: even a horizontal segment leaving it to the right"},
    {2, 5, 2, 1, true, "right: a vertical segment arriving from below"},
    {2, 5, 2, 2, false, "right: a horizontal segment below"},
    {2, 5, 3, 2, true, "right: a horizontal segment leaving the head"},
    {3, 3, 3, 2, true, "down: a horizontal segment arriving from the left"},
    {3, 3, 3, 1, false, "down: a vertical segment beside the head"},
    {3, 4, 2, 1, true, "down: a vertical segment leaving the head downwards"},
    {3, 4, 3, 3, true, "down: the horizontal segment of the head's own point"},
    {4, 4, 3, 3, true, "left: the vertical segment of the head's own point"},
    {4, 3, 3, 2, true, "left: a horizontal segment arriving from the left"},
    {4, 4, 2, 3, true, "left: a vertical segment leaving the head downwards"},
    {4, 5, 3, 2, false, "left: a horizontal segment beyond the tail"},
};

TEST_F(PlayerCycle, CrashRulesForEachHeading) {
    for (const CrashCase& k : kCrashes) {
        SCOPED_TRACE(k.why);
        StartGame1();
        EmptyLabyrinth();
        Cell(4, 3) = k.heading % 2 == 1 ? 1 : 2;
        Cell(k.col, k.row) = k.value;
        g.ZarqDirection = k.heading;
        f.VerificaCollisioneCycleZarq();
        EXPECT_EQ(MissStarted(), k.crash);
        EXPECT_EQ(g.PlayEnabled, !k.crash);
        EXPECT_EQ(f.TimerCycleZarq.Enabled(), !k.crash);
        EXPECT_EQ(f.TimerCycleKrev.Enabled(), !k.crash);
    }
}

TEST_F(PlayerCycle, FivePointsComeWithTheSixthStepThenEveryFifth) {
    StartPlayerAlone();
    const int stepsAt[] = {5, 6, 10, 11, 15, 16};
    const int scoreAt[] = {0, 5, 5, 10, 10, 15};
    for (int i = 0; i < 6; ++i) {
        AdvanceTo(stepsAt[i] * 660);
        EXPECT_EQ(g.Score, scoreAt[i]) << "after step " << stepsAt[i];
    }
    EXPECT_EQ(toy.ScoreShown(), "__15");
    EXPECT_FALSE(MissStarted());
}

}  // namespace
}  // namespace zarq::test
