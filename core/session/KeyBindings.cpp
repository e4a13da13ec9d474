// Chosen keys on portable names, their fallbacks and refusals.
#include "core/session/KeyBindings.h"

#include <algorithm>
#include <cctype>

namespace zarq {

namespace {

// clang-format off
constexpr const char* kDefaultKeys[kToyControlCount] = {"Up", "Down", "Left", "Right", "Ctrl"};
// The keys with a name rather than a character, as they are stored.
constexpr const char* kNamedKeys[] = {
    "Up", "Down", "Left", "Right", "Ctrl", "Shift", "Alt", "AltGr", "Meta", "Space", "Return",
    "Enter", "Esc", "Tab", "Backspace", "Ins", "Del", "Home", "End", "PgUp", "PgDown", "CapsLock",
};
// The menu's documents and leaving, and full screen.
constexpr const char* kProgramKeys[] = {"F1", "F2", "F3", "F4", "F11", "Esc"};
// clang-format on

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool Listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::string PortableKeyName(const std::string& stored) {
    std::string name = stored;
    while (!name.empty() && name.front() == ' ') name.erase(name.begin());
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name.empty()) return "";
    if (name.size() == 1)
        return std::isprint(static_cast<unsigned char>(name[0])) ? Upper(name) : "";
    for (const char* key : kNamedKeys) {
        if (Upper(name) == Upper(key)) return key;
    }
    if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3 &&
        std::all_of(name.begin() + 1, name.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        const int n = std::stoi(name.substr(1));
        if (n >= 1 && n <= 24) return "F" + std::to_string(n);
    }
    return "";
}

KeyBindings KeyBindings::Defaults() {
    KeyBindings b;
    for (int i = 0; i < kToyControlCount; ++i) b.names_[i] = kDefaultKeys[i];
    return b;
}

bool KeyBindings::Reserved(const std::string& keyName) {
    return std::any_of(std::begin(kProgramKeys), std::end(kProgramKeys),
                       [&keyName](const char* own) { return keyName == own; });
}

KeyBindings KeyBindings::Load(const TextSetting& stored, const std::vector<std::string>& reserved,
                              const KeyNameRule& rule) {
    KeyBindings b;  // every name empty: none yet
    for (int i = 0; i < kToyControlCount; ++i) {
        const std::optional<std::string> text = stored(KeySetting(static_cast<ToyControl>(i)));
        if (!text) continue;
        const std::string name = rule(*text);
        // Refused when an earlier control has it.
        b.Assign(static_cast<ToyControl>(i), name, reserved);
    }
    for (int i = 0; i < kToyControlCount; ++i) {
        if (!b.names_[i].empty()) continue;
        if (b.ControlOf(kDefaultKeys[i])) return Defaults();
        b.names_[i] = kDefaultKeys[i];
    }
    return b;
}

void KeyBindings::Save(const TextWrite& write) const {
    for (int i = 0; i < kToyControlCount; ++i)
        write(KeySetting(static_cast<ToyControl>(i)), names_[i]);
}

std::optional<ToyControl> KeyBindings::ControlOf(const std::string& keyName) const {
    if (keyName.empty()) return std::nullopt;
    for (int i = 0; i < kToyControlCount; ++i) {
        if (names_[i] == keyName) return static_cast<ToyControl>(i);
    }
    return std::nullopt;
}

int KeyBindings::ToyKey(const std::string& keyName) const {
    const std::optional<ToyControl> control = ControlOf(keyName);
    return control ? ToyCode(*control) : 0;
}

KeyRefusal KeyBindings::Check(ToyControl control, const std::string& keyName,
                              const std::vector<std::string>& reserved) const {
    using Why = KeyRefusal::Why;
    if (keyName.empty()) return {Why::NoKey};
    if (Reserved(keyName) || Listed(reserved, keyName)) return {Why::Reserved};
    const std::optional<ToyControl> owner = ControlOf(keyName);
    if (owner && *owner != control) return {Why::Taken, *owner};
    return {};
}

std::string KeyBindings::Refusal(ToyControl control, const std::string& keyName,
                                 const std::vector<std::string>& reserved) const {
    const KeyRefusal refusal = Check(control, keyName, reserved);
    switch (refusal.Reason) {
        case KeyRefusal::Why::None:
            return {};
        case KeyRefusal::Why::NoKey:
            return "This key cannot be a control: please choose another.";
        case KeyRefusal::Why::Reserved:
            return keyName + " is kept for the page's own use.";
        case KeyRefusal::Why::Taken:
            return keyName + " is already the key of " + ControlLabel(refusal.Owner) + ".";
    }
    return {};
}

bool KeyBindings::Assign(ToyControl control, const std::string& keyName,
                         const std::vector<std::string>& reserved) {
    if (Check(control, keyName, reserved)) return false;
    names_[static_cast<int>(control)] = keyName;
    return true;
}

}  // namespace zarq
