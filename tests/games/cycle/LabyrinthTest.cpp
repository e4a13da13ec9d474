// The labyrinth: its set-up before a race, how its cells are drawn, and the four scrolls with
// the torus copies at its border.
#include <array>

#include "tests/games/cycle/RaceFixture.h"

namespace zarq::test {
namespace {

using Labyrinth = Race;

TEST_F(Labyrinth, SetUpPlacesBothCyclesSideBySideHeadingRight) {
    f.MostraTuttoBar(true);
    f.MostraTuttoZarq(true);
    f.MostraTuttoKrev(true);
    f.SetUpLabyrinth();
    EXPECT_EQ(Screen(), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +===+   +   +

+   +   +   +===+   +   +

+   +   +   +   +   +   +
)");
    EXPECT_FALSE(toy.Lit("Im_Zarq1"));
    EXPECT_FALSE(toy.Lit("Im_Krev1Disk"));
    EXPECT_EQ(RealSum(), 4);
    EXPECT_EQ(Cell(4, 3), 2);
    EXPECT_EQ(Cell(4, 2), 2);
    EXPECT_EQ(g.KrevCol, 4);
    EXPECT_EQ(g.KrevRow, 2);
    EXPECT_EQ(g.KrevDirection, 2);
}

TEST_F(Labyrinth, SetUpClearsTheRealRegionButLeavesTheBorderCopiesUntilTheirScroll) {
    for (int c = -3; c <= 11; ++c) {
        for (int r = -3; r <= 9; ++r) Cell(c, r) = 1;
    }
    f.SetUpLabyrinth();
    EXPECT_EQ(RealSum(), 4);
    EXPECT_EQ(Cell(8, 9), 1);   // a border row
    EXPECT_EQ(Cell(-3, 2), 1);  // a border column

    f.MuoviLabirSu();  // refreshes the border rows only
    EXPECT_EQ(Cell(8, 9), Cell(8, 0));
    EXPECT_EQ(Cell(8, 9), 0);
    EXPECT_EQ(Cell(-3, 2), 1);
    EXPECT_EQ(Cell(-3, 9), 1) << "a border column is not shifted by a vertical scroll";

    f.MuoviLabirDx();  // and now the border columns
    EXPECT_EQ(Cell(-3, 2), Cell(8, 2));
    EXPECT_EQ(Cell(-3, 2), 0);
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_F(Labyrinth, EachCellValueLightsItsPointsBars) {
    f.MostraTuttoBar(true);
    f.DiskV[1][1]->SetVisible(true);
    const std::array<int, 6> values = {0, 1, 2, 3, 4, 7};
    for (int c = 1; c <= 6; ++c) Cell(c, 1) = values[c - 1];
    for (int c = 1; c <= 7; ++c) {
        for (int r = 2; r <= 5; ++r) Cell(c, r) = 0;
    }
    Cell(7, 1) = 0;
    f.MostraLabir();
    // Sums above 3 leave both bars as they were (lit here); the dash is not the grid's.
    EXPECT_EQ(Screen(), R"(

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +   +   +   +

+   +   +   +   +   +   +
!   |       |   |   |
+   +   +---+---+---+---+
)");
}

// Each scroll moves the whole real region one step and empties the line that enters.
struct ScrollCase {
    const char* name;
    void (*scroll)(TForm1&);
    int dc, dr;  // where the contents go
};
const ScrollCase kScrolls[] = {
    {"MuoviLabirSu", [](TForm1& t) { t.MuoviLabirSu(); }, 0, -1},
    {"MuoviLabirGiu", [](TForm1& t) { t.MuoviLabirGiu(); }, 0, +1},
    {"MuoviLabirDx", [](TForm1& t) { t.MuoviLabirDx(); }, -1, 0},
    {"MuoviLabirSx", [](TForm1& t) { t.MuoviLabirSx(); }, +1, 0},
};

TEST_F(Labyrinth, AScrollShiftsTheRealRegionAndRefreshesTheCopiesAlongItsAxis) {
    for (const ScrollCase& s : kScrolls) {
        SCOPED_TRACE(s.name);
        // A distinct value in every cell of the grid, border copies included.
        for (int c = -3; c <= 11; ++c) {
            for (int r = -3; r <= 9; ++r) Cell(c, r) = 100 * (c + 3) + (r + 3) + 1;
        }
        const TGameState before = g;
        auto old = [&](int c, int r) { return before.Labyrinth[c][r]; };
        s.scroll(f);

        for (int c = kColLo; c <= kColHi; ++c) {
            for (int r = kRowLo; r <= kRowHi; ++r) {
                const int fc = c - s.dc, fr = r - s.dr;
                const bool inside = fc >= kColLo && fc <= kColHi && fr >= kRowLo && fr <= kRowHi;
                ASSERT_EQ(Cell(c, r), inside ? old(fc, fr) : 0) << "cell " << c << "," << r;
            }
        }
        if (s.dr != 0) {
            for (int c = -3; c <= 11; ++c) {
                // The two rows beyond each side copy the opposite side, in every column.
                ASSERT_EQ(Cell(c, 9), Cell(c, 0));
                ASSERT_EQ(Cell(c, 8), Cell(c, -1));
                ASSERT_EQ(Cell(c, -3), Cell(c, 6));
                ASSERT_EQ(Cell(c, -2), Cell(c, 7));
            }
            for (int c : {-3, -2, 10, 11}) {
                for (int r = kRowLo; r <= kRowHi; ++r) ASSERT_EQ(Cell(c, r), old(c, r));
            }
        } else {
            for (int r = -3; r <= 9; ++r) {
                ASSERT_EQ(Cell(11, r), Cell(0, r));
                ASSERT_EQ(Cell(10, r), Cell(-1, r));
                ASSERT_EQ(Cell(-3, r), Cell(8, r));
                ASSERT_EQ(Cell(-2, r), Cell(9, r));
            }
            for (int r : {-3, -2, 8, 9}) {
                for (int c = kColLo; c <= kColHi; ++c) ASSERT_EQ(Cell(c, r), old(c, r));
            }
        }
        EXPECT_EQ(f.TableFaults(), 0);
    }
}

TEST_F(Labyrinth, TheOpponentDriftsWithTheScrollAndComesRoundTheTorus) {
    struct Case {
        void (*scroll)(TForm1&);
        int col, row, wantCol, wantRow;
    };
    const Case cases[] = {
        {[](TForm1& t) { t.MuoviLabirDx(); }, 4, 2, 3, 2},
        {[](TForm1& t) { t.MuoviLabirDx(); }, -1, 2, 9, 2},
        {[](TForm1& t) { t.MuoviLabirSx(); }, 9, 2, -1, 2},
        {[](TForm1& t) { t.MuoviLabirSu(); }, 4, -1, 4, 7},
        {[](TForm1& t) { t.MuoviLabirGiu(); }, 4, 7, 4, -1},
        {[](TForm1& t) { t.MuoviLabirGiu(); }, 4, 2, 4, 3},
    };
    for (const Case& k : cases) {
        g.KrevCol = k.col;
        g.KrevRow = k.row;
        Cell(k.col, k.row) = 2;
        k.scroll(f);
        EXPECT_EQ(g.KrevCol, k.wantCol);
        EXPECT_EQ(g.KrevRow, k.wantRow);
        // Coming round, it does not take its segment along: it lands on the entering line.
        const bool round = k.wantCol - k.col > 1 || k.col - k.wantCol > 1 ||
                           k.wantRow - k.row > 1 || k.row - k.wantRow > 1;
        EXPECT_TRUE(!round || Cell(k.wantCol, k.wantRow) == 0);
    }
}

TEST_F(Labyrinth, TheOpponentsDashAndBarTravelWithTheScroll) {
    f.SetUpLabyrinth();
    EXPECT_TRUE(toy.Lit("Im_DiskH42"));
    f.MuoviLabirDx();
    // Its segment moved in the grid, but bars are redrawn only by the next drawing.
    EXPECT_TRUE(toy.Lit("Im_DiskH32"));
    EXPECT_TRUE(toy.Lit("Im_BarH32"));
    EXPECT_FALSE(toy.Lit("Im_DiskH42"));
    EXPECT_FALSE(toy.Lit("Im_BarH42")) << "hiding the opponent hides its bar too";

    PlaceOpponent(1, 2, 2);
    f.MuoviLabirDx();  // to column 0: off the display
    EXPECT_FALSE(toy.Lit("Im_DiskH12"));
    for (int c = 1; c <= 7; ++c) EXPECT_FALSE(f.DiskH[c][2]->Visible());
    f.MuoviLabirSx();
    EXPECT_TRUE(toy.Lit("Im_DiskH12"));
}

}  // namespace
}  // namespace zarq::test
