// The panel zoomed on a double-density screen, offscreen: a 1600 x 1800 screen (3200 x 3600
// device pixels) whose origin is not the desktop's. Window size, outline, the switch's hit
// area, the stored "Zoom" and the centring after play all follow the zoom; the dialogs'
// pictures are shown from the finer files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <functional>
#include <memory>

#include "desktop/dialogs/AboutForm.h"
#include "desktop/dialogs/SplashForm.h"
#include "desktop/window/PanelWindow.h"
#include "desktop/window/QtWindowHost.h"
#include "tests/app/OffscreenScreens.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

const QRect kScreen(200, 100, 1600, 1800);
// A second, smaller screen to its right.
const QRect kSmallScreen(1800, 100, 800, 600);

// In device pixels at 200 %: Qt keeps a screen's origin and halves its size.
[[maybe_unused]] const ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(
        new ScreensApplication({OffscreenScreen("dense", 200, 100, 3200, 3600, 192),
                                OffscreenScreen("small", 1800, 100, 1600, 1200, 192)},
                               true));

class Zoom : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QGuiApplication::primaryScreen()->geometry() != kScreen ||
            QGuiApplication::primaryScreen()->devicePixelRatio() != 2.0) {
            GTEST_SKIP() << "the offscreen platform ignored the screen given to it";
        }
        auto error = pictures.Load(folder.Path(), PictureKeysOf(toy.F()), 1);
        ASSERT_FALSE(error) << error->Text().toStdString();
    }
    std::unique_ptr<PanelWindow> Open(const char* stored) {
        if (stored != nullptr) toy.Stored["Zoom"] = stored;
        return std::make_unique<PanelWindow>(toy.Session, pictures, PanelMask2());
    }
    void Press(PanelWindow& window, QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(window.mapToGlobal(at)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at),
                            QPointF(window.mapToGlobal(at)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(&window, &release);
    }

    SessionRig toy;
    PictureFolder folder{toy.F()};
    PictureSet pictures;
};

TEST_F(Zoom, AtThreeHundredPercentTheWindowItsOutlineAndTheSwitchAreTripled) {
    auto window = Open("300");
    EXPECT_EQ(window->size(), QSize(1470, 1740));
    // The outline's telling rows, each three rows deep and three times as wide: the top row
    // between the shoulders, a row of the body's flank, the foot.
    const QRegion mask = window->mask();
    struct Span {
        int Row, Left, Right;  // right outside
    };
    for (const Span& s : {Span{0, 63, 426}, Span{300, 37, 456}, Span{579, 43, 429}}) {
        for (int y = 3 * s.Row; y < 3 * s.Row + 3; ++y) {
            EXPECT_FALSE(mask.contains(QPoint(3 * s.Left - 1, y))) << "row " << y;
            EXPECT_TRUE(mask.contains(QPoint(3 * s.Left, y))) << "row " << y;
            EXPECT_TRUE(mask.contains(QPoint(3 * s.Right - 1, y))) << "row " << y;
            EXPECT_FALSE(mask.contains(QPoint(3 * s.Right, y))) << "row " << y;
        }
    }
    // Painted at six device pixels per toy pixel: see-through left of the top row's start,
    // the panel just inside it.
    window->show();
    const QImage shown = window->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(2940, 3480));
    EXPECT_EQ(qAlpha(shown.pixel(6 * 63 - 1, 3)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(6 * 63 + 12, 3)), 255);

    // The switch (toy 221..268 x 431..449) answers at three times its place, and not beside.
    Press(*window, {3 * 221 - 2, 3 * 440});
    EXPECT_FALSE(toy.G().PowerOn);
    EXPECT_EQ(window->HintAt({3 * 221 - 2, 3 * 440}), "");
    EXPECT_EQ(window->HintAt({3 * 221, 3 * 440}), "Click to start game");
    Press(*window, {3 * 268 + 2, 3 * 449 + 2});
    EXPECT_TRUE(toy.G().PowerOn);
}

TEST_F(Zoom, TheStoredZoomFallsBackTo100AndCtrlMinusStoresTheNextSmaller) {
    EXPECT_EQ(Open(nullptr)->size(), QSize(490, 580));
    EXPECT_EQ(Open("150")->size(), QSize(735, 870));
    // Fit to screen: as large as the screen's height allows, proportions kept.
    EXPECT_EQ(Open("0")->size(), QSize(1521, 1800));

    auto window = Open("300");
    QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::ControlModifier);
    QApplication::sendEvent(window.get(), &minus);
    EXPECT_EQ(window->size(), QSize(980, 1160));
    EXPECT_EQ(toy.Stored["Zoom"], "200");
}

TEST_F(Zoom, PlayShowsTheZoomedPanelCentredOnItsScreenWhateverTheScreensOrigin) {
    toy.Stored["FirstRun"] = "1";  // no warning box to wait for
    auto window = Open("300");
    QtWindowHost host;
    host.SetWindow(window.get());
    TSplashForm dialog(toy.Session, host, window.get());
    dialog.InsertBeforeExit(window->Sizing().ZoomMenu());
    dialog.CB_Sound->setCurrentIndex(2);
    dialog.CB_System->setCurrentIndex(1);
    EXPECT_FALSE(window->isVisible());
    dialog.Puls_PlayClick();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(),
              QRect(kScreen.x() + (1600 - 1470) / 2, kScreen.y() + (1800 - 1740) / 2, 1470, 1740));
    // The zoom submenu sits just before the separator above "E&xit".
    QStringList captions;
    for (QAction* a : dialog.PM_Menu->actions()) captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions,
              (QStringList{"About...", "-", "View 'Readme.txt'", "View 'Whatsnew.txt'", "-",
                           "Open 'Manual.exe'", "-", "Reset Hiscores", "Zoom", "-", "E&xit"}));
    QStringList zooms;
    for (QAction* a : window->Sizing().ZoomMenu()->actions())
        zooms << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(zooms, (QStringList{"100 %", "150 %", "200 %", "300 %", "Fit to screen", "-",
                                  "Full screen"}));
}

// The program's own file of a picture, decoded as the program decodes it.
QImage ResourcePicture(const QString& name) {
    QFile file(PictureSet::ResourceFolder() + '/' + name);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    QString error;
    QImage image =
        name.endsWith(".jpg") ? DecodeJpegImage(bytes, error) : QImage::fromData(bytes, "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

TEST_F(Zoom, TheDialogsPicturesAreTheDoubleFilesPixelForPixel) {
    auto window = Open(nullptr);
    QtWindowHost host;
    host.SetWindow(window.get());
    TSplashForm dialog(toy.Session, host, window.get());
    TAboutForm about;
    struct Case {
        DialogPicture* Picture;
        const char* File;
    };
    for (const Case& c :
         {Case{dialog.Im_Piccina, "Im_Piccina@2x.png"}, Case{about.Im_Foto, "Im_Foto@2x.jpg"}}) {
        const QImage expected = ResourcePicture(c.File);
        ASSERT_FALSE(expected.isNull()) << c.File;
        const QImage shown = c.Picture->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(shown.size(), c.Picture->size() * 2) << c.File;
        EXPECT_EQ(c.Picture->ShownScale(), 2) << c.File;
        EXPECT_TRUE(shown == expected) << c.File << " is not what the dialog shows";
    }
}

// Runs the event loop until `done` holds (false when it still does not after ten seconds).
bool Eventually(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return done();
}

TEST_F(Zoom, DraggedToASmallerScreenTheZoomIsWorkedOutAgainOnceTheDragEnds) {
    QScreen* small = nullptr;
    for (QScreen* s : QGuiApplication::screens()) {
        if (s->geometry() == kSmallScreen) small = s;
    }
    if (small == nullptr) GTEST_SKIP() << "the offscreen platform did not make the second screen";
    for (const char* stored : {"0", "300"}) {
        auto window = Open(stored);
        window->show();
        window->move(kScreen.topLeft());
        ASSERT_EQ(window->screen(), QGuiApplication::primaryScreen());
        const QSize large = window->size();
        // The left button held on the panel's top, inside the outline, while the window goes
        // over to the small screen: it keeps its size under the pointer, even when asked.
        const QPointF held = QPointF(245, 20) * window->Sizing().Scale();
        QMouseEvent press(QEvent::MouseButtonPress, held, window->mapToGlobal(held), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &press);
        window->move(kSmallScreen.topLeft() + QPoint(10, 10));
        ASSERT_EQ(window->screen(), small) << "the window did not change screens";
        window->Sizing().Settle();
        EXPECT_EQ(window->size(), large) << stored << ": resized under the pointer";
        QMouseEvent release(QEvent::MouseButtonRelease, held, window->mapToGlobal(held),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &release);
        // Fitted to 800 x 600, or 300 % shown at the largest zoom that fits: 100 %.
        const QSize expected = std::string(stored) == "0" ? QSize(507, 600) : QSize(490, 580);
        EXPECT_TRUE(Eventually([&] { return window->size() == expected; }))
            << stored << ": " << window->width() << "x" << window->height();
        EXPECT_TRUE(kSmallScreen.contains(window->geometry())) << stored;
        EXPECT_EQ(toy.Stored["Zoom"], stored) << "the choice itself is kept";
        window->move(kScreen.topLeft() + QPoint(10, 10));
        EXPECT_TRUE(Eventually([&] { return window->size() == large; }))
            << stored << ": back on the large screen";
    }
}

TEST_F(Zoom, CtrlPlusThenCtrlMinusBringsTheWindowBackToTheSamePixel) {
    auto window = Open("100");
    window->show();
    // Far enough from the edges for 200 % to grow about its middle.
    const QRect start(kScreen.topLeft() + QPoint(501, 507), QSize(490, 580));
    window->setGeometry(start);
    for (int round = 0; round < 20; ++round) {
        for (Qt::Key key : {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Minus}) {
            QKeyEvent step(QEvent::KeyPress, key, Qt::ControlModifier);
            QApplication::sendEvent(window.get(), &step);
        }
        ASSERT_EQ(window->geometry(), start) << "round " << round;
    }
}

}  // namespace
}  // namespace zarq::test
