// The controller feed follows the panel's activation: no looking while the panel is inactive,
// held controls let go when it loses the activation, a poll rate that is fast only while a
// controller is in use, and no timer at all while none is attached: a controller plugged in
// is found through the watch on the devices folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include "desktop/input/ControllerFeed.h"
#include "tests/harness/Harness.h"
#include "tests/input/VirtualPad.h"

namespace zarq::test {
namespace {

// Runs Qt's events until `done` holds; the limit only ends a stuck test.
template <class Done>
::testing::AssertionResult EventsUntil(Done done) {
    QElapsedTimer limit;
    limit.start();
    while (!done()) {
        if (limit.elapsed() > 120'000) return ::testing::AssertionFailure() << "never came";
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return ::testing::AssertionSuccess();
}

TEST(ControllerFeed, NoTimerRunsWithoutAControllerAndOnePluggedInIsFoundThroughTheDevicesFolder) {
    Toy toy;
    InputPath path(toy.F());
    SharedControls controls(path);
    GameControllers pads(controls);
    if (!pads.Started()) GTEST_SKIP() << "SDL's game controller support did not start";
    QTemporaryDir devices;
    ASSERT_TRUE(devices.isValid());
    QWidget panel;
    ControllerFeed feed(pads, panel, devices.path());
    auto send = [&panel](QEvent::Type type) {
        QEvent event(type);
        QApplication::sendEvent(&panel, &event);
    };
    EXPECT_FALSE(feed.Polling());
    EXPECT_FALSE(feed.Waiting());
    send(QEvent::WindowActivate);
    EXPECT_TRUE(feed.Waiting()) << "one look, a moment after the activation";
    ASSERT_TRUE(EventsUntil([&] { return !feed.Waiting(); }));
    EXPECT_FALSE(feed.Polling()) << "no controller: nothing runs";

    // SDL's virtual controller makes no node in the devices folder; the system's node for a
    // real one is stood for by a file made there.
    VirtualPad pad;
    if (!pad.Plugged()) GTEST_SKIP() << "SDL could not attach a virtual controller";
    EXPECT_FALSE(feed.Waiting());
    QFile node(devices.filePath(QStringLiteral("event7")));
    ASSERT_TRUE(node.open(QIODevice::WriteOnly));
    node.close();
    ASSERT_TRUE(EventsUntil([&] { return pads.Attached() == 1; }));
    EXPECT_TRUE(feed.Polling());
    EXPECT_EQ(feed.Interval(), ControllerFeed::kStillInterval) << "attached, lying still";
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    feed.PollNow();
    EXPECT_TRUE(toy.G().SpeedButtonDown);
    EXPECT_EQ(feed.Interval(), ControllerFeed::kAttachedInterval) << "in use";

    send(QEvent::WindowDeactivate);
    EXPECT_FALSE(feed.Polling());
    EXPECT_FALSE(feed.Waiting());
    EXPECT_FALSE(toy.G().SpeedButtonDown) << "let go as a held key is";
    send(QEvent::WindowActivate);
    feed.PollNow();
    EXPECT_FALSE(toy.G().SpeedButtonDown) << "still held: it must be let go first";
    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    feed.PollNow();
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    feed.PollNow();
    EXPECT_TRUE(toy.G().SpeedButtonDown);

    // Unplugged: the controls are let go and nothing runs any more.
    pad.Unplug();
    feed.PollNow();
    EXPECT_FALSE(toy.G().SpeedButtonDown);
    EXPECT_FALSE(feed.Polling());
}

}  // namespace
}  // namespace zarq::test
