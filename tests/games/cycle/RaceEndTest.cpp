// The end of a race: the win and miss sequences on the clock, the intermission, the next race,
// and the two ways out of game 1 (the duel after the third win, game over after the last life).
#include "tests/games/cycle/RaceFixture.h"

namespace zarq::test {
namespace {

class RaceEnd : public Race {
  protected:
    Millis crash = 0;

    // The opponent starts boxed in behind the player's start and crashes at its first step.
    void OpponentCrashesAtOnce() {
        StartGame1();
        PlaceOpponent(2, 2, 2);
        Cell(2, 2) = 2;
        Cell(3, 1) = 2;
        Cell(3, 3) = 1;  // and the start segment at (4, 2) lies ahead of it
        f.MostraLabir();
        AdvanceTo(560);
        ASSERT_TRUE(WinStarted());
        crash = toy.Now();
    }
    // The opponent cuts across the player's line and the player runs into it.
    void PlayerCrashesIntoThePursuer() {
        StartGame1();
        AdvanceTo(3960);
        ASSERT_TRUE(MissStarted());
        crash = toy.Now();
    }
    void AdvanceFromCrash(Millis ms) { toy.Advance(crash + ms - toy.Now()); }
    // The time of step s of either sequence, from the crash.
    static Millis StepAt(int s) {
        if (s == 1) return 100;
        if (s <= 22) return 1350 + 200 * (s - 2);
        return s == 23 ? 7350 : 8950;
    }
    std::vector<PortWrite> WritesAt(Millis at) const {
        std::vector<PortWrite> out;
        for (const PortWrite& w : toy.Ports.Writes) {
            if (w.At == at) out.push_back(w);
        }
        return out;
    }
    std::vector<std::string> EnabledTimers() {
        std::vector<std::string> out;
        for (TTimer* t : f.Timers()) {
            if (t->Enabled()) out.push_back(t->Name());
        }
        return out;
    }
    static std::vector<PortWrite> Hum(Millis at, unsigned hz) {
        const unsigned divisor = 1193280 / hz;
        return {{at, 0x43, 0xB6},
                {at, 0x42, static_cast<std::uint8_t>(divisor & 0xFF)},
                {at, 0x42, static_cast<std::uint8_t>(divisor >> 8)},
                {at, 0x61, 0x03}};
    }
};

const char* const kStartPicture = R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +===+   +   +

+   +   +   +===+   +   +

+   +   +   +   +   +   +
)";

TEST_F(RaceEnd, TheWinSequenceFromCrashToTheNextRace) {
    OpponentCrashesAtOnce();
    const std::string crashed = Screen();
    EXPECT_EQ(EnabledTimers(), std::vector<std::string>{"TimerWinCycleZarq"});
    EXPECT_FALSE(g.PlayEnabled);
    EXPECT_EQ(toy.Sound.Calls.back().Call, "Stop");
    EXPECT_EQ(WritesAt(crash), (std::vector<PortWrite>{{crash, 0x61, 0x00}})) << "the hum stops";

    AdvanceFromCrash(99);
    EXPECT_EQ(Played("Win"), 0);
    AdvanceFromCrash(100);
    EXPECT_EQ(toy.Sound.Played().back(), "Win@" + std::to_string(crash + 100));

    AdvanceFromCrash(1349);
    EXPECT_EQ(g.Score, 0);
    for (int s = 2; s <= 21; ++s) {
        AdvanceFromCrash(StepAt(s));
        EXPECT_EQ(toy.Lit("Im_DiskH32"), s % 2 == 1) << "step " << s;
        EXPECT_EQ(toy.Lit("Im_BarH32"), s % 2 == 1) << "step " << s;
        EXPECT_EQ(g.Score, 100);
    }
    EXPECT_EQ(toy.ScoreShown(), "_100");
    EXPECT_EQ(Screen(), crashed) << "nothing moved while it blinked";

    AdvanceFromCrash(5349);
    EXPECT_EQ(g.KrevLives, 4);
    AdvanceFromCrash(5350);
    EXPECT_EQ(g.KrevLives, 3);
    EXPECT_EQ(g.CycleKrevLives, 2);
    // The intermission: the opponent's remaining cycles, both sides' lives, boss and score.
    EXPECT_EQ(Screen(), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +   +   +===+===
)");
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(toy.Lit("Im_Zarq" + std::to_string(i)), i <= 4);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(toy.Lit("Im_Krev" + std::to_string(i) + "Disk"), i <= 3);
    EXPECT_TRUE(toy.Lit("Im_XomTop"));
    EXPECT_TRUE(toy.Lit("Im_XomMid1B"));
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));
    EXPECT_EQ(toy.ScoreShown(), "_100");

    AdvanceFromCrash(7349);
    EXPECT_TRUE(toy.Lit("Im_Zarq1"));
    AdvanceFromCrash(7350);
    EXPECT_EQ(Screen(), kStartPicture);
    EXPECT_FALSE(toy.Lit("Im_Zarq1"));
    EXPECT_EQ(g.KrevCol, 4);

    AdvanceFromCrash(8949);
    EXPECT_EQ(EnabledTimers(), std::vector<std::string>{"TimerWinCycleZarq"});
    AdvanceFromCrash(8950);
    EXPECT_EQ(EnabledTimers(),
              (std::vector<std::string>{"TimerCycleZarq", "TimerXOM1", "TimerCycleKrev"}));
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(g.ZarqDirection, 2);
    EXPECT_EQ(g.ScoreTickCount, 0);
    EXPECT_EQ(f.TimerCycleZarq.DueTime(), crash + 8950 + 660);
    EXPECT_EQ(f.TimerCycleKrev.DueTime(), crash + 8950 + 560);
    EXPECT_EQ(f.TimerXOM1.Interval(), 230u);
    EXPECT_EQ(WritesAt(crash + 8950), Hum(crash + 8950, 20));
    EXPECT_EQ(Played("Win"), 1);
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_F(RaceEnd, TheMissSequenceFromCrashToTheNextRace) {
    PlayerCrashesIntoThePursuer();
    const std::string crashed = Screen();
    EXPECT_EQ(EnabledTimers(), std::vector<std::string>{"TimerMissCycleZarq"});
    EXPECT_EQ(g.CrashImage1, f.BarH[4][3]);
    EXPECT_EQ(g.CrashImage2, f.DiskH[4][3]);
    f.Im_BarH81->SetVisible(true);

    AdvanceFromCrash(100);
    EXPECT_EQ(toy.Sound.Played().back(), "Miss1@" + std::to_string(crash + 100));
    EXPECT_TRUE(toy.Lit("Im_BarH43"));
    for (int s = 2; s <= 21; ++s) {
        AdvanceFromCrash(StepAt(s));
        EXPECT_EQ(toy.Lit("Im_BarH43"), s % 2 == 1) << "step " << s;
        EXPECT_EQ(toy.Lit("Im_DiskH43"), s % 2 == 1) << "step " << s;
    }
    EXPECT_EQ(Screen(), crashed) << "nothing moved while it blinked";

    AdvanceFromCrash(5349);
    EXPECT_EQ(g.ZarqLives, 4);
    AdvanceFromCrash(5350);
    EXPECT_EQ(g.ZarqLives, 3);
    EXPECT_EQ(g.KrevLives, 4) << "a miss costs the opponent nothing";
    EXPECT_EQ(Screen(), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +   +===+===+===
)");
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(toy.Lit("Im_Zarq" + std::to_string(i)), i <= 3);
    EXPECT_TRUE(toy.Lit("Im_Krev4"));
    EXPECT_EQ(toy.ScoreShown(), "___5") << "the award of the sixth step";

    AdvanceFromCrash(7349);
    EXPECT_TRUE(toy.Lit("Im_BarH81"));
    AdvanceFromCrash(7350);
    EXPECT_FALSE(toy.Lit("Im_BarH81"));
    EXPECT_EQ(Screen(), kStartPicture);

    AdvanceFromCrash(8950);
    EXPECT_EQ(EnabledTimers(),
              (std::vector<std::string>{"TimerCycleZarq", "TimerXOM1", "TimerCycleKrev"}));
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(Played("Miss1"), 1);
    EXPECT_EQ(Played("Over"), 0);
}

TEST_F(RaceEnd, ACrashHeadingUpBlinksTheVerticalSegment) {
    StartPlayerAlone();
    toy.Press(VK_UP);
    Cell(4, 5) = 2;  // after two steps it arrives from the left at the player's head
    AdvanceTo(1320);
    ASSERT_TRUE(MissStarted());
    crash = toy.Now();
    EXPECT_EQ(g.CrashImage1, f.BarV[4][3]);
    EXPECT_EQ(g.CrashImage2, f.DiskV[4][3]);
    AdvanceFromCrash(StepAt(2));
    EXPECT_FALSE(toy.Lit("Im_BarV43"));
    EXPECT_FALSE(toy.Lit("Im_DiskV43"));
    AdvanceFromCrash(StepAt(3));
    EXPECT_TRUE(toy.Lit("Im_BarV43"));
    EXPECT_TRUE(toy.Lit("Im_DiskV43"));
}

TEST_F(RaceEnd, TheThirdWinHandsOverToTheDuel) {
    OpponentCrashesAtOnce();
    g.KrevLives = 2;
    g.CycleKrevLives = 1;
    const std::string crashed = Screen();
    AdvanceFromCrash(5349);
    EXPECT_FALSE(f.TimerAvvioGioco2.Enabled());
    AdvanceFromCrash(5350);
    EXPECT_EQ(g.KrevLives, 1);
    EXPECT_EQ(g.CycleKrevLives, 0);
    EXPECT_EQ(EnabledTimers(), std::vector<std::string>{"TimerAvvioGioco2"});
    EXPECT_EQ(g.AvvioGioco2Step, 1);
    EXPECT_EQ(f.TimerAvvioGioco2.Interval(), 320u);
    EXPECT_EQ(f.TimerAvvioGioco2.DueTime(), crash + 5350 + 320);
    EXPECT_EQ(Screen(), crashed) << "no intermission";
    EXPECT_FALSE(toy.Lit("Im_Zarq1"));
    EXPECT_EQ(g.Score, 100);
}

TEST_F(RaceEnd, TheLastLifeLeadsToGameOver) {
    PlayerCrashesIntoThePursuer();
    g.ZarqLives = 1;
    const std::string crashed = Screen();
    AdvanceFromCrash(5349);
    EXPECT_FALSE(f.TimerOver.Enabled());
    AdvanceFromCrash(5350);
    EXPECT_EQ(g.ZarqLives, 0);
    EXPECT_EQ(toy.Sound.Played().back(), "Over@" + std::to_string(crash + 5350));
    EXPECT_EQ(EnabledTimers(), std::vector<std::string>{"TimerOver"});
    EXPECT_EQ(f.TimerOver.DueTime(), crash + 5350 + 4000);
    EXPECT_EQ(Screen(), crashed) << "no intermission";
    EXPECT_FALSE(g.PlayEnabled);
}

TEST_F(RaceEnd, WithTheSpeedButtonHeldTheNextRaceStartsFast) {
    PlayerCrashesIntoThePursuer();
    AdvanceFromCrash(1000);
    toy.Press(VK_CONTROL);
    AdvanceFromCrash(8950);
    EXPECT_EQ(f.TimerCycleZarq.Interval(), 480u);
    EXPECT_EQ(f.TimerCycleZarq.DueTime(), crash + 8950 + 480);
    EXPECT_EQ(f.TimerCycleKrev.Interval(), 560u);
    EXPECT_EQ(WritesAt(crash + 8950), Hum(crash + 8950, 38));
}

TEST_F(RaceEnd, TheOpponentCrashingOffTheDisplayBlinksNothing) {
    StartGame1();
    PlaceOpponent(-1, 6, 2);
    Cell(-1, 6) = 2;
    Cell(1, 6) = 2;  // ahead
    Cell(0, 5) = 2;  // below
    Cell(0, 7) = 1;  // above
    AdvanceTo(560);
    ASSERT_TRUE(WinStarted());
    crash = toy.Now();
    const std::string crashed = Screen();
    for (int s = 1; s <= 21; ++s) {
        AdvanceFromCrash(StepAt(s));
        EXPECT_EQ(Screen(), crashed) << "step " << s;
    }
    EXPECT_EQ(g.Score, 100);
    AdvanceFromCrash(5350);
    EXPECT_EQ(g.KrevLives, 3);
}

TEST_F(RaceEnd, FromSwitchingOnToTheFirstCrashAndOn) {
    toy.SwitchOn();
    raceStart = 12490;  // the power-on sequence starts the first race here
    AdvanceTo(0);
    EXPECT_EQ(Screen(), kStartPicture);
    EXPECT_TRUE(g.PlayEnabled);
    AdvanceTo(560);
    EXPECT_EQ(g.KrevCol, 5) << "the opponent's first move";
    // Left alone, the player is cut off by the pursuing opponent.
    AdvanceTo(3960);
    ASSERT_TRUE(MissStarted());
    crash = toy.Now();
    AdvanceFromCrash(8950);
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(g.ZarqLives, 3);
    EXPECT_EQ(Screen(), kStartPicture);
    EXPECT_EQ(f.TableFaults(), 0);
}

}  // namespace
}  // namespace zarq::test
