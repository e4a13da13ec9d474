// The opponent's cycle: its first move, its pursuit of the player, its default choice of way,
// its crash, its life off the display and round the torus, and its remaining cycles.
#include <climits>
#include <random>

#include "tests/games/cycle/RaceFixture.h"

namespace zarq::test {
namespace {

using OpponentCycle = Race;

TEST_F(OpponentCycle, ItsFirstMoveAtTheStartIsOneSegmentRight) {
    StartGame1();
    AdvanceTo(559);
    EXPECT_EQ(g.KrevCol, 4);
    AdvanceTo(560);
    EXPECT_EQ(Screen(), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +===+   +   +

+   +   +   +---+===+   +

+   +   +   +   +   +   +
)");
    EXPECT_EQ(g.KrevCol, 5);
    EXPECT_EQ(g.KrevRow, 2);
    EXPECT_EQ(g.KrevDirection, 2);
    EXPECT_EQ(Cell(5, 2), 2);
    EXPECT_EQ(RealSum(), 6);
}

TEST_F(OpponentCycle, OnceAheadItTurnsAcrossThePlayersLine) {
    StartGame1();
    // It gains a column at each of its steps and loses one at each of the player's.
    AdvanceTo(3919);
    EXPECT_EQ(g.KrevCol, 5);
    EXPECT_EQ(g.KrevDirection, 2);
    AdvanceTo(3920);
    EXPECT_EQ(Screen(), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+---+---+---+===+   +   +
                    I
+---+---+---+---+---+   +

+   +   +   +   +   +   +
)");
    EXPECT_EQ(g.KrevDirection, 1);
    EXPECT_FALSE(MissStarted());
    // The player's next step brings the new segment up to its head.
    AdvanceTo(3960);
    EXPECT_TRUE(MissStarted());
    EXPECT_FALSE(f.TimerCycleKrev.Enabled());
}

// The pursuit as a whole: it acts only when the opponent is ahead of the player (by two
// points when it drives towards the player); driving parallel it turns towards the player's
// line of travel, driving across and away from that line it turns back towards the player,
// driving across and towards the line it is left alone.
int PursuitTurn(int zarq, int krev, int x, int y) {
    const int fwd[5][2] = {{0, 0}, {0, 1}, {1, 0}, {0, -1}, {-1, 0}};
    auto headingOf = [&](int dx, int dy) {
        for (int h = 1; h <= 4; ++h) {
            if (fwd[h][0] == dx && fwd[h][1] == dy) return h;
        }
        return 0;
    };
    const int ox = x - 4, oy = y - 3;  // from the player
    const int ahead = ox * fwd[zarq][0] + oy * fwd[zarq][1];
    const bool parallel = krev % 2 == zarq % 2;
    const bool towards = parallel && krev != zarq;
    if (ahead < (towards ? 2 : 1)) return 0;
    // The offset from the player's line of travel, across it.
    const int lx = fwd[zarq][0] == 0 ? ox : 0, ly = fwd[zarq][1] == 0 ? oy : 0;
    if (lx == 0 && ly == 0) return 0;
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    if (parallel) return headingOf(-sign(lx), -sign(ly));
    const bool away = lx * fwd[krev][0] + ly * fwd[krev][1] > 0;
    return away ? headingOf(-fwd[zarq][0], -fwd[zarq][1]) : 0;
}

TEST_F(OpponentCycle, InAnOpenLabyrinthThePursuitTurnsTowardsThePlayersLine) {
    StartOpponentAlone();
    int pursuits = 0;
    for (int zarq = 1; zarq <= 4; ++zarq) {
        for (int krev = 1; krev <= 4; ++krev) {
            for (int x = kColLo; x <= kColHi; ++x) {
                for (int y = kRowLo; y <= kRowHi; ++y) {
                    for (int c = -3; c <= 11; ++c) {
                        for (int r = -3; r <= 9; ++r) Cell(c, r) = 0;
                    }
                    g.ZarqDirection = zarq;
                    PlaceOpponent(x, y, krev);
                    f.TimerCycleKrevTimer();
                    const int want = PursuitTurn(zarq, krev, x, y);
                    // Everything is free, so without a pursuit turn it goes straight on.
                    ASSERT_EQ(g.KrevDirection, want == 0 ? krev : want)
                        << "player heading " << zarq << ", opponent heading " << krev << " at " << x
                        << "," << y;
                    pursuits += want != 0;
                }
            }
        }
    }
    EXPECT_GT(pursuits, 100);
    EXPECT_FALSE(WinStarted());
}

TEST_F(OpponentCycle, APursuitTurnRefusedByItsFreeTestLeavesTheDefaultMove) {
    for (const bool blocked : {false, true}) {
        SCOPED_TRACE(blocked ? "the way up blocked" : "the way up free");
        StartOpponentAlone();
        EmptyLabyrinth();
        g.ZarqDirection = 2;
        PlaceOpponent(6, 2, 2);  // ahead of the player and below its line
        Cell(6, 2) = 2;
        if (blocked) Cell(7, 3) = 1;  // a segment leaving the point the turn would reach
        const auto sum = RealSum();
        AdvanceTo(560);
        EXPECT_EQ(g.KrevCol, 7);
        EXPECT_EQ(g.KrevRow, 2);
        EXPECT_EQ(g.KrevDirection, blocked ? 2 : 1);
        EXPECT_EQ(Cell(7, 2), blocked ? 2 : 1);
        EXPECT_EQ(RealSum(), sum + (blocked ? 2 : 1)) << "one segment in the tick";
        EXPECT_FALSE(WinStarted());
    }
}

TEST_F(OpponentCycle, StraightOnIfFreeElseClockwiseElseAnticlockwise) {
    StartOpponentAlone();
    EmptyLabyrinth();
    g.ZarqDirection = 2;
    PlaceOpponent(2, 2, 2);
    Cell(2, 2) = 2;
    Cell(4, 2) = 2;  // straight on is blocked
    f.TimerCycleKrevTimer();
    EXPECT_EQ(g.KrevDirection, 3);
    EXPECT_EQ(g.KrevCol, 3);
    EXPECT_EQ(g.KrevRow, 1);
    EXPECT_EQ(Cell(3, 1), 1);

    EmptyLabyrinth();
    PlaceOpponent(2, 2, 2);
    Cell(2, 2) = 2;
    Cell(4, 2) = 2;
    Cell(3, 1) = 2;  // and so is the way down
    f.TimerCycleKrevTimer();
    EXPECT_EQ(g.KrevDirection, 1);
    EXPECT_EQ(g.KrevCol, 3);
    EXPECT_EQ(g.KrevRow, 2);
    EXPECT_EQ(Cell(3, 2), 1);
    EXPECT_FALSE(WinStarted());
}

TEST_F(OpponentCycle, ABoxedInOpponentDrivesStraightOnAndCrashes) {
    StartOpponentAlone();
    EmptyLabyrinth();
    g.ZarqDirection = 2;
    PlaceOpponent(2, 2, 2);
    Cell(2, 2) = 2;
    Cell(4, 2) = 2;  // ahead
    Cell(3, 1) = 2;  // below
    Cell(3, 3) = 1;  // above
    f.MostraLabir();
    AdvanceTo(560);
    EXPECT_EQ(Screen(), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +
        |
+   +   +   +   +   +   +

+   +---+===+---+   +   +

+   +   +---+   +   +   +
)");
    EXPECT_EQ(Cell(3, 2), 2);
    EXPECT_TRUE(WinStarted());
    EXPECT_FALSE(g.PlayEnabled);
    EXPECT_FALSE(f.TimerCycleKrev.Enabled());
    AdvanceTo(660);
    EXPECT_EQ(toy.Sound.Played().back(), "Win@" + std::to_string(raceStart + 660));
}

TEST_F(OpponentCycle, TheSameLabyrinthAndPositionsGiveTheSameMoveWhateverElseDiffers) {
    Toy other;
    TForm1& f2 = other.F();
    TGameState& g2 = other.G();
    std::mt19937 rng(20240611);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int crashes = 0;
    for (int trial = 0; trial < 400; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        for (int c = -3; c <= 11; ++c) {
            for (int r = -3; r <= 9; ++r) Cell(c, r) = pick(0, 9) < 7 ? 0 : pick(1, 3);
        }
        g.KrevCol = pick(kColLo, kColHi);
        g.KrevRow = pick(kRowLo, kRowHi);
        g.KrevDirection = pick(1, 4);
        g.ZarqDirection = pick(1, 4);
        g.PlayEnabled = true;
        f.BloccaTimers();

        // The other panel agrees on the labyrinth and the headings only.
        g2.Labyrinth = g.Labyrinth;
        g2.KrevCol = g.KrevCol;
        g2.KrevRow = g.KrevRow;
        g2.KrevDirection = g.KrevDirection;
        g2.ZarqDirection = g.ZarqDirection;
        g2.PlayEnabled = true;
        f2.BloccaTimers();
        f2.MostraTuttoBar(true);
        f2.MostraTuttoDisk(true);
        g2.RandomSeed = static_cast<std::uint32_t>(rng());
        g2.Score = pick(0, 1999);
        g2.SpeedLevel = pick(1, 6);
        other.Advance(pick(1, 5000));

        const std::uint32_t seed = g.RandomSeed;
        f.TimerCycleKrevTimer();
        f2.TimerCycleKrevTimer();
        EXPECT_EQ(g.RandomSeed, seed) << "no chance in the opponent's move";
        ASSERT_EQ(g2.KrevCol, g.KrevCol);
        ASSERT_EQ(g2.KrevRow, g.KrevRow);
        ASSERT_EQ(g2.KrevDirection, g.KrevDirection);
        ASSERT_EQ(f2.TimerWinCycleZarq.Enabled(), f.TimerWinCycleZarq.Enabled());
        for (int c = -3; c <= 11; ++c) {
            for (int r = -3; r <= 9; ++r) ASSERT_EQ(g2.Labyrinth[c][r], Cell(c, r));
        }
        crashes += f.TimerWinCycleZarq.Enabled();
    }
    EXPECT_GT(crashes, 0);
    EXPECT_LT(crashes, 400);
    EXPECT_EQ(f.TableFaults(), 0);
    EXPECT_EQ(f2.TableFaults(), 0);
}

// Near the border of the torus the free-way tests and the crash test look round it the
// same way, whatever the border copies hold: driving straight on after the way ahead was
// found blocked is always a crash.
TEST_F(OpponentCycle, StraightOnAfterAFailedFreeWayTestAlwaysCrashesAtTheSeam) {
    std::mt19937 rng(7011);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int seamCols[] = {kColLo, kColLo + 1, kColHi - 1, kColHi};
    const int seamRows[] = {kRowLo, kRowLo + 1, kRowHi - 1, kRowHi};
    int blockedStraight = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        // Copies and real cells drawn independently, as the opponent's own trail leaves them
        // between two scrolls.
        for (int c = -3; c <= 11; ++c) {
            for (int r = -3; r <= 9; ++r) Cell(c, r) = pick(0, 9) < 5 ? 0 : pick(1, 3);
        }
        const bool onColumnSeam = pick(0, 1) == 0;
        g.KrevCol = onColumnSeam ? seamCols[pick(0, 3)] : pick(kColLo, kColHi);
        g.KrevRow = onColumnSeam ? pick(kRowLo, kRowHi) : seamRows[pick(0, 3)];
        g.KrevDirection = pick(1, 4);
        g.ZarqDirection = pick(1, 4);
        g.PlayEnabled = true;
        f.BloccaTimers();
        const int heading = g.KrevDirection;
        const bool straightFree = heading == 1   ? f.LiberoSu()
                                  : heading == 2 ? f.LiberoDx()
                                  : heading == 3 ? f.LiberoGiu()
                                                 : f.LiberoSx();
        f.TimerCycleKrevTimer();
        if (g.KrevDirection != heading || straightFree) continue;
        ++blockedStraight;
        ASSERT_TRUE(WinStarted()) << "trial " << trial << ": heading " << heading
                                  << " drove on unharmed to " << g.KrevCol << ", " << g.KrevRow;
    }
    EXPECT_GT(blockedStraight, 100);
    EXPECT_EQ(f.TableFaults(), 0);
}

int LitDashes(const TForm1& f) {
    int n = 0;
    for (int c = 1; c <= 7; ++c) {
        for (int r = 1; r <= 5; ++r) n += f.DiskH[c][r]->Visible() + f.DiskV[c][r]->Visible();
    }
    return n;
}

TEST_F(OpponentCycle, OffTheDisplayItKeepsDrivingAndComesBackIntoView) {
    StartOpponentAlone();
    EmptyLabyrinth();
    g.ZarqDirection = 3;
    PlaceOpponent(1, 4, 4);
    Cell(1, 4) = 2;
    EXPECT_TRUE(toy.Lit("Im_DiskH14"));
    const int cols[] = {0, -1, 9, 8, 7};
    for (int i = 0; i < 5; ++i) {
        AdvanceTo(560 * (i + 1));
        EXPECT_EQ(g.KrevCol, cols[i]);
        EXPECT_EQ(g.KrevRow, 4);
        EXPECT_EQ(Cell(cols[i], 4), 2);
        EXPECT_EQ(LitDashes(f), i < 4 ? 0 : 1) << "after step " << i + 1;
    }
    EXPECT_TRUE(toy.Lit("Im_DiskH74"));
    EXPECT_TRUE(toy.Lit("Im_BarH74"));
    EXPECT_TRUE(toy.Lit("Im_BarH14")) << "its trail stays";
    EXPECT_FALSE(WinStarted());
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_F(OpponentCycle, ItsOwnStepsComeRoundTheTorusLikeAScroll) {
    struct Case {
        const char* name;
        void (*move)(TForm1&);
        int col, row, heading;
        int wantCol, wantRow, value;
    };
    const Case cases[] = {
        {"right off column 9", [](TForm1& t) { t.MuoviKrevDx(); }, 9, 2, 2, -1, 2, 2},
        {"left off column -1", [](TForm1& t) { t.MuoviKrevSx(); }, -1, 2, 4, 9, 2, 2},
        {"up off row 7", [](TForm1& t) { t.MuoviKrevSu(); }, 4, 7, 1, 4, -1, 1},
        {"down off row -1", [](TForm1& t) { t.MuoviKrevGiu(); }, 4, -1, 3, 4, 7, 1},
        {"up and left off a corner", [](TForm1& t) { t.GiraKrev4(); }, -1, 6, 1, 9, 7, 2},
        {"right and down off a corner", [](TForm1& t) { t.GiraKrev3(); }, 9, -1, 2, -1, 7, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EmptyLabyrinth();
        PlaceOpponent(k.col, k.row, k.heading);
        k.move(f);
        EXPECT_EQ(g.KrevCol, k.wantCol);
        EXPECT_EQ(g.KrevRow, k.wantRow);
        EXPECT_EQ(Cell(k.wantCol, k.wantRow), k.value);
        EXPECT_EQ(RealSum(), k.value);
    }
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_F(OpponentCycle, NoPositionWhateverItsValueReadsOrWritesOutsideTheLabyrinth) {
    const int wild[] = {INT_MIN, -1000, -4, 10, 12, 1000, INT_MAX};
    for (int col : wild) {
        for (int row : wild) {
            for (int heading = 1; heading <= 4; ++heading) {
                StartOpponentAlone();
                g.KrevCol = col;
                g.KrevRow = row;
                g.KrevDirection = heading;
                f.TimerCycleKrevTimer();
                f.MuoviLabirDx();
                f.MuoviLabirGiu();
                ASSERT_GE(g.KrevCol, kColLo);
                ASSERT_LE(g.KrevCol, kColHi);
                ASSERT_GE(g.KrevRow, kRowLo);
                ASSERT_LE(g.KrevRow, kRowHi);
            }
        }
    }
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_F(OpponentCycle, FreeWayTestsCompareSomeCellsExactly) {
    EmptyLabyrinth();
    // Heading up, the way right ignores a target point holding only its vertical segment.
    PlaceOpponent(3, 2, 1);
    Cell(4, 3) = 1;
    EXPECT_TRUE(f.LiberoDx());
    Cell(4, 3) = 2;
    EXPECT_FALSE(f.LiberoDx());
    Cell(4, 3) = 0;
    Cell(4, 2) = 1;  // a vertical segment arriving from below
    EXPECT_FALSE(f.LiberoDx());

    // Heading right, the way down takes a cell holding both segments for free.
    EmptyLabyrinth();
    PlaceOpponent(3, 3, 2);
    Cell(4, 2) = 2;
    EXPECT_FALSE(f.LiberoGiu());
    Cell(4, 2) = 3;
    EXPECT_TRUE(f.LiberoGiu());

    // The reverse of the heading is free without a look.
    for (int c = kColLo; c <= kColHi; ++c) {
        for (int r = kRowLo; r <= kRowHi; ++r) Cell(c, r) = 3;
    }
    PlaceOpponent(3, 3, 1);
    EXPECT_TRUE(f.LiberoGiu());
    EXPECT_FALSE(f.LiberoSu());
    PlaceOpponent(3, 3, 2);
    EXPECT_TRUE(f.LiberoSx());
    EXPECT_FALSE(f.LiberoDx());
}

TEST_F(OpponentCycle, TheRemainingCyclesFillTheBottomRowFromTheRight) {
    g.CycleKrevLives = 3;
    f.MostraViteCycleKrev();
    for (const char* e :
         {"Im_BarH51", "Im_DiskH51", "Im_BarH61", "Im_DiskH61", "Im_BarH71", "Im_DiskH71"}) {
        EXPECT_TRUE(toy.Lit(e)) << e;
    }
    EXPECT_FALSE(toy.Lit("Im_BarH41"));

    f.MostraTuttoBar(false);
    f.MostraTuttoDisk(false);
    f.BarH[5][1]->SetVisible(true);
    g.CycleKrevLives = 2;
    f.MostraViteCycleKrev();
    EXPECT_TRUE(toy.Lit("Im_BarH71"));
    EXPECT_TRUE(toy.Lit("Im_DiskH61"));
    EXPECT_TRUE(toy.Lit("Im_BarH51")) << "column 5 is left as it was";
    EXPECT_FALSE(toy.Lit("Im_DiskH51"));

    g.CycleKrevLives = 0;
    f.MostraViteCycleKrev();
    for (const char* e : {"Im_BarH51", "Im_DiskH61", "Im_BarH71", "Im_DiskH71"})
        EXPECT_FALSE(toy.Lit(e)) << e;
    EXPECT_EQ(f.TableFaults(), 0);
}

}  // namespace
}  // namespace zarq::test
