// The options dialog and the panel on screens of their own, offscreen: a small logical screen
// (960 x 500 at 200 %), where the dialog is shown scaled down with "- PLAY -" on the screen,
// and screens at 125 %, 150 % and 200 %, where the panel's outline, cut by the mask alone or
// laid onto black in full screen, shows only the toy's colours.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <memory>
#include <vector>

#include "PanelWindow.h"
#include "QtWindowHost.h"
#include "SplashForm.h"
#include "TestPictures.h"
#include "harness/Harness.h"

namespace zarq::test {
namespace {

struct ScreenSpec {
    const char* Name;
    int X;
    int Width, Height;  // device pixels
    int Dpi;            // 96 per 100 %
};
// The platform orders the screens by name; the first is the primary screen.
constexpr ScreenSpec kScreens[] = {
    {"a-small", 0, 1920, 1000, 192},
    {"b-at125", 4000, 1600, 1200, 120},
    {"c-at150", 8000, 1920, 1440, 144},
    {"d-at200", 12000, 2560, 1920, 192},
};

// The screen file, written before the application exists: the platform reads it at start.
QString DescribeTheScreens() {
    static const QString config = QDir::temp().filePath(
        QString("zarq-screens-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return {};
    QStringList screens;
    for (const ScreenSpec& s : kScreens) {
        screens << QString(R"({"name": "%1", "x": %2, "y": 0, "width": %3, "height": %4,)"
                           R"( "logicalDpi": %5, "logicalBaseDpi": 96})")
                       .arg(s.Name)
                       .arg(s.X)
                       .arg(s.Width)
                       .arg(s.Height)
                       .arg(s.Dpi);
    }
    // No window frames: as on a desktop without a window manager.
    file.write(QString(R"({"windowFrameMargins": false, "screens": [%1]})")
                   .arg(screens.join(", "))
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    return config;
}

class ScreensApplication : public ::testing::Environment {
  public:
    void SetUp() override {
        const QString config = DescribeTheScreens();
        QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
            Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QFile::remove(config);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[24] = "app_screens_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ScreensApplication);

QScreen* ScreenNamed(const char* name) {
    for (QScreen* s : QGuiApplication::screens()) {
        if (s->name() == QLatin1String(name)) return s;
    }
    return nullptr;
}

// ---- The options dialog ----

TEST(DialogFit, TheDialogAndItsFrameFitTheAreaCentredAndAreOnlyShrunkWhereNeeded) {
    const QSize dialog(269, 515);
    struct Case {
        QRect Area;
        QMargins Frame;
        bool Shrunk;
    };
    // A 960 x 540 screen below a bar of 16, framed; the same unframed; a large screen; a
    // narrow one.
    for (const Case& c :
         {Case{{0, 16, 960, 524}, {2, 15, 2, 2}, true}, Case{{0, 16, 960, 524}, {}, false},
          Case{{100, 0, 1920, 1080}, {5, 30, 5, 5}, false}, Case{{0, 0, 200, 900}, {}, true}}) {
        const DialogFit fit = FitDialog(dialog, c.Frame, c.Area);
        EXPECT_EQ(fit.Scale < 1.0, c.Shrunk) << fit.Scale;
        EXPECT_LE(fit.Scale, 1.0);
        const QSize client(static_cast<int>(dialog.width() * fit.Scale),
                           static_cast<int>(dialog.height() * fit.Scale));
        const QRect frame(fit.FrameTopLeft, client.grownBy(c.Frame));
        EXPECT_TRUE(c.Area.contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        // Shrunk no more than the tighter side needs: that side is filled to the pixel.
        if (c.Shrunk) {
            EXPECT_TRUE(frame.width() >= c.Area.width() - 1 ||
                        frame.height() >= c.Area.height() - 1);
        }
        EXPECT_LE(std::abs((frame.left() - c.Area.left()) - (c.Area.right() - frame.right())), 1);
        EXPECT_LE(std::abs((frame.top() - c.Area.top()) - (c.Area.bottom() - frame.bottom())), 1);
    }
}

TEST(SmallScreen, TheOptionsDialogIsShownScaledDownWithPlayOnTheScreenAndItsPictureSharp) {
    QScreen* small = QGuiApplication::primaryScreen();
    if (small == nullptr || small->name() != "a-small" || small->devicePixelRatio() != 2.0)
        GTEST_SKIP() << "the offscreen platform ignored the screens given to it ("
                     << (small != nullptr ? small->name().toStdString() : "none") << " at "
                     << (small != nullptr ? small->devicePixelRatio() : 0.0) << ")";
    const QRect area = small->availableGeometry();
    ASSERT_EQ(area.height(), 500);
    Toy toy;
    PictureSet pictures;
    PanelWindow panel(toy.F(), pictures, PanelMask2());
    QtWindowHost host;
    host.SetWindow(&panel);
    TSplashForm dialog(toy.F(), host, &panel);
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_LT(dialog.ContentScale(), 1.0);
    EXPECT_TRUE(area.contains(dialog.frameGeometry()))
        << dialog.frameGeometry().y() << " + " << dialog.frameGeometry().height();
    const QRect play(dialog.Puls_Play->mapToGlobal(QPoint(0, 0)), dialog.Puls_Play->size());
    EXPECT_TRUE(area.contains(play)) << play.y() << " + " << play.height();
    EXPECT_TRUE(dialog.rect().contains(dialog.Puls_Play->geometry()));
    // Fitting again changes nothing.
    const QRect placed = dialog.geometry();
    dialog.CentreOnScreen();
    EXPECT_EQ(dialog.geometry(), placed);
    // The box's picture still comes from the double set, scaled down, not from the single.
    dialog.Im_Piccina->grab();
    EXPECT_EQ(dialog.Im_Piccina->ShownScale(), 2);
}

// ---- The panel's outline ----

class Outline : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        screen = ScreenNamed(GetParam());
        if (screen == nullptr || screen->devicePixelRatio() == 1.0)
            GTEST_SKIP() << "the offscreen platform ignored the screens given to it";
        if (!folder.Real()) GTEST_SKIP() << "the committed pictures are incomplete";
        auto error = pictures.Load(folder.Path(), PictureSet::KeysOf(toy.F()), 1);
        ASSERT_FALSE(error) << error->Text().toStdString();
        toy.Stored["Zoom"] = "0";  // fit to screen: a fractional zoom
        window = std::make_unique<PanelWindow>(toy.F(), pictures, PanelMask2());
        window->setScreen(screen);
        window->SetZoom(PanelWindow::kFitToScreen);
    }

    Toy toy;
    PictureFolder folder{toy.F()};
    PictureSet pictures;
    QScreen* screen = nullptr;
    std::unique_ptr<PanelWindow> window;
};

bool NearWhite(QRgb c) {
    return std::min({qRed(c), qGreen(c), qBlue(c)}) > 200;
}
bool Dark(QRgb c) {
    return std::max({qRed(c), qGreen(c), qBlue(c)}) <= 40;
}

TEST_P(Outline, WhereTheMaskAloneCutsItEveryPixelItMayLetThroughShowsTheToy) {
    // Not shown, the window paints as for a desktop that does not compose windows: the mask
    // alone cuts the outline.
    const double ratio = screen->devicePixelRatio();
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shown.size(), (QSizeF(window->size()) * ratio).toSize());
    const QRegion mask = window->mask();
    ASSERT_FALSE(mask.isEmpty());
    const double deviceScale = window->Scale() * ratio;
    ASSERT_GT(std::abs(deviceScale - std::round(deviceScale)), 1e-3) << "not a fractional scale";
    // The window system rounds the mask to device pixels its own way: every pixel within one
    // device pixel of the mask's exact edge may show. Those along the edge are checked.
    const QSize size = window->size();
    std::vector<char> covered(static_cast<std::size_t>(size.width() * size.height()), 0);
    for (const QRect& r : mask) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) covered[y * size.width() + x] = 1;
        }
    }
    const auto inMask = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < size.width() && y < size.height() &&
               covered[y * size.width() + x] != 0;
    };
    int checked = 0;
    int white = 0;
    int dark = 0;
    int unpainted = 0;
    for (int y = 0; y < shown.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            // The window pixels under this device pixel and its neighbours.
            const int x0 = static_cast<int>(std::floor((x - 1) / ratio));
            const int x1 = static_cast<int>(std::floor((x + 2) / ratio - 1e-9));
            const int y0 = static_cast<int>(std::floor((y - 1) / ratio));
            const int y1 = static_cast<int>(std::floor((y + 2) / ratio - 1e-9));
            bool inside = false;
            bool outside = false;
            for (int wy = y0; wy <= y1; ++wy) {
                for (int wx = x0; wx <= x1; ++wx) (inMask(wx, wy) ? inside : outside) = true;
            }
            if (!inside || !outside) continue;  // far from the edge
            ++checked;
            if (qAlpha(line[x]) < 255) {
                ++unpainted;
            } else if (NearWhite(line[x])) {
                ++white;
            } else if (Dark(line[x])) {
                ++dark;
            }
        }
    }
    EXPECT_GT(checked, 2000);
    EXPECT_EQ(white, 0) << "near-white pixels along the outline";
    EXPECT_EQ(dark, 0) << "dark pixels along the outline";
    EXPECT_EQ(unpainted, 0) << "unpainted pixels along the outline";
}

TEST_P(Outline, InFullScreenTheSoftOutlineIsLaidOntoTheBlack) {
    window->move(screen->geometry().topLeft());
    window->show();
    // As on a desktop that does not compose windows, where full screen is the one place the
    // soft outline can show.
    const_cast<PanelPainter&>(window->Painter()).SetTransparentOutside(false);
    window->SetFullScreen(true);
    QCoreApplication::processEvents();
    ASSERT_EQ(window->size(), screen->geometry().size());
    const double ratio = screen->devicePixelRatio();
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRegion outline = window->CoolForm1().Outline();
    ASSERT_FALSE(outline.isEmpty());
    // Each row across the toy, from both sides, begins with the body's colour or a mix of it
    // with the black, never with a lighter fringe (the white around the photograph, left by a
    // hard cut).
    const auto brightness = [](QRgb c) { return qRed(c) + qGreen(c) + qBlue(c); };
    int rows = 0;
    int lighter = 0;
    for (int y = shown.height() / 10; y < shown.height() * 9 / 10; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int side : {0, 1}) {
            const int step = side == 0 ? 1 : -1;
            int x = side == 0 ? 0 : shown.width() - 1;
            while (x >= 0 && x < shown.width() && (line[x] & 0xffffff) == 0) x += step;
            const int inner = x + 3 * step;
            if (inner < 0 || inner >= shown.width()) continue;
            ++rows;
            if (brightness(line[x]) > brightness(line[inner]) + 90) ++lighter;
        }
    }
    EXPECT_GT(rows, 100);
    EXPECT_EQ(lighter, 0) << "of " << rows << " rows begin with a light fringe";
    // Nothing lit away from the outline: every device pixel that is not black lies on a toy
    // pixel of the outline's region or next to one.
    int stray = 0;
    for (int y = 0; y < shown.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            if ((line[x] & 0xffffff) == 0) continue;
            const QPoint under = window->ToToy(QPointF((x + 0.5) / ratio, (y + 0.5) / ratio));
            if (!outline.intersects(QRect(under - QPoint(1, 1), QSize(3, 3)))) ++stray;
        }
    }
    EXPECT_EQ(stray, 0) << "pixels lit away from the outline";
}

INSTANTIATE_TEST_SUITE_P(Ratios, Outline, ::testing::Values("b-at125", "c-at150", "d-at200"));

}  // namespace
}  // namespace zarq::test
