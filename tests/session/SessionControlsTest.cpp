// The controls' rules of a play session, seen at the toy's input path on the virtual clock:
// chosen keys and controller buttons by their stored names with their fallbacks and refusals,
// controllers' repeats and releases, one control held by several devices, and touches on the
// panel's pictures.
#include <gtest/gtest.h>

#include <map>

#include "core/session/KeyBindings.h"
#include "core/session/Pads.h"
#include "core/session/Touches.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

// A toy whose input path logs what reaches it, as "down 38" / "up 17" / "switch-on".
struct Panel : InputObserver {
    Toy toy;
    InputPath Input{toy.F()};
    SharedControls Controls{Input};
    std::vector<std::string> Seen;
    Panel() { Input.SetObserver(this); }
    void InputDelivered(const ToyInput& in) override {
        const char* kinds[] = {"down ", "up ", "switch-on", "switch-off"};
        const bool key = in.Kind == InputKind::KeyDown || in.Kind == InputKind::KeyUp;
        Seen.push_back(kinds[static_cast<int>(in.Kind)] + (key ? std::to_string(in.Key) : ""));
    }
    std::vector<std::string> Take() { return std::exchange(Seen, {}); }
};

using Texts = std::map<std::string, std::string>;
TextSetting Stored(Texts values) {
    return [values](const std::string& name) -> std::optional<std::string> {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
}

std::uint32_t Buttons(std::initializer_list<PadButton> pressed) {
    std::uint32_t bits = 0;
    for (PadButton b : pressed) bits |= 1u << static_cast<int>(b);
    return bits;
}

TEST(ChosenKeys, StoredNamesAreTakenInAnyCaseUnusableOnesFallBackAndTheyAreStoredAgain) {
    const KeyBindings chosen =
        KeyBindings::Load(Stored({{"KeyUp", " w"}, {"KeyFire", "space"}, {"KeyLeft", "f5"}}));
    EXPECT_EQ(chosen.ToyKey("W"), VK_UP);
    EXPECT_EQ(chosen.ToyKey("Down"), VK_DOWN);
    EXPECT_EQ(chosen.ToyKey("Up"), 0) << "the arrow no longer steers";

    // A combination, nonsense, nothing, the program's own keys, a key the front end reserves.
    EXPECT_EQ(KeyBindings::Load(Stored({{"KeyUp", "Ctrl+W"},
                                        {"KeyDown", "Nonsense"},
                                        {"KeyLeft", ""},
                                        {"KeyRight", "F11"},
                                        {"KeyFire", "+"}}),
                                {"+"}),
              KeyBindings::Defaults());
    // A key not every front end has, unless the front end's own rule knows it.
    EXPECT_EQ(KeyBindings::Load(Stored({{"KeyUp", "NumLock"}})).Key(ToyControl::Up), "Up");

    // One key stored for two controls: the second gets its default. A stored key that is
    // another's default: every control its default, so that no two ever share a key.
    EXPECT_EQ(KeyBindings::Load(Stored({{"KeyUp", "W"}, {"KeyDown", "W"}})).Key(ToyControl::Down),
              "Down");
    EXPECT_EQ(KeyBindings::Load(Stored({{"KeyFire", "Up"}})), KeyBindings::Defaults());

    // Stored by their portable names, and read back.
    Texts saved;
    chosen.Save([&saved](const std::string& n, const std::string& v) { saved[n] = v; });
    EXPECT_EQ(saved, (Texts{{"KeyUp", "W"},
                            {"KeyDown", "Down"},
                            {"KeyLeft", "F5"},
                            {"KeyRight", "Right"},
                            {"KeyFire", "Space"}}));
    EXPECT_EQ(KeyBindings::Load(Stored(saved)), chosen);
}

TEST(ChosenKeys, ARefusedKeyChangesNothingAndSaysWhy) {
    KeyBindings keys = KeyBindings::Defaults();
    EXPECT_EQ(keys.Refusal(ToyControl::Up, "Down"), "Down is already the key of Pad down.");
    EXPECT_EQ(keys.Refusal(ToyControl::Left, "Ctrl"), "Ctrl is already the key of Speed / fire.");
    EXPECT_EQ(keys.Refusal(ToyControl::Fire, "F1"), "F1 is kept for the page's own use.");
    EXPECT_EQ(keys.Refusal(ToyControl::Up, ""),
              "This key cannot be a control: please choose another.");
    EXPECT_EQ(keys.Check(ToyControl::Up, "-", {"-"}).Reason, KeyRefusal::Why::Reserved);
    EXPECT_EQ(keys.Check(ToyControl::Up, "Ctrl").Owner, ToyControl::Fire);
    for (const char* refused : {"Down", "F11", "Esc", ""})
        EXPECT_FALSE(keys.Assign(ToyControl::Up, refused)) << refused;
    EXPECT_EQ(keys, KeyBindings::Defaults());
    // A control's own key again, and a free key: nothing to say.
    EXPECT_EQ(keys.Refusal(ToyControl::Down, "Down"), "");
    EXPECT_EQ(keys.Refusal(ToyControl::Up, "F5"), "");
}

TEST(ChosenButtons, AreStoredByNameAndUnusableOnesFallBackToTheDefaults) {
    const PadBindings defaults = PadBindings::Defaults();
    Texts saved;
    defaults.Save([&saved](const std::string& n, const std::string& v) { saved[n] = v; });
    EXPECT_EQ(saved["PadFire"], "a,b,rightshoulder");
    EXPECT_EQ(saved["PadUp"], "dpup");

    // Start is the program's: that control's default; "y" is taken as it stands.
    const PadBindings chosen =
        PadBindings::Load(Stored({{"PadFire", "x,start"}, {"PadDown", "y"}}));
    EXPECT_EQ(chosen.Of(ToyControl::Fire), defaults.Of(ToyControl::Fire));
    EXPECT_EQ(chosen.Of(ToyControl::Down), std::vector<int>{static_cast<int>(PadButton::Y)});
    EXPECT_EQ(PadBindings::Load(Stored({{"PadUp", "x,x,leftshoulder"}})).Of(ToyControl::Up),
              (std::vector<int>{2, 9}));
    // D-pad left would press two controls: every control its defaults.
    EXPECT_EQ(PadBindings::Load(Stored({{"PadUp", "dpleft"}, {"PadDown", "y"}})), defaults);

    PadBindings pads = defaults;
    EXPECT_EQ(pads.Check(ToyControl::Fire, static_cast<int>(PadButton::DpadUp)).Owner,
              ToyControl::Up);
    EXPECT_FALSE(pads.Assign(ToyControl::Fire, static_cast<int>(PadButton::DpadUp)));
    EXPECT_FALSE(pads.Assign(ToyControl::Fire, static_cast<int>(PadButton::Back)));
    EXPECT_FALSE(pads.Assign(ToyControl::Fire, kPadButtonCount));
    EXPECT_TRUE(pads.Assign(ToyControl::Fire, static_cast<int>(PadButton::Y)));
    EXPECT_EQ(PadBindings::Format(pads.Of(ToyControl::Fire)), "y");
}

TEST(Controllers, ButtonsStickAndRepeatsReachTheToyAsHeldKeysDo) {
    Panel panel;
    int power = 0, menu = 0;
    Pads pads(panel.Controls);
    pads.SetPowerHandler([&power] { ++power; });
    pads.SetMenuHandler([&menu] { ++menu; });
    pads.SetBindings(PadBindings::Load(Stored({{"PadFire", "x"}})));
    const std::uint32_t x = Buttons({PadButton::X});
    EXPECT_TRUE(pads.Read(0, {x, 0, 0}, 0));        // the chosen fire button
    EXPECT_FALSE(pads.Read(0, {x, -0.5, 0}, 50));   // half the stick's travel: nothing
    EXPECT_TRUE(pads.Read(0, {x, -0.51, 0}, 100));  // past it: left
    pads.Read(0, {x, -0.9, 0}, 499);                // not yet due
    pads.Read(0, {x, -0.9, 0}, 600);                // both due: left first, as listed
    pads.Read(0, {x, -0.9, 0}, 620);                // fire was 100 ms late at 600: once, then 601
    pads.Read(0, {x, -0.9, 0}, 633);                // left 33 ms after its last
    pads.Read(0, {Buttons({PadButton::DpadLeft}), 0, 0}, 700);  // fire let go; left held on
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"down 17", "down 37", "down 37", "down 17",
                                                      "down 17", "down 37", "up 17", "down 37"}));
    EXPECT_TRUE(pads.AnyHeld());
    pads.Read(0, {Buttons({PadButton::Start, PadButton::Back}), 0, 0}, 800);
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"up 37"}));
    EXPECT_EQ(power, 1);
    EXPECT_EQ(menu, 1);
    pads.Read(0, {0, 0, 0}, 900);
    EXPECT_FALSE(pads.AnyHeld());

    // With the repeats off, a held button presses once.
    pads.SetRepeat({0, 33});
    pads.Read(0, {x, 0, 0}, 1000);
    pads.Read(0, {x, 0, 0}, 3000);
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"down 17"}));
}

TEST(Controllers, LetGoWhileHeldAButtonCountsAgainOnlyOnceReleased) {
    Panel panel;
    int power = 0;
    Pads pads(panel.Controls);
    pads.SetPowerHandler([&power] { ++power; });
    const PadReading held{Buttons({PadButton::RightShoulder, PadButton::Start}), 0, 0};
    pads.Read(0, held, 0);
    pads.ReleaseAll();  // the window or the page lost the focus
    for (Millis t = 8; t < 800; t += 8) pads.Read(0, held, t);  // neither presses nor repeats
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"down 17", "up 17"}));
    EXPECT_EQ(power, 1);
    pads.Read(0, {0, 0, 0}, 800);
    pads.Read(0, held, 808);
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"down 17"}));
    EXPECT_EQ(power, 2);

    // Other buttons chosen: what was held is let go first. A controller gone: likewise.
    pads.SetBindings(PadBindings::Load(Stored({{"PadFire", "y"}})));
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"up 17"}));
    pads.Read(1, {0, 0, 1}, 900);
    EXPECT_TRUE(pads.Gone(1));
    EXPECT_FALSE(pads.Gone(1));
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"down 40", "up 40"}));
}

// The toy has one speed button; two controllers and the keyboard may hold it together. It is
// pressed when the first presses it and let go when the last lets go, whatever the order,
// and held, it repeats as one key does, not once per holder.
TEST(SeveralHolders, AControlIsLetGoOnlyByItsLastHolderAndRepeatsFromItsFirst) {
    Panel panel;
    Pads pads(panel.Controls);
    HeldKeys keyboard(panel.Controls);
    const PadReading a{Buttons({PadButton::A}), 0, 0};
    const PadReading none{};
    pads.Read(1, a, 0);
    pads.Read(2, {Buttons({PadButton::RightShoulder}), 0, 0}, 10);
    keyboard.Down(VK_CONTROL);
    keyboard.Down(VK_CONTROL);  // the keyboard's repeat: the first holder's only count
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"down 17"}));
    pads.Read(1, a, 500);
    pads.Read(2, {Buttons({PadButton::RightShoulder}), 0, 0}, 510);
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"down 17"}));

    pads.Read(1, none, 520);
    keyboard.Up(VK_CONTROL);
    EXPECT_TRUE(panel.Take().empty()) << "still held on the second controller";
    pads.Read(2, {Buttons({PadButton::RightShoulder}), 0, 0}, 543);  // now its repeats count
    pads.Read(2, none, 550);
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"down 17", "up 17"}));

    // The key first, then a controller that goes while it holds; the focus lost at the end.
    keyboard.Down(VK_UP);
    pads.Read(3, {Buttons({PadButton::DpadUp}), 0, 0}, 600);
    pads.Gone(3);
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"down 38"}));
    keyboard.ReleaseAll();
    keyboard.ReleaseAll();
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"up 38"}));
}

TEST(Touches, AThumbHoldsSpeedWhileTheOtherSteersAndTheSwitchTakesATap) {
    Panel panel;
    Touches touches(panel.toy.F(), panel.Controls);
    const TRect pad = panel.toy.F().Puls_Move->Bounds();
    const double cx = pad.Left + pad.Width / 2.0;
    const double cy = pad.Top + pad.Height / 2.0;
    EXPECT_TRUE(touches.Pointer(PointerKind::Down, 1, 245, 440, 0));      // the switch
    touches.Pointer(PointerKind::Up, 1, 245, 440, 0);                     // a tap: the press did it
    EXPECT_TRUE(touches.Pointer(PointerKind::Down, 2, 393, 440, 10));     // speed, held
    EXPECT_TRUE(touches.Pointer(PointerKind::Down, 5, 393, 445, 15));     // by a second finger too
    EXPECT_TRUE(touches.Pointer(PointerKind::Down, 3, cx - 30, cy, 20));  // left arrow
    EXPECT_FALSE(touches.Pointer(PointerKind::Down, 6, cx, cy, 20));      // the pad's middle
    touches.Pointer(PointerKind::Move, 3, cx, cy - 30, 30);               // slid to the up arrow
    touches.Pointer(PointerKind::Move, 2, 300, 300, 40);  // the speed thumb wanders: still held
    touches.Pointer(PointerKind::Up, 3, cx, cy - 30, 50);
    touches.Pointer(PointerKind::Up, 5, 393, 445, 60);
    EXPECT_EQ(touches.NextRepeat(), 510);
    touches.Repeat(509);
    touches.Repeat(510);  // speed held half a second: repeated as a held key is
    touches.Repeat(600);  // a late look repeats once
    EXPECT_EQ(touches.NextRepeat(), 601);
    touches.Pointer(PointerKind::Up, 2, 300, 300, 620);
    EXPECT_FALSE(touches.NextRepeat());
    EXPECT_FALSE(touches.Pointer(PointerKind::Down, 4, 245, 100, 700));  // the display: nothing
    EXPECT_TRUE(touches.Pointer(PointerKind::Down, 7, cx + 30, cy, 800));
    touches.ReleaseAll();
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"switch-on", "down 17", "down 37", "up 37",
                                                      "down 38", "up 38", "down 17", "down 17",
                                                      "up 17", "down 39", "up 39"}));
}

// The switch's picture is 48 x 19 toy pixels about (245, 440.5); a phone in portrait draws a
// toy pixel at about 0.8 CSS pixels, where a finger's target is 44 CSS pixels each way.
TEST(Touches, AFingerReachesTheSwitchFrom22CssPixelsAroundItsMiddle) {
    constexpr double kScale = 390.0 / 490.0;
    const auto css = [](double pixels) { return pixels / kScale; };
    Panel panel;
    Touches touches(panel.toy.F(), panel.Controls);
    touches.SetScale(kScale);
    int id = 0;
    const auto tap = [&](double x, double y, bool finger) {
        const bool used = touches.Pointer(PointerKind::Down, ++id, x, y, 0, finger);
        touches.Pointer(PointerKind::Up, id, x, y, 0, finger);
        return used;
    };
    // 20 CSS pixels to the right of its middle, then 20 below: on, then off again.
    EXPECT_TRUE(tap(245 + css(20), 440.5, true));
    EXPECT_TRUE(tap(245, 440.5 + css(20), true));
    // Just inside and just outside the target; a mouse keeps to the picture.
    EXPECT_TRUE(tap(245 - css(21.9), 440.5 - css(21.9), true));
    EXPECT_FALSE(tap(245 + css(22.1), 440.5, true));
    EXPECT_FALSE(tap(245, 440.5 - css(22.1), true));
    EXPECT_FALSE(tap(245, 440.5 + css(20), false));
    EXPECT_EQ(panel.Take(), (std::vector<std::string>{"switch-on", "switch-off", "switch-on"}));

    // Drawn tiny, the switch's target is wide, but the pad and the button keep every touch
    // that was theirs.
    touches.SetScale(0.2);
    EXPECT_TRUE(tap(350, 440, true));  // the button's edge, 14 toy pixels out
    EXPECT_TRUE(tap(157, 442, true));  // the pad's right arrow, at its edge
    EXPECT_TRUE(tap(245, 370, true));  // 70 toy pixels above the switch: 14 CSS pixels
    EXPECT_EQ(panel.Take(),
              (std::vector<std::string>{"down 17", "up 17", "down 39", "up 39", "switch-off"}));
}

}  // namespace
}  // namespace zarq::test
