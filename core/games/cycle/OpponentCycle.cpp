// The opponent's cycle: it really drives over the labyrinth, one segment per tick, deciding
// each move by fixed rules (pursuit of the player, else straight on, else a free side), then
// testing its own head. Also its display on the lattice and its remaining cycles.
#include <algorithm>

#include "core/games/cycle/CellRules.h"
#include "core/panel/Unit1.h"

namespace zarq {

using namespace cycle;

namespace {
// Headings: 1 up, 2 right, 3 down, 4 left.
constexpr bool InHeadings(int h) {
    return h >= 1 && h <= 4;
}
constexpr std::int32_t SegmentOf(int heading) {
    return heading % 2 == 1 ? kVertical : kHorizontal;
}

// Straight on: the opponent's point moves one step and the same kind of segment is added.
// clang-format off
//                                 column  row
constexpr int kStraight[5][2] = {{ 0,  0},
                                 { 0, +1},   // 1 MuoviKrevSu
                                 {+1,  0},   // 2 MuoviKrevDx
                                 { 0, -1},   // 3 MuoviKrevGiu
                                 {-1,  0}};  // 4 MuoviKrevSx
// clang-format on

// A turn: the new segment is the first one in the new heading from the old head point, so the
// point moves by an amount that depends on the old heading. Rows: new heading; columns: old.
struct Shift {
    int dc, dr;
};
// clang-format off
constexpr Shift kTurnShift[5][5] = {
    {},
    //           from up   from right  from down  from left
    /* GiraKrev1 up    */ {{}, {0, 0}, {+1, 0}, {0, 0}, {0, 0}},
    /* GiraKrev2 right */ {{}, {0, +1}, {0, 0}, {0, 0}, {0, 0}},
    /* GiraKrev3 down  */ {{}, {0, -1}, {+1, -1}, {0, -1}, {0, -1}},
    /* GiraKrev4 left  */ {{}, {-1, +1}, {-1, 0}, {-1, 0}, {-1, 0}},
};
// clang-format on

// The free-way tests: the way is blocked when any listed cell, at an offset from the
// opponent's point, compares as given. An empty entry (the reverse of the tested way) is free
// without a look.
// The four ways, numbered as the headings: the test Libero<way>, the turn GiraKrev<number>,
// the straight move MuoviKrev<way>.
enum Way { Su = 1, Dx = 2, Giu = 3, Sx = 4 };
// clang-format off
constexpr AnyOf kNotFree[5][5] = {
    {},
    // test         heading          not free when any of (column offset, row offset, compare)
    /* LiberoSu  */ {{},
                     /* 1 up    */ {{{-1,  2, Cmp::AtLeast2}, { 0,  2, Cmp::AtLeast1}}},
                     /* 2 right */ {{{ 0,  1, Cmp::AtLeast2}, { 1,  1, Cmp::AtLeast1}}},
                     /* 3 down  */ {},
                     /* 4 left  */ {{{-1,  1, Cmp::AtLeast2}, { 0,  1, Cmp::AtLeast1}}}},
    /* LiberoDx  */ {{},
                     /* 1 up    */ {{{ 1,  1, Cmp::AtLeast2}, { 1,  0, Cmp::Is1Or3}}},
                     /* 2 right */ {{{ 2,  0, Cmp::AtLeast1}, { 2, -1, Cmp::Is1Or3}}},
                     /* 3 down  */ {{{ 1,  0, Cmp::AtLeast1}, { 1, -1, Cmp::Is1Or3}}},
                     /* 4 left  */ {}},
    /* LiberoGiu */ {{},
                     /* 1 up    */ {},
                     /* 2 right */ {{{ 1, -1, Cmp::Is2},      { 1, -2, Cmp::Is1Or3},   { 0, -1, Cmp::Is2}}},
                     /* 3 down  */ {{{ 0, -1, Cmp::Is2},      { 0, -2, Cmp::Is1Or3},   {-1, -1, Cmp::AtLeast2}}},
                     /* 4 left  */ {{{ 0, -1, Cmp::Is2},      { 0, -2, Cmp::Is1Or3},   {-1, -1, Cmp::AtLeast2}}}},
    /* LiberoSx  */ {{},
                     /* 1 up    */ {{{-2,  1, Cmp::AtLeast2}, {-1,  1, Cmp::Is1},      {-1,  0, Cmp::Is1}}},
                     /* 2 right */ {},
                     /* 3 down  */ {{{-1, -1, Cmp::Is1Or3},   {-2,  0, Cmp::AtLeast2}, {-1,  0, Cmp::Is1}}},
                     /* 4 left  */ {{{-1, -1, Cmp::Is1Or3},   {-2,  0, Cmp::AtLeast2}, {-1,  0, Cmp::Is1}}}},
};
// clang-format on

// After the move, by the heading: crashed when the head point is touched by a lit segment
// other than the opponent's own.
// clang-format off
constexpr AnyOf kKrevCrash[5] = {
    {},
    // heading       crashed when any of (column offset, row offset, compare)
    /* 1 up    */ {{{ 0,  1, Cmp::AtLeast1}, {-1,  1, Cmp::AtLeast2}}},
    /* 2 right */ {{{ 1,  0, Cmp::AtLeast1}, { 1, -1, Cmp::Is1Or3}}},
    /* 3 down  */ {{{ 0,  0, Cmp::Is3},      { 0, -1, Cmp::Is1Or3},   {-1,  0, Cmp::AtLeast2}}},
    /* 4 left  */ {{{ 0,  0, Cmp::Is3},      { 0, -1, Cmp::Is1Or3},   {-1,  0, Cmp::AtLeast2}}},
};
// clang-format on

constexpr bool AllWithinReach() {
    for (const auto& way : kNotFree) {
        for (const AnyOf& rule : way) {
            if (!WithinReach(rule)) return false;
        }
    }
    for (const AnyOf& rule : kKrevCrash) {
        if (!WithinReach(rule)) return false;
    }
    return true;
}
static_assert(AllWithinReach(), "a rule looks beyond the labyrinth's border copies");

// Pursuit: when the opponent is ahead of the player (at column 4, row 3), a rule may turn it
// towards the player's line of travel. X is the opponent's column, Y its row. The free test
// Libero<way> guards the turn GiraKrev1 (Su, up), 2 (Dx, right), 3 (Giu, down), 4 (Sx, left).
struct Bound {
    char op;  // '<' or '>'
    int value;
    constexpr bool Holds(int v) const { return op == '<' ? v < value : v > value; }
};
struct Pursuit {
    int zarq, krev;  // headings
    Bound x, y;
    Way free;  // Libero<free>
    Way turn;  // GiraKrev<turn>
};
// clang-format off
constexpr Pursuit kPursuit[] = {
    // player opponent   X          Y          free test  turn
    {1,      1,        {'<', 4},  {'>', 3},  Dx,        Dx},
    {1,      1,        {'>', 4},  {'>', 3},  Sx,        Sx},
    {1,      2,        {'>', 4},  {'>', 3},  Giu,       Giu},
    {1,      3,        {'<', 4},  {'>', 4},  Dx,        Dx},
    {1,      3,        {'>', 4},  {'>', 4},  Sx,        Sx},
    {1,      4,        {'<', 4},  {'>', 3},  Giu,       Giu},
    {2,      1,        {'>', 4},  {'>', 3},  Sx,        Sx},
    {2,      2,        {'>', 4},  {'<', 3},  Su,        Su},
    {2,      2,        {'>', 4},  {'>', 3},  Giu,       Giu},
    {2,      3,        {'>', 4},  {'<', 3},  Sx,        Sx},
    {2,      4,        {'>', 5},  {'<', 3},  Su,        Su},
    {2,      4,        {'>', 5},  {'>', 3},  Giu,       Giu},
    {3,      1,        {'<', 4},  {'<', 2},  Dx,        Dx},
    {3,      1,        {'>', 4},  {'<', 2},  Sx,        Sx},
    {3,      2,        {'>', 4},  {'<', 3},  Su,        Su},
    {3,      3,        {'<', 4},  {'<', 3},  Dx,        Dx},
    {3,      3,        {'>', 4},  {'<', 3},  Sx,        Sx},
    {3,      4,        {'<', 4},  {'<', 3},  Su,        Su},
    {4,      1,        {'<', 4},  {'>', 3},  Dx,        Dx},
    {4,      2,        {'<', 3},  {'<', 3},  Su,        Su},
    {4,      2,        {'<', 3},  {'>', 3},  Giu,       Giu},
    {4,      3,        {'<', 4},  {'<', 3},  Dx,        Dx},
    {4,      4,        {'<', 4},  {'<', 3},  Su,        Su},
    {4,      4,        {'<', 4},  {'>', 3},  Giu,       Giu},
};
// clang-format on

// The rules are such that at most one fits any position on the torus.
constexpr bool PursuitRulesExclusive() {
    for (const Pursuit& a : kPursuit) {
        for (const Pursuit& b : kPursuit) {
            if (&a == &b || a.zarq != b.zarq || a.krev != b.krev) continue;
            for (int x = kRealColLo; x <= kRealColHi; ++x) {
                for (int y = kRealRowLo; y <= kRealRowHi; ++y) {
                    if (a.x.Holds(x) && a.y.Holds(y) && b.x.Holds(x) && b.y.Holds(y)) return false;
                }
            }
        }
    }
    return true;
}
static_assert(PursuitRulesExclusive());

// Every pursuit turn is guarded by the free-way test of its own way.
constexpr bool PursuitTurnsAreGuardedByTheirOwnWay() {
    for (const Pursuit& p : kPursuit) {
        if (p.free != p.turn) return false;
    }
    return true;
}
static_assert(PursuitTurnsAreGuardedByTheirOwnWay());

// Without a pursuit turn: the first way whose test finds it free, else straight on into the
// crash. A way along the heading is a straight move, any other a turn.
struct DefaultMove {
    Way first, second, third, otherwise;
};
// clang-format off
constexpr DefaultMove kDefault[5] = {
    {},
    // heading     first  second  third  otherwise
    /* 1 up    */ {Su,    Dx,     Sx,    Su},
    /* 2 right */ {Dx,    Giu,    Su,    Dx},
    /* 3 down  */ {Giu,   Sx,     Dx,    Giu},
    /* 4 left  */ {Sx,    Su,     Giu,   Sx},
};
// clang-format on

// Straight on first, then clockwise, then anticlockwise.
constexpr bool DefaultMovesInOrder() {
    for (int h = 1; h <= 4; ++h) {
        const DefaultMove& d = kDefault[h];
        if (d.first != h || d.second != h % 4 + 1 || d.third != (h + 2) % 4 + 1 ||
            d.otherwise != h) {
            return false;
        }
    }
    return true;
}
static_assert(DefaultMovesInOrder());

// The bottom row shows the remaining cycles from the right: one cycle at column 7.
constexpr int kMaxCycleKrevLives = 3;
}  // namespace

std::int32_t& TForm1::KrevCell(int dc, int dr) {
    dc = std::clamp(dc, -kReach, kReach);
    dr = std::clamp(dr, -kReach, kReach);
    // Every look goes round the torus to the real cell, never to a border copy: the copies
    // are refreshed only by a scroll, so one could still show what the opponent's own last
    // steps changed. The free-way test before a step and the crash test after it, which sees
    // the position already taken round, then read the same cells.
    return G.Labyrinth[WrapCol(WrapCol(G.KrevCol) + dc)][WrapRow(WrapRow(G.KrevRow) + dr)];
}

void TForm1::MostraCycleKrev(bool show) {
    const int c = G.KrevCol, r = G.KrevRow;
    if (c < 1 || c > 7 || r < 1 || r > 5) return;
    if (G.KrevDirection % 2 == 1) {
        BarV[c][r]->SetVisible(show);
        DiskV[c][r]->SetVisible(show);
    } else {
        BarH[c][r]->SetVisible(show);
        DiskH[c][r]->SetVisible(show);
    }
}

void TForm1::MostraViteCycleKrev() {
    if (G.CycleKrevLives == 0) {
        for (int c = 8 - kMaxCycleKrevLives; c <= 7; ++c) {
            BarH[c][1]->SetVisible(false);
            DiskH[c][1]->SetVisible(false);
        }
        return;
    }
    for (int i = 1; i <= G.CycleKrevLives && i <= kMaxCycleKrevLives; ++i) {
        BarH[8 - i][1]->SetVisible(true);
        DiskH[8 - i][1]->SetVisible(true);
    }
}

bool TForm1::KrevWayFree(int way) {
    if (!InHeadings(G.KrevDirection) || !InHeadings(way)) return true;
    return !AnyHolds(kNotFree[way][G.KrevDirection],
                     [this](int dc, int dr) { return KrevCell(dc, dr); });
}

bool TForm1::LiberoSu() {
    return KrevWayFree(Su);
}
bool TForm1::LiberoDx() {
    return KrevWayFree(Dx);
}
bool TForm1::LiberoGiu() {
    return KrevWayFree(Giu);
}
bool TForm1::LiberoSx() {
    return KrevWayFree(Sx);
}

void TForm1::StepKrev(int dc, int dr, int newHeading) {
    MostraCycleKrev(false);
    // The opponent's own steps come round the torus just as a scroll takes it round.
    G.KrevCol = WrapCol(WrapCol(G.KrevCol) + dc);
    G.KrevRow = WrapRow(WrapRow(G.KrevRow) + dr);
    KrevCell(0, 0) += SegmentOf(newHeading);
    G.KrevDirection = newHeading;
    MostraCycleKrev(true);
    MostraLabir();
}

void TForm1::MuoviKrevSu() {
    StepKrev(kStraight[1][0], kStraight[1][1], G.KrevDirection);
}
void TForm1::MuoviKrevDx() {
    StepKrev(kStraight[2][0], kStraight[2][1], G.KrevDirection);
}
void TForm1::MuoviKrevGiu() {
    StepKrev(kStraight[3][0], kStraight[3][1], G.KrevDirection);
}
void TForm1::MuoviKrevSx() {
    StepKrev(kStraight[4][0], kStraight[4][1], G.KrevDirection);
}

void TForm1::GiraKrev1() {
    const Shift s = InHeadings(G.KrevDirection) ? kTurnShift[1][G.KrevDirection] : Shift{};
    StepKrev(s.dc, s.dr, 1);
}
void TForm1::GiraKrev2() {
    const Shift s = InHeadings(G.KrevDirection) ? kTurnShift[2][G.KrevDirection] : Shift{};
    StepKrev(s.dc, s.dr, 2);
}
void TForm1::GiraKrev3() {
    const Shift s = InHeadings(G.KrevDirection) ? kTurnShift[3][G.KrevDirection] : Shift{};
    StepKrev(s.dc, s.dr, 3);
}
void TForm1::GiraKrev4() {
    const Shift s = InHeadings(G.KrevDirection) ? kTurnShift[4][G.KrevDirection] : Shift{};
    StepKrev(s.dc, s.dr, 4);
}

namespace {
bool Free(TForm1& form, Way way) {
    switch (way) {
        case Su:
            return form.LiberoSu();
        case Dx:
            return form.LiberoDx();
        case Giu:
            return form.LiberoGiu();
        case Sx:
            return form.LiberoSx();
    }
    return false;
}
void Turn(TForm1& form, Way way) {
    switch (way) {
        case Su:
            form.GiraKrev1();
            break;
        case Dx:
            form.GiraKrev2();
            break;
        case Giu:
            form.GiraKrev3();
            break;
        case Sx:
            form.GiraKrev4();
            break;
    }
}
void Straight(TForm1& form, Way way) {
    switch (way) {
        case Su:
            form.MuoviKrevSu();
            break;
        case Dx:
            form.MuoviKrevDx();
            break;
        case Giu:
            form.MuoviKrevGiu();
            break;
        case Sx:
            form.MuoviKrevSx();
            break;
    }
}
}  // namespace

void TForm1::TimerCycleKrevTimer() {
    if (!InHeadings(G.KrevDirection)) return;

    bool turned = false;
    for (const Pursuit& p : kPursuit) {
        if (p.zarq != G.ZarqDirection || p.krev != G.KrevDirection) continue;
        if (!p.x.Holds(G.KrevCol) || !p.y.Holds(G.KrevRow)) continue;
        // At most one rule fits a position; a refused turn leaves the default move.
        if (Free(*this, p.free)) {
            Turn(*this, p.turn);
            turned = true;
        }
        break;
    }

    if (!turned) {
        const DefaultMove& d = kDefault[G.KrevDirection];
        const Way chosen = Free(*this, d.first)    ? d.first
                           : Free(*this, d.second) ? d.second
                           : Free(*this, d.third)  ? d.third
                                                   : d.otherwise;
        if (chosen == G.KrevDirection) {
            Straight(*this, chosen);
        } else {
            Turn(*this, chosen);
        }
    }

    const bool crashed =
        AnyHolds(kKrevCrash[G.KrevDirection], [this](int dc, int dr) { return KrevCell(dc, dr); });
    if (crashed) ProcWinGame1();
}

}  // namespace zarq
