// Long runs of many races with a player turning at random (seeded), checking after every
// tick what must always hold: every index in range, one segment per cycle step and nothing
// else changed, a crash exactly when a head point is touched, a score that only rises, lives
// within their bounds.
#include <map>
#include <random>

#include "RaceFixture.h"

namespace zarq::test {
namespace {

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
    switch (heading) {
        case 1:
            return {p.c, p.r + 1};
        case 2:
            return {p.c + 1, p.r};
        default:
            return p;
    }
}
Point TailOf(Point p, int heading) {
    switch (heading) {
        case 3:
            return {p.c, p.r + 1};
        case 4:
            return {p.c + 1, p.r};
        default:
            return p;
    }
}
Segment SegmentFrom(Point start, int heading) {
    switch (heading) {
        case 1:
            return {start, 1};
        case 2:
            return {start, 2};
        case 3:
            return {{start.c, start.r - 1}, 1};
        default:
            return {{start.c - 1, start.r}, 2};
    }
}
Point Wrapped(Point p) {
    auto wrap = [](int v, int lo, int hi) {
        const int n = hi - lo + 1;
        return ((v - lo) % n + n) % n + lo;
    };
    return {wrap(p.c, kColLo, kColHi), wrap(p.r, kRowLo, kRowHi)};
}

using Grid = LabyrinthGrid;

// Whether a lit segment other than `own` touches point p; nullopt when a cell it depends on
// holds a sum above 3, which no longer tells which segments are lit.
std::optional<bool> Touched(const Grid& g, Point p, Segment own) {
    const Segment around[] = {{p, 1}, {p, 2}, {{p.c - 1, p.r}, 2}, {{p.c, p.r - 1}, 1}};
    bool touched = false;
    for (const Segment& s : around) {
        // Round the torus, as the cycles look.
        const Point cell = Wrapped(s.cell);
        const std::int32_t v = g[cell.c][cell.r];
        if (v < 0 || v > 3) return std::nullopt;
        if (cell == Wrapped(own.cell) && s.value == own.value) continue;
        touched = touched || (v & s.value) != 0;
    }
    return touched;
}

// The key each turn code stands for, as the heading it asks for.
constexpr int kCodeHeading[9] = {0, 1, 1, 2, 2, 3, 3, 4, 4};
// The two keys at right angles to each heading.
constexpr int kSideKeys[5][2] = {
    {0, 0}, {VK_LEFT, VK_RIGHT}, {VK_UP, VK_DOWN}, {VK_LEFT, VK_RIGHT}, {VK_UP, VK_DOWN}};

constexpr Point kStep[5] = {{0, 0}, {0, 1}, {1, 0}, {0, -1}, {-1, 0}};
const std::map<int, int> kKeyHeading = {{VK_UP, 1}, {VK_RIGHT, 2}, {VK_DOWN, 3}, {VK_LEFT, 4}};

class RandomRaces : public Race, public ::testing::WithParamInterface<unsigned> {
  protected:
    std::mt19937 rng{GetParam()};
    int races = 0, wins = 0, misses = 0, games = 0;
    int playerSteps = 0, turns = 0, krevSteps = 0, krevOffDisplay = 0, krevRoundTorus = 0;
    int unreadable = 0;
    bool careful = false;

    bool Chance(double p) { return std::bernoulli_distribution(p)(rng); }
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    std::int64_t Total() const { return g.Score + 2000LL * g.ScoreWraps; }

    // The timer that ticks next: the earliest due, ties in creation order.
    TTimer* NextTimer() {
        TTimer* next = nullptr;
        for (TTimer* t : f.Timers()) {
            if (t->Enabled() && t->Interval() > 0 &&
                (next == nullptr || *t->DueTime() < *next->DueTime())) {
                next = t;
            }
        }
        return next;
    }

    void ExpectRealRegion(const Grid& want, const char* what) {
        for (int c = kColLo; c <= kColHi; ++c) {
            for (int r = kRowLo; r <= kRowHi; ++r) {
                ASSERT_EQ(g.Labyrinth[c][r], want[c][r])
                    << what << ", cell " << c << "," << r << "\n"
                    << Screen();
            }
        }
    }

    void CheckPlayerStep(const TGameState& before, bool turning) {
        ++playerSteps;
        const int heading = turning ? kCodeHeading[before.ZarqTurnRequest] : before.ZarqDirection;
        turns += turning;
        ASSERT_EQ(g.ZarqDirection, heading);
        ASSERT_EQ(g.ZarqTurnRequest, 0);
        // The new segment starts at the old head point; the labyrinth moves so that it comes
        // to the player's point, and nothing else changes.
        const Segment seg = SegmentFrom(HeadOf({4, 3}, before.ZarqDirection), heading);
        const int dx = 4 - seg.cell.c, dy = 3 - seg.cell.r;
        Grid want = before.Labyrinth;
        for (int c = kColLo; c <= kColHi; ++c) {
            for (int r = kRowLo; r <= kRowHi; ++r) {
                const int fc = c - dx, fr = r - dy;
                const bool inside = fc >= kColLo && fc <= kColHi && fr >= kRowLo && fr <= kRowHi;
                want[c][r] = inside ? before.Labyrinth[fc][fr] : 0;
            }
        }
        ASSERT_EQ(want[4][3] & seg.value, 0) << "the player's new segment was lit already\n"
                                             << Screen();
        want[4][3] += seg.value;
        ExpectRealRegion(want, "player step");

        const std::optional<bool> touched =
            Touched(g.Labyrinth, HeadOf({4, 3}, heading), {{4, 3}, seg.value});
        if (!touched) {
            ++unreadable;
        } else {
            ASSERT_EQ(MissStarted(), *touched) << Screen();
        }
    }

    void CheckOpponentStep(const TGameState& before) {
        ++krevSteps;
        const Point old{before.KrevCol, before.KrevRow}, now{g.KrevCol, g.KrevRow};
        ASSERT_NE(g.KrevDirection, (before.KrevDirection + 1) % 4 + 1) << "it never reverses";
        ASSERT_EQ(Wrapped(TailOf(now, g.KrevDirection)), Wrapped(HeadOf(old, before.KrevDirection)))
            << "its new segment starts at its old head point";
        const int value = g.KrevDirection % 2 == 1 ? 1 : 2;
        Grid want = before.Labyrinth;
        want[now.c][now.r] += value;
        ExpectRealRegion(want, "opponent step");
        // Its tests look round the torus as its crash test does, so it never drives onto a
        // segment that is lit already, at the edge of the real region or anywhere else.
        ASSERT_EQ(before.Labyrinth[now.c][now.r] & value, 0)
            << "onto a lit segment at " << now.c << "," << now.r << "\n"
            << Screen();
        krevOffDisplay += now.c < 1 || now.c > 7 || now.r < 1 || now.r > 5;
        krevRoundTorus +=
            now.c - old.c > 2 || old.c - now.c > 2 || now.r - old.r > 2 || old.r - now.r > 2;

        const std::optional<bool> touched =
            Touched(g.Labyrinth, HeadOf(now, g.KrevDirection), {now, value});
        if (!touched) {
            ++unreadable;
        } else {
            ASSERT_EQ(WinStarted(), *touched) << Screen();
        }
    }

    void CheckAlways(std::int64_t totalBefore) {
        ASSERT_EQ(f.TableFaults(), 0);
        const std::int64_t gain = Total() - totalBefore;
        ASSERT_TRUE(gain == 0 || gain == 5 || gain == 100) << "score gain " << gain;
        ASSERT_GE(g.ZarqLives, 0);
        ASSERT_LE(g.ZarqLives, 4);
        ASSERT_GE(g.KrevLives, 1);
        ASSERT_LE(g.KrevLives, 4);
        ASSERT_GE(g.CycleKrevLives, 0);
        ASSERT_LE(g.CycleKrevLives, 3);
        ASSERT_GE(g.KrevCol, kColLo);
        ASSERT_LE(g.KrevCol, kColHi);
        ASSERT_GE(g.KrevRow, kRowLo);
        ASSERT_LE(g.KrevRow, kRowHi);
        ASSERT_GE(g.KrevDirection, 1);
        ASSERT_LE(g.KrevDirection, 4);
        ASSERT_GE(g.ZarqDirection, 1);
        ASSERT_LE(g.ZarqDirection, 4);
    }

    // A player who looks one point ahead: straight on when that point is clear, else (and
    // now and then anyway) a turn to a clear side.
    void SteerClear() {
        const int h = g.ZarqDirection;
        const Point head = HeadOf({4, 3}, h);
        auto clear = [&](int heading) {
            const Point next{head.c + kStep[heading].c, head.r + kStep[heading].r};
            return Touched(g.Labyrinth, next, {{-99, -99}, 0}) == std::optional<bool>(false);
        };
        const int side = kSideKeys[h][Pick(0, 1)], other = kSideKeys[h][0] + kSideKeys[h][1] - side;
        if (clear(h) && !Chance(0.15)) return;
        if (clear(kKeyHeading.at(side))) {
            toy.Press(side);
        } else if (clear(kKeyHeading.at(other))) {
            toy.Press(other);
        }
    }

    // One tick of whatever is due, with the player's keys before a step of its cycle.
    void Tick() {
        // The speed button retimes the player's step, so it comes before the look ahead.
        if (Chance(0.01)) toy.Press(VK_CONTROL);
        if (Chance(0.01)) toy.Release(VK_CONTROL);
        TTimer* next = NextTimer();
        ASSERT_NE(next, nullptr);
        if (next == &f.TimerCycleZarq && g.PlayEnabled) {
            if (careful) {
                SteerClear();
            } else {
                if (Chance(0.3)) toy.Press(kSideKeys[g.ZarqDirection][Pick(0, 1)]);
                if (Chance(0.05)) toy.Press(kSideKeys[g.ZarqDirection][Pick(0, 1)]);
            }
        }

        const TGameState before = g;
        const bool racing = g.PlayEnabled;
        const bool turning = g.ZarqTurnRequest != 0;
        const std::int64_t total = Total();
        ASSERT_TRUE(toy.Clock.RunNext());

        if (racing && next == &f.TimerCycleZarq) {
            ASSERT_NO_FATAL_FAILURE(CheckPlayerStep(before, turning));
        }
        if (racing && next == &f.TimerCycleKrev) {
            ASSERT_NO_FATAL_FAILURE(CheckOpponentStep(before));
        }
        if (racing && !g.PlayEnabled) {
            ++races;
            wins += WinStarted();
            misses += MissStarted();
        }
        ASSERT_NO_FATAL_FAILURE(CheckAlways(total));
    }
};

TEST_P(RandomRaces, ManyRacesKeepEveryInvariant) {
    while (races < 2000) {
        ++games;
        careful = Chance(0.5);
        StartGame1(Pick(1, 6));
        g.Score = Pick(0, 1999);  // so that some runs pass 1999
        // Game 1 ends in the duel's start or in game over; either way a new game follows.
        while (!f.TimerAvvioGioco2.Enabled() && !f.TimerOver.Enabled()) {
            ASSERT_NO_FATAL_FAILURE(Tick());
        }
    }
    RecordProperty("races", races);
    RecordProperty("wins", wins);
    EXPECT_GT(wins, 0);
    EXPECT_GT(misses, 0);
    EXPECT_GT(turns, 0);
    EXPECT_GT(krevOffDisplay, 0);
    EXPECT_GT(krevRoundTorus, 0);
    EXPECT_LT(unreadable, (playerSteps + krevSteps) / 100) << "the crash checks were mostly made";
    EXPECT_EQ(f.TableFaults(), 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomRaces, ::testing::Values(1u, 7u, 20240611u));

}  // namespace
}  // namespace zarq::test
