// The controller feed follows the panel's activation: no polling while the panel is
// inactive, held controls let go when it loses the activation, and a poll rate that is fast
// only while a controller is in use.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "ControllerFeed.h"
#include "harness/Harness.h"
#include "input/VirtualPad.h"

namespace zarq::test {
namespace {

TEST(ControllerFeed, PollsOnlyWhileThePanelIsActiveAndLetsGoWhenItIsNot) {
    Toy toy;
    InputPath path(toy.F());
    GameControllers pads(path);
    if (!pads.Started()) GTEST_SKIP() << "SDL's game controller support did not start";
    QWidget panel;
    ControllerFeed feed(pads, panel);
    auto send = [&panel](QEvent::Type type) {
        QEvent event(type);
        QApplication::sendEvent(&panel, &event);
    };
    EXPECT_FALSE(feed.Polling());
    send(QEvent::WindowActivate);
    EXPECT_TRUE(feed.Polling());
    EXPECT_EQ(feed.Interval(), ControllerFeed::kSearchInterval);

    VirtualPad pad;
    if (!pad.Plugged()) GTEST_SKIP() << "SDL could not attach a virtual controller";
    feed.PollNow();
    EXPECT_EQ(feed.Interval(), ControllerFeed::kStillInterval) << "attached, lying still";
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    feed.PollNow();
    EXPECT_TRUE(toy.G().SpeedButtonDown);
    EXPECT_EQ(feed.Interval(), ControllerFeed::kAttachedInterval) << "in use";

    send(QEvent::WindowDeactivate);
    EXPECT_FALSE(feed.Polling());
    EXPECT_FALSE(toy.G().SpeedButtonDown) << "let go as a held key is";
    send(QEvent::WindowActivate);
    feed.PollNow();
    EXPECT_FALSE(toy.G().SpeedButtonDown) << "still held: it must be let go first";
    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    feed.PollNow();
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    feed.PollNow();
    EXPECT_TRUE(toy.G().SpeedButtonDown);
}

}  // namespace
}  // namespace zarq::test
