// The shape of the cycle race's labyrinth and the tests both cycles make on its cells:
// the torus with its border copies, and a comparison of one cell's segment sum.
#pragma once

#include <array>
#include <cstdint>

#include "core/panel/GameState.h"

namespace zarq::cycle {

// The real region of the torus; two columns and rows on each side hold copies of the
// opposite side, so a test reaching two cells beyond the real region still reads the grid.
inline constexpr int kRealColLo = -1;
inline constexpr int kRealColHi = 9;
inline constexpr int kRealRowLo = -1;
inline constexpr int kRealRowHi = 7;
inline constexpr int kCopies = 2;
inline constexpr int kReach = 2;  // the farthest any test looks from the opponent's point

static_assert(LabyrinthGrid::Low == kRealColLo - kCopies &&
              LabyrinthGrid::High == kRealColHi + kCopies);
static_assert(LabyrinthColumn::Low == kRealRowLo - kCopies &&
              LabyrinthColumn::High == kRealRowHi + kCopies);
static_assert(kReach <= kCopies);

// A coordinate taken round the torus into lo .. hi, whatever its value.
constexpr int Wrap(int v, int lo, int hi) {
    const std::int64_t n = hi - lo + 1;
    std::int64_t m = (static_cast<std::int64_t>(v) - lo) % n;
    if (m < 0) m += n;
    return static_cast<int>(m + lo);
}
constexpr int WrapCol(int c) {
    return Wrap(c, kRealColLo, kRealColHi);
}
constexpr int WrapRow(int r) {
    return Wrap(r, kRealRowLo, kRealRowHi);
}

// Segment values of a cell: they add up, 3 meaning both segments of the point lit.
inline constexpr std::int32_t kVertical = 1;
inline constexpr std::int32_t kHorizontal = 2;

// How one cell is compared. Some tests compare exactly, so for instance Is2 misses a cell
// that holds both segments; that is how the opponent judges its way.
enum class Cmp {
    None,      // an unused slot of a rule
    AtLeast1,  // any segment lit
    NotZero,
    AtLeast2,  // the horizontal segment lit (or a larger sum)
    Is1,
    Is2,
    Is3,
    Is1Or3,  // the vertical segment lit
};

constexpr bool Holds(Cmp cmp, std::int32_t v) {
    switch (cmp) {
        case Cmp::None:
            return false;
        case Cmp::AtLeast1:
            return v >= 1;
        case Cmp::NotZero:
            return v != 0;
        case Cmp::AtLeast2:
            return v >= 2;
        case Cmp::Is1:
            return v == 1;
        case Cmp::Is2:
            return v == 2;
        case Cmp::Is3:
            return v == 3;
        case Cmp::Is1Or3:
            return v == 1 || v == 3;
    }
    return false;
}

// One cell compared: at an offset from the opponent, or at a fixed point for the player.
struct CellTest {
    int dc = 0;
    int dr = 0;
    Cmp cmp = Cmp::None;
};
using AnyOf = std::array<CellTest, 3>;

// True when any used slot holds; `cell(dc, dr)` reads the cell.
template <typename CellReader>
bool AnyHolds(const AnyOf& tests, CellReader&& cell) {
    for (const CellTest& t : tests) {
        if (t.cmp != Cmp::None && Holds(t.cmp, cell(t.dc, t.dr))) return true;
    }
    return false;
}

// For the checks at compile time that no rule reaches beyond the border copies.
constexpr bool WithinReach(const AnyOf& tests) {
    for (const CellTest& t : tests) {
        if (t.dc < -kReach || t.dc > kReach || t.dr < -kReach || t.dr > kReach) return false;
    }
    return true;
}

}  // namespace zarq::cycle
