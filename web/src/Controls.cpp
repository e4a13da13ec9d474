// Keys, game controllers and pointers turned into the toy's inputs.
#include "Controls.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "panel/Unit1.h"

namespace zarq::web {

namespace {

// clang-format off
// The desktop's default key and the settings names of each control.
struct ControlRow {
    Control control; const char* keySetting; const char* padSetting; const char* defaultKey;
    const char* label;
};
constexpr ControlRow kRows[kControlCount] = {
    {Control::Up,    "KeyUp",    "PadUp",    "Up",    "Pad up"},
    {Control::Down,  "KeyDown",  "PadDown",  "Down",  "Pad down"},
    {Control::Left,  "KeyLeft",  "PadLeft",  "Left",  "Pad left"},
    {Control::Right, "KeyRight", "PadRight", "Right", "Pad right"},
    {Control::Fire,  "KeyFire",  "PadFire",  "Ctrl",  "Speed / fire"},
};

// Browser key names and the desktop's names for the same keys.
struct NamedKey { const char* dom; const char* name; };
constexpr NamedKey kNamedKeys[] = {
    {"ArrowUp", "Up"},       {"ArrowDown", "Down"},     {"ArrowLeft", "Left"},
    {"ArrowRight", "Right"}, {"Control", "Ctrl"},       {"Shift", "Shift"},
    {"Alt", "Alt"},          {"AltGraph", "AltGr"},     {"Meta", "Meta"},
    {" ", "Space"},          {"Enter", "Return"},       {"Escape", "Esc"},
    {"Tab", "Tab"},          {"Backspace", "Backspace"}, {"Insert", "Ins"},
    {"Delete", "Del"},       {"Home", "Home"},          {"End", "End"},
    {"PageUp", "PgUp"},      {"PageDown", "PgDown"},    {"CapsLock", "CapsLock"},
};

// The desktop's (SDL's) button names and the standard mapping's buttons.
struct PadButton { const char* name; int standard; };
constexpr PadButton kPadButtons[] = {
    {"a", 0},  {"b", 1},  {"x", 2},  {"y", 3},  {"leftshoulder", 4},  {"rightshoulder", 5},
    {"back", 8}, {"start", 9}, {"leftstick", 10}, {"rightstick", 11},
    {"dpup", 12}, {"dpdown", 13}, {"dpleft", 14}, {"dpright", 15}, {"guide", 16},
};
// clang-format on

constexpr int kStartButton = 9;
constexpr int kBackButton = 8;
constexpr double kStickThreshold = 0.5;  // the desktop's half deflection

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The canonical form of a stored key name, or empty when it names no key a browser reports.
std::string CanonicalName(const std::string& stored) {
    std::string name = stored;
    while (!name.empty() && name.front() == ' ') name.erase(name.begin());
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name.size() == 1)
        return name == "+" || std::isprint(static_cast<unsigned char>(name[0])) ? Upper(name) : "";
    for (const NamedKey& k : kNamedKeys) {
        if (Upper(name) == Upper(k.name)) return k.name;
    }
    if (name == "Enter") return "Enter";
    if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3 &&
        std::all_of(name.begin() + 1, name.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        const int n = std::stoi(name.substr(1));
        if (n >= 1 && n <= 24) return "F" + std::to_string(n);
    }
    return "";
}

}  // namespace

int ToyCode(Control control) {
    constexpr int kCodes[kControlCount] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_CONTROL};
    return kCodes[static_cast<int>(control)];
}

const char* ControlLabel(Control control) {
    return kRows[static_cast<int>(control)].label;
}

// ---- Keyboard ---------------------------------------------------------------------------

std::string KeyName(const std::string& domKey, const std::string& domCode) {
    // The keypad's Enter is the desktop's "Enter", the main one its "Return".
    if (domCode == "NumpadEnter") return "Enter";
    for (const NamedKey& k : kNamedKeys) {
        if (domKey == k.dom) return k.name;
    }
    if (domKey.size() == 1) return Upper(domKey);
    if (domKey.size() <= 3 && domKey[0] == 'F') return CanonicalName(domKey);
    return "";
}

KeyBindings KeyBindings::Defaults() {
    KeyBindings b;
    for (int i = 0; i < kControlCount; ++i) b.names_[i] = kRows[i].defaultKey;
    return b;
}

bool KeyBindings::Reserved(const std::string& keyName) {
    // Full screen, leaving it, and the documents' keys of the desktop's menu.
    for (const char* own : {"F1", "F2", "F3", "F4", "F11", "Esc"}) {
        if (keyName == own) return true;
    }
    return false;
}

KeyBindings KeyBindings::Load(const TextSetting& stored) {
    KeyBindings b;
    for (int i = 0; i < kControlCount; ++i) {
        const std::optional<std::string> text = stored(kRows[i].keySetting);
        if (!text) continue;
        const std::string name = CanonicalName(*text);
        if (name.empty() || Reserved(name) || b.ControlOf(name)) continue;
        b.names_[i] = name;
    }
    for (int i = 0; i < kControlCount; ++i) {
        if (!b.names_[i].empty()) continue;
        if (b.ControlOf(kRows[i].defaultKey)) return Defaults();
        b.names_[i] = kRows[i].defaultKey;
    }
    return b;
}

std::string KeyBindings::Refusal(Control control, const std::string& keyName) const {
    if (keyName.empty()) return "This key cannot be a control: please choose another.";
    if (Reserved(keyName)) return keyName + " is kept for the page's own use.";
    const std::optional<Control> owner = ControlOf(keyName);
    if (owner && *owner != control)
        return keyName + " is already the key of " + ControlLabel(*owner) + ".";
    return {};
}

bool KeyBindings::Assign(Control control, const std::string& keyName) {
    if (!Refusal(control, keyName).empty()) return false;
    names_[static_cast<int>(control)] = keyName;
    return true;
}

void KeyBindings::Save(
    const std::function<void(const std::string&, const std::string&)>& write) const {
    for (int i = 0; i < kControlCount; ++i) write(kRows[i].keySetting, names_[i]);
}

std::optional<Control> KeyBindings::ControlOf(const std::string& keyName) const {
    if (keyName.empty()) return std::nullopt;
    for (int i = 0; i < kControlCount; ++i) {
        if (names_[i] == keyName) return kRows[i].control;
    }
    return std::nullopt;
}

// ---- Game controllers -------------------------------------------------------------------

int StandardButton(const std::string& name) {
    for (const PadButton& b : kPadButtons) {
        if (name == b.name) return b.standard;
    }
    return -1;
}

PadBindings PadBindings::Defaults() {
    PadBindings b;
    b.Buttons = {{{12}, {13}, {14}, {15}, {0, 1, 5}}};
    return b;
}

PadBindings PadBindings::Load(const TextSetting& stored) {
    const PadBindings defaults = Defaults();
    PadBindings pads;
    for (int c = 0; c < kControlCount; ++c) {
        const std::optional<std::string> text = stored(kRows[c].padSetting);
        std::vector<int> buttons;
        if (text) {
            std::istringstream in(*text);
            std::string name;
            while (std::getline(in, name, ',')) {
                const int b = StandardButton(name);
                // An unknown name, or Start and Back (the program's own): the default.
                if (b < 0 || b == kStartButton || b == kBackButton) {
                    buttons.clear();
                    break;
                }
                if (std::find(buttons.begin(), buttons.end(), b) == buttons.end())
                    buttons.push_back(b);
            }
        }
        pads.Buttons[c] = buttons.empty() ? defaults.Buttons[c] : buttons;
    }
    // A button pressing two controls: every control gets its defaults.
    for (int c = 0; c < kControlCount; ++c) {
        for (int d = c + 1; d < kControlCount; ++d) {
            for (int b : pads.Buttons[c]) {
                if (std::find(pads.Buttons[d].begin(), pads.Buttons[d].end(), b) !=
                    pads.Buttons[d].end())
                    return defaults;
            }
        }
    }
    return pads;
}

Pads::Pads(InputPath& input, std::function<void()> onPower)
    : input_(input), onPower_(std::move(onPower)) {}

void Pads::Read(int index, const PadReading& reading, Millis now) {
    Pad& pad = pads_[index];
    auto pressed = [&reading](int b) {
        return b >= 0 && b < 32 && ((reading.Buttons >> b) & 1u) != 0;
    };
    std::array<bool, kControlCount + 1> held{};
    for (int c = 0; c < kControlCount; ++c) {
        for (int b : bindings_.Buttons[c]) held[c] = held[c] || pressed(b);
    }
    held[static_cast<int>(Control::Up)] |= reading.Y < -kStickThreshold;
    held[static_cast<int>(Control::Down)] |= reading.Y > kStickThreshold;
    held[static_cast<int>(Control::Left)] |= reading.X < -kStickThreshold;
    held[static_cast<int>(Control::Right)] |= reading.X > kStickThreshold;
    held[kControlCount] = pressed(kStartButton);

    for (int c = 0; c <= kControlCount; ++c) {
        if (!held[c]) pad.Latched[c] = false;  // let go: counts again
        if (pad.Latched[c]) held[c] = false;
    }
    // Releases first, as a rolling thumb makes them.
    for (int c = 0; c < kControlCount; ++c) {
        if (pad.Held[c] && !held[c]) input_.KeyUp(ToyCode(static_cast<Control>(c)));
    }
    for (int c = 0; c < kControlCount; ++c) {
        if (held[c] && !pad.Held[c]) {
            input_.KeyDown(ToyCode(static_cast<Control>(c)));
            pad.NextRepeat[c] = now + repeat_.Delay;
        } else if (held[c] && now >= pad.NextRepeat[c]) {
            input_.KeyDown(ToyCode(static_cast<Control>(c)));
            // A late look repeats once, as a keyboard does not catch up either.
            pad.NextRepeat[c] = std::max(pad.NextRepeat[c] + repeat_.Interval, now + 1);
        }
    }
    const bool power = held[kControlCount] && !pad.Held[kControlCount];
    pad.Held = held;
    if (power && onPower_) onPower_();
}

void Pads::Release(Pad& pad) {
    for (int c = 0; c < kControlCount; ++c) {
        if (pad.Held[c]) input_.KeyUp(ToyCode(static_cast<Control>(c)));
        pad.Latched[c] = pad.Latched[c] || pad.Held[c];
        pad.Held[c] = false;
    }
    pad.Latched[kControlCount] = pad.Latched[kControlCount] || pad.Held[kControlCount];
    pad.Held[kControlCount] = false;
}

void Pads::Gone(int index) {
    const auto it = pads_.find(index);
    if (it == pads_.end()) return;
    Release(it->second);
    pads_.erase(it);
}

void Pads::ReleaseAll() {
    for (auto& [index, pad] : pads_) Release(pad);
}

// ---- Touch and mouse --------------------------------------------------------------------

namespace {
// A finger is wider than a mouse pointer: the pad and the button take touches this many
// toy pixels around their pictures.
constexpr int kTouchMargin = 14;
// The middle of the control pad presses nothing, as on the toy.
constexpr double kPadDeadRadius = 7;

bool Inside(const TRect& r, double x, double y, int margin) {
    return x >= r.Left - margin && x < r.Left + r.Width + margin && y >= r.Top - margin &&
           y < r.Top + r.Height + margin;
}
}  // namespace

Touches::Touches(TForm1& form, InputPath& input) : form_(form), input_(input) {}

void Touches::SetScale(double cssPerToyPixel) {
    if (std::isfinite(cssPerToyPixel) && cssPerToyPixel > 0) scale_ = cssPerToyPixel;
}

bool Touches::FingerOnSwitch(double x, double y) const {
    if (ControlAt(x, y)) return false;
    const TRect r = form_.Puls_Off->Bounds();
    const double reach = kFingerTarget / scale_;  // toy pixels
    const double halfWidth = std::max<double>(r.Width, reach) / 2;
    const double halfHeight = std::max<double>(r.Height, reach) / 2;
    return std::abs(x - (r.Left + r.Width / 2.0)) < halfWidth &&
           std::abs(y - (r.Top + r.Height / 2.0)) < halfHeight;
}

std::optional<Control> Touches::ControlAt(double x, double y) const {
    const TRect pad = form_.Puls_Move->Bounds();
    if (Inside(pad, x, y, kTouchMargin)) {
        const double dx = x - (pad.Left + pad.Width / 2.0);
        const double dy = y - (pad.Top + pad.Height / 2.0);
        if (std::hypot(dx, dy) < kPadDeadRadius) return std::nullopt;
        if (std::abs(dx) > std::abs(dy)) return dx < 0 ? Control::Left : Control::Right;
        return dy < 0 ? Control::Up : Control::Down;
    }
    if (Inside(form_.Puls_Speed2->Bounds(), x, y, kTouchMargin)) return Control::Fire;
    return std::nullopt;
}

void Touches::Hold(int id, std::optional<Control> control, Millis now) {
    std::optional<Control>& held = pointers_[id];
    if (held == control) return;
    if (held) {
        const int c = static_cast<int>(*held);
        if (--holders_[c] == 0) input_.KeyUp(ToyCode(*held));
    }
    held = control;
    if (control) {
        const int c = static_cast<int>(*control);
        if (holders_[c]++ == 0) {
            input_.KeyDown(ToyCode(*control));
            nextRepeat_[c] = now + repeat_.Delay;
        }
    }
}

bool Touches::Pointer(PointerKind kind, int id, double x, double y, Millis now, bool finger) {
    const auto it = pointers_.find(id);
    switch (kind) {
        case PointerKind::Down: {
            const TControl* target = form_.MouseTarget(static_cast<int>(x), static_cast<int>(y));
            MouseRole role = target != nullptr ? target->Role() : MouseRole::None;
            // A finger near the switch works it as the switch's picture does.
            if (role != MouseRole::SwitchOn && role != MouseRole::SwitchOff && finger &&
                FingerOnSwitch(x, y))
                role = form_.Puls_Off->Visible() ? MouseRole::SwitchOn : MouseRole::SwitchOff;
            if (role == MouseRole::SwitchOn) {
                input_.SwitchOn();
                return true;
            }
            if (role == MouseRole::SwitchOff) {
                input_.SwitchOff();
                return true;
            }
            const std::optional<Control> control = ControlAt(x, y);
            if (!control) return false;
            Hold(id, control, now);
            return true;
        }
        case PointerKind::Move: {
            if (it == pointers_.end()) return false;
            // A finger sliding over the pad steers; the button stays held wherever it goes.
            if (it->second == Control::Fire) return true;
            const std::optional<Control> control = ControlAt(x, y);
            Hold(id, control == Control::Fire ? std::nullopt : control, now);
            return true;
        }
        case PointerKind::Up:
            if (it == pointers_.end()) return false;
            Hold(id, std::nullopt, now);
            pointers_.erase(id);
            return true;
    }
    return false;
}

void Touches::Repeat(Millis now) {
    for (int c = 0; c < kControlCount; ++c) {
        if (holders_[c] > 0 && now >= nextRepeat_[c]) {
            input_.KeyDown(ToyCode(static_cast<Control>(c)));
            nextRepeat_[c] = std::max(nextRepeat_[c] + repeat_.Interval, now + 1);
        }
    }
}

std::optional<Millis> Touches::NextRepeat() const {
    std::optional<Millis> next;
    for (int c = 0; c < kControlCount; ++c) {
        if (holders_[c] > 0 && (!next || nextRepeat_[c] < *next)) next = nextRepeat_[c];
    }
    return next;
}

void Touches::ReleaseAll() {
    std::vector<int> ids;
    for (const auto& [id, held] : pointers_) ids.push_back(id);
    for (int id : ids) Hold(id, std::nullopt, 0);
    pointers_.clear();
}

}  // namespace zarq::web
