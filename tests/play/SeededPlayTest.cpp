// One long seeded play of the whole toy, from the switch through the three games and their game
// overs, by a player who steers in the race (carefully or not) and presses keys at random in
// the duel and the barrier stage. After every tick and every key the rules of the game in play
// are checked, and those that always hold: no table indexed out of range, lives and levels in
// bounds, the toy never stalls while it is on and rests after a game over. At the end the play
// must have met what these checks are for: races, duels and stages both won and lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <random>
#include <set>

#include "tests/harness/Harness.h"
#include "tests/harness/PlayBot.h"

namespace zarq::test {
namespace {

// The real region of the labyrinth's torus.
constexpr int kColLo = -1, kColHi = 9, kRowLo = -1, kRowHi = 7;

struct Point {
    int c, r;
    bool operator==(const Point&) const = default;
};
// A segment: the cell of the point that owns it and its value there (1 vertical, 2 horizontal).
struct Segment {
    Point cell;
    int value;
};

// Headings 1 up, 2 right, 3 down, 4 left; a cycle at point p is on p's vertical segment
// while heading up or down and on its horizontal segment while heading right or left.
Point HeadOf(Point p, int heading) {
    return heading == 1 ? Point{p.c, p.r + 1} : heading == 2 ? Point{p.c + 1, p.r} : p;
}
Point TailOf(Point p, int heading) {
    return heading == 3 ? Point{p.c, p.r + 1} : heading == 4 ? Point{p.c + 1, p.r} : p;
}
Segment SegmentFrom(Point start, int heading) {
    switch (heading) {
        case 1:
        case 2:
            return {start, heading};
        case 3:
            return {{start.c, start.r - 1}, 1};
        default:
            return {{start.c - 1, start.r}, 2};
    }
}
Point Wrapped(Point p) {
    auto wrap = [](int v, int lo, int hi) {
        return ((v - lo) % (hi - lo + 1) + (hi - lo + 1)) % (hi - lo + 1) + lo;
    };
    return {wrap(p.c, kColLo, kColHi), wrap(p.r, kRowLo, kRowHi)};
}

// Whether a lit segment other than `own` touches point p, looking round the torus as the
// cycles do; nullopt when a cell it depends on holds a sum above 3, which no longer tells.
std::optional<bool> Touched(const LabyrinthGrid& l, Point p, Segment own) {
    const Segment around[] = {{p, 1}, {p, 2}, {{p.c - 1, p.r}, 2}, {{p.c, p.r - 1}, 1}};
    bool touched = false;
    for (const Segment& s : around) {
        const Point cell = Wrapped(s.cell);
        const std::int32_t v = l[cell.c][cell.r];
        if (v < 0 || v > 3) return std::nullopt;
        if (cell == Wrapped(own.cell) && s.value == own.value) continue;
        touched = touched || (v & s.value) != 0;
    }
    return touched;
}

constexpr int kCodeHeading[9] = {0, 1, 1, 2, 2, 3, 3, 4, 4};  // the heading a turn code asks for
constexpr int kArrowFor[5] = {0, VK_UP, VK_RIGHT, VK_DOWN, VK_LEFT};
constexpr int kSideKeys[5][2] = {
    {0, 0}, {VK_LEFT, VK_RIGHT}, {VK_UP, VK_DOWN}, {VK_LEFT, VK_RIGHT}, {VK_UP, VK_DOWN}};

// A figure's place: '.' dark, 'h' figure with empty hand, 'd' figure holding the disc.
char Place(const TFigure& fig) {
    const bool b = fig.Body->Visible(), h = fig.Hand->Visible(), d = fig.Disk->Visible();
    return !b && !h && !d ? '.' : b && h && !d ? 'h' : b && !h && d ? 'd' : '?';
}

class SeededPlay : public ::testing::Test {
  protected:
    Toy toy;
    TForm1& f = toy.F();
    TGameState& g = toy.G();
    std::mt19937 rng{20261208u};
    static constexpr Millis kPlayLength = 20LL * 3600 * 1000;

    // What the play met.
    std::set<int> levels;
    int gameOvers = 0, scoreWraps = 0;
    int races = 0, racesWon = 0, racesLost = 0, turns = 0, steps = 0, unreadable = 0;
    int krevOffDisplay = 0, krevRoundTorus = 0;
    int duelsWon = 0, duelsLost = 0, catches = 0, pointsWon = 0;
    int stagesWon = 0, stagesLost = 0, timeOuts = 0;
    bool careful = true;  // this race's player looks ahead
    int stageLevel = 0;   // the level the barrier stage began at

    // Straight from the generator, whose numbers the standard fixes, so that the play is the
    // same with every standard library (the distributions' are not).
    bool Chance(double p) { return rng() % 1000 < static_cast<unsigned>(p * 1000); }
    int Pick(int lo, int hi) {
        return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
    }
    std::int64_t Total() const { return g.Score + 2000LL * g.ScoreWraps; }
    bool Lit(const TImage* e) const { return e->Visible(); }

    // The timer that ticks next: the earliest due, ties in creation order.
    TTimer* NextTimer() {
        TTimer* next = nullptr;
        for (TTimer* t : f.Timers()) {
            if (t->Enabled() && t->Interval() > 0 &&
                (next == nullptr || *t->DueTime() < *next->DueTime()))
                next = t;
        }
        return next;
    }

    // Game 1: a cycle step lights one segment at the player's point and scrolls the rest with
    // it; the player crashes exactly when its new head point was touched.
    void CheckPlayerStep(const TGameState& before, bool turning) {
        ++steps;
        const int heading = turning ? kCodeHeading[before.ZarqTurnRequest] : before.ZarqDirection;
        turns += turning;
        ASSERT_EQ(g.ZarqDirection, heading);
        ASSERT_EQ(g.ZarqTurnRequest, 0);
        const Segment seg = SegmentFrom(HeadOf({4, 3}, before.ZarqDirection), heading);
        const int dx = 4 - seg.cell.c, dy = 3 - seg.cell.r;
        LabyrinthGrid want = before.Labyrinth;
        for (int c = kColLo; c <= kColHi; ++c) {
            for (int r = kRowLo; r <= kRowHi; ++r) {
                const int fc = c - dx, fr = r - dy;
                const bool inside = fc >= kColLo && fc <= kColHi && fr >= kRowLo && fr <= kRowHi;
                want[c][r] = inside ? before.Labyrinth[fc][fr] : 0;
            }
        }
        ASSERT_EQ(want[4][3] & seg.value, 0) << "the new segment was lit already\n"
                                             << toy.Lattice();
        want[4][3] += seg.value;
        ASSERT_NO_FATAL_FAILURE(ExpectRealRegion(want, "player step"));
        const std::optional<bool> touched =
            Touched(g.Labyrinth, HeadOf({4, 3}, heading), {{4, 3}, seg.value});
        unreadable += !touched;
        ASSERT_TRUE(!touched || f.TimerMissCycleZarq.Enabled() == *touched) << toy.Lattice();
    }

    // Game 1: the opponent never reverses and never drives onto a lit segment, its new segment
    // starts at its old head point, and it crashes exactly when its head point was touched.
    void CheckOpponentStep(const TGameState& before) {
        ++steps;
        const Point old{before.KrevCol, before.KrevRow}, now{g.KrevCol, g.KrevRow};
        ASSERT_NE(g.KrevDirection, (before.KrevDirection + 1) % 4 + 1) << "it never reverses";
        ASSERT_EQ(Wrapped(TailOf(now, g.KrevDirection)),
                  Wrapped(HeadOf(old, before.KrevDirection)));
        const int value = g.KrevDirection % 2 == 1 ? 1 : 2;
        ASSERT_EQ(before.Labyrinth[now.c][now.r] & value, 0) << "onto a lit segment\n"
                                                             << toy.Lattice();
        LabyrinthGrid want = before.Labyrinth;
        want[now.c][now.r] += value;
        ASSERT_NO_FATAL_FAILURE(ExpectRealRegion(want, "opponent step"));
        krevOffDisplay += now.c < 1 || now.c > 7 || now.r < 1 || now.r > 5;
        krevRoundTorus += std::abs(now.c - old.c) > 2 || std::abs(now.r - old.r) > 2;
        const std::optional<bool> touched =
            Touched(g.Labyrinth, HeadOf(now, g.KrevDirection), {now, value});
        unreadable += !touched;
        ASSERT_TRUE(!touched || f.TimerWinCycleZarq.Enabled() == *touched) << toy.Lattice();
    }

    void ExpectRealRegion(const LabyrinthGrid& want, const char* what) {
        for (int c = kColLo; c <= kColHi; ++c) {
            for (int r = kRowLo; r <= kRowHi; ++r)
                ASSERT_EQ(g.Labyrinth[c][r], want[c][r])
                    << what << ", cell " << c << "," << r << "\n"
                    << toy.Lattice();
        }
    }

    void CheckRace() {
        ASSERT_GE(g.KrevLives, 1);
        ASSERT_LE(g.CycleKrevLives, 3);
        ASSERT_GE(g.CycleKrevLives, 0);
        ASSERT_TRUE(g.KrevCol >= kColLo && g.KrevCol <= kColHi && g.KrevRow >= kRowLo &&
                    g.KrevRow <= kRowHi);
        ASSERT_TRUE(g.KrevDirection >= 1 && g.KrevDirection <= 4);
        ASSERT_TRUE(g.ZarqDirection >= 1 && g.ZarqDirection <= 4);
    }

    // Game 2: at most one disc flies, shown where the state says; in play exactly one side holds
    // the disc or it flies, and the figures and life bars show what the state says.
    void CheckDuel() {
        const bool zarqFlight = f.TimerMuoviDiscZarq.Enabled(),
                   krevFlight = f.TimerMuoviDiscKrev.Enabled();
        ASSERT_FALSE(zarqFlight && krevFlight);
        if (zarqFlight || krevFlight) {
            int lit = 0;
            for (int c = 1; c <= 7; ++c) {
                for (int r = 1; r <= 5; ++r) lit += Lit(f.DiskH[c][r]);
            }
            ASSERT_EQ(lit, 1);
            ASSERT_TRUE(Lit(f.DiskH[g.DiscCol][g.DiscRow])) << g.DiscCol << "," << g.DiscRow;
        }
        if (f.TimerAvvioGioco2.Enabled()) return;
        ASSERT_TRUE(g.ZarqRow >= 1 && g.ZarqRow <= 4 && g.KrevRow >= 1 && g.KrevRow <= 4);
        if (!g.PlayEnabled) return;
        ASSERT_EQ(int{g.ZarqHasDisc} + int{g.KrevHasDisc} + int{zarqFlight || krevFlight}, 1);
        std::string zarq(5, '.'), krev(4, '.'), shownZarq, shownKrev, bars(8, '.'), shownBars;
        zarq[static_cast<std::size_t>(g.ZarqRow - 1)] = g.ZarqHasDisc ? 'd' : 'h';
        krev[static_cast<std::size_t>(g.KrevRow - 1)] = g.KrevHasDisc ? 'd' : 'h';
        for (int i = 1; i <= 5; ++i) shownZarq += Place(f.ZarqFigure[i]);
        for (int i = 1; i <= 4; ++i) shownKrev += Place(f.KrevFigure[i]);
        for (int i = 0; i < g.DiscZarqLives; ++i) bars[static_cast<std::size_t>(i)] = '#';
        for (int i = 0; i < g.DiscKrevLives; ++i) bars[static_cast<std::size_t>(4 + i)] = '#';
        for (int i = 1; i <= 8; ++i) shownBars += Lit(f.LifeBar[i]) ? '#' : '.';
        ASSERT_EQ(shownZarq, zarq);
        ASSERT_EQ(shownKrev, krev);
        ASSERT_EQ(shownBars, bars);
    }

    // Game 3: the barrier shows its one gap while open, the player holds the disc and the
    // opponent none, and only the time bar running out may be dark for a blink.
    void CheckStage() {
        if (!g.PlayEnabled) return;
        int gaps = 0, bars = 0;
        for (int i = 1; i <= 4; ++i) gaps += !toy.Lit("Im_XomCover" + std::to_string(i));
        for (int i = 1; i <= 4; ++i) bars += Lit(f.LifeBar[i]);
        ASSERT_EQ(gaps, g.BarrierOpen ? 1 : 0);
        ASSERT_TRUE(toy.Lit("Im_Zarq2Disk"));
        ASSERT_FALSE(toy.Lit("Im_Krev2Disk"));
        ASSERT_TRUE(bars == g.DiscZarqLives || bars == g.DiscZarqLives - 1);
    }

    // The moment before a tick or a key.
    struct Before {
        TGameState g;
        std::int64_t total;
        bool over, stageStarting, poweringOn;
        std::size_t sounds;
    };
    Before Moment() {
        return {g,
                Total(),
                f.TimerOver.Enabled(),
                f.TimerAvvioGioco3.Enabled(),
                f.TimerAvvio.Enabled(),
                toy.Sound.Calls.size()};
    }

    // What holds in every game, and what a game's end must leave.
    void CheckAlways(const Before& b) {
        ASSERT_EQ(f.TableFaults(), 0);
        ASSERT_TRUE(g.ZarqLives >= 0 && g.ZarqLives <= 4);
        ASSERT_TRUE(g.DiscZarqLives >= 0 && g.DiscZarqLives <= 4);
        ASSERT_TRUE(g.DiscKrevLives >= 0 && g.DiscKrevLives <= 4);
        ASSERT_TRUE(g.SpeedLevel >= 1 && g.SpeedLevel <= 6);
        ASSERT_TRUE(g.Score >= 0 && g.Score < 2000);
        levels.insert(g.SpeedLevel);
        scoreWraps += g.ScoreWraps > b.g.ScoreWraps;
        const int game = b.stageStarting ? 3 : b.g.CurrentGame;  // its start awards the won duel
        const std::int64_t gain = Total() - b.total;
        if (b.g.GameStarted && !b.poweringOn) {
            // The score only rises, by the steps the game in play awards; a new play clears it.
            const std::int64_t award = game == 1 ? 100 : game == 2 ? 20 : gain;
            ASSERT_TRUE(gain == 0 || gain == 5 || (gain > 0 && gain == award))
                << gain << " in game " << game;
            catches += game == 2 && gain == 5;
            pointsWon += game == 2 && gain == 20;
        }
        for (std::size_t i = b.sounds; i < toy.Sound.Calls.size(); ++i)
            timeOuts += game == 3 && toy.Sound.Calls[i].Call == "Play" &&
                        toy.Sound.Calls[i].Sample == "Miss1";
        if (game == 1 && b.g.PlayEnabled && !g.PlayEnabled) {
            ++races;
            racesWon += f.TimerWinCycleZarq.Enabled();
            racesLost += f.TimerMissCycleZarq.Enabled();
        }
        if (game == 1 && !b.g.PlayEnabled && g.PlayEnabled) careful = Chance(0.9);
        if (game == 2 && !b.stageStarting && f.TimerAvvioGioco3.Enabled()) {
            ++duelsWon;
            ASSERT_EQ(g.DiscKrevLives, 0);
            ASSERT_GT(g.DiscZarqLives, 0);
            stageLevel = g.SpeedLevel;
        }
        if (!b.over && f.TimerOver.Enabled()) {
            ++gameOvers;
            ASSERT_EQ(g.ZarqLives, 0);
            duelsLost += game == 2;
            stagesLost += game == 3;
            ASSERT_TRUE(game != 2 || g.DiscZarqLives == 0);
        }
        if (game == 3 && g.CurrentGame == 1 && !b.poweringOn) {
            ++stagesWon;
            ASSERT_EQ(g.SpeedLevel, std::min(stageLevel + 1, 6))
                << "a won stage speeds the race up";
        }
        if (g.CurrentGame != b.g.CurrentGame) gameSince = toy.Now();
        ASSERT_LT(toy.Now() - gameSince, (g.CurrentGame == 3 ? 10 : 6 * 60) * 60 * 1000)
            << "a game always ends";
        if (!g.GameStarted) return;
        switch (g.CurrentGame) {
            case 1:
                return CheckRace();
            case 2:
                return CheckDuel();
            case 3:
                return CheckStage();
            default:  // before the first race
                return;
        }
    }

    // The race's keys, just before a step of the player's cycle.
    void SteerOrNot() {
        const int turn =
            careful ? SteerFrom(g.Labyrinth, g.ZarqDirection, {g.KrevCol, g.KrevRow}) : 0;
        const int key = turn != 0                 ? kArrowFor[turn]
                        : !careful && Chance(0.3) ? kSideKeys[g.ZarqDirection][Pick(0, 1)]
                                                  : 0;
        if (key == 0) return;
        toy.Press(key);
        toy.Release(key);
    }

    // A key at random in the duel (leaning towards the incoming disc's arrival row), the
    // barrier stage and between plays.
    void RandomKey() {
        const int k = Pick(0, 9);
        if (g.CurrentGame == 2 && f.TimerMuoviDiscKrev.Enabled() && k < 2) {
            const int arrival = 5 - g.DiscStartRow;
            if (g.ZarqRow != arrival) toy.Press(g.ZarqRow < arrival ? VK_UP : VK_DOWN);
            if (g.ZarqRow != arrival && Chance(0.5)) toy.Release(VK_UP);
            return;
        }
        const int keys[] = {VK_UP, VK_DOWN, VK_CONTROL, VK_CONTROL};
        if (k < 4) {
            toy.Press(keys[k]);
        } else if (k < 8) {
            toy.Release(keys[k - 4]);
        } else {
            toy.Press(k == 8 ? VK_LEFT : VK_RIGHT);
        }
    }

    // One tick, or one key when it comes first, and the checks after it.
    void Step() {
        const std::optional<Millis> due = toy.Clock.Scheduler().NextDue();
        if (!g.GameStarted) {
            ASSERT_FALSE(due.has_value()) << "a game over leaves nothing running";
            toy.Advance(Pick(100, 3000));
            toy.Press(VK_CONTROL);  // and the speed button starts a new play
            toy.Release(VK_CONTROL);
            return;
        }
        ASSERT_TRUE(due.has_value()) << "stalled in game " << g.CurrentGame << " at " << toy.Now();
        const bool racing = g.CurrentGame == 1 && g.PlayEnabled;
        if (racing || *due <= nextKey) {
            if (racing && Chance(0.01)) toy.Press(VK_CONTROL);    // it retimes the player's step,
            if (racing && Chance(0.01)) toy.Release(VK_CONTROL);  // so it comes first
            TTimer* next = NextTimer();
            if (racing && next == &f.TimerCycleZarq) SteerOrNot();
            const Before b = Moment();
            const bool turning = g.ZarqTurnRequest != 0;
            ASSERT_TRUE(toy.Clock.RunNext());
            if (racing && next == &f.TimerCycleZarq) CheckPlayerStep(b.g, turning);
            if (racing && next == &f.TimerCycleKrev) CheckOpponentStep(b.g);
            if (HasFatalFailure()) return;
            ASSERT_NO_FATAL_FAILURE(CheckAlways(b));
        } else {
            toy.Advance(nextKey - toy.Now());
            const Before b = Moment();
            RandomKey();
            nextKey = toy.Now() + Pick(1, 300);
            ASSERT_NO_FATAL_FAILURE(CheckAlways(b));
        }
        if (nextKey < toy.Now()) nextKey = toy.Now() + Pick(1, 300);
    }

    Millis nextKey = 0, gameSince = 0;
};

TEST_F(SeededPlay, EveryGameKeepsItsRulesThroughALongPlay) {
    toy.SoundOn();
    toy.SwitchOn();
    while (toy.Now() < kPlayLength) {
        ASSERT_NO_FATAL_FAILURE(Step()) << "at " << toy.Now() << " in game " << g.CurrentGame;
    }
    RecordProperty("races", races);
    RecordProperty("stages_won", stagesWon);
    EXPECT_GT(racesWon, 0);
    EXPECT_GT(racesLost, 0);
    EXPECT_GT(turns, 0);
    EXPECT_GT(krevOffDisplay, 0);
    EXPECT_GT(krevRoundTorus, 0);
    EXPECT_LT(unreadable, steps / 100) << "the crash checks were mostly made";
    EXPECT_GT(duelsWon, 0);
    EXPECT_GT(duelsLost, 0);
    EXPECT_GT(catches, 0);
    EXPECT_GT(pointsWon, 0);
    EXPECT_GT(stagesWon, 0);
    EXPECT_GT(stagesLost, 0);
    EXPECT_GT(timeOuts, stagesLost) << "time-outs with lives left, too";
    EXPECT_GT(gameOvers, 0);
    EXPECT_GT(scoreWraps, 0);
    EXPECT_GE(levels.size(), 3u) << "won stages brought the race back faster, more than once";
}

}  // namespace
}  // namespace zarq::test
