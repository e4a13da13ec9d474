// The toy's five controls as every front end knows them: their key codes, their names for the
// player and in the settings, how a held control repeats, and how several devices hold one
// control together. Front ends hand in what their devices do under portable names; all of it
// reaches the toy through the one input path.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/panel/InputPath.h"
#include "core/panel/Timers.h"

namespace zarq {

// In the order the controls dialog lists them.
enum class ToyControl { Up, Down, Left, Right, Fire };
inline constexpr int kToyControlCount = 5;

// The toy's key code of a control: UP 38, DOWN 40, LEFT 37, RIGHT 39, CTRL 17.
int ToyCode(ToyControl control);
// The control's name for the player: "Pad up", ..., "Speed / fire".
const char* ControlLabel(ToyControl control);
// The names a control's chosen key and controller buttons are stored under: "KeyUp" ..
// "KeyFire" and "PadUp" .. "PadFire". Players' settings files hold these: never rename them.
const char* KeySetting(ToyControl control);
const char* PadSetting(ToyControl control);

// Reads a stored text by its name; nothing when none is stored.
using TextSetting = std::function<std::optional<std::string>(const std::string& name)>;
// Stores a text under a name.
using TextWrite = std::function<void(const std::string& name, const std::string& value)>;

// A held control is pressed again after a delay, then at an interval, as a held key repeats.
struct RepeatRule {
    Millis Delay = 500;
    Millis Interval = 33;
};

// When one held control repeats next.
class Repeats {
  public:
    // Pressed at `now`: the first repeat after the delay.
    void Pressed(const RepeatRule& rule, Millis now) { next_ = now + rule.Delay; }
    // Whether a repeat is due at `now`; if so, the next is planned. A late look repeats once,
    // as a keyboard does not catch up either.
    bool Due(const RepeatRule& rule, Millis now);
    Millis Next() const { return next_; }

  private:
    Millis next_ = 0;
};

// The keyboard's holder number; other devices use their own, above it.
inline constexpr int kKeyboardHolder = 0;

// The toy has one of each control, but several devices may hold it at once: the keyboard,
// controllers, fingers. Each device presses and releases under its own holder number; the toy
// sees a control pressed when its first holder presses it and released only when its last
// holder lets go, and held-key repeats from the holder that pressed first.
class SharedControls {
  public:
    explicit SharedControls(InputPath& input) : input_(input) {}
    SharedControls(const SharedControls&) = delete;
    SharedControls& operator=(const SharedControls&) = delete;

    // A press of the toy's `key` by `holder`: a key-down for the toy when nobody held it, or
    // as a repeat when `holder` holds it and pressed it first. Key 0 (a key the toy does not
    // know) always passes.
    void Press(int holder, int key);
    // `holder` lets go: a key-up for the toy when nobody else holds it.
    void Release(int holder, int key);
    InputPath& Input() { return input_; }

  private:
    InputPath& input_;
    std::map<int, std::vector<int>> holders_;  // per key, in the order they pressed
};

// The keys a keyboard holds, so that all of them can be let go when it no longer reports
// them (the window or the page lost the focus, other keys were chosen): the toy must not keep
// a control pressed that nobody holds.
class HeldKeys {
  public:
    explicit HeldKeys(SharedControls& controls) : controls_(controls) {}
    // A key pressed, or its automatic repeat: a further key-down for the toy.
    void Down(int key);
    void Up(int key);
    void ReleaseAll();

  private:
    SharedControls& controls_;
    std::set<int> held_;  // the toy's key codes
};

}  // namespace zarq
