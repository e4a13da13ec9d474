// The power-on sequence, the game-over display and the boss animation, on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

class PowerOn : public ::testing::Test {
  protected:
    PowerOn() { toy.SoundOn(); }
    Toy toy;
    TForm1& f = toy.F();
    TGameState& g = toy.G();

    // Which half-row of bars is lit: "V5" for the vertical bars of row 5, "" for none.
    std::string LineShown() {
        std::string out;
        for (int r = 5; r >= 1; --r) {
            int v = 0, h = 0;
            for (int c = 1; c <= 7; ++c) {
                v += f.BarV[c][r]->Visible();
                h += f.BarH[c][r]->Visible();
            }
            if (v == 7) out += "V" + std::to_string(r);
            if (h == 7) out += "H" + std::to_string(r);
            if ((v != 0 && v != 7) || (h != 0 && h != 7)) out += "?";
        }
        return out;
    }
    std::vector<Millis> PlaysOf(const std::string& sample) {
        std::vector<Millis> at;
        for (const SoundCall& c : toy.Sound.Calls) {
            if (c.Call == "Play" && c.Sample == sample) at.push_back(c.At);
        }
        return at;
    }
    std::vector<PortWrite> WritesFrom(size_t first) {
        return {toy.Ports.Writes.begin() + static_cast<long>(first), toy.Ports.Writes.end()};
    }
};

TEST_F(PowerOn, BeepsEvery320MsWithALineSweepingDown) {
    toy.SwitchOn();
    EXPECT_TRUE(toy.Lit("Puls_On"));
    EXPECT_FALSE(toy.Lit("Puls_Off"));
    const std::vector<std::string> line = {"",   "",   "",   "",   "V5", "H5", "V4", "H4", "V3",
                                           "H3", "V2", "H2", "V1", "H1", "",   "",   "",   ""};
    toy.Advance(319);
    EXPECT_TRUE(PlaysOf("Beep").empty());
    for (int s = 1; s <= 18; ++s) {
        toy.Advance(s == 1 ? 1 : 320);
        EXPECT_EQ(LineShown(), line[static_cast<size_t>(s - 1)]) << "step " << s;
    }
    std::vector<Millis> expected;
    for (int s = 1; s <= 18; ++s) expected.push_back(320 * s);
    EXPECT_EQ(PlaysOf("Beep"), expected);
}

TEST_F(PowerOn, TheStartTuneLivesScoreAndFirstRaceFollowOnTime) {
    toy.SwitchOn();
    toy.Advance(6079);
    EXPECT_TRUE(PlaysOf("Start").empty());
    toy.Advance(1);
    EXPECT_EQ(PlaysOf("Start"), std::vector<Millis>{6080});

    toy.Advance(8889 - 6080);
    EXPECT_FALSE(toy.Lit("Im_Zarq1"));
    toy.Advance(1);  // 8890: lives, boss and score
    for (int i = 1; i <= 4; ++i) {
        EXPECT_TRUE(f.ZarqFigure[i].Body->Visible());
        EXPECT_TRUE(f.KrevFigure[i].Body->Visible());
    }
    EXPECT_FALSE(toy.Lit("Im_Zarq5"));
    EXPECT_TRUE(toy.Lit("Im_XomTop"));
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));
    EXPECT_EQ(toy.ScoreShown(), "___0");
    EXPECT_EQ(g.ZarqLives, 4);
    EXPECT_EQ(g.CycleKrevLives, 3);

    toy.Advance(12489 - 8890);
    EXPECT_FALSE(f.TimerCycleZarq.Enabled());
    EXPECT_EQ(g.CurrentGame, 0);
    toy.Advance(1);  // 12490: the first race
    EXPECT_EQ(g.CurrentGame, 1);
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(g.ZarqDirection, 2);
    EXPECT_TRUE(f.TimerCycleZarq.Enabled());
    EXPECT_EQ(f.TimerCycleZarq.Interval(), 660u);
    EXPECT_EQ(f.TimerCycleKrev.Interval(), 560u);
    EXPECT_EQ(f.TimerXOM1.Interval(), 230u);
    EXPECT_FALSE(f.TimerAvvio.Enabled());
    EXPECT_EQ(g.EngineTone, 20u);
    // The engine hum starts: 1193280 / 20 = 59664 = 0xE910.
    EXPECT_EQ(
        toy.Ports.Writes,
        (std::vector<PortWrite>{
            {12490, 0x43, 0xB6}, {12490, 0x42, 0x10}, {12490, 0x42, 0xE9}, {12490, 0x61, 0x03}}));
}

TEST_F(PowerOn, CtrlHeldThroughTheSequenceStartsTheRaceFast) {
    toy.SwitchOn();
    toy.Press(VK_CONTROL);
    EXPECT_FALSE(toy.Lit("Puls_Speed"));
    toy.Advance(3000);
    toy.Press(VK_CONTROL);  // automatic repeats change nothing
    toy.Advance(9490);
    EXPECT_EQ(f.TimerCycleZarq.Interval(), 480u);
    EXPECT_EQ(g.EngineTone, 38u);
    // 1193280 / 38 = 31402 = 0x7AAA.
    ASSERT_EQ(toy.Ports.Writes.size(), 4u);
    EXPECT_EQ(toy.Ports.Writes[1].Value, 0xAA);
    EXPECT_EQ(toy.Ports.Writes[2].Value, 0x7A);
    // Releasing it in play brings back the normal interval and 20 Hz.
    toy.Release(VK_CONTROL);
    EXPECT_EQ(f.TimerCycleZarq.Interval(), 660u);
    EXPECT_EQ(toy.Ports.Writes[5].Value, 0x10);
    EXPECT_TRUE(toy.Lit("Puls_Speed"));
}

TEST_F(PowerOn, SwitchingOffStopsEverythingAndOnAgainStartsAtStepOne) {
    toy.SwitchOn();
    toy.Advance(320 * 8);  // the line is at the horizontal bars of row 4
    ASSERT_EQ(LineShown(), "H4");
    const size_t callsBefore = toy.Sound.Calls.size();
    toy.SwitchOff();
    EXPECT_EQ(LineShown(), "");
    EXPECT_TRUE(toy.Lit("Puls_Off"));
    EXPECT_FALSE(g.PowerOn);
    for (TTimer* t : f.Timers()) EXPECT_FALSE(t->Enabled()) << t->Name();
    ASSERT_GT(toy.Sound.Calls.size(), callsBefore);
    EXPECT_EQ(toy.Sound.Calls.back().Call, "Stop");
    EXPECT_EQ(toy.Ports.Writes.back(), (PortWrite{toy.Now(), 0x61, 0x00}));

    toy.Advance(5000);
    const size_t beeps = PlaysOf("Beep").size();
    const Millis on = toy.Now();
    toy.SwitchOn();
    toy.Advance(320 * 5);
    EXPECT_EQ(PlaysOf("Beep").size(), beeps + 5);
    EXPECT_EQ(PlaysOf("Beep").back(), on + 1600);
    EXPECT_EQ(LineShown(), "V5");
}

TEST_F(PowerOn, ARightClickOnTheSwitchChangesNothing) {
    f.Puls_OffMouseDown(TMouseButton::mbRight, 5, 5);
    EXPECT_FALSE(g.PowerOn);
    EXPECT_TRUE(toy.Lit("Puls_Off"));
    EXPECT_FALSE(f.TimerAvvio.Enabled());
    toy.SwitchOn();
    f.Puls_OnMouseDown(TMouseButton::mbMiddle, 5, 5);
    EXPECT_TRUE(g.PowerOn);
    EXPECT_TRUE(f.TimerAvvio.Enabled());
}

class GameOver : public PowerOn {
  protected:
    // The state a lost game leaves: last life gone, Over sample played, TimerOver running.
    void LoseInGame(int game) {
        toy.SwitchOn();
        toy.Advance(12490);
        f.BloccaTimers();
        g.CurrentGame = game;
        g.ZarqLives = 0;
        g.KrevLives = 2;
        g.Score = 2150;
        f.TrasformaScore(g.Score);
        g.PlayEnabled = false;
        f.MostraTuttoBar(true);
        f.TimerOver.SetEnabled(true);
    }
};

TEST_F(GameOver, TheDisplayShowsScoreMarkersBossAndTheOpponentsLives) {
    LoseInGame(1);
    toy.Advance(3999);
    EXPECT_TRUE(toy.Lit("Im_BarV33"));
    toy.Advance(1);
    EXPECT_FALSE(toy.Lit("Im_BarV33"));
    EXPECT_EQ(toy.ScoreShown(), "_150");
    EXPECT_TRUE(toy.Lit("Im_BarH75"));  // one pass beyond 1999
    EXPECT_TRUE(toy.Lit("Im_Krev2"));
    EXPECT_FALSE(toy.Lit("Im_Krev3"));
    EXPECT_TRUE(toy.Lit("Im_XomMid"));
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));
    EXPECT_FALSE(g.GameStarted);
    EXPECT_TRUE(g.PowerOn);
    EXPECT_FALSE(f.TimerOver.Enabled());
    EXPECT_FALSE(toy.Clock.Scheduler().NextDue().has_value());
}

TEST_F(GameOver, AfterTheBarrierStageNoOpponentFiguresAreShown) {
    LoseInGame(3);
    toy.Advance(4000);
    EXPECT_FALSE(toy.Lit("Im_Krev1"));
    EXPECT_TRUE(toy.Lit("Im_XomTop"));
}

TEST_F(GameOver, CtrlRestartsOnlyOnceTheGameOverDisplayIsUp) {
    LoseInGame(1);
    toy.Advance(2000);
    toy.Press(VK_CONTROL);  // too early: the toy is still in the game
    toy.Release(VK_CONTROL);
    EXPECT_FALSE(f.TimerAvvio.Enabled());
    toy.Advance(2000);
    g.SpeedLevel = 4;
    const size_t beeps = PlaysOf("Beep").size();
    toy.Press(VK_CONTROL);
    EXPECT_TRUE(g.GameStarted);
    EXPECT_EQ(toy.ScoreShown(), "____");  // the display was cleared
    EXPECT_FALSE(toy.Lit("Im_XomTop"));
    toy.Release(VK_CONTROL);
    toy.Advance(320);
    EXPECT_EQ(PlaysOf("Beep").size(), beeps + 1);
    toy.Advance(12490 - 320);
    EXPECT_EQ(g.SpeedLevel, 1);
    EXPECT_EQ(g.Score, 0);
    EXPECT_EQ(g.ScoreWraps, 0);
    EXPECT_EQ(g.ZarqLives, 4);
    EXPECT_EQ(g.KrevLives, 4);
    EXPECT_EQ(g.CycleKrevLives, 3);
    EXPECT_EQ(toy.ScoreShown(), "___0");
    EXPECT_TRUE(f.TimerCycleZarq.Enabled());
}

TEST_F(GameOver, CtrlWhileRunningDoesNotRestart) {
    toy.SwitchOn();
    toy.Advance(5000);
    toy.Press(VK_CONTROL);
    toy.Release(VK_CONTROL);
    toy.Advance(1080);  // 6080: the sequence carried on undisturbed
    EXPECT_EQ(PlaysOf("Start"), std::vector<Millis>{6080});
}

class Boss : public ::testing::Test {
  protected:
    Toy toy;
    TForm1& f = toy.F();
    // Which stripe positions are dark, upper and lower alike ("3"), or "mixed".
    std::string DarkStripes() {
        std::string out;
        for (int i = 1; i <= 5; ++i) {
            const bool upper = f.XomImage[7 + i]->Visible(), lower = f.XomImage[12 + i]->Visible();
            if (upper != lower) return "mixed";
            if (!upper) out += std::to_string(i);
        }
        return out;
    }
};

TEST_F(Boss, TheDarkStripeMovesOnePlacePerTick) {
    f.MostraTuttoXOM(true);
    toy.G().XomPhase = 1;
    f.TimerXOM1.SetInterval(80);
    f.TimerXOM1.SetEnabled(true);
    std::vector<std::string> seen;
    for (int i = 0; i < 7; ++i) {
        toy.Advance(80);
        seen.push_back(DarkStripes());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3", "4", "5", "1", "2"}));
    EXPECT_EQ(toy.G().XomPhase, 3);
}

TEST_F(Boss, APhaseNeverSetOnlyAdvancesTheCounter) {
    f.MostraTuttoXOM(true);
    toy.G().XomPhase = 0;
    f.TimerXOM1Timer();
    EXPECT_EQ(DarkStripes(), "");
    EXPECT_EQ(toy.G().XomPhase, 1);
    f.TimerXOM1Timer();
    EXPECT_EQ(DarkStripes(), "1");
}

TEST(Activation, TheFirstActivationAloneShowsTheOptionsDialog) {
    Toy toy;
    toy.F().FormActivate();
    toy.F().FormActivate();
    toy.F().FormActivate();
    EXPECT_EQ(std::count(toy.Window.Events.begin(), toy.Window.Events.end(), "options"), 1);
    EXPECT_FALSE(toy.G().FirstActivation);
}

}  // namespace
}  // namespace zarq::test
