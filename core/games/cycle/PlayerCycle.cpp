// The player's cycle: it never leaves column 4, row 3; each of its steps lights one segment
// there and scrolls the labyrinth past it. Also its crash test and the periodic score award.
#include "core/games/cycle/CellRules.h"
#include "core/panel/Unit1.h"

namespace zarq {

using namespace cycle;

namespace {
constexpr int kZarqCol = 4;
constexpr int kZarqRow = 3;

enum Rotation { Orario, Anti };
enum Scroll { None, Su, Dx, Giu, Sx };  // MuoviLabirSu ... MuoviLabirSx

// A turn replaces a straight step: the segment lit is the first one in the new heading from
// the old head point, and the scrolls bring it to the player's point.
struct TurnCode {
    int code;
    int before;  // heading
    int after;
    Rotation rotation;   // GiraZarqOrario or GiraZarqAnti
    int col, row;        // cell of the segment lit
    std::int32_t value;  // the segment: kVertical or kHorizontal
    Scroll scroll1, scroll2;
};
// clang-format off
constexpr TurnCode kTurnCodes[9] = {
    {0, 0, 0, Orario, 0, 0, 0, None, None},  // no turn pending
 // code before after  rotation  cell   segment      scrolls, in order
    {1,  2,     1,     Anti,     5, 3,  kVertical,   Dx,  None},
    {2,  4,     1,     Orario,   4, 3,  kVertical,   None, None},
    {3,  1,     2,     Orario,   4, 4,  kHorizontal, Su,  None},
    {4,  3,     2,     Anti,     4, 3,  kHorizontal, None, None},
    {5,  2,     3,     Orario,   5, 2,  kVertical,   Giu, Dx},
    {6,  4,     3,     Anti,     4, 2,  kVertical,   Giu, None},
    {7,  1,     4,     Anti,     3, 4,  kHorizontal, Su,  Sx},
    {8,  3,     4,     Orario,   3, 3,  kHorizontal, Sx,  None},
};
// clang-format on

// Every row turns a quarter the way it says, lights a segment along the new heading and
// scrolls by the offset that brings that segment's cell to the player's point.
constexpr bool TurnCodesAgree() {
    for (int i = 1; i <= 8; ++i) {
        const TurnCode& t = kTurnCodes[i];
        const int turned = t.rotation == Orario ? t.before % 4 + 1 : (t.before + 2) % 4 + 1;
        const bool verticalHeading = t.after % 2 == 1;
        int col = t.col, row = t.row;
        for (Scroll sc : {t.scroll1, t.scroll2}) {
            row += sc == Giu ? 1 : sc == Su ? -1 : 0;
            col += sc == Sx ? 1 : sc == Dx ? -1 : 0;
        }
        if (t.code != i || turned != t.after || verticalHeading != (t.value == kVertical) ||
            col != kZarqCol || row != kZarqRow) {
            return false;
        }
    }
    return true;
}
static_assert(TurnCodesAgree());

// Going straight on: the scroll comes first, then the player's own segment at its point.
struct StraightStep {
    Scroll scroll;
    std::int32_t value;
};
// clang-format off
constexpr StraightStep kStraight[5] = {
    {None, 0},
    {Su,   kVertical},    // 1 up
    {Dx,   kHorizontal},  // 2 right
    {Giu,  kVertical},    // 3 down
    {Sx,   kHorizontal},  // 4 left
};
// clang-format on

// Crashed when the head point is touched by any lit segment but the player's own.
// clang-format off
constexpr AnyOf kZarqCrash[5] = {
    {},
    // heading     head    cells (column, row) compared
    /* 1 up    */  /* 4,4 */ AnyOf{{{3, 4, Cmp::AtLeast2}, {4, 4, Cmp::NotZero}}},
    /* 2 right */  /* 5,3 */ AnyOf{{{5, 2, Cmp::Is1Or3},   {5, 3, Cmp::NotZero}}},
    /* 3 down  */  /* 4,3 */ AnyOf{{{4, 3, Cmp::Is3},      {3, 3, Cmp::AtLeast2}, {4, 2, Cmp::Is1Or3}}},
    /* 4 left  */  /* 4,3 */ AnyOf{{{4, 3, Cmp::Is3},      {3, 3, Cmp::AtLeast2}, {4, 2, Cmp::Is1Or3}}},
};
// clang-format on

constexpr int kScoreAwardEvery = 5;
constexpr int kScoreAward = 5;

// A segment once lit stays lit; a vertical one is not added again to a cell holding both,
// a horizontal one not to a cell already holding it.
void LightSegment(std::int32_t& cell, std::int32_t value) {
    if (value == kVertical && cell != 3) cell += kVertical;
    if (value == kHorizontal && cell != 2 && cell != 3) cell += kHorizontal;
}

bool InHeadings(int h) {
    return h >= 1 && h <= 4;
}

void Perform(TForm1& form, Scroll scroll) {
    switch (scroll) {
        case None:
            break;
        case Su:
            form.MuoviLabirSu();
            break;
        case Dx:
            form.MuoviLabirDx();
            break;
        case Giu:
            form.MuoviLabirGiu();
            break;
        case Sx:
            form.MuoviLabirSx();
            break;
    }
}
}  // namespace

void TForm1::GiraZarqOrario() {
    ++G.ZarqDirection;
    if (G.ZarqDirection > 4) G.ZarqDirection = 1;
}

void TForm1::GiraZarqAnti() {
    --G.ZarqDirection;
    if (G.ZarqDirection < 1) G.ZarqDirection = 4;
}

void TForm1::TimerCycleZarqTimer() {
    if (G.ZarqTurnRequest >= 1 && G.ZarqTurnRequest <= 8) {
        const TurnCode& t = kTurnCodes[G.ZarqTurnRequest];
        if (t.rotation == Orario) {
            GiraZarqOrario();
        } else {
            GiraZarqAnti();
        }
        if (t.value == kVertical) {
            DiskH[kZarqCol][kZarqRow]->SetVisible(false);
            DiskV[kZarqCol][kZarqRow]->SetVisible(true);
        } else {
            DiskV[kZarqCol][kZarqRow]->SetVisible(false);
            DiskH[kZarqCol][kZarqRow]->SetVisible(true);
        }
        LightSegment(G.Labyrinth[t.col][t.row], t.value);
        Perform(*this, t.scroll1);
        Perform(*this, t.scroll2);
        Suona(G.SndTurn);
        G.ZarqTurnRequest = 0;
    } else if (InHeadings(G.ZarqDirection)) {
        const StraightStep& s = kStraight[G.ZarqDirection];
        Perform(*this, s.scroll);
        LightSegment(G.Labyrinth[kZarqCol][kZarqRow], s.value);
    }
    AumentaScoreCycle();
    MostraLabir();
    VerificaCollisioneCycleZarq();
}

void TForm1::AumentaScoreCycle() {
    ++G.ScoreTickCount;
    if (G.ScoreTickCount > kScoreAwardEvery) {
        G.Score += kScoreAward;
        TrasformaScore(G.Score);
        G.ScoreTickCount = 1;
    }
}

void TForm1::VerificaCollisioneCycleZarq() {
    if (!InHeadings(G.ZarqDirection)) return;
    const bool crashed =
        AnyHolds(kZarqCrash[G.ZarqDirection], [this](int c, int r) { return G.Labyrinth[c][r]; });
    if (crashed) ProcErroreCycle();
}

}  // namespace zarq
