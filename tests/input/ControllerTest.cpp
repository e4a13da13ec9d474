// A game controller plugged in during a race: what its buttons and stick deliver on the
// toy's input path, held controls repeating as held keys do, and everything held let go when
// it is unplugged or when the panel loses the focus; and two controllers and the keyboard
// holding the same control.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "VirtualPad.h"
#include "games/cycle/RaceFixture.h"
#include "input/GameControllers.h"

namespace zarq::test {
namespace {

struct SeenInputs : InputObserver {
    void InputDelivered(const ToyInput& input) override { Seen.push_back(input); }
    std::vector<ToyInput> Seen;
};

ToyInput Down(int key) {
    return {InputKind::KeyDown, key};
}
ToyInput Up(int key) {
    return {InputKind::KeyUp, key};
}

class Controller : public Race {
  protected:
    void SetUp() override {
        pads = std::make_unique<GameControllers>(controls);
        if (!pads->Started()) GTEST_SKIP() << "SDL's game controller support did not start";
        pads->SetRepeat(500, 40);
        path.SetObserver(&seen);
    }
    // The next look at the controllers, `ms` after the last.
    void Poll(int ms = 8) {
        now += ms;
        pads->Poll(now);
    }
    // The inputs delivered since the last call.
    std::vector<ToyInput> Delivered() { return std::exchange(seen.Seen, {}); }
    bool FastSteps() const {
        return f.TimerCycleZarq.Interval() ==
               static_cast<unsigned>(g.SpeedTable[g.SpeedLevel][CycleZarqFast]);
    }

    InputPath path{f};
    SharedControls controls{path};
    SeenInputs seen;
    std::unique_ptr<GameControllers> pads;
    std::int64_t now = 0;
};

TEST_F(Controller, PluggedInMidRaceItSteersSpeedsAndIsLetGoWhenUnplugged) {
    StartGame1();
    Poll();
    EXPECT_EQ(pads->Attached(), 0);

    VirtualPad pad;
    if (!pad.Plugged()) GTEST_SKIP() << "SDL could not attach a virtual controller";
    Poll();
    EXPECT_EQ(pads->Attached(), 1);
    EXPECT_TRUE(Delivered().empty());

    // The D-pad turns the player as the arrow key does: heading right, up asks for turn 1.
    ASSERT_EQ(g.ZarqDirection, 2);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    Poll();
    EXPECT_EQ(g.ZarqTurnRequest, 1);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    Poll();
    EXPECT_EQ(Delivered(), (std::vector<ToyInput>{Down(VK_UP), Up(VK_UP)}));
    AdvanceTo(660);
    EXPECT_EQ(g.ZarqDirection, 1) << "turned up at its next step";

    // The south button held is the speed button held, repeating as a held key does.
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    Poll();
    EXPECT_TRUE(g.SpeedButtonDown);
    EXPECT_TRUE(FastSteps());
    EXPECT_FALSE(toy.Lit("Puls_Speed"));
    for (int i = 0; i < 75; ++i) Poll();  // 600 ms: repeats at 500, 540 and 580 ms
    EXPECT_EQ(Delivered(), std::vector<ToyInput>(4, Down(VK_CONTROL)));
    EXPECT_TRUE(g.SpeedButtonDown);

    // The left stick steers past half its travel only.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -12000);
    Poll();
    EXPECT_TRUE(Delivered().empty());
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);
    Poll();
    EXPECT_EQ(Delivered(), (std::vector<ToyInput>{Down(VK_LEFT)}));

    // Unplugged with the stick and the button held: both are let go.
    pad.Unplug();
    Poll();
    EXPECT_EQ(pads->Attached(), 0);
    EXPECT_EQ(Delivered(), (std::vector<ToyInput>{Up(VK_LEFT), Up(VK_CONTROL)}));
    EXPECT_FALSE(g.SpeedButtonDown);
    EXPECT_FALSE(FastSteps());
    EXPECT_TRUE(toy.Lit("Puls_Speed"));
}

TEST_F(Controller, LetGoOnFocusLossAButtonStillHeldMustBeReleasedBeforeItCountsAgain) {
    int power = 0, menu = 0;
    pads->SetPowerHandler([&power] { ++power; });
    pads->SetMenuHandler([&menu] { ++menu; });
    VirtualPad pad;
    if (!pad.Plugged()) GTEST_SKIP() << "SDL could not attach a virtual controller";
    Poll();

    pad.Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    pad.Button(SDL_CONTROLLER_BUTTON_START, true);
    Poll();
    EXPECT_EQ(power, 1);
    EXPECT_TRUE(g.SpeedButtonDown);
    pads->ReleaseAll();
    EXPECT_FALSE(g.SpeedButtonDown);
    for (int i = 0; i < 100; ++i) Poll();  // still held: neither presses again nor repeats
    EXPECT_EQ(power, 1);
    EXPECT_EQ(Delivered(), (std::vector<ToyInput>{Down(VK_CONTROL), Up(VK_CONTROL)}));

    pad.Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);
    pad.Button(SDL_CONTROLLER_BUTTON_START, false);
    Poll();
    EXPECT_TRUE(Delivered().empty());
    pad.Button(SDL_CONTROLLER_BUTTON_B, true);
    pad.Button(SDL_CONTROLLER_BUTTON_START, true);
    pad.Button(SDL_CONTROLLER_BUTTON_BACK, true);
    Poll();
    EXPECT_EQ(Delivered(), (std::vector<ToyInput>{Down(VK_CONTROL)}));
    EXPECT_EQ(power, 2);
    EXPECT_EQ(menu, 1);
}

// The toy has one speed button; two controllers and the keyboard may hold it together. It is
// pressed when the first presses it and let go when the last lets go, whatever the order,
// and held, it repeats as one key does, not once per holder.
TEST_F(Controller, AControlHeldOnTwoControllersAndTheKeyboardIsLetGoOnlyByItsLastHolder) {
    StartGame1();
    VirtualPad one;
    VirtualPad two;
    if (!one.Plugged() || !two.Plugged()) GTEST_SKIP() << "SDL could not attach two controllers";
    Poll();
    ASSERT_EQ(pads->Attached(), 2);

    one.Button(SDL_CONTROLLER_BUTTON_A, true);
    Poll();
    two.Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    controls.Press(kKeyboardHolder, VK_CONTROL);  // the keyboard's CTRL, as the window sends it
    Poll();
    EXPECT_EQ(Delivered(), (std::vector<ToyInput>{Down(VK_CONTROL)}));
    for (int i = 0; i < 75; ++i) Poll();  // 600 ms held by all three: the first one repeats
    EXPECT_EQ(Delivered(), std::vector<ToyInput>(3, Down(VK_CONTROL)));

    one.Button(SDL_CONTROLLER_BUTTON_A, false);
    Poll();
    EXPECT_TRUE(g.SpeedButtonDown) << "still held on the second controller and the keyboard";
    controls.Release(kKeyboardHolder, VK_CONTROL);
    EXPECT_TRUE(Delivered().empty());
    EXPECT_TRUE(g.SpeedButtonDown) << "still held on the second controller";
    EXPECT_TRUE(FastSteps());
    for (int i = 0; i < 10; ++i) Poll();  // 80 ms: now the second one repeats
    EXPECT_EQ(Delivered(), std::vector<ToyInput>(2, Down(VK_CONTROL)));
    two.Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);
    Poll();
    EXPECT_EQ(Delivered(), (std::vector<ToyInput>{Up(VK_CONTROL)}));
    EXPECT_FALSE(g.SpeedButtonDown);

    // The same with the key first, and a controller unplugged while it holds.
    controls.Press(kKeyboardHolder, VK_UP);
    two.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    Poll();
    two.Unplug();
    Poll();
    EXPECT_EQ(Delivered(), (std::vector<ToyInput>{Down(VK_UP)}));
    controls.Release(kKeyboardHolder, VK_UP);
    EXPECT_EQ(Delivered(), (std::vector<ToyInput>{Up(VK_UP)}));
}

}  // namespace
}  // namespace zarq::test
