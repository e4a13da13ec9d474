// Keys and mouse on the panel: the turn codes of game 1, moves and throws of games 2 and 3,
// the speed button, and dragging the window.
#include <gtest/gtest.h>

#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

class Keys : public ::testing::Test {
  protected:
    Keys() { toy.SoundOn(); }
    Toy toy;
    TForm1& f = toy.F();
    TGameState& g = toy.G();

    void InGame(int game) {
        g.PowerOn = true;
        g.GameStarted = true;
        g.CurrentGame = game;
        g.PlayEnabled = true;
    }
    int Plays(const std::string& sample) {
        int n = 0;
        for (const SoundCall& c : toy.Sound.Calls) n += c.Call == "Play" && c.Sample == sample;
        return n;
    }
};

TEST_F(Keys, AnArrowAtRightAnglesStoresItsTurnCode) {
    InGame(1);
    struct Case {
        int heading, key, code;
    };
    const Case cases[] = {{2, VK_UP, 1},   {4, VK_UP, 2},   {1, VK_RIGHT, 3}, {3, VK_RIGHT, 4},
                          {2, VK_DOWN, 5}, {4, VK_DOWN, 6}, {1, VK_LEFT, 7},  {3, VK_LEFT, 8}};
    for (const Case& c : cases) {
        g.ZarqDirection = c.heading;
        g.ZarqTurnRequest = 0;
        toy.Press(c.key);
        EXPECT_EQ(g.ZarqTurnRequest, c.code) << "heading " << c.heading << " key " << c.key;
    }
}

TEST_F(Keys, ArrowsAlongTheHeadingChangeNothingAndTheLaterKeyWins) {
    InGame(1);
    g.ZarqDirection = 2;
    toy.Press(VK_RIGHT);
    toy.Press(VK_LEFT);
    EXPECT_EQ(g.ZarqTurnRequest, 0);
    toy.Press(VK_UP);
    toy.Press(VK_DOWN);
    EXPECT_EQ(g.ZarqTurnRequest, 5);
    toy.Press(VK_LEFT);  // a request already stored stays
    EXPECT_EQ(g.ZarqTurnRequest, 5);
}

TEST_F(Keys, NothingButTheSpeedButtonPictureWhileTheToyIsOff) {
    g.ZarqDirection = 2;
    toy.Press(VK_UP);
    EXPECT_EQ(g.ZarqTurnRequest, 0);
    toy.Press(VK_CONTROL);
    EXPECT_FALSE(toy.Lit("Puls_Speed"));
    EXPECT_TRUE(g.SpeedButtonDown);
    EXPECT_EQ(g.EngineTone, 38u);
    EXPECT_EQ(f.TimerCycleZarq.Interval(), 480u);
    EXPECT_FALSE(f.TimerCycleZarq.Enabled());
    EXPECT_FALSE(f.TimerAvvio.Enabled());
    toy.Release(VK_CONTROL);
    EXPECT_TRUE(toy.Lit("Puls_Speed"));
    EXPECT_EQ(g.EngineTone, 20u);
    EXPECT_EQ(toy.Sound.Calls.size(), 11u);  // only the start-up: init, output, nine loads
    EXPECT_TRUE(toy.Ports.Writes.empty());
}

TEST_F(Keys, HoldingCtrlInGameOneSetsTheFastPaceOnce) {
    InGame(1);
    f.TimerCycleZarq.SetInterval(660);
    f.TimerCycleZarq.SetEnabled(true);
    toy.Advance(400);
    toy.Press(VK_CONTROL);
    EXPECT_EQ(toy.Ports.Writes.size(), 4u);
    EXPECT_EQ(f.TimerCycleZarq.DueTime(), 880);  // a fresh period at the new interval
    toy.Advance(100);
    toy.Press(VK_CONTROL);  // repeat
    toy.Press(VK_CONTROL);
    EXPECT_EQ(toy.Ports.Writes.size(), 4u);
    EXPECT_EQ(f.TimerCycleZarq.DueTime(), 880);
    toy.Release(VK_CONTROL);
    EXPECT_EQ(f.TimerCycleZarq.Interval(), 660u);
    EXPECT_EQ(toy.Ports.Writes.size(), 8u);
}

TEST_F(Keys, ReleasingCtrlOutsideGameOnePlayLeavesTheIntervalFast) {
    InGame(2);
    toy.Press(VK_CONTROL);
    toy.Release(VK_CONTROL);
    EXPECT_EQ(f.TimerCycleZarq.Interval(), 480u);
    EXPECT_TRUE(toy.Ports.Writes.empty());
}

TEST_F(Keys, DuelMovesOneStepPerPressWithinItsFourPositions) {
    InGame(2);
    g.ZarqRow = 3;
    g.ZarqHasDisc = true;
    f.MostraZarq(true);
    toy.Press(VK_UP);
    EXPECT_EQ(g.ZarqRow, 4);
    EXPECT_TRUE(toy.Lit("Im_Zarq4"));
    EXPECT_TRUE(toy.Lit("Im_Zarq4Disk"));
    EXPECT_FALSE(toy.Lit("Im_Zarq3"));
    EXPECT_TRUE(g.MoveLocked);
    EXPECT_TRUE(f.TimerMoveZarq.Enabled());
    toy.Release(VK_UP);
    f.TimerMoveZarq.SetEnabled(false);
    toy.Press(VK_UP);  // already at the top
    EXPECT_EQ(g.ZarqRow, 4);
    EXPECT_FALSE(g.MoveLocked);
    toy.Press(VK_DOWN);
    toy.Press(VK_DOWN);  // locked until a key-up or the move timer
    EXPECT_EQ(g.ZarqRow, 3);
    toy.Release(VK_DOWN);
    toy.Press(VK_DOWN);
    toy.Release(VK_DOWN);
    toy.Press(VK_DOWN);
    toy.Release(VK_DOWN);
    toy.Press(VK_DOWN);
    EXPECT_EQ(g.ZarqRow, 1);
    EXPECT_EQ(Plays("Disc"), 0);
}

TEST_F(Keys, ADuelThrowLeavesFromThePlayersRow) {
    InGame(2);
    g.ZarqRow = 2;
    g.ZarqHasDisc = true;
    g.MoveLocked = true;  // not consulted by the throw
    toy.Press(VK_CONTROL);
    EXPECT_FALSE(g.ZarqHasDisc);
    EXPECT_TRUE(toy.Lit("Im_DiskH12"));
    EXPECT_TRUE(toy.Lit("Im_Zarq2Hand"));
    EXPECT_EQ(g.DiscStartRow, 2);
    EXPECT_EQ(g.ZarqDiscStep, 1);
    EXPECT_TRUE(f.TimerMuoviDiscZarq.Enabled());
    EXPECT_EQ(Plays("Disc"), 1);
    toy.Press(VK_CONTROL);  // no disc in hand: no second throw
    EXPECT_EQ(Plays("Disc"), 1);
}

TEST_F(Keys, TheBarrierStageThrowsOncePerPress) {
    InGame(3);
    g.ZarqRow = 2;
    g.ZarqHasDisc = true;
    toy.Press(VK_CONTROL);
    EXPECT_FALSE(g.PlayEnabled);
    EXPECT_TRUE(g.MoveLocked);
    EXPECT_TRUE(toy.Lit("Im_DiskH12"));
    EXPECT_EQ(g.Disc3Pos, 1);
    EXPECT_TRUE(f.TimerMuoviDiscZarq2.Enabled());
    // Play resumes while CTRL is still held: no throw until it is released and pressed again.
    g.PlayEnabled = true;
    toy.Press(VK_CONTROL);
    EXPECT_EQ(Plays("Disc"), 1);
    toy.Release(VK_CONTROL);
    toy.Press(VK_CONTROL);
    EXPECT_EQ(Plays("Disc"), 2);
    toy.Press(VK_UP);
    EXPECT_EQ(g.ZarqRow, 2);
}

TEST(Dragging, TheWindowFollowsThePointerFromThePress) {
    Toy toy;
    toy.Window.Pos = {100, 50};
    toy.F().Im_BaseMouseDown(TMouseButton::mbLeft, 30, 40);
    toy.F().Im_BaseMouseMove(true, 35, 38);
    EXPECT_EQ(toy.Window.Pos, (TPoint{105, 48}));
    toy.F().Im_BaseMouseMove(true, 35, 38);  // the control moved with the window
    EXPECT_EQ(toy.Window.Pos, (TPoint{110, 46}));
    toy.F().Im_BaseMouseDown(TMouseButton::mbRight, 10, 10);
    toy.F().Im_BaseMouseMove(false, 80, 80);
    EXPECT_EQ(toy.Window.Pos, (TPoint{110, 46}));
}

}  // namespace
}  // namespace zarq::test
