// The drawings in memory: the picture list comes from the panel itself, every drawing has an
// element to show it, and the committed files are what the generator draws now (pixel for
// pixel for the display, within the photographs' compression for the photographs).
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <map>

#include "Catalogue.h"
#include "DisplayPictures.h"
#include "Generator.h"
#include "PictureFiles.h"
#include "harness/Harness.h"

namespace zarq::test {
namespace {

class Drawing : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Setting the panel's printing needs a GUI application, never a screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
        drawn_ = assetgen::DrawAllPictures(QStringLiteral(ZARQ_FONT_FILE));
    }
    static void TearDownTestSuite() {
        drawn_.clear();
        app_.reset();
    }

    static inline int argc_ = 1;
    static inline char name_[] = "pictures_tests";
    static inline char* argv_[] = {name_, nullptr};
    static inline std::unique_ptr<QGuiApplication> app_;
    static inline std::map<std::string, QImage> drawn_;
};

TEST(PictureList, ComesFromThePanelInStackingOrder) {
    Toy toy;
    const std::vector<assetgen::PictureSpec> specs = assetgen::PictureCatalogue(toy.F());
    ASSERT_EQ(specs.size(), 46u);
    EXPECT_EQ(specs.front().Key, "Im_Base");
    EXPECT_EQ(specs[1].Key, "Im_BaseScreen");
    EXPECT_EQ(specs[2].Key, "Puls_Speed");
    EXPECT_EQ(specs[3].Key, "Im_Zarq5");
    EXPECT_EQ(specs.back().Key, "Puls_Off");
    EXPECT_EQ(specs.front().FileName(), "Im_Base.jpg");
    EXPECT_EQ(specs[2].FileName(), "Puls_Speed.jpg");
    EXPECT_EQ(specs[1].FileName(), "Im_BaseScreen.png");
    // Carriers only: a shared picture is listed once, under the element that carries it.
    for (const assetgen::PictureSpec& spec : specs) {
        EXPECT_EQ(toy.F().FindElement(spec.Key)->Picture(), spec.Key);
    }
}

// The largest mean difference over 8 x 8 blocks: compression spreads a little everywhere,
// a changed detail shows up strongly in its own block.
double WorstBlockDifference(const QImage& a, const QImage& b) {
    double worst = 0;
    for (int by = 0; by < a.height(); by += 8) {
        for (int bx = 0; bx < a.width(); bx += 8) {
            double sum = 0;
            int count = 0;
            for (int y = by; y < std::min(by + 8, a.height()); ++y) {
                for (int x = bx; x < std::min(bx + 8, a.width()); ++x) {
                    const QRgb p = a.pixel(x, y);
                    const QRgb q = b.pixel(x, y);
                    sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                           std::abs(qBlue(p) - qBlue(q));
                    count += 3;
                }
            }
            worst = std::max(worst, sum / count);
        }
    }
    return worst;
}

// One test, so the photographs are rendered once per run.
TEST_F(Drawing, CommittedFilesAreWhatIsDrawnNow) {
    Toy toy;
    std::set<std::string> listed;
    for (const auto& spec : assetgen::PictureCatalogue(toy.F())) listed.insert(spec.Key);
    std::set<std::string> drawn;
    for (const auto& [key, image] : drawn_) drawn.insert(key);
    EXPECT_EQ(drawn, listed);
    for (const std::string& key : assetgen::DisplayPictureKeys()) {
        EXPECT_TRUE(listed.count(key)) << key << " is drawn but no element shows it";
    }
    EXPECT_THROW(assetgen::DrawDisplayPicture("Im_Nothing"), std::invalid_argument);

    const std::set<std::string> photographs = {"Im_Base", "Puls_Speed", "Puls_On", "Puls_Off"};
    for (const auto& [key, image] : drawn_) {
        const QImage committed = CommittedPicture(key);
        ASSERT_FALSE(committed.isNull()) << key;
        ASSERT_EQ(committed.size(), image.size()) << key;
        if (photographs.count(key)) {
            EXPECT_LT(WorstBlockDifference(committed, image), 8.0)
                << key << " is stale: build the regenerate_pictures target";
        } else {
            // Pixel art comes out the same on every machine.
            EXPECT_EQ(committed.convertToFormat(QImage::Format_RGB32),
                      image.convertToFormat(QImage::Format_RGB32))
                << key << " is stale: build the regenerate_pictures target";
        }
    }
}

}  // namespace
}  // namespace zarq::test
