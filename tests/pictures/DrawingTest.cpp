// The drawings in memory: the picture list comes from the panel itself, every drawing has an
// element to show it, and the committed files are what the generator draws now (pixel for
// pixel for the display, within the photographs' compression for the photographs); the
// dialogs' pictures and the icon have their sizes, the box its black ground, the icon its shape.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainterPath>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

#include "tests/harness/Harness.h"
#include "tests/pictures/PictureFiles.h"
#include "tests/pictures/SvgPainter.h"
#include "tools/assetgen/pictures/Catalogue.h"
#include "tools/assetgen/pictures/DialogPictures.h"
#include "tools/assetgen/pictures/DisplayPictures.h"
#include "tools/assetgen/pictures/Generator.h"
#include "tools/assetgen/pictures/Outline.h"
#include "tools/assetgen/pictures/OutlineAlpha.h"

namespace zarq::test {
namespace {

class Drawing : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Setting the panel's printing needs a GUI application, never a screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
        drawn_ = assetgen::DrawAllPictures(QStringLiteral(ZARQ_FONT_FILE));
        dialogs_ = assetgen::DrawDialogPictures(drawn_, QStringLiteral(ZARQ_FONT_FILE));
    }
    static void TearDownTestSuite() {
        drawn_.clear();
        dialogs_ = {};
        app_.reset();
    }

    static inline int argc_ = 1;
    static inline char name_[] = "pictures_tests";
    static inline char* argv_[] = {name_, nullptr};
    static inline std::unique_ptr<QGuiApplication> app_;
    static inline std::map<std::string, QImage> drawn_;
    static inline assetgen::DialogPictures dialogs_;
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
    for (const assetgen::PictureSpec& entry : specs) {
        EXPECT_EQ(toy.F().FindElement(entry.Key)->Picture(), entry.Key);
    }
}

// The largest mean difference over 8 x 8 blocks: compression spreads a little everywhere,
// a changed detail shows up strongly in its own block. Alpha counts where either has it.
double WorstBlockDifference(const QImage& a, const QImage& b) {
    const bool alpha = a.hasAlphaChannel() || b.hasAlphaChannel();
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
                    if (alpha) {
                        sum += std::abs(qAlpha(p) - qAlpha(q));
                        ++count;
                    }
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
    for (const auto& entry : assetgen::PictureCatalogue(toy.F())) listed.insert(entry.Key);
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

// The outline's path, which the web page cuts the panel with at any scale: the committed file
// is what is drawn now; no pixel outside the region has its centre inside the path, hardly any
// inside the region (a pixel's band along the edge) has it outside; its sides are slanted lines,
// not stairs of one-pixel steps (the stairs have 250 corners).
TEST(OutlinePath, CommittedPathIsWhatIsDrawnNowWithinTheRegionAndWithoutStairs) {
    std::ifstream in(ZARQ_SOURCE_DIR "/assets/pictures/Outline.svg", std::ios::binary);
    const std::string committed{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
    const std::string svg = assetgen::DrawOutlineSvg();
    EXPECT_EQ(committed, svg) << "Outline.svg is stale: build the regenerate_pictures target";

    const std::smatch d = [&] {
        std::smatch m;
        std::regex_search(svg, m, std::regex(" d=\"([^\"]*)\""));
        return m;
    }();
    ASSERT_FALSE(d.empty()) << svg;
    QPolygonF corners;
    const std::string data = d[1].str();
    const std::regex point("[ML](-?\\d+) (-?\\d+)");
    for (auto it = std::sregex_iterator(data.begin(), data.end(), point);
         it != std::sregex_iterator(); ++it) {
        corners << QPointF(std::stod((*it)[1].str()), std::stod((*it)[2].str()));
    }
    EXPECT_GT(corners.size(), 20);
    EXPECT_LT(corners.size(), 100) << "the sides are stairs";
    QPainterPath path;
    path.addPolygon(corners);
    path.closeSubpath();
    int region = 0;
    int cut = 0;
    for (int y = 0; y < assetgen::kPanelHeight; ++y) {
        for (int x = 0; x < assetgen::kPanelWidth; ++x) {
            const bool inside = path.contains(QPointF(x + 0.5, y + 0.5));
            const bool ofRegion = assetgen::InsideOutline(x, y);
            EXPECT_TRUE(ofRegion || !inside)
                << "the pixel " << x << ", " << y << " lies outside the region";
            region += ofRegion ? 1 : 0;
            cut += ofRegion && !inside ? 1 : 0;
        }
    }
    EXPECT_LT(cut, region / 100);
}

// The finer display pictures and every outline are cheap to draw: they must match exactly.
// (The finer photographs are checked by the generator's double run and the committed tests.)
TEST(FinerDrawing, CommittedFinerDisplayPicturesAndOutlinesAreWhatIsDrawnNow) {
    for (int k : {1, 2, 3}) {
        if (k > 1) {
            for (const std::string& key : assetgen::DisplayPictureKeys()) {
                EXPECT_EQ(CommittedPicture(key, k), assetgen::DrawDisplayPicture(key, k))
                    << key << " at " << k << "x is stale: build the regenerate_pictures target";
            }
        }
        const QImage outline(
            QString::fromStdString(std::string(ZARQ_SOURCE_DIR "/assets/pictures/") +
                                   assetgen::ScaledFileName("Outline.png", k)));
        EXPECT_EQ(outline.convertToFormat(QImage::Format_Grayscale8), assetgen::DrawOutlineAlpha(k))
            << "the outline at " << k << "x is stale: build the regenerate_pictures target";
    }
}

// The dialogs' pictures and the icon are paintings over the rendered toy: compared like the
// photographs, since antialiasing and the renderer's arithmetic may differ a little between
// machines.
TEST_F(Drawing, CommittedDialogPicturesAndIconAreWhatIsDrawnNow) {
    ASSERT_EQ(dialogs_.Dialogs.size(), 2u);
    for (const auto& [key, image] : dialogs_.Dialogs) {
        const QImage committed = CommittedPicture(key);
        ASSERT_FALSE(committed.isNull()) << key << " is missing";
        ASSERT_EQ(committed.size(), image.size()) << key;
        EXPECT_LT(WorstBlockDifference(committed, image.convertToFormat(QImage::Format_RGB32)), 8.0)
            << key << " is stale: build the regenerate_pictures target";
    }
    ASSERT_EQ(dialogs_.Icons.size(), assetgen::kIconSizes.size());
    for (const auto& [size, drawn] : dialogs_.Icons) {
        const QImage icon = CommittedIcon(size);
        ASSERT_FALSE(icon.isNull()) << "the icon of " << size << " pixels is missing";
        ASSERT_EQ(icon.size(), drawn.size());
        EXPECT_LT(WorstBlockDifference(icon.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                                       drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
                  8.0)
            << "the icon of " << size << " pixels is stale: build the regenerate_pictures target";
    }
}

// The web page's icons are what is drawn now; the maskable one fills its square, and the toy on
// it lies within the central circle of 80 % of its width, which any launcher's mask keeps.
TEST_F(Drawing, CommittedWebIconsAreWhatIsDrawnNowAndTheMaskableOneKeepsTheToyInItsSafeCircle) {
    ASSERT_EQ(dialogs_.WebIcons.size(), 3u);
    for (const auto& [name, drawn] : dialogs_.WebIcons) {
        const QImage icon(
            QString::fromStdString(std::string(ZARQ_SOURCE_DIR "/assets/icon/") + name));
        ASSERT_FALSE(icon.isNull()) << name << " is missing";
        ASSERT_EQ(icon.size(), drawn.size()) << name;
        EXPECT_LT(WorstBlockDifference(icon.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                                       drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
                  8.0)
            << name << " is stale: build the regenerate_pictures target";
    }
    const QImage maskable = dialogs_.WebIcons.at("zarq-simulator-maskable-512.png");
    const QRgb ground = maskable.pixel(0, 0);
    int toy = 0;
    for (int y = 0; y < maskable.height(); ++y) {
        for (int x = 0; x < maskable.width(); ++x) {
            const QRgb p = maskable.pixel(x, y);
            ASSERT_EQ(qAlpha(p), 255) << "see-through at " << x << ", " << y;
            if (p == ground) continue;
            ++toy;
            const double dx = x + 0.5 - maskable.width() / 2.0;
            const double dy = y + 0.5 - maskable.height() / 2.0;
            EXPECT_LE(std::hypot(dx, dy), 0.4 * maskable.width())
                << "the toy at " << x << ", " << y;
        }
    }
    EXPECT_GT(toy, maskable.width() * maskable.height() / 5) << "the toy is too small";
}

// The dialogs' finer pictures, drawn again from the committed finer panel pictures, are what
// is committed; brought back to the dialog's pixels they are the 1x pictures, taken finer
// they are not the 1x pictures enlarged.
TEST_F(Drawing, FinerDialogPicturesAreTheSameDrawingsDrawnFinerAndCurrent) {
    for (int k : {2, 3}) {
        std::map<std::string, QImage> panel;
        for (const auto& [key, coarse] : drawn_) {
            panel[key] = CommittedPicture(key, k);
            ASSERT_EQ(panel[key].size(), coarse.size() * k) << key << " at " << k << "x";
        }
        const assetgen::DialogPictures finer =
            assetgen::DrawDialogPictures(panel, QStringLiteral(ZARQ_FONT_FILE), k);
        EXPECT_TRUE(finer.Icons.empty());
        ASSERT_EQ(finer.Dialogs.size(), 2u);
        for (const auto& [key, image] : finer.Dialogs) {
            const QImage coarse = dialogs_.Dialogs.at(key).convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(image.size(), coarse.size() * k) << key << " at " << k << "x";
            const QImage committed = CommittedPicture(key, k);
            ASSERT_EQ(committed.size(), image.size()) << key << " at " << k << "x is missing";
            EXPECT_LT(WorstBlockDifference(committed, image.convertToFormat(QImage::Format_RGB32)),
                      8.0)
                << key << " at " << k << "x is stale: build the regenerate_pictures target";
            const QImage reduced =
                committed.scaled(coarse.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const QImage enlarged =
                coarse.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
            EXPECT_LT(MeanColourDifference(reduced, coarse), 4.0) << key << " at " << k << "x";
            EXPECT_GT(MeanColourDifference(committed, enlarged), 3.0)
                << key << " at " << k << "x is the 1x picture enlarged";
        }
    }
}

// Opaque pixels of an image with alpha.
int OpaquePixels(const QImage& image) {
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) == 255;
    }
    return opaque;
}

TEST_F(Drawing, DialogPicturesFitTheirPlacesAndTheIconIsShaped) {
    // The places the dialogs give them.
    const std::map<std::string, QSize> places = {{"Im_Piccina", {204, 286}},
                                                 {"Im_Foto", {252, 84}}};
    for (const auto& [key, size] : places) {
        ASSERT_TRUE(dialogs_.Dialogs.count(key)) << key << " is not drawn";
        EXPECT_EQ(dialogs_.Dialogs.at(key).size(), size) << key;
        EXPECT_EQ(CommittedPicture(key).size(), size) << key;
        EXPECT_FALSE(dialogs_.Dialogs.at(key).hasAlphaChannel()) << key;
    }
    // The box stands on the options dialog's black: black around it, the toy's blue on it.
    const QImage box = dialogs_.Dialogs.at("Im_Piccina");
    for (QPoint corner : {QPoint(0, 0), QPoint(203, 285), QPoint(0, 285), QPoint(203, 0)}) {
        EXPECT_TRUE(IsBlack(box.pixel(corner))) << corner.x() << "," << corner.y();
    }
    int blue = 0;
    for (int y = 0; y < box.height(); ++y) {
        for (int x = 0; x < box.width(); ++x) {
            const QRgb p = box.pixel(x, y);
            blue += qBlue(p) > 120 && qBlue(p) > qRed(p) + 60;
        }
    }
    EXPECT_GT(blue, box.width() * box.height() / 4);

    // The icon at every size the desktop installs: the toy's outline on a clear ground, its
    // body solid and blue, its screen not. Places are given on the 64-pixel icon and scaled.
    for (const int size : assetgen::kIconSizes) {
        const QImage committed = CommittedIcon(size);
        ASSERT_EQ(committed.size(), QSize(size, size)) << size;
        EXPECT_TRUE(committed.hasAlphaChannel()) << "the icon of " << size << " has no alpha";
        const auto at = [size](int x, int y) { return QPoint(x * size / 64, y * size / 64); };
        for (const QImage& icon :
             {dialogs_.Icons.at(size), committed.convertToFormat(QImage::Format_ARGB32)}) {
            const int last = size - 1;
            for (QPoint corner :
                 {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)}) {
                EXPECT_EQ(qAlpha(icon.pixel(corner)), 0)
                    << size << ": " << corner.x() << "," << corner.y();
            }
            EXPECT_EQ(qAlpha(icon.pixel(at(32, 32))), 255) << size;
            EXPECT_GT(OpaquePixels(icon), size * size / 2) << size;
            EXPECT_LT(OpaquePixels(icon), size * size * 9 / 10) << size;
            const QRgb body = icon.pixel(at(12, 37));
            EXPECT_GT(qBlue(body), qRed(body) + 60)
                << size << ": the body beside the printing is not blue";
            const QRgb screen = icon.pixel(at(32, 23));
            EXPECT_LT(qBlue(screen), 100) << size << ": the screen is not there";
        }
    }
}

// The scalable icon, painted from its file, is the same toy as the PNG icons: its outline on a
// clear ground, the body's blue, the dark screen; and the committed file is what the generator
// writes now.
TEST_F(Drawing, TheScalableIconIsTheToyOfThePngIcons) {
    std::ifstream file(std::filesystem::path(ZARQ_SOURCE_DIR) / "assets/icon/zarq-simulator.svg");
    const std::string committed{std::istreambuf_iterator<char>(file), {}};
    ASSERT_FALSE(committed.empty()) << "assets/icon/zarq-simulator.svg is missing";
    for (const int size : {64, 256}) {
        const QImage painted = PaintSvg(committed, size);
        ASSERT_FALSE(painted.isNull()) << "the SVG holds more than its reader knows";
        const QImage now = PaintSvg(dialogs_.IconSvg, size);
        ASSERT_FALSE(now.isNull());
        EXPECT_LT(WorstBlockDifference(painted, now), 8.0)
            << "the scalable icon is stale: build the regenerate_pictures target";
        // The same outline as the PNG icon of that size.
        const QImage png = CommittedIcon(size).convertToFormat(QImage::Format_ARGB32);
        int shapeMismatch = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                shapeMismatch +=
                    (qAlpha(painted.pixel(x, y)) > 127) != (qAlpha(png.pixel(x, y)) > 127);
            }
        }
        EXPECT_LT(shapeMismatch, size * size / 100) << size;
        // Its body blue beside the printing and its screen dark, at the places the PNG icons
        // are tested at.
        const auto at = [size](int x, int y) { return QPoint(x * size / 64, y * size / 64); };
        const QRgb body = painted.pixel(at(12, 37));
        EXPECT_GT(qBlue(body), qRed(body) + 60) << size << ": the body is not blue";
        EXPECT_LT(qBlue(painted.pixel(at(32, 23))), 100) << size << ": the screen is not there";
    }
}

}  // namespace
}  // namespace zarq::test
