// The duel's start after the cycle race, from the switch on: its timeline, the wipe of the grid,
// the set-up, and then the movement of both figures and the opponent's throw delays.
#include "tests/games/duel/DuelFixture.h"

namespace zarq::test {
namespace {

std::string Trimmed(const std::string& lattice) {
    std::string out = "\n", line;
    for (char ch : lattice) {
        if (ch != '\n') {
            line += ch;
            continue;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + '\n';
        line.clear();
    }
    return out;
}

TEST_F(Duel, PowerOnThroughThreeWonRacesIntoTheDuel) {
    toy.SwitchOn();
    toy.Advance(12490);
    ASSERT_EQ(g.CurrentGame, 1);
    ASSERT_TRUE(g.PlayEnabled);
    for (int race = 1; race <= 3; ++race) {
        f.ProcWinGame1();  // the opponent crashes at the start of each race
        if (race < 3) {
            toy.Advance(8950);
            ASSERT_TRUE(g.PlayEnabled) << "race " << race + 1;
        }
    }
    toy.Advance(5350);
    ASSERT_TRUE(f.TimerAvvioGioco2.Enabled());
    EXPECT_EQ(g.AvvioGioco2Step, 1);
    EXPECT_EQ(g.KrevLives, 1);
    toy.Advance(kPlayStartsAt);
    EXPECT_EQ(g.CurrentGame, 2);
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(GridLit(), 6) << toy.Lattice();  // only the life bars inside the bottom row
    EXPECT_EQ(ZarqPlaces(), "..h..");
    EXPECT_EQ(KrevPlaces(), "..d.");
    EXPECT_EQ(LifeBars(), "########");
    EXPECT_EQ(g.Score, 300);
    EXPECT_EQ(toy.ScoreShown(), "_300");
    EXPECT_EQ(EnabledTimers(), (Names{"TimerXOM1", "TimerMoveKrev"}));
}

TEST_F(Duel, StartSequenceBeepsEighteenTimesThenShowsLivesSetsUpAndPlays) {
    HandOver(1, 300, 3);
    AdvanceTo(319);
    EXPECT_EQ(Played("Beep"), 0);
    AdvanceTo(6080);
    std::vector<Millis> beeps;
    for (int k = 1; k <= 18; ++k) beeps.push_back(320 * k);
    EXPECT_EQ(PlayTimes("Beep"), beeps);
    EXPECT_EQ(toy.Sound.Played().size(), 18u);  // step 19 is silent

    AdvanceTo(7079);
    EXPECT_EQ(ZarqPlaces(), ".....");
    AdvanceTo(7080);  // lives as figures, the boss at rest, the score
    EXPECT_EQ(ZarqPlaces(), "FFF..");
    EXPECT_EQ(KrevPlaces(), "F...");
    EXPECT_TRUE(toy.Lit("Im_XomLow"));
    EXPECT_TRUE(toy.Lit("Im_XomCover1"));
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));
    EXPECT_EQ(toy.ScoreShown(), "_300");

    AdvanceTo(9079);
    EXPECT_EQ(LifeBars(), "........");
    AdvanceTo(9080);  // the duel set up
    EXPECT_EQ(ZarqPlaces(), "..h..");
    EXPECT_EQ(KrevPlaces(), "..d.");
    EXPECT_EQ(LifeBars(), "########");
    EXPECT_EQ(g.DiscZarqLives, 4);
    EXPECT_EQ(g.DiscKrevLives, 4);
    EXPECT_FALSE(g.PlayEnabled);
    toy.Press(VK_UP);  // not yet in play
    EXPECT_EQ(g.ZarqRow, 3);

    AdvanceTo(kPlayStartsAt - 1);
    EXPECT_EQ(g.CurrentGame, 1);
    AdvanceTo(kPlayStartsAt);
    EXPECT_EQ(g.CurrentGame, 2);
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(g.XomPhase, 1);
    EXPECT_EQ(g.AvvioGioco2Step, 23);
    EXPECT_EQ(f.TimerMoveKrev.Interval(), 350u);
    EXPECT_EQ(f.TimerXOM1.Interval(), 230u);
    EXPECT_EQ(EnabledTimers(), (Names{"TimerXOM1", "TimerMoveKrev"}));
    EXPECT_EQ(f.TimerMoveKrev.DueTime(), toy.Now() + 350);
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_F(Duel, PlayAtAHigherLevelTakesThatLevelsPace) {
    StartPlay(5);
    EXPECT_EQ(f.TimerMoveKrev.Interval(), 130u);
    EXPECT_EQ(f.TimerXOM1.Interval(), 110u);
}

TEST_F(Duel, WipeRunsALineDownTheGridAndLeavesItDark) {
    f.MostraTuttoBar(true);
    f.MostraTuttoDisk(true);
    f.Im_BarH01->SetVisible(true);
    f.Im_BarH81->SetVisible(true);
    HandOver();
    AdvanceTo(6 * 320);  // row 5 now shows its horizontal bars only
    EXPECT_EQ(Trimmed(toy.Lattice()), R"(

+---+---+---+---+---+---+---
I   I   I   I   I   I   I
+===+===+===+===+===+===+===
I   I   I   I   I   I   I
+===+===+===+===+===+===+===
I   I   I   I   I   I   I
+===+===+===+===+===+===+===
I   I   I   I   I   I   I
+===+===+===+===+===+===+===
)");
    AdvanceTo(9 * 320);  // row 3's vertical bars; rows 4 and 5 gone
    EXPECT_EQ(Trimmed(toy.Lattice()), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +
|   |   |   |   |   |   |
+   +   +   +   +   +   +
I   I   I   I   I   I   I
+===+===+===+===+===+===+===
I   I   I   I   I   I   I
+===+===+===+===+===+===+===
)");
    AdvanceTo(14 * 320);
    EXPECT_EQ(GridLit(), 7);  // the bottom row's horizontal bars
    AdvanceTo(15 * 320);
    EXPECT_EQ(GridLit(), 0);
    EXPECT_TRUE(f.Im_BarH01->Visible());
    EXPECT_TRUE(f.Im_BarH81->Visible());
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_F(Duel, OpponentClimbsOnePlacePerMoveAndWrapsToTheBottomWhileTheDiscFlies) {
    StartPlay();
    std::vector<int> rows;
    std::vector<std::string> places;
    for (int k = 1; k <= 6; ++k) {
        toy.Advance(350);
        rows.push_back(g.KrevRow);
        places.push_back(KrevPlaces());
    }
    // The first throw leaves at the second move, from position 1; the disc then flies.
    EXPECT_EQ(rows, (std::vector<int>{4, 1, 2, 3, 4, 1}));
    EXPECT_EQ(places, (std::vector<std::string>{"...d", "h...", ".h..", "..h.", "...h", "h..."}));
}

TEST_F(Duel, FirstThrowIsArmedOneMoveAheadAndLeavesFromWhereTheOpponentStands) {
    StartPlay();
    toy.Advance(350);  // first move: armed with the first random choice, 0
    EXPECT_TRUE(f.TimerLanciaDiscKrev.Enabled());
    EXPECT_EQ(f.TimerLanciaDiscKrev.Interval(), 350u);
    toy.Advance(349);
    EXPECT_TRUE(g.KrevHasDisc);
    EXPECT_EQ(Played("Disc"), 0);
    toy.Advance(1);  // the move and the throw fall due together; the move runs first
    EXPECT_FALSE(g.KrevHasDisc);
    EXPECT_EQ(g.DiscStartRow, 1);
    EXPECT_EQ(DiscsLit(), (std::vector<std::string>{"7,1"}));
    EXPECT_EQ(PlayTimes("Disc"), (std::vector<Millis>{kPlayStartsAt + 700}));
    EXPECT_TRUE(f.TimerMuoviDiscKrev.Enabled());
    EXPECT_FALSE(f.TimerLanciaDiscKrev.Enabled());
}

TEST_F(Duel, ThrowDelaysFollowTheSeededChoicesAndTheLevel) {
    StartPlay(3);
    Freeze();
    std::vector<unsigned> delays;
    for (int k = 0; k < 4; ++k) {
        f.TimerMoveKrevTimer();
        delays.push_back(f.TimerLanciaDiscKrev.Interval());
        f.TimerLanciaDiscKrev.SetEnabled(false);
    }
    // Choices 0, 0, 1, 0 of the generator: the third arming waits two moves.
    EXPECT_EQ(delays, (std::vector<unsigned>{240, 240, 480, 240}));
}

TEST_F(Duel, ThrowIsNotReArmedWhileArmedNorArmedWithAnEmptyHand) {
    StartPlay();
    Freeze();
    f.TimerMoveKrevTimer();
    const std::uint32_t seed = g.RandomSeed;
    const auto due = f.TimerLanciaDiscKrev.DueTime();
    toy.Advance(100);
    f.TimerMoveKrevTimer();
    EXPECT_EQ(g.RandomSeed, seed);
    EXPECT_EQ(f.TimerLanciaDiscKrev.DueTime(), due);

    f.TimerLanciaDiscKrev.SetEnabled(false);
    g.KrevHasDisc = false;
    f.TimerMoveKrevTimer();
    EXPECT_FALSE(f.TimerLanciaDiscKrev.Enabled());
    EXPECT_EQ(g.RandomSeed, seed);
}

TEST_F(Duel, AfterAThrowTheNextMoveComesAWholeIntervalLater) {
    StartPlay();
    f.TimerLanciaDiscKrev.SetEnabled(false);
    toy.Advance(100);  // a quarter of the way to the next move
    f.TimerLanciaDiscKrevTimer();
    EXPECT_EQ(f.TimerMoveKrev.DueTime(), toy.Now() + 350);
    EXPECT_TRUE(f.TimerMoveKrev.Enabled());
}

TEST_F(Duel, HeldArrowMovesThePlayerAtMostOncePer250Ms) {
    StartPlay();
    Freeze();
    toy.Press(VK_DOWN);
    EXPECT_EQ(g.ZarqRow, 2);
    EXPECT_EQ(ZarqPlaces(), ".h...");
    toy.Advance(100);
    toy.Press(VK_DOWN);  // a repeat within the lock
    toy.Advance(149);
    toy.Press(VK_DOWN);
    EXPECT_EQ(g.ZarqRow, 2);
    toy.Advance(1);  // 250 ms after the move
    EXPECT_FALSE(g.MoveLocked);
    toy.Press(VK_DOWN);
    EXPECT_EQ(g.ZarqRow, 1);
    toy.Advance(250);
    toy.Press(VK_DOWN);  // the bottom: nothing, and no lock
    EXPECT_EQ(g.ZarqRow, 1);
    EXPECT_FALSE(g.MoveLocked);
    EXPECT_FALSE(f.TimerMoveZarq.Enabled());
    EXPECT_EQ(ZarqPlaces(), "h....");
}

TEST_F(Duel, ReleasingAKeyFreesTheNextMoveAtOnceAndThePlayerStopsAtFour) {
    StartPlay();
    Freeze();
    const std::size_t sounds = toy.Sound.Played().size();
    for (int k = 0; k < 4; ++k) {
        toy.Press(VK_UP);
        toy.Release(VK_UP);
    }
    EXPECT_EQ(g.ZarqRow, 4);
    EXPECT_EQ(ZarqPlaces(), "...h.");
    EXPECT_EQ(toy.Sound.Played().size(), sounds);  // moves are silent
}

}  // namespace
}  // namespace zarq::test
