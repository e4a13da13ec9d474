// The player's controls in the browser, all delivered through the core's one input path as the
// toy's key presses and switch clicks: the keyboard with the desktop's default and chosen keys
// (stored by the same names: "KeyUp" = "W"), game controllers in the Gamepad API's standard
// mapping with the desktop's default and chosen buttons ("PadFire" = "a,b,rightshoulder"), and
// touches and mouse presses on the panel's own pictures, several at once.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "panel/InputPath.h"
#include "panel/Timers.h"

namespace zarq {
class TForm1;
}

namespace zarq::web {

// The toy's five controls, in the order of the desktop's controls dialog.
enum class Control { Up, Down, Left, Right, Fire };
inline constexpr int kControlCount = 5;
// The toy's key code of a control: UP 38, DOWN 40, LEFT 37, RIGHT 39, CTRL 17.
int ToyCode(Control control);
// The control's name in the controls dialog ("Pad up", ..., "Speed / fire").
const char* ControlLabel(Control control);

// Reads a stored text by its name; nothing when none is stored.
using TextSetting = std::function<std::optional<std::string>(const std::string& name)>;

// A held control is pressed again after a delay, then at an interval, as a held key repeats.
struct RepeatRule {
    Millis Delay = 500;
    Millis Interval = 33;
};

// ---- Keyboard ---------------------------------------------------------------------------
// The desktop's portable name of a key from the browser's KeyboardEvent.key and .code
// ("ArrowUp" -> "Up", "Control" -> "Ctrl", "w" -> "W", " " -> "Space"); empty for none.
std::string KeyName(const std::string& domKey, const std::string& domCode);

class KeyBindings {
  public:
    // The arrows and CTRL.
    static KeyBindings Defaults();
    // Names stored under "KeyUp" .. "KeyFire"; a missing, unknown or reserved name, or one
    // another control has, is that control's default; defaults colliding: all defaults.
    static KeyBindings Load(const TextSetting& stored);
    const std::string& Key(Control control) const { return names_[static_cast<int>(control)]; }
    std::optional<Control> ControlOf(const std::string& keyName) const;
    // Gives `control` the key; refused (false, nothing changed) for no key, a reserved key or
    // one another control has.
    bool Assign(Control control, const std::string& keyName);
    // Why `control` cannot have the key, in words for the player ("Q is already the key of Pad
    // down."); empty when it can.
    std::string Refusal(Control control, const std::string& keyName) const;
    // Stores the five names under "KeyUp" .. "KeyFire".
    void Save(const std::function<void(const std::string&, const std::string&)>& write) const;
    // The program's own keys (full screen, the documents): never a control.
    static bool Reserved(const std::string& keyName);
    bool operator==(const KeyBindings&) const = default;

  private:
    std::array<std::string, kControlCount> names_;
};

// ---- Game controllers -------------------------------------------------------------------
// One controller as the page reads it: the standard mapping's buttons (bit i: button i
// pressed) and the left stick (-1 .. 1 each way).
struct PadReading {
    std::uint32_t Buttons = 0;
    double X = 0;
    double Y = 0;
};

struct PadBindings {
    // Per control, the standard-mapping buttons that press it.
    std::array<std::vector<int>, kControlCount> Buttons;
    bool operator==(const PadBindings&) const = default;
    // D-pad for the pad; south and east face buttons and the right shoulder for speed/fire.
    static PadBindings Defaults();
    // Stored under "PadUp" .. "PadFire" as the desktop's button names joined by commas.
    static PadBindings Load(const TextSetting& stored);
};

// The standard mapping's button for a desktop button name ("a" -> 0, "dpup" -> 12), or -1.
int StandardButton(const std::string& name);

class Pads {
  public:
    Pads(InputPath& input, std::function<void()> onPower);
    void SetBindings(const PadBindings& bindings) { bindings_ = bindings; }
    // One look at controller `index` at `now`: every change since the last look delivered,
    // releases before presses, and the repeats of held controls.
    void Read(int index, const PadReading& reading, Millis now);
    // A controller gone: its held controls let go.
    void Gone(int index);
    // Key-ups for every control held; a control still held counts again once let go.
    void ReleaseAll();

  private:
    struct Pad {
        std::array<bool, kControlCount + 1> Held{};  // the controls, then Start
        std::array<bool, kControlCount + 1> Latched{};
        std::array<Millis, kControlCount> NextRepeat{};
    };
    void Release(Pad& pad);

    InputPath& input_;
    std::function<void()> onPower_;
    PadBindings bindings_ = PadBindings::Defaults();
    RepeatRule repeat_;
    std::map<int, Pad> pads_;
};

// ---- Touch and mouse on the panel -------------------------------------------------------
enum class PointerKind { Down, Move, Up };

class Touches {
  public:
    // The least a finger needs to hit, in CSS pixels each way (the platforms' guidance).
    static constexpr double kFingerTarget = 44;

    Touches(TForm1& form, InputPath& input);
    // A pointer at toy pixel (x, y); `finger`: a touch or a pen rather than a mouse. Returns
    // true when it is on one of the toy's controls (the page then keeps the browser's own
    // gestures away from it).
    bool Pointer(PointerKind kind, int id, double x, double y, Millis now, bool finger = false);
    // How many CSS pixels a toy pixel is drawn at: a finger's target around the switch is
    // kFingerTarget CSS pixels at least, whatever the size the panel is shown at.
    void SetScale(double cssPerToyPixel);
    // Repeats of the held controls up to `now`.
    void Repeat(Millis now);
    // When the next repeat is due, if a control is held: the page wakes for it.
    std::optional<Millis> NextRepeat() const;
    // Every pointer let go (the page lost its focus).
    void ReleaseAll();
    // The control a point of the panel presses, if any (not the switch).
    std::optional<Control> ControlAt(double x, double y) const;
    // Whether a finger at (x, y) reaches the switch: its picture widened about its middle to
    // the finger's target, where no other control is.
    bool FingerOnSwitch(double x, double y) const;

  private:
    void Hold(int id, std::optional<Control> control, Millis now);

    TForm1& form_;
    InputPath& input_;
    RepeatRule repeat_;
    double scale_ = 1;                                // CSS pixels per toy pixel
    std::map<int, std::optional<Control>> pointers_;  // what each pointer holds
    std::array<int, kControlCount> holders_{};
    std::array<Millis, kControlCount> nextRepeat_{};
};

}  // namespace zarq::web
