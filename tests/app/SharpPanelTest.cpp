// The panel on high-density screens and in a see-through window, read back from offscreen
// frames painted with the program's own pictures: the outline's edge against the region
// data, lit segments drawn from the finer picture sets, and which sets get decoded.
#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>

#include "PanelPainter.h"
#include "PictureSet.h"
#include "TestPictures.h"
#include "harness/Harness.h"
#include "skin/RegionData.h"

namespace zarq::test {
namespace {

class SharpPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        auto error = pictures.Load(PictureSet::ResourceFolder(), PictureSet::KeysOf(toy.F()), 1);
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

}  // namespace
}  // namespace zarq::test
