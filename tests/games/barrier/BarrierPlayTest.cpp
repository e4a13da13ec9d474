// Game 3 in play: the start sequence after the won duel, the throw's path, the barrier knocked
// open, turning, shut again and pierced, the fire button's one throw per press, and the clock.
#include "tests/games/barrier/StageFixture.h"

namespace zarq::test {
namespace {

using Play = Stage;

// The start sequence's steps from the hand-over: 320, 1070, then every 320 ms from 1570.
Millis StartStepAt(int s) {
    if (s == 1) return 320;
    if (s == 2) return 1070;
    if (s <= 21) return 1570 + 320 * (s - 3);
    return s == 22 ? 8330 : s == 23 ? 10330 : 11330;
}

TEST_F(Play, TheStartSequenceFromTheWonDuelToPlay) {
    WinDuel(/*segments=*/2, /*level=*/1, /*lives=*/3, /*score=*/500);
    auto at = [&](int s) { return handOver + StartStepAt(s); };

    AdvanceTo(at(1) - 1);
    EXPECT_TRUE(toy.Sound.Played().empty());
    EXPECT_EQ(toy.ScoreShown(), "_500");
    AdvanceTo(at(1));
    EXPECT_EQ(toy.ScoreShown(), "_720") << "the duel is worth 220 with the Win sample";
    EXPECT_TRUE(toy.Lit("Im_Krev1")) << "the beaten opponent still stands";

    AdvanceTo(at(2) - 1);
    EXPECT_TRUE(toy.Lit("Im_Krev1"));
    AdvanceTo(at(2));
    EXPECT_FALSE(toy.Lit("Im_Krev1"));
    EXPECT_FALSE(toy.Lit("Im_Krev1Hand"));

    // The wipe's first line (step 7) lights row 5's verticals; the leftovers go with their rows.
    AdvanceTo(at(7));
    for (int c = 1; c <= 7; ++c) EXPECT_TRUE(f.BarV[c][5]->Visible()) << c;
    AdvanceTo(at(9) - 1);
    EXPECT_TRUE(toy.Lit("Im_DiskV24"));
    AdvanceTo(at(9));
    EXPECT_FALSE(toy.Lit("Im_DiskV24"));
    AdvanceTo(at(17) - 1);
    EXPECT_GT(LitGridElements(), 0);
    AdvanceTo(at(17));
    EXPECT_EQ(LitGridElements(), 0);
    EXPECT_EQ(TimeBars(), "#...") << "the wipe leaves the outermost bar alone";

    AdvanceTo(at(22) - 1);
    std::vector<std::string> expected{"Win@320"};
    for (int s = 3; s <= 20; ++s) expected.push_back("Beep@" + std::to_string(StartStepAt(s)));
    EXPECT_EQ(toy.Sound.Played(), expected);
    EXPECT_FALSE(toy.Lit("Im_Zarq1"));
    EXPECT_TRUE(toy.Lit("Im_Zarq3Hand")) << "the duel's figure until the lives show";
    AdvanceTo(at(22));
    EXPECT_TRUE(toy.Lit("Im_Zarq1") && toy.Lit("Im_Zarq2") && toy.Lit("Im_Zarq3"));
    EXPECT_FALSE(toy.Lit("Im_Zarq4"));
    EXPECT_EQ(Barrier(), "####");
    EXPECT_TRUE(toy.Lit("Im_XomTop"));
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));
    EXPECT_EQ(TimeBars(), "....");
    EXPECT_EQ(toy.ScoreShown(), "_720");

    AdvanceTo(at(23));
    EXPECT_FALSE(toy.Lit("Im_Zarq1"));
    EXPECT_FALSE(toy.Lit("Im_Zarq3"));
    EXPECT_TRUE(toy.Lit("Im_Zarq2"));
    EXPECT_TRUE(toy.Lit("Im_Zarq2Disk"));
    EXPECT_FALSE(toy.Lit("Im_Zarq2Hand"));
    EXPECT_EQ(TimeBars(), "##..") << "as many segments as duel lives were left";
    Throw();
    EXPECT_FALSE(toy.Lit("Im_DiskH12")) << "no throw before play begins";

    AdvanceTo(at(24) - 1);
    EXPECT_EQ(g.CurrentGame, 2);
    EXPECT_FALSE(g.PlayEnabled);
    AdvanceTo(at(24));
    EXPECT_EQ(g.CurrentGame, 3);
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_FALSE(g.BarrierOpen);
    EXPECT_EQ(EnabledTimers(), (std::vector<std::string>{"TimerXOM1", "TimerTempoGioco3"}));
    EXPECT_EQ(f.TimerTempoGioco3.Interval(), 200u);
    EXPECT_EQ(f.TimerXOM2.Interval(), 180u);
    EXPECT_EQ(f.TimerXOM1.Interval(), g.SpeedTable[1][Xom1]);
    EXPECT_EQ(toy.Sound.Played().size(), 19u) << "play begins silently";
}

TEST_F(Play, TheLevelSetsTheGapAndTheClockAtTheLastStep) {
    StartPlay(4, /*level=*/6);
    EXPECT_EQ(f.TimerXOM2.Interval(), 80u);
    EXPECT_EQ(f.TimerTempoGioco3.Interval(), 100u);
    EXPECT_EQ(f.TimerXOM1.Interval(), g.SpeedTable[6][Xom1]);
}

TEST_F(Play, TheFirstThrowKnocksThePieceInLineOutAndTheGapStartsTurning) {
    StartPlay();
    AdvanceTo(playFrom + 100);
    const Millis t = toy.Now();
    Throw();
    EXPECT_EQ(PlayedSince(t), std::vector<std::string>{"Disc@" + std::to_string(t)});
    EXPECT_TRUE(toy.Lit("Im_DiskH12"));
    EXPECT_TRUE(toy.Lit("Im_Zarq2Hand"));
    EXPECT_FALSE(toy.Lit("Im_Zarq2Disk"));

    for (int k = 1; k <= 6; ++k) {
        AdvanceTo(t + 110 * k - 1);
        EXPECT_TRUE(f.DiskH[k][2]->Visible()) << k;
        AdvanceTo(t + 110 * k);
        EXPECT_FALSE(f.DiskH[k][2]->Visible()) << k;
        EXPECT_TRUE(f.DiskH[k + 1][2]->Visible()) << k;
        EXPECT_EQ(LitDiscs(), 1);
    }
    EXPECT_EQ(Barrier(), "####");
    AdvanceTo(t + kFlight);
    EXPECT_EQ(LitDiscs(), 0);
    EXPECT_TRUE(toy.Lit("Im_Krev2Disk"));
    EXPECT_EQ(Barrier(), "##.#");
    EXPECT_EQ(Played("Disc"), 2);

    // The rebound spins back up to the left, one dash per 110 ms.
    const char* path[] = {"Im_DiskH73", "Im_DiskV73", "Im_DiskH64",
                          "Im_DiskV64", "Im_DiskH55", "Im_DiskV55"};
    for (int k = 0; k < 6; ++k) {
        AdvanceTo(t + kFlight + 110 * (k + 1));
        EXPECT_TRUE(toy.Lit(path[k])) << k;
        EXPECT_EQ(LitDiscs(), 1) << k;
        EXPECT_FALSE(toy.Lit("Im_Krev2Disk"));
        EXPECT_FALSE(g.PlayEnabled);
    }
    AdvanceTo(t + kFlight + kRebound - 1);
    EXPECT_FALSE(toy.Lit("Im_Zarq2Disk"));
    EXPECT_FALSE(f.TimerXOM2.Enabled());
    AdvanceTo(t + kFlight + kRebound);
    EXPECT_EQ(LitDiscs(), 0);
    EXPECT_TRUE(toy.Lit("Im_Zarq2Disk"));
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_TRUE(g.BarrierOpen);

    // The gap holds at piece 3 for the first turn, then runs 4, 1, 2, 3 at 180 ms a piece.
    const Millis open = toy.Now();
    const char* gaps[] = {"##.#", "###.", ".###", "#.##", "##.#", "###."};
    for (int k = 0; k < 6; ++k) {
        AdvanceTo(open + 180 * (k + 1));
        EXPECT_EQ(Barrier(), gaps[k]) << k;
    }
}

TEST_F(Play, TheClockPausesFromTheArrivalToTheEndOfTheRebound) {
    StartPlay();
    AdvanceTo(playFrom + 100);
    Throw();
    AdvanceTo(playFrom + 870);
    EXPECT_EQ(g.Game3Time, 5);
    AdvanceTo(playFrom + 1839);
    EXPECT_EQ(g.Game3Time, 5) << "no tick during the rebound";
    AdvanceTo(playFrom + 1840);
    EXPECT_EQ(g.Game3Time, 6) << "a fresh period from the end of the rebound";
}

class OpenBarrier : public Stage {
  protected:
    Millis opened = 0;  // the gap's first period begins
    void SetUp() override {
        StartPlay();
        AdvanceTo(playFrom + 100);
        Throw();
        AdvanceTo(playFrom + 100 + kFlight + kRebound);
        opened = toy.Now();
    }
};

TEST_F(OpenBarrier, ADiscMeetingALitPieceShutsTheBarrierWhichThenStandsStill) {
    AdvanceTo(opened + 60);
    const Millis t = toy.Now();
    Throw();
    AdvanceTo(t + kFlight - 1);
    EXPECT_EQ(Barrier(), "#.##");
    AdvanceTo(t + kFlight);
    EXPECT_TRUE(toy.Lit("Im_Krev2Disk"));
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));
    EXPECT_EQ(Played("Disc"), 4);
    AdvanceTo(t + kFlight + kRebound - 1);
    EXPECT_EQ(Barrier(), "#.##") << "the gap froze at the arrival";
    EXPECT_FALSE(g.PlayEnabled);
    AdvanceTo(t + kFlight + kRebound);
    EXPECT_EQ(Barrier(), "####");
    EXPECT_FALSE(g.BarrierOpen);
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_TRUE(toy.Lit("Im_Zarq2Disk"));
    EXPECT_TRUE(f.TimerTempoGioco3.Enabled());
    AdvanceTo(t + kFlight + kRebound + 2000);
    EXPECT_EQ(Barrier(), "####");

    const Millis again = toy.Now();
    Throw();
    AdvanceTo(again + kFlight);
    EXPECT_EQ(Barrier(), "##.#") << "the next throw knocks piece 3 out again";
    EXPECT_TRUE(toy.Lit("Im_Krev2Disk"));
}

TEST_F(OpenBarrier, ADiscThroughTheGapLodgesInTheBoss) {
    // Thrown 770 ms before the gap's second stay at piece 3 ends.
    AdvanceTo(opened + 190);
    const Millis t = toy.Now();
    Throw();
    AdvanceTo(t + kFlight - 1);
    EXPECT_EQ(Barrier(), "##.#");
    AdvanceTo(t + kFlight);
    EXPECT_TRUE(toy.Lit("Im_DiskH82"));
    EXPECT_FALSE(toy.Lit("Im_Krev2Disk"));
    EXPECT_EQ(LitDiscs(), 0);
    EXPECT_EQ(PlayedSince(t + kFlight),
              std::vector<std::string>{"End@" + std::to_string(t + kFlight)});
    EXPECT_EQ(EnabledTimers(), std::vector<std::string>{"TimerVittoria"});
    EXPECT_EQ(f.TimerVittoria.Interval(), 3500u);
    EXPECT_FALSE(g.PlayEnabled);
    EXPECT_FALSE(toy.Lit("Im_Zarq2Disk")) << "no new disc after a hit";
    Throw();
    toy.Advance(1000);
    EXPECT_EQ(Played("Disc"), 3) << "the opening throw, its knock, the hit; then nothing";
    EXPECT_EQ(Barrier(), "##.#");
}

TEST_F(OpenBarrier, ADiscArrivingWithTheGapStepTakesTheBarrierAsItWasBefore) {
    // The arrival and the gap's step fall due together; the disc comes first and stops the gap.
    AdvanceTo(opened + 1080 - kFlight);  // arrives as the gap would leave piece 3
    Throw();
    toy.Advance(kFlight);
    EXPECT_TRUE(toy.Lit("Im_DiskH82"));
    EXPECT_EQ(Barrier(), "##.#");
}

TEST_F(Play, OneThrowPerPressOfTheFireButton) {
    StartPlay();
    AdvanceTo(playFrom + 100);
    toy.Press(VK_CONTROL);
    for (int k = 0; k < 40; ++k) {  // the key's automatic repeat while it is held
        toy.Advance(50);
        toy.Press(VK_CONTROL);
    }
    EXPECT_TRUE(g.PlayEnabled) << "the rebound is over";
    EXPECT_EQ(Played("Disc"), 2) << "the throw and its arrival, nothing more";
    EXPECT_TRUE(toy.Lit("Im_Zarq2Disk"));

    for (int key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}) toy.Press(key);
    EXPECT_TRUE(toy.Lit("Im_Zarq2Disk")) << "the arrows neither move nor throw";
    EXPECT_EQ(g.ZarqRow, 2);

    toy.Release(VK_CONTROL);
    toy.Press(VK_CONTROL);
    EXPECT_EQ(Played("Disc"), 3);
    EXPECT_TRUE(toy.Lit("Im_DiskH12"));
    toy.Release(VK_CONTROL);
    toy.Advance(300);
    toy.Press(VK_CONTROL);
    toy.Release(VK_CONTROL);
    EXPECT_EQ(Played("Disc"), 3) << "no second disc while one flies";
}

TEST_F(Play, EachSegmentStaysLitBlinksFourTimesAndGoes) {
    StartPlay(/*segments=*/2);
    auto tick = [&](int k) { return playFrom + 200 * k; };
    AdvanceTo(tick(26));
    EXPECT_EQ(TimeBars(), "##..");
    for (int k = 27; k <= 34; ++k) {
        AdvanceTo(tick(k));
        EXPECT_EQ(TimeBars(), k % 2 == 1 ? "#..." : "##..") << k;
    }
    AdvanceTo(tick(35));
    EXPECT_EQ(TimeBars(), "#...");
    EXPECT_EQ(g.DiscZarqLives, 1);
    EXPECT_TRUE(g.PlayEnabled);
    AdvanceTo(tick(35 + 26));
    EXPECT_EQ(TimeBars(), "#...");
    AdvanceTo(tick(35 + 27));
    EXPECT_EQ(TimeBars(), "....");
    AdvanceTo(tick(70) - 1);
    EXPECT_EQ(Played("Miss1"), 0);
    AdvanceTo(tick(70));
    EXPECT_EQ(g.DiscZarqLives, 0);
    EXPECT_FALSE(g.PlayEnabled);
    EXPECT_EQ(PlayedSince(tick(70)), std::vector<std::string>{"Miss1@" + std::to_string(tick(70))});
    EXPECT_EQ(EnabledTimers(), std::vector<std::string>{"TimerMissGame3"});
}

}  // namespace
}  // namespace zarq::test
