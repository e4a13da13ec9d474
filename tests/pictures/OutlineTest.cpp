// The outline function: the shape it draws, and that the committed region data is made of it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/skin/RegionData.h"
#include "tools/assetgen/pictures/Outline.h"

namespace zarq::assetgen {
namespace {

TEST(Outline, EveryRowHasABodyThatFillsTheWindowBarelyAtTheWidestBand) {
    for (int y = 0; y < kPanelHeight; ++y) {
        const RowSpan s = OutlineRow(y);
        EXPECT_GE(s.Left, 1) << y;
        EXPECT_LE(s.Right, 491) << y;
        EXPECT_GT(s.Right - s.Left, 300) << y;
    }
    EXPECT_EQ(OutlineRow(0), (RowSpan{63, 426}));
    EXPECT_EQ(OutlineRow(558), (RowSpan{1, 491}));
    EXPECT_EQ(OutlineRow(579), (RowSpan{43, 429}));
}

TEST(Outline, EdgesMoveAtMostOnePixelPerRowBetweenTheRoundedCorners) {
    // The top corners take the first six rows, the foot's corners the last eighteen.
    for (int y = 7; y < kPanelHeight - 18; ++y) {
        const RowSpan above = OutlineRow(y - 1);
        const RowSpan row = OutlineRow(y);
        EXPECT_LE(std::abs(row.Left - above.Left), 1) << y;
        EXPECT_LE(std::abs(row.Right - above.Right), 1) << y;
    }
}

TEST(Outline, TheCornersRoundInwardsRowByRow) {
    for (int y = 1; y <= 6; ++y) {
        EXPECT_LE(OutlineRow(y).Left, OutlineRow(y - 1).Left) << y;
        EXPECT_GE(OutlineRow(y).Right, OutlineRow(y - 1).Right) << y;
    }
    for (int y = kPanelHeight - 18; y < kPanelHeight; ++y) {
        const RowSpan above = OutlineRow(y - 1);
        const RowSpan row = OutlineRow(y);
        EXPECT_GE(row.Left, above.Left) << y;
        EXPECT_LE(row.Right, above.Right) << y;
        EXPECT_FALSE(row == above) << "row " << y << " of the foot does not round";
    }
}

TEST(Outline, BandsCoverEveryRowOnceWithTheRowsOwnSpan) {
    const std::vector<RegionRect> bands = OutlineBands();
    ASSERT_EQ(bands.size(), 129u);
    int y = 0;
    for (const RegionRect& band : bands) {
        ASSERT_EQ(band.Top, y);
        for (; y < band.Bottom; ++y) {
            EXPECT_EQ(OutlineRow(y), (RowSpan{band.Left, band.Right})) << y;
        }
    }
    EXPECT_EQ(y, kPanelHeight);
}

TEST(Outline, InsideMeansWithinTheRowsSpan) {
    EXPECT_FALSE(InsideOutline(62, 0));
    EXPECT_TRUE(InsideOutline(63, 0));
    EXPECT_TRUE(InsideOutline(425, 0));
    EXPECT_FALSE(InsideOutline(426, 0));
    EXPECT_FALSE(InsideOutline(0, 558));
    EXPECT_TRUE(InsideOutline(489, 558));
    EXPECT_FALSE(InsideOutline(245, -1));
    EXPECT_FALSE(InsideOutline(245, 580));
}

TEST(Outline, TheCommittedRegionDataIsTheOutlineEncoded) {
    std::ifstream in(ZARQ_SOURCE_DIR "/assets/Mask2.bin", std::ios::binary);
    const std::vector<std::uint8_t> stored((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    EXPECT_EQ(stored, EncodeMask2(OutlineBands()));
}

}  // namespace
}  // namespace zarq::assetgen
