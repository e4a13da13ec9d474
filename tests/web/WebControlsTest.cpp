// The web edition's controls, seen at the toy's input path: the desktop's default and chosen
// keys by their stored names, game controllers in the standard mapping with the desktop's
// repeats, and several touches on the panel's pictures at once.
#include <gtest/gtest.h>

#include <map>

#include "Controls.h"
#include "panel/SilentSeams.h"
#include "panel/Unit1.h"

namespace zarq::web {
namespace {

// A panel whose input path logs what reaches the toy, as "down 38" / "up 17" / "switch-on".
struct Panel : InputObserver {
    VirtualClock Clock;
    SilentSound Sound;
    SilentPorts Ports;
    SilentWindow Window;
    TForm1 Form{PanelSeams{Clock.Scheduler(), Sound, Ports, Window,
                           [](const std::string&) { return std::unique_ptr<SettingsStore>(); }}};
    InputPath Input{Form};
    std::vector<std::string> Seen;
    Panel() { Input.SetObserver(this); }
    void InputDelivered(const ToyInput& in) override {
        const char* kinds[] = {"down ", "up ", "switch-on", "switch-off"};
        Seen.push_back(kinds[static_cast<int>(in.Kind)] +
                       (in.Kind == InputKind::KeyDown || in.Kind == InputKind::KeyUp
                            ? std::to_string(in.Key)
                            : ""));
    }
};

TextSetting Stored(std::map<std::string, std::string> values) {
    return [values](const std::string& name) -> std::optional<std::string> {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
}

TEST(Keys, TheDesktopsNamesAndDefaultsHold) {
    EXPECT_EQ(KeyName("ArrowUp", "ArrowUp"), "Up");
    EXPECT_EQ(KeyName("Control", "ControlRight"), "Ctrl");
    EXPECT_EQ(KeyName("w", "KeyW"), "W");
    EXPECT_EQ(KeyName(" ", "Space"), "Space");
    EXPECT_EQ(KeyName("Enter", "NumpadEnter"), "Enter");

    const KeyBindings chosen = KeyBindings::Load(Stored({{"KeyUp", "w"}, {"KeyFire", "Space"}}));
    EXPECT_EQ(chosen.ControlOf("W"), Control::Up);
    EXPECT_EQ(chosen.ControlOf("Space"), Control::Fire);
    EXPECT_EQ(chosen.ControlOf("Down"), Control::Down);
    EXPECT_FALSE(chosen.ControlOf("Up"));
    // A reserved key, an unknown name, and a key two controls claim.
    EXPECT_EQ(KeyBindings::Load(Stored({{"KeyUp", "F11"}})).Key(Control::Up), "Up");
    EXPECT_EQ(KeyBindings::Load(Stored({{"KeyUp", "Ctrl+W"}})).Key(Control::Up), "Up");
    // Chosen in the dialog: refused when another control has the key or it is the program's.
    KeyBindings keys = KeyBindings::Defaults();
    EXPECT_FALSE(keys.Assign(Control::Up, "Down"));
    EXPECT_FALSE(keys.Assign(Control::Up, "F11"));
    EXPECT_TRUE(keys.Assign(Control::Up, "W"));
    std::map<std::string, std::string> saved;
    keys.Save([&saved](const std::string& n, const std::string& v) { saved[n] = v; });
    EXPECT_EQ(KeyBindings::Load(Stored(saved)).ControlOf("W"), Control::Up);
    const KeyBindings clash = KeyBindings::Load(Stored({{"KeyUp", "Down"}}));
    EXPECT_EQ(clash.Key(Control::Up), "Up");
    EXPECT_EQ(clash.Key(Control::Down), "Down");
}

TEST(Pads, ButtonsStickAndRepeatsReachTheToyAsTheDesktopSendsThem) {
    Panel panel;
    bool powered = false;
    Pads pads(panel.Input, [&] { powered = !powered; });
    pads.SetBindings(PadBindings::Load(Stored({{"PadFire", "x"}, {"PadLeft", "start"}})));
    pads.Read(0, {1u << 2, 0, 0}, 0);       // X: the chosen fire button
    pads.Read(0, {1u << 2, -0.9, 0}, 100);  // the stick left (Start cannot be chosen)
    pads.Read(0, {1u << 2, -0.9, 0}, 600);  // held half a second: both repeat, left first
    pads.Read(0, {1u << 2, -0.9, 0}, 620);  // a late look: fire repeats once, left is not due
    pads.Read(0, {1u << 2, -0.9, 0}, 633);
    pads.Read(0, {1u << 14, 0, 0}, 700);  // fire and stick let go, the d-pad holds left on
    pads.Read(0, {1u << 9, 0, 0}, 800);   // Start: the switch; left let go
    EXPECT_EQ(panel.Seen,
              (std::vector<std::string>{"down 17", "down 37", "down 37", "down 17", "down 17",
                                        "down 37", "up 17", "down 37", "up 37"}));
    EXPECT_TRUE(powered);
    // Let go while held (the page lost focus): the held button counts again only once released.
    pads.Read(1, {1u << 2, 0, 0}, 900);
    pads.ReleaseAll();
    pads.Read(1, {1u << 2, 0, 0}, 950);
    EXPECT_EQ(panel.Seen.back(), "up 17");
    pads.Read(1, {0, 0, 0}, 1000);
    pads.Read(1, {1u << 2, 0, 0}, 1050);
    EXPECT_EQ(panel.Seen.back(), "down 17");
}

TEST(Touches, AThumbHoldsSpeedWhileTheOtherSteersAndTheSwitchTakesATap) {
    Panel panel;
    Touches touches(panel.Form, panel.Input);
    const TRect pad = panel.Form.Puls_Move->Bounds();
    const double cx = pad.Left + pad.Width / 2.0;
    const double cy = pad.Top + pad.Height / 2.0;
    EXPECT_TRUE(touches.Pointer(PointerKind::Down, 1, 245, 440, 0));      // the switch
    touches.Pointer(PointerKind::Up, 1, 245, 440, 0);                     // a tap: the press did it
    EXPECT_TRUE(touches.Pointer(PointerKind::Down, 2, 393, 440, 10));     // speed, held
    EXPECT_TRUE(touches.Pointer(PointerKind::Down, 3, cx - 30, cy, 20));  // left arrow
    touches.Pointer(PointerKind::Move, 3, cx, cy - 30, 30);               // slid to the up arrow
    touches.Pointer(PointerKind::Move, 2, 300, 300, 40);  // the speed thumb wanders: still held
    touches.Pointer(PointerKind::Up, 3, cx, cy - 30, 50);
    touches.Repeat(509);
    touches.Repeat(510);  // speed held half a second: repeated as a held key is
    touches.Pointer(PointerKind::Up, 2, 300, 300, 520);
    EXPECT_FALSE(touches.Pointer(PointerKind::Down, 4, 245, 100, 600));  // the display: nothing
    EXPECT_EQ(panel.Seen, (std::vector<std::string>{"switch-on", "down 17", "down 37", "up 37",
                                                    "down 38", "up 38", "down 17", "up 17"}));
}

TEST(Keys, ARefusedKeySaysWhy) {
    const KeyBindings keys = KeyBindings::Defaults();
    EXPECT_EQ(keys.Refusal(Control::Up, "Down"), "Down is already the key of Pad down.");
    EXPECT_EQ(keys.Refusal(Control::Left, "Ctrl"), "Ctrl is already the key of Speed / fire.");
    EXPECT_EQ(keys.Refusal(Control::Fire, "F1"), "F1 is kept for the page's own use.");
    EXPECT_FALSE(keys.Refusal(Control::Up, "").empty());
    // A control's own key again, and a free key: nothing to say.
    EXPECT_EQ(keys.Refusal(Control::Down, "Down"), "");
    EXPECT_EQ(keys.Refusal(Control::Up, "F5"), "");
}

// The switch's picture is 48 x 19 toy pixels about (245, 440.5); a phone in portrait draws a
// toy pixel at about 0.8 CSS pixels, where a finger's target is 44 CSS pixels each way.
TEST(Touches, AFingerReachesTheSwitchFrom22CssPixelsAroundItsMiddle) {
    constexpr double kScale = 390.0 / 490.0;
    const auto css = [](double pixels) { return pixels / kScale; };
    Panel panel;
    Touches touches(panel.Form, panel.Input);
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
    EXPECT_EQ(panel.Seen, (std::vector<std::string>{"switch-on", "switch-off", "switch-on"}));

    // Drawn tiny, the switch's target is wide, but the pad and the button keep every touch
    // that was theirs.
    touches.SetScale(0.2);
    panel.Seen.clear();
    EXPECT_TRUE(tap(350, 440, true));  // the button's edge, 14 toy pixels out
    EXPECT_TRUE(tap(157, 442, true));  // the pad's right arrow, at its edge
    EXPECT_TRUE(tap(245, 370, true));  // 70 toy pixels above the switch: 14 CSS pixels
    EXPECT_EQ(panel.Seen,
              (std::vector<std::string>{"down 17", "up 17", "down 39", "up 39", "switch-off"}));
}

}  // namespace
}  // namespace zarq::web
