// The four-place score display, the pass markers and the lives displays.
#include <gtest/gtest.h>

#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

class ScoreDisplay : public ::testing::Test {
  protected:
    Toy toy;
    TForm1& f = toy.F();
    TGameState& g = toy.G();

    std::string Show(int score) {
        g.Score = score;
        f.TrasformaScore(g.Score);
        return toy.ScoreShown();
    }
    int MarkersLit() {
        int n = 0;
        for (int c = 1; c <= 7; ++c) n += f.BarH[c][5]->Visible() ? 1 : 0;
        return n;
    }
};

TEST_F(ScoreDisplay, ValuesBeforeAnyPass) {
    EXPECT_EQ(Show(0), "___0");
    EXPECT_EQ(Show(7), "___7");
    EXPECT_EQ(Show(45), "__45");
    EXPECT_EQ(Show(100), "_100");
    EXPECT_EQ(Show(999), "_999");
    EXPECT_EQ(Show(1000), "1000");
    EXPECT_EQ(Show(1234), "1234");
    EXPECT_EQ(Show(1999), "1999");
    EXPECT_EQ(g.ScoreWraps, 0);
}

TEST_F(ScoreDisplay, AfterAPassTheMiddlePlacesFillWithZerosButNeverTheFirst) {
    g.ScoreWraps = 1;
    EXPECT_EQ(Show(5), "_005");
    EXPECT_EQ(Show(7), "_007");
    EXPECT_EQ(Show(45), "_045");
    EXPECT_EQ(Show(123), "_123");
    EXPECT_EQ(Show(1500), "1500");
}

TEST_F(ScoreDisplay, APassBeyond1999IsTakenOffAndMarkedLater) {
    g.Score = 1995;
    f.TrasformaScore(g.Score);
    g.Score += 20;
    f.TrasformaScore(g.Score);
    EXPECT_EQ(g.Score, 15);
    EXPECT_EQ(g.ScoreWraps, 1);
    EXPECT_EQ(toy.ScoreShown(), "_015");
    // During play no marker is lit; the next full display lights the top row's rightmost bar.
    EXPECT_EQ(MarkersLit(), 0);
    f.TrasformaScoreTotale();
    EXPECT_EQ(MarkersLit(), 1);
    EXPECT_TRUE(toy.Lit("Im_BarH75"));
}

TEST_F(ScoreDisplay, TheCorrectionHappensWhateverValueIsShown) {
    g.Score = 2010;
    int other = 42;
    f.TrasformaScore(other);
    EXPECT_EQ(g.Score, 10);
    EXPECT_EQ(g.ScoreWraps, 1);
    EXPECT_EQ(toy.ScoreShown(), "_042");
}

TEST_F(ScoreDisplay, MarkersGrowLeftwardsAndStopAfterSeven) {
    g.ScoreWraps = 3;
    f.TrasformaScoreTotale();
    EXPECT_TRUE(toy.Lit("Im_BarH75"));
    EXPECT_TRUE(toy.Lit("Im_BarH65"));
    EXPECT_TRUE(toy.Lit("Im_BarH55"));
    EXPECT_FALSE(toy.Lit("Im_BarH45"));

    g.ScoreWraps = 12;  // a very long play
    f.TrasformaScoreTotale();
    EXPECT_EQ(MarkersLit(), 7);
    EXPECT_EQ(f.TableFaults(), 0);
    // Nothing else of the grid lit up.
    for (int c = 1; c <= 7; ++c) {
        for (int r = 1; r <= 4; ++r) EXPECT_FALSE(f.BarH[c][r]->Visible());
    }
}

TEST_F(ScoreDisplay, MarkersAreNeverDarkenedByTheDisplay) {
    g.ScoreWraps = 2;
    f.TrasformaScoreTotale();
    g.ScoreWraps = 1;
    f.TrasformaScoreTotale();
    EXPECT_EQ(MarkersLit(), 2);
    f.SvuotaSchermo();
    EXPECT_EQ(MarkersLit(), 0);
}

TEST_F(ScoreDisplay, PlayerLivesLightCompleteFiguresFromTheBottom) {
    g.ZarqLives = 4;
    f.MostraViteZarq();
    for (int i = 1; i <= 4; ++i) {
        EXPECT_TRUE(f.ZarqFigure[i].Body->Visible());
        EXPECT_TRUE(f.ZarqFigure[i].Hand->Visible());
        EXPECT_TRUE(f.ZarqFigure[i].Disk->Visible());
    }
    EXPECT_FALSE(toy.Lit("Im_Zarq5"));
    // Fewer lives do not darken the figures above.
    g.ZarqLives = 2;
    f.MostraViteZarq();
    EXPECT_TRUE(toy.Lit("Im_Zarq3"));
    EXPECT_TRUE(toy.Lit("Im_Zarq4Disk"));
    // None left: all dark.
    g.ZarqLives = 0;
    f.MostraViteZarq();
    for (int i = 1; i <= 5; ++i) EXPECT_FALSE(f.ZarqFigure[i].Body->Visible());
}

TEST_F(ScoreDisplay, OpponentLivesLikewise) {
    g.KrevLives = 3;
    f.MostraViteKrev();
    EXPECT_TRUE(toy.Lit("Im_Krev1"));
    EXPECT_TRUE(toy.Lit("Im_Krev3Hand"));
    EXPECT_FALSE(toy.Lit("Im_Krev4"));
    g.KrevLives = 0;
    f.MostraViteKrev();
    EXPECT_FALSE(toy.Lit("Im_Krev1"));
}

TEST_F(ScoreDisplay, DiscLivesFillTheBottomRowFromEachEdge) {
    g.DiscZarqLives = 3;
    g.DiscKrevLives = 2;
    f.MostraViteDiscZarq(true);
    f.MostraViteDiscKrev(true);
    EXPECT_TRUE(toy.Lit("Im_BarH01"));
    EXPECT_TRUE(toy.Lit("Im_BarH11"));
    EXPECT_TRUE(toy.Lit("Im_BarH21"));
    EXPECT_FALSE(toy.Lit("Im_BarH31"));
    EXPECT_TRUE(toy.Lit("Im_BarH81"));
    EXPECT_TRUE(toy.Lit("Im_BarH71"));
    EXPECT_FALSE(toy.Lit("Im_BarH61"));

    // Darkening takes exactly the bars the current count would light.
    f.LifeBar[4]->SetVisible(true);
    g.DiscZarqLives = 2;
    f.MostraViteDiscZarq(false);
    EXPECT_FALSE(toy.Lit("Im_BarH01"));
    EXPECT_FALSE(toy.Lit("Im_BarH11"));
    EXPECT_TRUE(toy.Lit("Im_BarH21"));
    EXPECT_TRUE(toy.Lit("Im_BarH31"));

    g.DiscKrevLives = 0;
    f.MostraViteDiscKrev(false);
    EXPECT_TRUE(toy.Lit("Im_BarH81"));
}

}  // namespace
}  // namespace zarq::test
