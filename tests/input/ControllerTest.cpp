// A game controller through SDL plugged in during a race: its buttons and stick read as the
// session's controllers read them, on the toy's input path, and everything held let go when
// it is unplugged. The rules past the reading (repeats, releases, several holders) are the
// session's and tested there.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "desktop/input/GameControllers.h"
#include "tests/games/cycle/RaceFixture.h"
#include "tests/input/VirtualPad.h"

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
        pads->SetRepeat({500, 40});
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

}  // namespace
}  // namespace zarq::test
