// The ends of game 3: the victory sequence with its bonus back into the cycle race one level
// faster, and the time-out that takes a life and restarts the stage or ends the play.
#include "tests/games/barrier/StageFixture.h"

namespace zarq::test {
namespace {

class End : public Stage {
  protected:
    Millis hit = 0;

    // The first throw opens the barrier, the second goes through the gap: it arrives in the
    // middle of a stay of the gap at piece 3, which comes at 5, 9, 13 ... gap steps after the
    // opening.
    void HitTheBoss() {
        AdvanceTo(playFrom + 100);
        Throw();
        const Millis opened = playFrom + 100 + kFlight + kRebound;
        const Millis step = g.SpeedTable[g.SpeedLevel][Xom2];
        Millis arrival = opened + 5 * step + step / 2;
        while (arrival - kFlight < opened) arrival += 4 * step;
        AdvanceTo(arrival - kFlight);
        Throw();
        toy.Advance(kFlight);
        ASSERT_TRUE(toy.Lit("Im_DiskH82"));
        hit = toy.Now();
    }
    void AdvanceFromHit(Millis ms) { AdvanceTo(hit + ms); }
    // The victory's steps from the hit.
    static Millis VictoryStepAt(int s) {
        if (s <= 20) return 3500 + 200 * (s - 1);
        if (s <= 39) return 9300 + 320 * (s - 21);
        return s == 40 ? 17060 : 18660;
    }
    std::vector<PortWrite> WritesAt(Millis at) const {
        std::vector<PortWrite> out;
        for (const PortWrite& w : toy.Ports.Writes) {
            if (w.At == at) out.push_back(w);
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

TEST_F(End, TheVictorySequenceFromTheHitToTheNextRace) {
    StartPlay(/*segments=*/1, /*level=*/1, /*lives=*/2, /*score=*/500);
    HitTheBoss();
    auto at = [&](int s) { return hit + VictoryStepAt(s); };

    AdvanceTo(at(1) - 1);
    EXPECT_TRUE(toy.Lit("Im_XomTop"));
    // Ten flashes: the rest of the boss goes on and off, the gap piece stays dark and the
    // three intact pieces and the lodged disc stay lit.
    int flashes = 0;
    for (int s = 1; s <= 19; ++s) {
        AdvanceTo(at(s));
        const bool on = s % 2 == 1;
        EXPECT_EQ(toy.Lit("Im_XomTop"), on) << s;
        EXPECT_EQ(toy.Lit("Im_XomMid3B"), on) << s;
        EXPECT_EQ(Barrier(), "##.#") << s;
        EXPECT_TRUE(toy.Lit("Im_DiskH82")) << s;
        flashes += on;
    }
    EXPECT_EQ(flashes, 10);
    EXPECT_EQ(toy.ScoreShown(), "_720");
    EXPECT_EQ(TimeBars(), "#...");

    AdvanceTo(at(20));
    EXPECT_EQ(toy.ScoreShown(), "_970") << "200 and 50 for the one segment left";
    EXPECT_EQ(Barrier(), "....");
    EXPECT_FALSE(toy.Lit("Im_XomTop"));
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));
    EXPECT_EQ(TimeBars(), "....");
    EXPECT_TRUE(toy.Lit("Im_Zarq1") && toy.Lit("Im_Zarq2"));
    EXPECT_FALSE(toy.Lit("Im_Zarq3"));

    AdvanceTo(at(21) - 1);
    EXPECT_EQ(PlayedSince(hit + 1), std::vector<std::string>{});
    AdvanceTo(at(21));
    EXPECT_FALSE(toy.Lit("Im_Zarq1"));
    EXPECT_EQ(Barrier(), "####");
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));

    AdvanceTo(at(25));
    for (int c = 1; c <= 7; ++c) EXPECT_TRUE(f.BarV[c][5]->Visible()) << c;
    EXPECT_EQ(LitGridElements(), 7);
    AdvanceTo(at(30));
    for (int c = 1; c <= 7; ++c) EXPECT_TRUE(f.BarH[c][3]->Visible()) << c;
    EXPECT_EQ(LitGridElements(), 7);
    AdvanceTo(at(35));
    EXPECT_EQ(LitGridElements(), 0);

    std::vector<std::string> beeps;
    for (int s = 21; s <= 38; ++s) beeps.push_back("Beep@" + std::to_string(at(s)));
    AdvanceTo(at(39) - 1);
    EXPECT_EQ(PlayedSince(hit + 1), beeps);
    EXPECT_FALSE(toy.Lit("Im_Krev1"));

    AdvanceTo(at(39));
    EXPECT_EQ(g.KrevLives, 4);
    EXPECT_EQ(g.CycleKrevLives, 3);
    EXPECT_TRUE(toy.Lit("Im_Krev4"));
    EXPECT_TRUE(toy.Lit("Im_Zarq2"));
    EXPECT_EQ(g.ZarqLives, 2) << "a victory restores no life";

    EXPECT_EQ(LitDiscs(), 3) << "the opponent's three cycles";
    EXPECT_TRUE(toy.Lit("Im_DiskH51") && toy.Lit("Im_DiskH61") && toy.Lit("Im_DiskH71"));

    AdvanceTo(at(40) - 1);
    EXPECT_FALSE(toy.Lit("Im_DiskH43"));
    AdvanceTo(at(40));
    EXPECT_TRUE(toy.Lit("Im_DiskH43")) << "the player's cycle at its start";
    EXPECT_FALSE(toy.Lit("Im_DiskH71"));
    EXPECT_FALSE(f.TimerCycleZarq.Enabled());

    AdvanceTo(at(41) - 1);
    EXPECT_EQ(g.SpeedLevel, 1);
    EXPECT_TRUE(WritesAt(at(41)).empty());
    AdvanceTo(at(41));
    EXPECT_EQ(g.CurrentGame, 1);
    EXPECT_EQ(g.SpeedLevel, 2);
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(f.TimerCycleZarq.Interval(), g.SpeedTable[2][CycleZarq]);
    EXPECT_EQ(f.TimerCycleKrev.Interval(), g.SpeedTable[2][CycleKrev]);
    EXPECT_EQ(f.TimerXOM1.Interval(), g.SpeedTable[2][Xom1]);
    EXPECT_EQ(EnabledTimers(),
              (std::vector<std::string>{"TimerCycleZarq", "TimerXOM1", "TimerCycleKrev"}));
    EXPECT_EQ(WritesAt(at(41)), Hum(at(41), 20));
    EXPECT_EQ(Total(), 970);
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_F(End, FourSegmentsLeftAtTheHitMakeTheLargestBonus) {
    StartPlay(/*segments=*/4, 1, 3, /*score=*/500);
    HitTheBoss();
    AdvanceFromHit(VictoryStepAt(20));
    EXPECT_EQ(Total(), 720 + 400);
    EXPECT_EQ(toy.ScoreShown(), "1120");
}

TEST_F(End, AtTheTopLevelTheNextRaceStaysAtTheTopLevelAndTheHeldButtonRacesFast) {
    StartPlay(4, /*level=*/6);
    HitTheBoss();
    AdvanceFromHit(VictoryStepAt(41) - 500);
    toy.Press(VK_CONTROL);
    AdvanceFromHit(VictoryStepAt(41));
    EXPECT_EQ(g.SpeedLevel, 6);
    EXPECT_EQ(g.CurrentGame, 1);
    EXPECT_EQ(f.TimerCycleZarq.Interval(), g.SpeedTable[6][CycleZarqFast]);
    EXPECT_EQ(f.TimerCycleKrev.Interval(), g.SpeedTable[6][CycleKrev]);
    EXPECT_EQ(WritesAt(hit + VictoryStepAt(41)), Hum(hit + VictoryStepAt(41), 38));
}

TEST_F(End, ATimeOutWithLivesLeftRestartsTheStageClosedWithFourSegments) {
    StartPlay(/*segments=*/1, 1, /*lives=*/3);
    // Open the barrier, then let the time run out while a disc is in the air.
    AdvanceTo(playFrom + 100);
    Throw();
    AdvanceTo(playFrom + 7600);
    Throw();
    const Millis out = playFrom + 7840;  // 35 ticks, with the rebound's pause
    AdvanceTo(out - 1);
    EXPECT_TRUE(g.PlayEnabled || f.TimerMuoviDiscZarq2.Enabled());
    AdvanceTo(out);
    EXPECT_EQ(PlayedSince(out), std::vector<std::string>{"Miss1@" + std::to_string(out)});
    EXPECT_EQ(EnabledTimers(), std::vector<std::string>{"TimerMissGame3"});
    EXPECT_TRUE(toy.Lit("Im_DiskH32")) << "the disc stops where it was";
    const std::string frozen = Barrier();
    EXPECT_EQ(std::count(frozen.begin(), frozen.end(), '.'), 1);

    AdvanceTo(out + 1249);
    EXPECT_TRUE(toy.Lit("Im_DiskH32"));
    EXPECT_EQ(g.ZarqLives, 3);
    AdvanceTo(out + 1250);
    EXPECT_EQ(g.ZarqLives, 2);
    EXPECT_EQ(LitDiscs(), 0);
    EXPECT_TRUE(toy.Lit("Im_Zarq1") && toy.Lit("Im_Zarq2"));
    EXPECT_FALSE(toy.Lit("Im_Zarq3"));
    EXPECT_EQ(Barrier(), "####");
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));
    EXPECT_EQ(toy.ScoreShown(), "_720");
    EXPECT_EQ(EnabledTimers(), std::vector<std::string>{"TimerRiprendiGame3"});

    AdvanceTo(out + 3250);
    EXPECT_FALSE(toy.Lit("Im_Zarq1"));
    EXPECT_TRUE(toy.Lit("Im_Zarq2Disk"));
    EXPECT_EQ(TimeBars(), "####");
    EXPECT_FALSE(g.PlayEnabled);
    AdvanceTo(out + 4250 - 1);
    EXPECT_FALSE(g.PlayEnabled);
    AdvanceTo(out + 4250);
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_FALSE(g.BarrierOpen);
    EXPECT_EQ(EnabledTimers(), (std::vector<std::string>{"TimerXOM1", "TimerTempoGioco3"}));
    EXPECT_EQ(f.TimerTempoGioco3.Interval(), 200u);
    EXPECT_EQ(g.Game3Time, 1);

    // A fresh clock of four whole segments, and a closed barrier.
    const Millis restart = toy.Now();
    AdvanceTo(restart + 200 * 35);
    EXPECT_EQ(TimeBars(), "###.");
    Throw();
    toy.Advance(kFlight);
    EXPECT_EQ(Barrier(), "##.#");
    EXPECT_TRUE(toy.Lit("Im_Krev2Disk"));
    EXPECT_EQ(Total(), 720);
}

TEST_F(End, TheLastLifeLostInTheStageEndsThePlay) {
    StartPlay(/*segments=*/1, 1, /*lives=*/1);
    AdvanceTo(playFrom + 6700);
    Throw();
    const Millis out = playFrom + 7000;
    AdvanceTo(out);
    EXPECT_TRUE(toy.Lit("Im_DiskH32"));
    EXPECT_EQ(Played("Miss1"), 1);
    AdvanceTo(out + 1250);
    EXPECT_EQ(g.ZarqLives, 0);
    EXPECT_EQ(PlayedSince(out + 1250),
              std::vector<std::string>{"Over@" + std::to_string(out + 1250)});
    EXPECT_EQ(EnabledTimers(), std::vector<std::string>{"TimerOver"});
    EXPECT_TRUE(toy.Lit("Im_DiskH32")) << "the frozen disc stays until the game-over display";

    AdvanceTo(out + 1250 + 3999);
    EXPECT_TRUE(toy.Lit("Im_DiskH32"));
    AdvanceTo(out + 1250 + 4000);
    EXPECT_FALSE(toy.Lit("Im_DiskH32"));
    EXPECT_FALSE(g.GameStarted);
    EXPECT_EQ(toy.ScoreShown(), "_720");
    EXPECT_EQ(Barrier(), "####");
    for (int i = 1; i <= 4; ++i) EXPECT_FALSE(f.KrevFigure[i].Body->Visible()) << i;
    EXPECT_TRUE(EnabledTimers().empty());
}

}  // namespace
}  // namespace zarq::test
