// The disc's flight: its cells for every start row in both directions, the click at the
// bounce, and what the arrival decides: catches by either side and the misses that end a point.
#include "tests/games/duel/DuelFixture.h"

namespace zarq::test {
namespace {

// The rows of the seven cells, counted from the thrower's column; the tick of the bounce.
struct PathCase {
    int startRow;
    int rows[7];
    int bounceTick;
    int arrivalRow;
};
constexpr PathCase kPaths[] = {
    // s   cells from the thrower's side     bounce  arrival
    {1, {1, 2, 3, 4, 5, 5, 4}, 5, 4},
    {2, {2, 3, 4, 5, 5, 4, 3}, 4, 3},
    {3, {3, 4, 5, 5, 4, 3, 2}, 3, 2},
    {4, {4, 5, 5, 4, 3, 2, 1}, 2, 1},
};

class Flight : public Duel, public ::testing::WithParamInterface<PathCase> {};

TEST_P(Flight, OpponentsDiscFliesItsPathAndIsCaughtInTheArrivalRow) {
    const PathCase& p = GetParam();
    StartPlay();
    PlaceZarq(p.arrivalRow);
    const Millis throwAt = SinceHandOver();
    KrevThrowsFrom(p.startRow);
    for (int k = 0; k < 7; ++k) {
        const std::string cell = std::to_string(7 - k) + "," + std::to_string(p.rows[k]);
        EXPECT_EQ(DiscsLit(), (std::vector<std::string>{cell})) << "cell " << k + 1;
        toy.Advance(kFlightTick);
    }
    EXPECT_TRUE(DiscsLit().empty());
    EXPECT_EQ(PlayTimes("Disc"),
              (std::vector<Millis>{throwAt, throwAt + kFlightTick * p.bounceTick}));
    EXPECT_TRUE(g.ZarqHasDisc);
    EXPECT_FALSE(f.TimerMuoviDiscKrev.Enabled());
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_P(Flight, PlayersDiscFliesTheMirroredPathAndIsCaughtInTheArrivalRow) {
    const PathCase& p = GetParam();
    StartPlay();
    ZarqServes(p.startRow);
    PlaceKrev(p.arrivalRow);
    const Millis throwAt = SinceHandOver();
    toy.Press(VK_CONTROL);
    for (int k = 0; k < 7; ++k) {
        const std::string cell = std::to_string(1 + k) + "," + std::to_string(p.rows[k]);
        EXPECT_EQ(DiscsLit(), (std::vector<std::string>{cell})) << "cell " << k + 1;
        toy.Advance(kFlightTick);
    }
    EXPECT_TRUE(DiscsLit().empty());
    EXPECT_EQ(PlayTimes("Disc"),
              (std::vector<Millis>{throwAt, throwAt + kFlightTick * p.bounceTick}));
    EXPECT_TRUE(g.KrevHasDisc);
    EXPECT_FALSE(f.TimerMuoviDiscZarq.Enabled());
    EXPECT_EQ(f.TableFaults(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryStartRow, Flight, ::testing::ValuesIn(kPaths), [](const auto& tp) {
    return "FromRow" + std::to_string(tp.param.startRow);
});

TEST_F(Duel, PlayersCatchScoresFivePutsTheDiscInHandAndPlayGoesOn) {
    StartPlay();
    PlaceZarq(3);
    KrevThrowsFrom(2);
    toy.Advance(7 * kFlightTick - 1);
    EXPECT_FALSE(g.ZarqHasDisc);
    EXPECT_EQ(toy.ScoreShown(), "_300");
    toy.Advance(1);
    EXPECT_TRUE(g.ZarqHasDisc);
    EXPECT_EQ(ZarqPlaces(), "..d..");
    EXPECT_EQ(g.Score, 305);
    EXPECT_EQ(toy.ScoreShown(), "_305");
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_TRUE(f.TimerXOM1.Enabled());
    EXPECT_FALSE(f.TimerMissGame2.Enabled());

    toy.Press(VK_CONTROL);  // the player may throw at once
    EXPECT_FALSE(g.ZarqHasDisc);
    EXPECT_EQ(ZarqPlaces(), "..h..");
    EXPECT_EQ(DiscsLit(), (std::vector<std::string>{"1,3"}));
    EXPECT_TRUE(f.TimerMuoviDiscZarq.Enabled());
}

TEST_F(Duel, PassingThroughTheArrivalRowEarlierIsAMissThatFreezesTheGame) {
    StartPlay();
    PlaceZarq(4);
    KrevThrowsFrom(1);  // arrives in row 4
    f.TimerXOM1.SetEnabled(true);
    f.TimerMoveKrev.SetEnabled(true);
    toy.Advance(1000);
    toy.Press(VK_DOWN);  // leaves row 4 before the arrival
    const std::size_t calls = toy.Sound.Calls.size();
    toy.Advance(400);
    EXPECT_FALSE(g.ZarqHasDisc);
    EXPECT_FALSE(g.PlayEnabled);
    EXPECT_EQ(ZarqPlaces(), "..ho.");  // the disc lies at the empty place of row 4
    EXPECT_TRUE(DiscsLit().empty());
    EXPECT_EQ(EnabledTimers(), (Names{"TimerMissGame2"}));
    EXPECT_EQ(f.TimerMissGame2.Interval(), 1u);
    EXPECT_EQ(g.MissDiscStep, 1);
    ASSERT_GT(toy.Sound.Calls.size(), calls);
    EXPECT_EQ(toy.Sound.Calls[calls].Call, "Stop");
    EXPECT_EQ(g.Score, 300);
}

TEST_F(Duel, ReachingTheArrivalRowTooLateIsAMiss) {
    StartPlay();
    PlaceZarq(2);
    KrevThrowsFrom(4);  // arrives in row 1
    toy.Advance(7 * kFlightTick);
    EXPECT_TRUE(f.TimerMissGame2.Enabled());
    toy.Release(VK_DOWN);
    toy.Press(VK_DOWN);  // no moves while the point is decided
    EXPECT_EQ(g.ZarqRow, 2);
}

TEST_F(Duel, OpponentsCatchScoresNothingAndArmsItsThrowOneOrTwoMovesAhead) {
    StartPlay();
    ZarqServes(2);
    PlaceKrev(3);
    toy.Press(VK_CONTROL);
    toy.Advance(7 * kFlightTick);
    EXPECT_TRUE(g.KrevHasDisc);
    EXPECT_EQ(KrevPlaces(), "..d.");
    EXPECT_EQ(g.Score, 300);
    EXPECT_TRUE(f.TimerLanciaDiscKrev.Enabled());
    EXPECT_EQ(f.TimerLanciaDiscKrev.Interval(), 350u);  // first choice: 0
    EXPECT_EQ(f.TimerLanciaDiscKrev.DueTime(), toy.Now() + 350);
}

TEST_F(Duel, OpponentsCatchOnTheThirdChoiceWaitsTwoMoves) {
    StartPlay();
    f.Random(2);
    f.Random(2);
    ZarqServes(2);
    PlaceKrev(3);
    toy.Press(VK_CONTROL);
    toy.Advance(7 * kFlightTick);
    EXPECT_TRUE(g.KrevHasDisc);
    EXPECT_EQ(f.TimerLanciaDiscKrev.Interval(), 700u);
}

TEST_F(Duel, OpponentsMissFreezesTheGameWithTheDiscAtItsEdge) {
    StartPlay();
    ZarqServes(4);  // arrives in row 1
    PlaceKrev(3);
    f.TimerXOM1.SetEnabled(true);
    toy.Press(VK_CONTROL);
    toy.Advance(7 * kFlightTick);
    EXPECT_FALSE(g.KrevHasDisc);
    EXPECT_FALSE(g.PlayEnabled);
    EXPECT_EQ(KrevPlaces(), "o.h.");
    EXPECT_EQ(EnabledTimers(), (Names{"TimerWinDiscGame2"}));
    EXPECT_EQ(g.WinDiscStep, 1);
    EXPECT_EQ(g.Score, 300);  // the point's reward comes after the blink
}

}  // namespace
}  // namespace zarq::test
