// Browser key names and the Gamepad API's standard mapping, turned into portable ones.
#include "web/src/Controls.h"

#include <cctype>

#include "core/session/KeyBindings.h"

namespace zarq::web {

namespace {

// clang-format off
// Browser key names and the portable names of the same keys.
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

// The standard mapping's buttons by their index there (the triggers, 6 and 7, are none of the
// settings' buttons).
struct StandardButton { int index; PadButton button; };
constexpr StandardButton kStandardButtons[] = {
    {0, PadButton::A},             {1, PadButton::B},             {2, PadButton::X},
    {3, PadButton::Y},             {4, PadButton::LeftShoulder},  {5, PadButton::RightShoulder},
    {8, PadButton::Back},          {9, PadButton::Start},         {10, PadButton::LeftStick},
    {11, PadButton::RightStick},   {12, PadButton::DpadUp},       {13, PadButton::DpadDown},
    {14, PadButton::DpadLeft},     {15, PadButton::DpadRight},    {16, PadButton::Guide},
};
// clang-format on

}  // namespace

std::string KeyName(const std::string& domKey, const std::string& domCode) {
    // The keypad's Enter is the portable "Enter", the main one "Return".
    if (domCode == "NumpadEnter") return "Enter";
    for (const NamedKey& k : kNamedKeys) {
        if (domKey == k.dom) return k.name;
    }
    if (domKey.size() == 1 || (domKey.size() <= 3 && domKey[0] == 'F'))
        return PortableKeyName(domKey);
    return "";
}

PadReading StandardPad(std::uint32_t buttons, double x, double y) {
    PadReading reading{0, x, y};
    for (const StandardButton& b : kStandardButtons) {
        if (((buttons >> b.index) & 1u) != 0) reading.Buttons |= 1u << static_cast<int>(b.button);
    }
    return reading;
}

}  // namespace zarq::web
