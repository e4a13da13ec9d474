// The options dialog and the panel on screens of their own, offscreen: a small logical screen
// (960 x 500 at 200 %), where the dialog is shown scaled down with "- PLAY -" on the screen,
// and screens at 125 %, 150 % and 200 %, where the panel's outline, cut by the mask alone or
// laid onto black in full screen, shows only the toy's colours.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <memory>
#include <vector>

#include "desktop/dialogs/SplashForm.h"
#include "desktop/window/PanelWindow.h"
#include "desktop/window/QtWindowHost.h"
#include "tests/app/OffscreenScreens.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

// Sizes in device pixels, 96 dpi per 100 %. No window frames: as on a desktop without a window
// manager.
[[maybe_unused]] const ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(
        new ScreensApplication({OffscreenScreen("a-small", 0, 0, 1920, 1000, 192),
                                OffscreenScreen("b-at125", 4000, 0, 1600, 1200, 120),
                                OffscreenScreen("c-at150", 8000, 0, 1920, 1440, 144),
                                OffscreenScreen("d-at200", 12000, 0, 2560, 1920, 192)},
                               false));

QScreen* ScreenNamed(const char* name) {
    for (QScreen* s : QGuiApplication::screens()) {
        if (s->name() == QLatin1String(name)) return s;
    }
    return nullptr;
}

TEST(SmallScreen, TheOptionsDialogIsShownScaledDownWithPlayOnTheScreenAndItsPictureSharp) {
    QScreen* small = QGuiApplication::primaryScreen();
    if (small == nullptr || small->name() != "a-small" || small->devicePixelRatio() != 2.0)
        GTEST_SKIP() << "the offscreen platform ignored the screens given to it";
    const QRect area = small->availableGeometry();
    ASSERT_EQ(area.height(), 500);
    SessionRig toy;
    PictureSet pictures;
    PanelWindow panel(toy.Session, pictures, PanelMask2());
    QtWindowHost host;
    host.SetWindow(&panel);
    TSplashForm dialog(toy.Session, host, &panel);
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_LT(dialog.ContentScale(), 1.0);
    EXPECT_TRUE(area.contains(dialog.frameGeometry()));
    const QRect play(dialog.Puls_Play->mapToGlobal(QPoint(0, 0)), dialog.Puls_Play->size());
    EXPECT_TRUE(area.contains(play)) << play.y() << " + " << play.height();
    // Fitting again changes nothing.
    const QRect placed = dialog.geometry();
    dialog.CentreOnScreen();
    EXPECT_EQ(dialog.geometry(), placed);
    // The box's picture still comes from the double set, scaled down, not from the single.
    dialog.Im_Piccina->grab();
    EXPECT_EQ(dialog.Im_Piccina->ShownScale(), 2);
}

class Outline : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        screen = ScreenNamed(GetParam());
        if (screen == nullptr || screen->devicePixelRatio() == 1.0)
            GTEST_SKIP() << "the offscreen platform ignored the screens given to it";
        if (!folder.Real()) GTEST_SKIP() << "the committed pictures are incomplete";
        auto error = pictures.Load(folder.Path(), PictureKeysOf(toy.F()), 1);
        ASSERT_FALSE(error) << error->Text().toStdString();
        toy.Stored["Zoom"] = "0";  // fit to screen: a fractional zoom
        window = std::make_unique<PanelWindow>(toy.Session, pictures, PanelMask2());
        window->setScreen(screen);
        window->Sizing().SetZoom(PanelSizing::kFitToScreen);
    }

    SessionRig toy;
    PictureFolder folder{toy.F()};
    PictureSet pictures;
    QScreen* screen = nullptr;
    std::unique_ptr<PanelWindow> window;
};

int Lightest(QRgb c) {
    return std::max({qRed(c), qGreen(c), qBlue(c)});
}
int Darkest(QRgb c) {
    return std::min({qRed(c), qGreen(c), qBlue(c)});
}

TEST_P(Outline, WhereTheMaskAloneCutsItEveryPixelItMayLetThroughShowsTheToy) {
    // Not shown, the window paints as for a desktop that does not compose windows: the mask
    // alone cuts the outline. The window system rounds the mask to device pixels its own way,
    // so every device pixel that meets a window pixel of the mask may show; those that also
    // meet one outside it (the edge) are checked.
    const double ratio = screen->devicePixelRatio();
    const double deviceScale = window->Sizing().Scale() * ratio;
    ASSERT_GT(std::abs(deviceScale - std::round(deviceScale)), 1e-3) << "not a fractional scale";
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const int w = window->width();
    std::vector<char> in(static_cast<std::size_t>(w * window->height()), 0);
    for (const QRect& r : window->mask()) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::fill_n(&in[y * w + r.left()], r.width(), 1);
    }
    const auto inMask = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < window->height() && in[y * w + x] != 0;
    };
    int edge = 0, white = 0, dark = 0, unpainted = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            bool inside = false, outside = false;
            for (int wy = int(std::floor((y - 1) / ratio)); wy <= int((y + 2) / ratio - 1e-9);
                 ++wy) {
                for (int wx = int(std::floor((x - 1) / ratio)); wx <= int((x + 2) / ratio - 1e-9);
                     ++wx) {
                    (inMask(wx, wy) ? inside : outside) = true;
                }
            }
            if (!inside || !outside) continue;
            const QRgb c = shown.pixel(x, y);
            ++edge;
            unpainted += qAlpha(c) < 255;
            white += qAlpha(c) == 255 && Darkest(c) > 200;
            dark += qAlpha(c) == 255 && Lightest(c) <= 40;
        }
    }
    EXPECT_GT(edge, 2000);
    EXPECT_EQ(white, 0) << "near-white pixels along the outline";
    EXPECT_EQ(dark, 0) << "dark pixels along the outline";
    EXPECT_EQ(unpainted, 0) << "unpainted pixels along the outline";
}

TEST_P(Outline, InFullScreenTheSoftOutlineIsLaidOntoTheBlack) {
    window->move(screen->geometry().topLeft());
    window->show();
    // As on a desktop that does not compose windows, where a hard cut would leave the white
    // around the photograph on the edge.
    const_cast<PanelPainter&>(window->Painter()).SetTransparentOutside(false);
    window->Sizing().SetFullScreen(true);
    QCoreApplication::processEvents();
    ASSERT_EQ(window->size(), screen->geometry().size());
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Each row across the toy, from both sides, begins with the body's colour or a mix of it
    // with the black, never with a lighter fringe; and nothing is lit away from the outline.
    const auto brightness = [](QRgb c) { return qRed(c) + qGreen(c) + qBlue(c); };
    int rows = 0, lighter = 0, stray = 0;
    for (int y = 0; y < shown.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int step : {1, -1}) {
            int x = step == 1 ? 0 : shown.width() - 1;
            while (x >= 0 && x < shown.width() && (line[x] & 0xffffff) == 0) x += step;
            if (x < 0 || x >= shown.width()) continue;
            const double ratio = screen->devicePixelRatio();
            const QPoint under = window->ToToy(QPointF((x + 0.5) / ratio, (y + 0.5) / ratio));
            stray +=
                !window->CoolForm1().Outline().intersects(QRect(under - QPoint(1, 1), QSize(3, 3)));
            if (y < shown.height() / 10 || y > shown.height() * 9 / 10) continue;
            ++rows;
            lighter += brightness(line[x]) > brightness(line[x + 3 * step]) + 90;
        }
    }
    EXPECT_GT(rows, 100);
    EXPECT_EQ(lighter, 0) << "of " << rows << " rows begin with a light fringe";
    EXPECT_EQ(stray, 0) << "pixels lit away from the outline";
}

INSTANTIATE_TEST_SUITE_P(Ratios, Outline, ::testing::Values("b-at125", "c-at150", "d-at200"));

// The right press that opens the menu lands on the panel's body and the menu takes its
// release: a zoom chosen there still applies at once, with no click after it.
TEST(PanelOnScreen, AZoomChosenFromTheRightClickMenuAppliesAtOnce) {
    QScreen* screen = ScreenNamed("b-at125");  // room for 150 %
    if (screen == nullptr) GTEST_SKIP() << "the offscreen platform ignored the screens given to it";
    Toy toy;
    PictureSet pictures;
    PanelWindow window(toy.F(), pictures, PanelMask2());
    window.setScreen(screen);
    window.move(screen->availableGeometry().topLeft() + QPoint(100, 100));
    window.show();
    window.Sizing().Settle();
    ASSERT_EQ(window.size(), QSize(490, 580));
    const QPoint body(300, 200);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(body), QPointF(window.mapToGlobal(body)),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
    for (QAction* action : window.Sizing().ZoomMenu()->actions()) {
        if (!action->isSeparator() && action->data().toInt() == 150) action->trigger();
    }
    EXPECT_EQ(window.size(), QSize(735, 870));
}

}  // namespace
}  // namespace zarq::test
