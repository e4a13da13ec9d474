// Keys and mouse on the panel window, offscreen: what reaches the toy's handlers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

#include "desktop/window/PanelWindow.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

class PanelInput : public ::testing::Test {
  protected:
    void SetUp() override {
        auto error = pictures.Load(folder.Path(), PictureKeysOf(toy.F()));
        ASSERT_FALSE(error) << error->Text().toStdString();
        window = std::make_unique<PanelWindow>(toy.F(), pictures, QByteArray());
    }
    void Key(QEvent::Type type, int qtKey, bool autoRepeat = false) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(window.get(), &event);
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(window->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    }
    Qt::CursorShape CursorAt(QPoint at) {
        Mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        return window->cursor().shape();
    }

    Toy toy;
    PictureFolder folder{toy.F()};
    PictureSet pictures;
    std::unique_ptr<PanelWindow> window;
};

TEST_F(PanelInput, AutoRepeatedReleasesAreDroppedSoAHeldCtrlStaysDown) {
    Key(QEvent::KeyPress, Qt::Key_Control);
    EXPECT_TRUE(toy.G().SpeedButtonDown);
    // X11's auto-repeat: release and press pairs marked as repeats.
    for (int i = 0; i < 3; ++i) {
        Key(QEvent::KeyRelease, Qt::Key_Control, true);
        Key(QEvent::KeyPress, Qt::Key_Control, true);
        EXPECT_TRUE(toy.G().SpeedButtonDown);
        EXPECT_FALSE(toy.Lit("Puls_Speed"));
    }
    Key(QEvent::KeyRelease, Qt::Key_Control);
    EXPECT_FALSE(toy.G().SpeedButtonDown);
    EXPECT_TRUE(toy.Lit("Puls_Speed"));
}

TEST_F(PanelInput, HeldKeysAreReleasedWhenTheFocusGoes) {
    toy.G().MoveLocked = true;
    Key(QEvent::KeyPress, Qt::Key_Control);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(window.get(), &out);
    EXPECT_FALSE(toy.G().SpeedButtonDown);
    EXPECT_TRUE(toy.Lit("Puls_Speed"));
    EXPECT_FALSE(toy.G().MoveLocked);
    // Nothing is released twice.
    Key(QEvent::KeyRelease, Qt::Key_Control);
    EXPECT_FALSE(toy.G().SpeedButtonDown);
}

// Everything the toy is given passes the input path, in order, so an observer of the path
// sees exactly what the toy saw.
struct SeenInputs : InputObserver {
    void InputDelivered(const ToyInput& input) override { Seen.push_back(input); }
    std::vector<ToyInput> Seen;
};

TEST_F(PanelInput, TheSwitchTakesTheLeftButtonOnly) {
    SeenInputs seen;
    window->Input().SetObserver(&seen);
    const QPoint onSwitch(240, 440);
    Mouse(QEvent::MouseButtonPress, onSwitch, Qt::RightButton, Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, onSwitch, Qt::RightButton, Qt::NoButton);
    EXPECT_FALSE(toy.G().PowerOn);
    EXPECT_TRUE(toy.Lit("Puls_Off"));
    Mouse(QEvent::MouseButtonPress, onSwitch, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, onSwitch, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(toy.G().PowerOn);
    EXPECT_TRUE(toy.Lit("Puls_On"));
    Mouse(QEvent::MouseButtonPress, onSwitch, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(toy.G().PowerOn);
    Key(QEvent::KeyPress, Qt::Key_Up);
    Key(QEvent::KeyRelease, Qt::Key_Up);
    const std::vector<ToyInput> expected{{InputKind::SwitchOn, 0},
                                         {InputKind::SwitchOff, 0},
                                         {InputKind::KeyDown, VK_UP},
                                         {InputKind::KeyUp, VK_UP}};
    EXPECT_EQ(seen.Seen, expected);
    window->Input().SetObserver(nullptr);
}

TEST_F(PanelInput, DraggingMovesTheWindowByThePointersOffset) {
    toy.Window.Pos = {200, 100};
    Mouse(QEvent::MouseButtonPress, {300, 200}, Qt::LeftButton, Qt::LeftButton);  // the screen
    Mouse(QEvent::MouseMove, {310, 195}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(toy.Window.Pos, (TPoint{210, 95}));
    Mouse(QEvent::MouseButtonRelease, {310, 195}, Qt::LeftButton, Qt::NoButton);
    // A right-button drag does not move it.
    Mouse(QEvent::MouseButtonPress, {40, 40}, Qt::RightButton, Qt::RightButton);
    Mouse(QEvent::MouseMove, {90, 90}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(toy.Window.Pos, (TPoint{210, 95}));
}

TEST_F(PanelInput, TheSpeedButtonsPictureOutsideItsRoundAreaTakesAPressAndDoesNotDrag) {
    toy.Window.Pos = {200, 100};
    auto drag = [this](QPoint from) {
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseMove, from + QPoint(10, 10), Qt::NoButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, from + QPoint(10, 10), Qt::LeftButton, Qt::NoButton);
    };
    drag({365, 411});  // the picture's top-left corner, outside the round button
    drag({420, 463});  // its bottom-right corner
    EXPECT_EQ(toy.Window.Pos, (TPoint{200, 100}));
    // The drag surfaces around and on it still drag: the round button, the photograph.
    drag({394, 440});
    EXPECT_EQ(toy.Window.Pos, (TPoint{210, 110}));
    drag({360, 405});
    EXPECT_EQ(toy.Window.Pos, (TPoint{220, 120}));
}

TEST_F(PanelInput, CursorsAndHintsFollowTheControls) {
    EXPECT_EQ(CursorAt({240, 440}), Qt::PointingHandCursor);  // the switch
    EXPECT_EQ(CursorAt({98, 442}), Qt::WhatsThisCursor);      // the control pad
    EXPECT_EQ(CursorAt({394, 440}), Qt::WhatsThisCursor);     // the speed button
    EXPECT_EQ(CursorAt({200, 200}), Qt::ArrowCursor);         // the screen
    EXPECT_EQ(CursorAt({20, 560}), Qt::ArrowCursor);          // the body

    EXPECT_EQ(window->HintAt({240, 440}), "Click to start game");
    EXPECT_EQ(window->HintAt({98, 442}), "Use arrow keys");
    EXPECT_EQ(window->HintAt({394, 440}), "Use 'CTRL' key");
    EXPECT_EQ(window->HintAt({200, 200}), "");
    toy.SwitchOn();
    EXPECT_EQ(window->HintAt({240, 440}), "Click to turn off game");
    // The hint shows as a tool tip when the pointer rests.
    QHelpEvent help(QEvent::ToolTip, {98, 442}, window->mapToGlobal(QPoint(98, 442)));
    QApplication::sendEvent(window.get(), &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Use arrow keys");
}

TEST_F(PanelInput, ARightClickOpensTheMenu) {
    QMenu menu;
    menu.addAction("About...");
    window->SetContextMenu(&menu);
    QContextMenuEvent event(QContextMenuEvent::Mouse, {100, 100},
                            window->mapToGlobal(QPoint(100, 100)));
    QApplication::sendEvent(window.get(), &event);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

TEST_F(PanelInput, ClosingTheWindowShutsSoundDown) {
    toy.F().AvviaSuono("(no sound)", "2000");
    window->close();
    int frees = 0, closes = 0;
    for (const SoundCall& c : toy.Sound.Calls) {
        frees += c.Call == "Free";
        closes += c.Call == "Close";
    }
    EXPECT_EQ(frees, 9);
    EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace zarq::test
