// Game controllers on portable readings: the buttons by the names the settings keep them
// under (SDL's game controller names: "a", "dpup", "rightshoulder"), the buttons chosen for
// each control ("PadFire" = "a,b,rightshoulder"), and the controllers' held controls with
// their repeats, delivered as the toy's key presses under each controller's own holder
// number. Start works the power switch and Back opens the menu, through handlers. A front end
// turns its device's state into a PadReading and looks as often as it likes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/session/Controls.h"

namespace zarq {

// clang-format off
// A controller's buttons, numbered as SDL numbers its game controller buttons.
enum class PadButton {
    A, B, X, Y, Back, Guide, Start, LeftStick, RightStick, LeftShoulder, RightShoulder,
    DpadUp, DpadDown, DpadLeft, DpadRight, Misc1, Paddle1, Paddle2, Paddle3, Paddle4, Touchpad,
};
// clang-format on
inline constexpr int kPadButtonCount = 21;

// The stored name of a button ("a", "dpup"); null for none.
const char* PadButtonName(int button);
// The button a stored name stands for, or -1.
int PadButtonOf(const std::string& name);
// A player's name for a button: "A (south)", "D-pad up", "Right shoulder".
std::string PadButtonLabel(int button);

// Why a button cannot be a control's.
struct PadRefusal {
    enum class Why { None, NoButton, Reserved, Taken } Reason = Why::None;
    ToyControl Owner = ToyControl::Up;  // for Taken: the control that has it
    explicit operator bool() const { return Reason != Why::None; }
};

struct PadBindings {
    // Per control, the buttons that press it. The left stick always steers as the pad does.
    std::array<std::vector<int>, kToyControlCount> Buttons;

    // D-pad for the pad; south and east face buttons and the right shoulder for speed/fire.
    static PadBindings Defaults();
    // Stored as the buttons' names joined by commas; a missing or unreadable value, or one
    // with a reserved button, is that control's default; a button pressing two controls gives
    // every control its defaults.
    static PadBindings Load(const TextSetting& stored);
    void Save(const TextWrite& write) const;
    const std::vector<int>& Of(ToyControl c) const { return Buttons[static_cast<int>(c)]; }
    // The control a button presses, or -1.
    int ControlOf(int button) const;
    PadRefusal Check(ToyControl control, int button) const;
    // Gives `control` this one button; refused (false) as Check says.
    bool Assign(ToyControl control, int button);
    // "a,b,rightshoulder"; empty for none.
    static std::string Format(const std::vector<int>& buttons);
    // Nothing (empty list) for an empty, unknown or reserved name.
    static std::vector<int> Parse(const std::string& text);
    // Start and Back: the power switch and the menu.
    static bool Reserved(int button);

    bool operator==(const PadBindings&) const = default;
};

// One controller at one look: its buttons (bit i: PadButton i pressed) and its left stick
// (-1 .. 1 each way, up and left negative).
struct PadReading {
    std::uint32_t Buttons = 0;
    double X = 0;
    double Y = 0;
    bool Pressed(PadButton b) const { return ((Buttons >> static_cast<int>(b)) & 1u) != 0; }
};

class Pads {
  public:
    // Controller `id` holds controls as holder kFirstPadHolder + id.
    static constexpr int kFirstPadHolder = 2;

    explicit Pads(SharedControls& controls) : controls_(controls) {}
    Pads(const Pads&) = delete;
    Pads& operator=(const Pads&) = delete;

    // What is held under the old buttons is let go first.
    void SetBindings(const PadBindings& bindings);
    const PadBindings& Bindings() const { return bindings_; }
    // A delay of 0 turns the repeats off.
    void SetRepeat(const RepeatRule& rule);
    void SetPowerHandler(std::function<void()> handler) { onPower_ = std::move(handler); }
    void SetMenuHandler(std::function<void()> handler) { onMenu_ = std::move(handler); }

    // One look at controller `id` at `now`: every change since the last look delivered,
    // releases before presses, and the repeats of held controls. True when a control, Start
    // or Back was pressed or let go.
    bool Read(int id, const PadReading& reading, Millis now);
    // A controller gone: its held controls let go. True when it held any.
    bool Gone(int id);
    // True while a control, Start or Back is held on any controller.
    bool AnyHeld() const;
    // Key-ups for every control held. A control held now counts again only after it has been
    // let go, so a button held across the release does not press by itself.
    void ReleaseAll();

  private:
    // The toy's five controls, then Start and Back.
    static constexpr int kPower = kToyControlCount;
    static constexpr int kMenu = kToyControlCount + 1;
    using Held = std::array<bool, kToyControlCount + 2>;
    struct Pad {
        Held held{};     // what the toy was last told is held
        Held latched{};  // held across a release-all: ignored until let go
        std::array<Repeats, kToyControlCount> repeats{};
    };
    void Release(int id, Pad& pad);

    SharedControls& controls_;
    PadBindings bindings_ = PadBindings::Defaults();
    RepeatRule repeat_;
    std::function<void()> onPower_;
    std::function<void()> onMenu_;
    std::map<int, Pad> pads_;
};

}  // namespace zarq
