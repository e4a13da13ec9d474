// The dialogs over the shown panel, on screens where no window manager frames a window (the
// application of ScreensTest): ESC while the about dialog shows closes only that dialog, and
// the first-run warning sits in the middle of the panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "desktop/dialogs/AboutForm.h"
#include "desktop/dialogs/SplashForm.h"
#include "desktop/window/PanelWindow.h"
#include "desktop/window/QtWindowHost.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        auto error = pictures.Load(folder.Path(), PictureKeysOf(toy.F()), 1);
        ASSERT_FALSE(error) << error->Text().toStdString();
        host.SetWindow(&window);
        dialog.SetAboutForm(&about);
    }
    // The panel on the screen with the keys, as after "- PLAY -".
    bool ShowPanel() {
        window.show();
        window.activateWindow();
        QCoreApplication::processEvents();
        return QApplication::activeWindow() == &window;
    }

    SessionRig toy;
    PictureFolder folder{toy.F()};
    PictureSet pictures;
    PanelWindow window{toy.Session, pictures, PanelMask2()};
    QtWindowHost host;
    TSplashForm dialog{toy.Session, host, &window};
    TAboutForm about;
};

TEST_F(Dialogs, EscWhileTheAboutDialogShowsClosesOnlyItWhereverTheKeyArrives) {
    if (!ShowPanel()) GTEST_SKIP() << "the platform did not activate the panel";
    // The key reaches the about dialog (it took the keys), or, where the window system left
    // them with the panel, the panel; in both cases the program goes on.
    for (QWidget* receiver : {static_cast<QWidget*>(&about), static_cast<QWidget*>(&window)}) {
        QTest::keyClick(window.windowHandle(), Qt::Key_F1);
        ASSERT_TRUE(about.isVisible()) << "F1 did not show the about dialog";
        QCoreApplication::processEvents();
        ASSERT_NE(receiver->windowHandle(), nullptr);
        QTest::keyClick(receiver->windowHandle(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_FALSE(about.isVisible()) << receiver->objectName().toStdString();
        EXPECT_TRUE(window.isVisible()) << "ESC ended the program";
    }
    // With the about dialog gone, the panel has the keys again and ESC is "Exit" once more.
    EXPECT_EQ(QApplication::activeWindow(), &window);
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(Dialogs, TheFirstRunWarningIsCentredOverThePanel) {
    if (!ShowPanel()) GTEST_SKIP() << "the platform did not activate the panel";
    // On a screen the panel fits, away from its corner.
    window.move(QGuiApplication::screens()
                    .value(1, QGuiApplication::primaryScreen())
                    ->geometry()
                    .topLeft() +
                QPoint(40, 10));
    QRect shown;
    QTimer::singleShot(0, &window, [&shown] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            shown = box->geometry();
            box->close();
        }
    });
    host.MessageBox("Warning: be patient please!", "Zarq", MessageKind::Plain);
    ASSERT_TRUE(shown.isValid()) << "no message box showed";
    const QPoint off = shown.center() - window.geometry().center();
    EXPECT_LE(std::abs(off.x()), 1)
        << "box " << shown.x() << "," << shown.y() << " off by " << off.x() << "," << off.y();
    EXPECT_LE(std::abs(off.y()), 1)
        << "box " << shown.x() << "," << shown.y() << " off by " << off.x() << "," << off.y();
}

}  // namespace
}  // namespace zarq::test
