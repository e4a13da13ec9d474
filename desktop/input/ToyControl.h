// The toy's five controls as a player's device sees them, and the buttons of a game
// controller that stand for each. Button numbers are SDL's game controller buttons; names
// are SDL's own ("a", "dpup", "rightshoulder"), as the settings keep them.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace zarq {

// In the order the controls dialog lists them.
enum class ToyControl { Up, Down, Left, Right, Fire };
inline constexpr int kToyControlCount = 5;

// The toy's key code of a control: UP 38, DOWN 40, LEFT 37, RIGHT 39, CTRL 17.
int ToyCode(ToyControl control);

struct PadBindings {
    // Per control, the buttons that press it. The left stick always steers as the pad does.
    std::array<std::vector<int>, kToyControlCount> Buttons;

    // D-pad for the pad; south and east face buttons and the right shoulder for speed/fire.
    static PadBindings Defaults();
    const std::vector<int>& Of(ToyControl c) const { return Buttons[static_cast<int>(c)]; }
    // The control a button presses, or -1.
    int ControlOf(int button) const;
    // Gives `control` this one button; refused (false) when another control has it or it is
    // one of the program's own (Start, Back).
    bool Assign(ToyControl control, int button);

    // "a,b,rightshoulder"; empty for none.
    static std::string Format(const std::vector<int>& buttons);
    // Nothing (empty list) for an empty, unknown or reserved name.
    static std::vector<int> Parse(const std::string& text);
    // A player's name for a button: "A (south)", "D-pad up", "Right shoulder".
    static std::string DisplayName(int button);
    // Start and Back: the power switch and the menu.
    static bool Reserved(int button);

    bool operator==(const PadBindings&) const = default;
};

}  // namespace zarq
