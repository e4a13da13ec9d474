// The panel on high-density screens and in a see-through window, read back from offscreen
// frames painted with the program's own pictures: the outline's edge against the region
// data, lit segments drawn from the finer picture sets, and which sets get decoded.
#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>

#include "core/skin/RegionData.h"
#include "desktop/window/PanelPainter.h"
#include "desktop/window/PictureSet.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

class SharpPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        auto error = pictures.Load(PictureSet::ResourceFolder(), PictureKeysOf(toy.F()), 1);
        ASSERT_FALSE(error) << error->Text().toStdString();
    }

    // Every element the toy can light, lit at once (figures in every row, the boss, digits).
    void LightEverything() {
        TForm1& f = toy.F();
        f.MostraTuttoBar(true);
        f.MostraTuttoDisk(true);
        f.MostraTuttoXOM(true);
        for (int row = 1; row <= 5; ++row) {
            toy.G().ZarqRow = row;
            f.MostraZarq(true);
        }
        for (int row = 1; row <= 4; ++row) {
            toy.G().KrevRow = row;
            f.MostraKrev(true);
        }
        for (int place = 1; place <= 4; ++place) f.DigitPos[place]->SetPicture("Im_Num8");
        f.Puls_On->SetVisible(true);
    }

    Toy toy;
    PictureSet pictures;
    PanelPainter painter{toy.F(), pictures};
};

// Each row's span from the committed region data.
std::vector<RegionRect> RowSpans() {
    const QByteArray mask = PanelMask2();
    const DecodedRegion region = DecodeMask2(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(mask.constData()),
                                      static_cast<std::size_t>(mask.size())));
    EXPECT_TRUE(region.Ok());
    std::vector<RegionRect> rows(580);
    for (const RegionRect& r : region.Region.Rects) {
        for (int y = r.Top; y < r.Bottom; ++y)
            rows[static_cast<std::size_t>(y)] = {r.Left, y, r.Right, y + 1};
    }
    return rows;
}

TEST_F(SharpPanel, SeeThroughOutsideTheRegionOpaqueWellInsideAndSmoothOnTheEdge) {
    LightEverything();
    painter.SetTransparentOutside(true);
    const std::vector<RegionRect> rows = RowSpans();
    for (int k : {1, 2, 3}) {
        const QImage frame = painter.Render(k);
        ASSERT_EQ(frame.size(), QSize(490 * k, 580 * k));
        int partial = 0;
        int whiteFringe = 0;
        for (int y = 0; y < 580; ++y) {
            const RegionRect& row = rows[static_cast<std::size_t>(y)];
            // Opaque from where this row and both its neighbours are inside the region.
            int innerLeft = row.Left, innerRight = row.Right;
            for (int n : {y - 1, y + 1}) {
                if (n < 0 || n >= 580) continue;
                innerLeft = std::max<int>(innerLeft, rows[static_cast<std::size_t>(n)].Left);
                innerRight = std::min<int>(innerRight, rows[static_cast<std::size_t>(n)].Right);
            }
            for (int dy = 0; dy < k; ++dy) {
                const auto* line = reinterpret_cast<const QRgb*>(frame.constScanLine(y * k + dy));
                for (int x = 0; x < 490 * k; ++x) {
                    const int a = qAlpha(line[x]);
                    if (x < row.Left * k || x >= row.Right * k) {
                        ASSERT_EQ(a, 0) << "outside the region at " << x << "," << y * k + dy
                                        << " at " << k << "x";
                    } else if (x >= innerLeft * k && x < innerRight * k) {
                        ASSERT_EQ(a, 255)
                            << "well inside at " << x << "," << y * k + dy << " at " << k << "x";
                    } else if (a > 0 && a < 255) {
                        ++partial;
                        // The edge blends the body's colour, never the white around it.
                        if (qRed(line[x]) * 255 / a > 225 && qGreen(line[x]) * 255 / a > 225) {
                            ++whiteFringe;
                        }
                    }
                }
            }
        }
        // The top corners, the shoulders' slopes and the foot each give a soft edge.
        EXPECT_GT(partial, 150 * k) << k << "x";
        EXPECT_EQ(whiteFringe, 0) << k << "x";
    }
}

TEST_F(SharpPanel, ALitSegmentComesFromTheFinerSetWithOneDevicePixelSteps) {
    TImage& bar = *toy.F().BarV[2][3];
    bar.SetVisible(true);
    const TRect& b = bar.Bounds();
    const QImage coarse = painter.Render(1);
    for (int k : {2, 3}) {
        const QImage frame = painter.Render(k);
        const ScaledPicture fine = pictures.FindAt(bar.Picture(), bar.Transparent(), k);
        ASSERT_TRUE(fine);
        ASSERT_EQ(fine.Scale, k) << "no " << k << "x picture of " << bar.Picture();
        const QImage& picture = *fine.Image;
        // Every lit pixel of the finer picture lands on its own device pixel, unblended.
        int lit = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (qAlpha(picture.pixel(x, y)) == 0) continue;
                ++lit;
                ASSERT_EQ(Hex(frame.pixel(b.Left * k + x, b.Top * k + y)), Hex(picture.pixel(x, y)))
                    << x << "," << y << " at " << k << "x";
            }
        }
        EXPECT_GT(lit, 20 * k * k);
        // Across the bar's line (panel column 1 of the bar, row 7) the colour changes in one
        // device pixel, from the screen behind to the lit colour.
        const int row = (b.Top + 7) * k + k / 2;
        const int edge = (b.Left + 1) * k;
        EXPECT_EQ(Hex(frame.pixel(edge, row)), "#18b618") << k << "x";
        EXPECT_EQ(Hex(frame.pixel(edge - 1, row)), Hex(coarse.pixel(b.Left, b.Top + 7))) << k;
        // The round dot at the bar's end is not a doubled 1x picture: the device rows of its
        // first panel row light different widths.
        auto litIn = [&](int y) {
            int n = 0;
            for (int x = b.Left * k; x < (b.Left + b.Width) * k; ++x) {
                n += Hex(frame.pixel(x, y)) == "#18b618" ? 1 : 0;
            }
            return n;
        };
        EXPECT_LT(litIn(b.Top * k), litIn(b.Top * k + k - 1)) << k << "x";

        // A zoom (the painter scaled on a plain 1x image) paints exactly what the screen's
        // ratio paints.
        QImage zoomed(490 * k, 580 * k, QImage::Format_RGB32);
        {
            QPainter p(&zoomed);
            p.scale(k, k);
            painter.Paint(p, QRegion(0, 0, 490, 580));
        }
        QImage expected = frame;
        expected.setDevicePixelRatio(1);
        EXPECT_TRUE(zoomed == expected)
            << "zoom " << k << "00 % differs from a " << k << "x screen";
    }
}

TEST_F(SharpPanel, OnlyTheSetForTheRatioInUseIsDecoded) {
    EXPECT_TRUE(pictures.Decoded(1));
    EXPECT_FALSE(pictures.Decoded(2));
    EXPECT_FALSE(pictures.Decoded(3));
    // 150 % paints from the 2x set, shrunk; 250 % from the 3x set.
    const QImage between = painter.Render(1.5);
    EXPECT_EQ(between.size(), QSize(735, 870));
    EXPECT_TRUE(pictures.Decoded(2));
    EXPECT_FALSE(pictures.Decoded(3));
    painter.Render(2.5);
    EXPECT_TRUE(pictures.Decoded(3));
}

}  // namespace
}  // namespace zarq::test
