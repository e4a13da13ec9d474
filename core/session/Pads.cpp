// Controller buttons by name, their bindings, and the held controls of each controller.
#include "core/session/Pads.h"

#include <algorithm>
#include <sstream>

namespace zarq {

namespace {
struct ButtonRow {
    PadButton button;
    const char* name;
    const char* label;
};
// clang-format off
constexpr ButtonRow kButtons[kPadButtonCount] = {
    {PadButton::A,             "a",             "A (south)"},
    {PadButton::B,             "b",             "B (east)"},
    {PadButton::X,             "x",             "X (west)"},
    {PadButton::Y,             "y",             "Y (north)"},
    {PadButton::Back,          "back",          "Back"},
    {PadButton::Guide,         "guide",         "Guide"},
    {PadButton::Start,         "start",         "Start"},
    {PadButton::LeftStick,     "leftstick",     "Left stick press"},
    {PadButton::RightStick,    "rightstick",    "Right stick press"},
    {PadButton::LeftShoulder,  "leftshoulder",  "Left shoulder"},
    {PadButton::RightShoulder, "rightshoulder", "Right shoulder"},
    {PadButton::DpadUp,        "dpup",          "D-pad up"},
    {PadButton::DpadDown,      "dpdown",        "D-pad down"},
    {PadButton::DpadLeft,      "dpleft",        "D-pad left"},
    {PadButton::DpadRight,     "dpright",       "D-pad right"},
    {PadButton::Misc1,         "misc1",         "misc1"},
    {PadButton::Paddle1,       "paddle1",       "paddle1"},
    {PadButton::Paddle2,       "paddle2",       "paddle2"},
    {PadButton::Paddle3,       "paddle3",       "paddle3"},
    {PadButton::Paddle4,       "paddle4",       "paddle4"},
    {PadButton::Touchpad,      "touchpad",      "touchpad"},
};
// clang-format on

// Half the stick's travel: a light touch or a worn stick does not steer.
constexpr double kStickThreshold = 0.5;

int Index(PadButton b) {
    return static_cast<int>(b);
}
}  // namespace

const char* PadButtonName(int button) {
    return button >= 0 && button < kPadButtonCount ? kButtons[button].name : nullptr;
}

int PadButtonOf(const std::string& name) {
    for (const ButtonRow& row : kButtons) {
        if (name == row.name) return Index(row.button);
    }
    return -1;
}

std::string PadButtonLabel(int button) {
    return button >= 0 && button < kPadButtonCount ? kButtons[button].label : "?";
}

PadBindings PadBindings::Defaults() {
    PadBindings b;
    b.Buttons = {{{Index(PadButton::DpadUp)},
                  {Index(PadButton::DpadDown)},
                  {Index(PadButton::DpadLeft)},
                  {Index(PadButton::DpadRight)},
                  {Index(PadButton::A), Index(PadButton::B), Index(PadButton::RightShoulder)}}};
    return b;
}

bool PadBindings::Reserved(int button) {
    return button == Index(PadButton::Start) || button == Index(PadButton::Back);
}

int PadBindings::ControlOf(int button) const {
    for (int i = 0; i < kToyControlCount; ++i) {
        if (std::find(Buttons[i].begin(), Buttons[i].end(), button) != Buttons[i].end()) return i;
    }
    return -1;
}

PadRefusal PadBindings::Check(ToyControl control, int button) const {
    using Why = PadRefusal::Why;
    if (button < 0 || button >= kPadButtonCount) return {Why::NoButton};
    if (Reserved(button)) return {Why::Reserved};
    const int owner = ControlOf(button);
    if (owner >= 0 && owner != static_cast<int>(control))
        return {Why::Taken, static_cast<ToyControl>(owner)};
    return {};
}

bool PadBindings::Assign(ToyControl control, int button) {
    if (Check(control, button)) return false;
    Buttons[static_cast<int>(control)] = {button};
    return true;
}

std::string PadBindings::Format(const std::vector<int>& buttons) {
    std::string out;
    for (int b : buttons) {
        const char* name = PadButtonName(b);
        if (name == nullptr) continue;
        if (!out.empty()) out += ',';
        out += name;
    }
    return out;
}

std::vector<int> PadBindings::Parse(const std::string& text) {
    std::vector<int> buttons;
    std::istringstream in(text);
    std::string name;
    while (std::getline(in, name, ',')) {
        const int b = PadButtonOf(name);
        if (b < 0 || Reserved(b)) return {};
        if (std::find(buttons.begin(), buttons.end(), b) == buttons.end()) buttons.push_back(b);
    }
    return buttons;
}

PadBindings PadBindings::Load(const TextSetting& stored) {
    const PadBindings defaults = Defaults();
    PadBindings pads;
    for (int c = 0; c < kToyControlCount; ++c) {
        const std::optional<std::string> text = stored(PadSetting(static_cast<ToyControl>(c)));
        pads.Buttons[c] = text ? Parse(*text) : std::vector<int>{};
        if (pads.Buttons[c].empty()) pads.Buttons[c] = defaults.Buttons[c];
    }
    for (int c = 0; c < kToyControlCount; ++c) {
        for (int b : pads.Buttons[c]) {
            if (pads.ControlOf(b) != c) return defaults;
        }
    }
    return pads;
}

void PadBindings::Save(const TextWrite& write) const {
    for (int c = 0; c < kToyControlCount; ++c)
        write(PadSetting(static_cast<ToyControl>(c)), Format(Buttons[c]));
}

void Pads::SetBindings(const PadBindings& bindings) {
    if (bindings == bindings_) return;
    ReleaseAll();
    bindings_ = bindings;
}

void Pads::SetRepeat(const RepeatRule& rule) {
    repeat_ = {std::max<Millis>(0, rule.Delay), std::max<Millis>(1, rule.Interval)};
}

bool Pads::Read(int id, const PadReading& reading, Millis now) {
    Pad& pad = pads_[id];
    Held held{};
    for (int c = 0; c < kToyControlCount; ++c) {
        for (int b : bindings_.Buttons[c])
            held[c] = held[c] || (b >= 0 && b < 32 && ((reading.Buttons >> b) & 1u) != 0);
    }
    auto stick = [&held](ToyControl c, bool pushed) {
        held[static_cast<int>(c)] = held[static_cast<int>(c)] || pushed;
    };
    stick(ToyControl::Up, reading.Y < -kStickThreshold);
    stick(ToyControl::Down, reading.Y > kStickThreshold);
    stick(ToyControl::Left, reading.X < -kStickThreshold);
    stick(ToyControl::Right, reading.X > kStickThreshold);
    held[kPower] = reading.Pressed(PadButton::Start);
    held[kMenu] = reading.Pressed(PadButton::Back);

    Held pressed{};
    Held released{};
    bool changed = false;
    for (std::size_t a = 0; a < held.size(); ++a) {
        if (!held[a]) pad.latched[a] = false;  // let go: counts again
        if (pad.latched[a]) held[a] = false;
        pressed[a] = held[a] && !pad.held[a];
        released[a] = pad.held[a] && !held[a];
        changed = changed || pressed[a] || released[a];
    }
    pad.held = held;

    const int holder = kFirstPadHolder + id;
    // Releases first, so that a release of one direction and a press of another in the same
    // look reach the toy in the order a rolling thumb makes them.
    for (int c = 0; c < kToyControlCount; ++c) {
        if (released[c]) controls_.Release(holder, ToyCode(static_cast<ToyControl>(c)));
    }
    for (int c = 0; c < kToyControlCount; ++c) {
        if (pressed[c]) {
            controls_.Press(holder, ToyCode(static_cast<ToyControl>(c)));
            pad.repeats[c].Pressed(repeat_, now);
        } else if (held[c] && repeat_.Delay > 0 && pad.repeats[c].Due(repeat_, now)) {
            controls_.Press(holder, ToyCode(static_cast<ToyControl>(c)));
        }
    }
    if (pressed[kPower] && onPower_) onPower_();
    if (pressed[kMenu] && onMenu_) onMenu_();
    return changed;
}

void Pads::Release(int id, Pad& pad) {
    for (int c = 0; c < kToyControlCount; ++c) {
        if (pad.held[c])
            controls_.Release(kFirstPadHolder + id, ToyCode(static_cast<ToyControl>(c)));
    }
    for (std::size_t a = 0; a < pad.held.size(); ++a) {
        pad.latched[a] = pad.latched[a] || pad.held[a];
        pad.held[a] = false;
    }
}

bool Pads::Gone(int id) {
    const auto it = pads_.find(id);
    if (it == pads_.end()) return false;
    const bool held =
        std::find(it->second.held.begin(), it->second.held.end(), true) != it->second.held.end();
    Release(id, it->second);
    pads_.erase(it);
    return held;
}

bool Pads::AnyHeld() const {
    return std::any_of(pads_.begin(), pads_.end(), [](const auto& entry) {
        const Held& held = entry.second.held;
        return std::find(held.begin(), held.end(), true) != held.end();
    });
}

void Pads::ReleaseAll() {
    for (auto& [id, pad] : pads_) Release(id, pad);
}

}  // namespace zarq
