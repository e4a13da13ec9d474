// The end of a duel point: the blink of the lost life bar, the resumption, the +20 of a won
// point, the duel won, the player's life lost with the duel set up again, and the last life.
#include "tests/games/duel/DuelFixture.h"

namespace zarq::test {
namespace {

// The blink's ten flashes, on steps 1, 3, .. 19 of ticks 1 ms, then every 35 ms.
std::vector<Millis> FlashTimes(Millis decided) {
    std::vector<Millis> out;
    for (int step = 1; step <= 19; step += 2) out.push_back(decided + 1 + 35 * (step - 1));
    return out;
}
constexpr Millis kBlinkEnd = 1 + 19 * 35;  // the tick of step 20, after the decision

class PointEnd : public Duel {
  protected:
    Millis decided = 0;  // since the hand-over

    // The player misses the opponent's disc from row 1 (it arrives in row 4; the player is at 1).
    void PlayerMisses() {
        PlaceZarq(1);
        KrevThrowsFrom(1);
        toy.Advance(7 * kFlightTick);
        decided = SinceHandOver();
        ASSERT_TRUE(f.TimerMissGame2.Enabled());
    }
    // The opponent at 3 misses the player's disc from row 4 (it arrives in row 1).
    void OpponentMisses() {
        ZarqServes(4);
        PlaceKrev(3);
        toy.Press(VK_CONTROL);
        toy.Release(VK_CONTROL);
        toy.Advance(7 * kFlightTick);
        decided = SinceHandOver();
        ASSERT_TRUE(f.TimerWinDiscGame2.Enabled());
    }
    void SetDuelLives(int zarq, int krev) {
        f.MostraViteDiscZarq(false);
        f.MostraViteDiscKrev(false);
        g.DiscZarqLives = zarq;
        g.DiscKrevLives = krev;
        f.MostraViteDiscZarq(true);
        f.MostraViteDiscKrev(true);
    }
};

TEST_F(PointEnd, LostPointBlinksThePlayersInnermostBarTenTimesThenTheOpponentServes) {
    StartPlay();
    PlayerMisses();
    const int sounds = Played("Miss2");
    std::vector<bool> bar;
    for (Millis t = decided + 1; t <= decided + kBlinkEnd; t += 35) {
        AdvanceTo(t);
        bar.push_back(f.LifeBar[4]->Visible());
    }
    EXPECT_EQ(bar,
              (std::vector<bool>{true, false, true, false, true, false, true, false, true, false,
                                 true, false, true, false, true, false, true, false, true, false}));
    EXPECT_EQ(sounds, 0);
    EXPECT_EQ(PlayTimes("Miss2"), FlashTimes(decided));
    // The disc at the edge goes dark with the last flash; one duel life is gone.
    EXPECT_EQ(ZarqPlaces(), "h....");
    EXPECT_EQ(LifeBars(), "###.####");
    EXPECT_EQ(g.DiscZarqLives, 3);
    EXPECT_TRUE(g.KrevHasDisc);
    EXPECT_EQ(KrevPlaces(), "d...");
    EXPECT_EQ(g.Score, 300);
    EXPECT_EQ(EnabledTimers(), (Names{"TimerRiprendiGame2"}));
    EXPECT_FALSE(g.PlayEnabled);

    g.XomPhase = 4;
    AdvanceTo(decided + kBlinkEnd + 999);
    EXPECT_FALSE(g.PlayEnabled);
    AdvanceTo(decided + kBlinkEnd + 1000);  // play resumes where everyone stood
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(EnabledTimers(), (Names{"TimerXOM1", "TimerMoveKrev"}));
    EXPECT_EQ(g.XomPhase, 4);
    EXPECT_EQ(g.ZarqRow, 1);
    EXPECT_EQ(g.KrevRow, 1);
    toy.Advance(350);  // the next move arms the serve
    EXPECT_EQ(g.KrevRow, 2);
    EXPECT_TRUE(f.TimerLanciaDiscKrev.Enabled());
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_F(PointEnd, WonPointBlinksTheOpponentsInnermostBarAndScoresTwentyAfterTheBlink) {
    StartPlay();
    OpponentMisses();
    AdvanceTo(decided + 1);
    EXPECT_TRUE(f.LifeBar[8]->Visible());
    AdvanceTo(decided + 1 + 35);
    EXPECT_FALSE(f.LifeBar[8]->Visible());
    AdvanceTo(decided + kBlinkEnd - 1);
    EXPECT_EQ(g.Score, 300);
    EXPECT_EQ(KrevPlaces(), "o.h.");
    AdvanceTo(decided + kBlinkEnd);
    EXPECT_EQ(PlayTimes("Miss2"), FlashTimes(decided));
    EXPECT_EQ(g.Score, 320);
    EXPECT_EQ(toy.ScoreShown(), "_320");
    EXPECT_EQ(g.DiscKrevLives, 3);
    EXPECT_EQ(LifeBars(), "#######.");
    EXPECT_EQ(KrevPlaces(), "..d.");  // the opponent serves the next point
    EXPECT_FALSE(g.ZarqHasDisc);
    EXPECT_EQ(ZarqPlaces(), "...h.");
    AdvanceTo(decided + kBlinkEnd + 1000);
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(g.CurrentGame, 2);
}

TEST_F(PointEnd, TheWinningPointScoresNothingAndStartsTheBarrierStage320MsLater) {
    StartPlay();
    SetDuelLives(2, 1);
    OpponentMisses();
    AdvanceTo(decided + kBlinkEnd - 1);
    EXPECT_TRUE(f.TimerWinDiscGame2.Enabled());
    AdvanceTo(decided + kBlinkEnd);
    EXPECT_EQ(g.DiscKrevLives, 0);
    EXPECT_EQ(g.Score, 300);  // the duel's reward belongs to the barrier stage's start
    EXPECT_EQ(LifeBars(), "##......");
    EXPECT_EQ(KrevPlaces(), "..h.");
    EXPECT_EQ(EnabledTimers(), (Names{"TimerAvvioGioco3"}));
    EXPECT_EQ(f.TimerAvvioGioco3.Interval(), 320u);
    EXPECT_EQ(f.TimerAvvioGioco3.DueTime(), toy.Now() + 320);
    EXPECT_EQ(g.AvvioGioco3Step, 1);
    EXPECT_EQ(g.DiscZarqLives, 2);  // the barrier stage's clock starts from these
}

TEST_F(PointEnd, FourthLostPointTakesALifeAndStartsTheDuelAgain) {
    StartPlay(2, 300, 3);
    SetDuelLives(1, 2);
    PlayerMisses();
    const Millis blinkEnd = decided + kBlinkEnd;
    AdvanceTo(blinkEnd);
    EXPECT_EQ(g.DiscZarqLives, 0);
    EXPECT_EQ(EnabledTimers(), (Names{"TimerTogliVitaGame2"}));
    EXPECT_EQ(g.TogliVitaStep, 1);

    AdvanceTo(blinkEnd + 99);
    EXPECT_EQ(Played("Miss1"), 0);
    AdvanceTo(blinkEnd + 100);
    EXPECT_EQ(PlayTimes("Miss1"), (std::vector<Millis>{blinkEnd + 100}));

    AdvanceTo(blinkEnd + 1349);
    EXPECT_EQ(g.ZarqLives, 3);
    AdvanceTo(blinkEnd + 1350);  // lives as figures, the boss at rest, the bottom row dark
    EXPECT_EQ(g.ZarqLives, 2);
    EXPECT_EQ(ZarqPlaces(), "FF...");
    EXPECT_EQ(KrevPlaces(), "F...");
    EXPECT_EQ(LifeBars(), "........");
    EXPECT_EQ(GridLit(), 0);
    EXPECT_TRUE(toy.Lit("Im_XomMid"));
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));

    AdvanceTo(blinkEnd + 2350);  // the duel set up afresh
    EXPECT_EQ(ZarqPlaces(), "..h..");
    EXPECT_EQ(KrevPlaces(), "..d.");
    EXPECT_EQ(LifeBars(), "########");
    EXPECT_EQ(g.DiscZarqLives, 4);
    EXPECT_EQ(g.DiscKrevLives, 4);
    EXPECT_FALSE(g.PlayEnabled);

    g.XomPhase = 3;
    AdvanceTo(blinkEnd + 3350);  // play, the boss turning from its first phase
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(g.XomPhase, 1);
    EXPECT_EQ(EnabledTimers(), (Names{"TimerXOM1", "TimerMoveKrev"}));
    EXPECT_EQ(f.TimerMoveKrev.Interval(), 280u);
    EXPECT_EQ(f.TimerXOM1.Interval(), 200u);
    EXPECT_EQ(g.Score, 300);
    EXPECT_EQ(Played("Over"), 0);
}

TEST_F(PointEnd, LastLifePlaysOverAndHandsToTheGameOverDisplay) {
    StartPlay(1, 300, 1);
    SetDuelLives(1, 3);
    PlayerMisses();
    const Millis blinkEnd = decided + kBlinkEnd;
    AdvanceTo(blinkEnd + 1350);
    EXPECT_EQ(g.ZarqLives, 0);
    EXPECT_EQ(PlayTimes("Over"), (std::vector<Millis>{blinkEnd + 1350}));
    EXPECT_EQ(EnabledTimers(), (Names{"TimerOver"}));
    AdvanceTo(blinkEnd + 1350 + 4000);
    EXPECT_FALSE(g.GameStarted);
    EXPECT_EQ(EnabledTimers(), Names{});
    EXPECT_EQ(KrevPlaces(), "F...");  // the opponent's lives on the final display
    EXPECT_EQ(toy.ScoreShown(), "_300");
}

TEST_F(PointEnd, AMoveJustBeforeTheDecisionLeavesTheLockUntilAKeyIsReleased) {
    StartPlay();
    PlaceZarq(2);
    KrevThrowsFrom(1);
    toy.Advance(7 * kFlightTick - 100);
    toy.Press(VK_DOWN);
    EXPECT_TRUE(g.MoveLocked);
    toy.Advance(100);  // the miss stops the move throttle with the rest
    ASSERT_TRUE(f.TimerMissGame2.Enabled());
    toy.Advance(3000);  // past the resumption
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_TRUE(g.MoveLocked);
    toy.Press(VK_UP);
    EXPECT_EQ(g.ZarqRow, 1);
    toy.Release(VK_DOWN);
    toy.Press(VK_UP);
    EXPECT_EQ(g.ZarqRow, 2);
}

}  // namespace
}  // namespace zarq::test
