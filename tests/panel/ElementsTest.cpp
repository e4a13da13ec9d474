// The element set: grid geometry, stacking order, shared pictures, tables and primitives.
#include <gtest/gtest.h>

#include <set>

#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

std::string Cell(const char* kind, int c, int r) {
    return std::string("Im_") + kind + std::to_string(c) + std::to_string(r);
}

int StackIndex(const TForm1& f, const std::string& name) {
    const auto& controls = f.Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i]->Name() == name) return static_cast<int>(i);
    }
    return -1;
}

class Elements : public ::testing::Test {
  protected:
    Toy toy;
    TForm1& f = toy.F();
};

TEST_F(Elements, GridCellsFollowTheirFormulas) {
    for (int c = 1; c <= 7; ++c) {
        for (int r = 1; r <= 5; ++r) {
            SCOPED_TRACE(Cell("", c, r));
            EXPECT_EQ(f.FindElement(Cell("BarV", c, r))->Bounds(),
                      (TRect{148 + 25 * (c - 1), 159 + 19 * (5 - r), 4, 15}));
            EXPECT_EQ(f.FindElement(Cell("DiskV", c, r))->Bounds(),
                      (TRect{153 + 25 * (c - 1), 163 + 19 * (5 - r), 2, 7}));
            EXPECT_EQ(f.FindElement(Cell("BarH", c, r))->Bounds(),
                      (TRect{151 + 25 * (c - 1), 174 + 19 * (5 - r), 15, 4}));
            EXPECT_EQ(f.FindElement(Cell("DiskH", c, r))->Bounds(),
                      (TRect{155 + 25 * (c - 1), 171 + 19 * (5 - r), 7, 2}));
            EXPECT_EQ(f.BarV[c][r]->Name(), Cell("BarV", c, r));
            EXPECT_EQ(f.BarH[c][r]->Name(), Cell("BarH", c, r));
            EXPECT_EQ(f.DiskV[c][r]->Name(), Cell("DiskV", c, r));
            EXPECT_EQ(f.DiskH[c][r]->Name(), Cell("DiskH", c, r));
        }
    }
}

TEST_F(Elements, FiguresStackDownwardsFromTheTop) {
    EXPECT_EQ(f.FindElement("Im_Zarq5")->Bounds(), (TRect{125, 164, 18, 18}));
    EXPECT_EQ(f.FindElement("Im_Zarq1")->Bounds(), (TRect{125, 232, 18, 18}));
    EXPECT_EQ(f.FindElement("Im_Zarq1Hand")->Bounds(), (TRect{137, 240, 6, 4}));
    EXPECT_EQ(f.FindElement("Im_Zarq3Disk")->Bounds(), (TRect{126, 202, 4, 8}));
    EXPECT_EQ(f.FindElement("Im_Krev4")->Bounds(), (TRect{323, 181, 17, 18}));
    EXPECT_EQ(f.FindElement("Im_Krev1")->Bounds(), (TRect{323, 232, 17, 18}));
    EXPECT_EQ(f.FindElement("Im_Krev2Disk")->Bounds(), (TRect{336, 219, 4, 8}));
    EXPECT_EQ(f.ZarqFigure[1].Body->Name(), "Im_Zarq1");
    EXPECT_EQ(f.KrevFigure[4].Hand->Name(), "Im_Krev4Hand");
}

TEST_F(Elements, StackingOrderIsTheCreationOrder) {
    const std::vector<std::string> order = {
        "Im_Base",      "Im_BaseScreen", "Puls_Speed",   "Im_Zarq5",    "Im_Zarq5Hand",
        "Im_Zarq5Disk", "Im_Zarq4",      "Im_Zarq1Disk", "Im_Krev4",    "Im_Krev1Disk",
        "Im_NumPos1",   "Im_NumPos4",    "Im_BarV15",    "Im_DiskV15",  "Im_BarH15",
        "Im_DiskH15",   "Puls_Move",     "Puls_Speed2",  "Im_BarV14",   "Im_BarV11",
        "Im_BarV25",    "Im_DiskH71",    "Im_BarH01",    "Im_BarH81",   "Im_XomCover1",
        "Im_XomMid5A",  "Im_XomMid",     "Im_DiskH82",   "Im_XomMid1B", "Im_XomLow",
        "Im_Num0",      "Im_Num9",       "Puls_On",      "Puls_Off",    "Im_BaseScreenTop"};
    int previous = -1;
    for (const std::string& name : order) {
        const int index = StackIndex(f, name);
        EXPECT_GT(index, previous) << name;
        previous = index;
    }
    EXPECT_EQ(f.Controls().back()->Name(), "Im_BaseScreenTop");
    // 3 + 15 + 12 figure elements + 4 places + 140 grid + 2 shapes + 2 + 18 boss + 10 + 3.
    EXPECT_EQ(f.Controls().size(), 209u);
}

TEST_F(Elements, PicturesAreSharedFromOneMemberOfEachFamily) {
    EXPECT_EQ(f.FindElement("Im_Zarq2")->Picture(), "Im_Zarq5");
    EXPECT_EQ(f.FindElement("Im_Zarq1Hand")->Picture(), "Im_Zarq5Hand");
    EXPECT_EQ(f.FindElement("Im_Krev1Disk")->Picture(), "Im_Krev4Disk");
    EXPECT_EQ(f.FindElement("Im_BarV71")->Picture(), "Im_BarV15");
    EXPECT_EQ(f.FindElement("Im_DiskH33")->Picture(), "Im_DiskH15");
    EXPECT_EQ(f.FindElement("Im_BarH01")->Picture(), "Im_BarH15");
    EXPECT_EQ(f.FindElement("Im_BarH81")->Picture(), "Im_BarH15");
    EXPECT_EQ(f.FindElement("Im_DiskH82")->Picture(), "Im_DiskH15");
    // The player's cell keeps its own cyan pictures; the boss and digits keep theirs.
    for (const char* kind : {"BarV", "DiskV", "BarH", "DiskH"}) {
        EXPECT_EQ(f.FindElement(Cell(kind, 4, 3))->Picture(), Cell(kind, 4, 3));
    }
    EXPECT_EQ(f.FindElement("Im_XomMid")->Picture(), "Im_XomMid");
    EXPECT_EQ(f.FindElement("Im_Num7")->Picture(), "Im_Num7");
    // Every element but the blank ones has a picture.
    for (const auto& control : f.Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr) continue;
        const bool blank =
            image->Name().starts_with("Im_NumPos") || image->Name() == "Im_BaseScreenTop";
        EXPECT_EQ(image->Picture().empty(), blank) << image->Name();
    }
}

TEST_F(Elements, OnlyThePanelIsLitAtStart) {
    std::set<std::string> lit;
    for (const auto& control : f.Controls()) {
        if (control->Visible()) lit.insert(control->Name());
    }
    EXPECT_EQ(lit, (std::set<std::string>{"Im_Base", "Im_BaseScreen", "Puls_Speed", "Puls_Move",
                                          "Puls_Speed2", "Im_NumPos1", "Im_NumPos2", "Im_NumPos3",
                                          "Im_NumPos4", "Puls_Off", "Im_BaseScreenTop"}));
}

TEST_F(Elements, LifeBarsFillTheBottomRowFromBothEdges) {
    const char* expected[] = {"Im_BarH01", "Im_BarH11", "Im_BarH21", "Im_BarH31",
                              "Im_BarH81", "Im_BarH71", "Im_BarH61", "Im_BarH51"};
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(f.LifeBar[i]->Name(), expected[i - 1]);
    EXPECT_EQ(f.XomImage[1]->Name(), "Im_XomCover1");
    EXPECT_EQ(f.XomImage[6]->Name(), "Im_XomMid");
    EXPECT_EQ(f.XomImage[8]->Name(), "Im_XomMid1A");
    EXPECT_EQ(f.XomImage[17]->Name(), "Im_XomMid5B");
    EXPECT_EQ(f.XomImage[18]->Name(), "Im_DiskH82");
}

TEST_F(Elements, ClearingTheScreenLeavesThePanelAndBlankDigitPlaces) {
    f.MostraTuttoBar(true);
    f.MostraTuttoDisk(true);
    f.MostraTuttoZarq(true);
    f.MostraTuttoKrev(true);
    f.MostraTuttoXOM(true);
    f.Im_BarH01->SetVisible(true);
    f.Im_BarH81->SetVisible(true);
    toy.G().Score = 45;
    f.TrasformaScore(toy.G().Score);
    ASSERT_EQ(toy.ScoreShown(), "__45");

    f.SvuotaSchermo();
    for (const auto& control : f.Controls()) {
        const std::string& n = control->Name();
        const bool stays = n == "Im_Base" || n == "Im_BaseScreen" || n == "Puls_Speed" ||
                           n == "Puls_Off" || n == "Im_BaseScreenTop" || n == "Puls_Move" ||
                           n == "Puls_Speed2" || n.starts_with("Im_NumPos");
        EXPECT_EQ(control->Visible(), stays) << n;
    }
    EXPECT_EQ(toy.ScoreShown(), "____");
}

TEST_F(Elements, WholeGroupPrimitivesLeaveTheExtraBarsAlone) {
    f.MostraTuttoBar(true);
    f.MostraTuttoDisk(true);
    EXPECT_FALSE(toy.Lit("Im_BarH01"));
    EXPECT_FALSE(toy.Lit("Im_BarH81"));
    EXPECT_FALSE(toy.Lit("Im_DiskH82"));
    f.Im_BarH01->SetVisible(true);
    f.Im_DiskH82->SetVisible(true);
    f.MostraTuttoBar(false);
    f.MostraTuttoDisk(false);
    EXPECT_TRUE(toy.Lit("Im_BarH01"));
    EXPECT_TRUE(toy.Lit("Im_DiskH82"));
}

TEST_F(Elements, ShowingTheBossAlsoLightsItsDisc) {
    f.MostraTuttoXOM(true);
    for (int i = 1; i <= 18; ++i) EXPECT_TRUE(f.XomImage[i]->Visible()) << i;
    EXPECT_TRUE(toy.Lit("Im_DiskH82"));
}

TEST_F(Elements, AFigureShowsExactlyOneOfHandAndDisc) {
    toy.G().ZarqRow = 3;
    toy.G().ZarqHasDisc = true;
    f.MostraZarq(true);
    EXPECT_TRUE(toy.Lit("Im_Zarq3"));
    EXPECT_TRUE(toy.Lit("Im_Zarq3Disk"));
    EXPECT_FALSE(toy.Lit("Im_Zarq3Hand"));
    toy.G().ZarqHasDisc = false;
    f.MostraZarq(true);
    EXPECT_TRUE(toy.Lit("Im_Zarq3Hand"));
    EXPECT_FALSE(toy.Lit("Im_Zarq3Disk"));

    // Darkening darkens all three whatever the disc flag says.
    f.ZarqFigure[3].Disk->SetVisible(true);
    toy.G().ZarqHasDisc = true;
    f.MostraZarq(false);
    EXPECT_FALSE(toy.Lit("Im_Zarq3"));
    EXPECT_FALSE(toy.Lit("Im_Zarq3Hand"));
    EXPECT_FALSE(toy.Lit("Im_Zarq3Disk"));

    toy.G().KrevRow = 4;
    toy.G().KrevHasDisc = false;
    f.MostraKrev(true);
    EXPECT_TRUE(toy.Lit("Im_Krev4"));
    EXPECT_TRUE(toy.Lit("Im_Krev4Hand"));
    EXPECT_FALSE(toy.Lit("Im_Krev4Disk"));
}

TEST_F(Elements, TheFlyingDiscIsADashOfTheGrid) {
    toy.G().DiscCol = 7;
    toy.G().DiscRow = 2;
    f.MostraDiscH(true);
    EXPECT_TRUE(toy.Lit("Im_DiskH72"));
    f.MostraDiscH(false);
    EXPECT_FALSE(toy.Lit("Im_DiskH72"));
    EXPECT_EQ(f.TableFaults(), 0);
}

TEST_F(Elements, APositionOutsideTheTablesReachesNoElement) {
    toy.G().ZarqRow = 6;
    f.MostraZarq(true);
    toy.G().DiscCol = 8;
    toy.G().DiscRow = 0;
    f.MostraDiscH(true);
    EXPECT_EQ(f.TableFaults(), 2);
    for (const auto& control : f.Controls()) {
        if (control->Name().starts_with("Im_Zarq") || control->Name().starts_with("Im_Disk")) {
            EXPECT_FALSE(control->Visible()) << control->Name();
        }
    }
}

struct ChangeLog : ElementView {
    std::vector<std::string> changed;
    void ElementChanged(const TControl& c) override { changed.push_back(c.Name()); }
};

TEST_F(Elements, EveryVisibleChangeIsReportedOnce) {
    ChangeLog log;
    f.AttachView(&log);
    f.BarV[2][2]->SetVisible(true);
    f.BarV[2][2]->SetVisible(true);  // no change, no report
    f.DigitPos[4]->SetPicture("Im_Num3");
    f.ZarqFigure[1].Body->SetPicture("Im_Zarq5");  // the same picture: nothing to repaint
    EXPECT_EQ(log.changed, (std::vector<std::string>{"Im_BarV22", "Im_NumPos4"}));
}

TEST_F(Elements, MouseTargetsTakeTheTopmostControlWithAHandler) {
    EXPECT_EQ(f.MouseTarget(240, 440)->Name(), "Puls_Off");
    EXPECT_EQ(f.MouseTarget(200, 200)->Name(), "Im_BaseScreenTop");
    EXPECT_EQ(f.MouseTarget(98, 442)->Name(), "Puls_Move");  // centre of the pad
    EXPECT_EQ(f.MouseTarget(53, 401)->Name(), "Im_Base");    // corner outside the ellipse
    EXPECT_EQ(f.MouseTarget(394, 440)->Name(), "Puls_Speed2");
    EXPECT_EQ(f.MouseTarget(10, 10)->Name(), "Im_Base");
    EXPECT_EQ(f.Puls_Move->Cursor(), TCursor::Help);
    EXPECT_EQ(f.Puls_Speed2->Hint(), "Use 'CTRL' key");
    EXPECT_EQ(f.Puls_Off->Hint(), "Click to start game");
    EXPECT_EQ(f.Puls_On->Hint(), "Click to turn off game");
    EXPECT_EQ(f.Puls_On->Cursor(), TCursor::Hand);
}

TEST_F(Elements, CreationSetsTheSpeedTableAndStartValues) {
    const TGameState& g = toy.G();
    EXPECT_EQ(g.SpeedLevel, 1);
    EXPECT_TRUE(g.FirstActivation);
    EXPECT_FALSE(g.PowerOn);
    EXPECT_EQ(g.CurrentGame, 0);
    EXPECT_EQ(g.SpeedTable[1][CycleZarq], 660u);
    EXPECT_EQ(g.SpeedTable[1][Xom1], 230u);
    EXPECT_EQ(g.SpeedTable[6][MoveKrev], 90u);
    EXPECT_EQ(g.SpeedTable[4][TempoGioco3], 140u);
    // At every level the opponent is faster than the player and slower than the player at full
    // speed.
    for (int level = 1; level <= 6; ++level) {
        EXPECT_LT(g.SpeedTable[level][CycleKrev], g.SpeedTable[level][CycleZarq]);
        EXPECT_GT(g.SpeedTable[level][CycleKrev], g.SpeedTable[level][CycleZarqFast]);
        if (level > 1) {
            EXPECT_LT(g.SpeedTable[level][Xom1], g.SpeedTable[level - 1][Xom1]);
        }
    }
}

TEST_F(Elements, TheRandomChoiceFollowsItsRecurrence) {
    // state = state * 134775813 + 1; the choice is the upper half of state * n.
    EXPECT_EQ(f.Random(2), 0u);  // state 1
    EXPECT_EQ(toy.G().RandomSeed, 1u);
    EXPECT_EQ(f.Random(2), 0u);  // state 134775814
    EXPECT_EQ(toy.G().RandomSeed, 134775814u);
    const std::uint32_t next = 134775814u * 134775813u + 1u;
    EXPECT_EQ(f.Random(1000), static_cast<std::uint32_t>((std::uint64_t{next} * 1000) >> 32));
}

}  // namespace
}  // namespace zarq::test
