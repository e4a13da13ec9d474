// The labyrinth both cycles drive on: drawing its visible part, the four scrolls that carry
// it past the player's fixed point, and its set-up before every race.
#include "core/games/cycle/CellRules.h"
#include "core/panel/Unit1.h"

namespace zarq {

using namespace cycle;

namespace {
// What a cell's sum shows on its point's two bars; any other sum leaves both as they are.
struct BarsShown {
    bool vertical;
    bool horizontal;
};
// clang-format off
constexpr BarsShown kBarsShown[4] = {
    // vertical  horizontal      cell value
    {false, false},  // 0
    {true, false},   // 1
    {false, true},   // 2
    {true, true},    // 3
};
// clang-format on

// A player step moves the labyrinth one step the opposite way: every cell of the real region
// takes the value of its neighbour on the side the player moves towards.
struct Scroll {
    bool vertical;
    int towards;  // +1: each cell takes the value of the next higher column or row
};
// clang-format off
//                                           axis     neighbour  entering line  opponent moves
constexpr Scroll kScrollSu  = {true,  +1};  // rows     r + 1      row 7          row - 1
constexpr Scroll kScrollGiu = {true,  -1};  // rows     r - 1      row -1         row + 1
constexpr Scroll kScrollDx  = {false, +1};  // columns  c + 1      column 9       column - 1
constexpr Scroll kScrollSx  = {false, -1};  // columns  c - 1      column -1      column + 1
// clang-format on
}  // namespace

void TForm1::MostraLabir() {
    for (int c = 1; c <= 7; ++c) {
        for (int r = 1; r <= 5; ++r) {
            const std::int32_t v = G.Labyrinth[c][r];
            if (v < 0 || v > 3) continue;
            BarV[c][r]->SetVisible(kBarsShown[v].vertical);
            BarH[c][r]->SetVisible(kBarsShown[v].horizontal);
        }
    }
}

void TForm1::MuoviLabirSu() {
    ScrollLabyrinth(kScrollSu.vertical, kScrollSu.towards);
}
void TForm1::MuoviLabirGiu() {
    ScrollLabyrinth(kScrollGiu.vertical, kScrollGiu.towards);
}
void TForm1::MuoviLabirDx() {
    ScrollLabyrinth(kScrollDx.vertical, kScrollDx.towards);
}
void TForm1::MuoviLabirSx() {
    ScrollLabyrinth(kScrollSx.vertical, kScrollSx.towards);
}

void TForm1::ScrollLabyrinth(bool vertical, int towards) {
    LabyrinthGrid& L = G.Labyrinth;
    // The copy starts at the discarded line, so every value is read before it is overwritten.
    if (vertical) {
        for (int c = kRealColLo; c <= kRealColHi; ++c) {
            LabyrinthColumn& col = L[c];
            if (towards > 0) {
                for (int r = kRealRowLo; r < kRealRowHi; ++r) col[r] = col[r + 1];
                col[kRealRowHi] = 0;
            } else {
                for (int r = kRealRowHi; r > kRealRowLo; --r) col[r] = col[r - 1];
                col[kRealRowLo] = 0;
            }
        }
        // The border rows copy the opposite side, over every column, the border ones too.
        for (int c = LabyrinthGrid::Low; c <= LabyrinthGrid::High; ++c) {
            LabyrinthColumn& col = L[c];
            col[kRealRowHi + 2] = col[kRealRowLo + 1];
            col[kRealRowHi + 1] = col[kRealRowLo];
            col[kRealRowLo - 2] = col[kRealRowHi - 1];
            col[kRealRowLo - 1] = col[kRealRowHi];
        }
    } else {
        if (towards > 0) {
            for (int c = kRealColLo; c < kRealColHi; ++c) {
                for (int r = kRealRowLo; r <= kRealRowHi; ++r) L[c][r] = L[c + 1][r];
            }
            for (int r = kRealRowLo; r <= kRealRowHi; ++r) L[kRealColHi][r] = 0;
        } else {
            for (int c = kRealColHi; c > kRealColLo; --c) {
                for (int r = kRealRowLo; r <= kRealRowHi; ++r) L[c][r] = L[c - 1][r];
            }
            for (int r = kRealRowLo; r <= kRealRowHi; ++r) L[kRealColLo][r] = 0;
        }
        // The border columns copy the opposite side, over every row, the border ones too.
        for (int r = LabyrinthColumn::Low; r <= LabyrinthColumn::High; ++r) {
            L[kRealColHi + 2][r] = L[kRealColLo + 1][r];
            L[kRealColHi + 1][r] = L[kRealColLo][r];
            L[kRealColLo - 2][r] = L[kRealColHi - 1][r];
            L[kRealColLo - 1][r] = L[kRealColHi][r];
        }
    }

    // The opponent drifts with the labyrinth and comes round the torus.
    MostraCycleKrev(false);
    if (vertical) {
        G.KrevRow = WrapRow(WrapRow(G.KrevRow) - towards);
    } else {
        G.KrevCol = WrapCol(WrapCol(G.KrevCol) - towards);
    }
    MostraCycleKrev(true);
}

void TForm1::SetUpLabyrinth() {
    MostraTuttoBar(false);
    MostraTuttoDisk(false);
    MostraTuttoZarq(false);
    MostraTuttoKrev(false);

    // The border copies keep what they held until the next scroll along their axis.
    for (int c = kRealColLo; c <= kRealColHi; ++c) {
        for (int r = kRealRowLo; r <= kRealRowHi; ++r) G.Labyrinth[c][r] = 0;
    }
    // Both cycles start heading right, the opponent one row below the player.
    G.Labyrinth[4][3] = kHorizontal;
    G.Labyrinth[4][2] = kHorizontal;

    MostraLabir();
    DiskH[4][3]->SetVisible(true);

    G.KrevCol = 4;
    G.KrevRow = 2;
    G.KrevDirection = 2;
    MostraCycleKrev(true);
}

}  // namespace zarq
