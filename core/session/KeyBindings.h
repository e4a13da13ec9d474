// The keys the player chose for the toy's five controls, on portable key names ("Up", "W",
// "Space", "Ctrl", "F5"), stored as "KeyUp" .. "KeyFire" under those names. A missing,
// unknown or reserved name, or one taken by another control, gives that control its default
// key; the arrows and CTRL when defaults and stored keys collide. A front end turns its
// device's key into a portable name; everything after that is decided here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/session/Controls.h"

namespace zarq {

// The portable name of a stored key name, in its usual case ("w" -> "W", "space" -> "Space",
// "f5" -> "F5"); empty when it names no key every front end reports.
std::string PortableKeyName(const std::string& stored);
// Turns a stored name into the portable name of a key of this front end, or empty.
using KeyNameRule = std::function<std::string(const std::string& stored)>;

// Why a key cannot be a control's.
struct KeyRefusal {
    enum class Why { None, NoKey, Reserved, Taken } Reason = Why::None;
    ToyControl Owner = ToyControl::Up;  // for Taken: the control that has it
    explicit operator bool() const { return Reason != Why::None; }
};

class KeyBindings {
  public:
    // The arrows and CTRL.
    static KeyBindings Defaults();
    // `reserved`: the front end's own keys besides the program's common ones (the menu's and
    // full screen's); `rule`: which stored names are keys of this front end.
    static KeyBindings Load(const TextSetting& stored,
                            const std::vector<std::string>& reserved = {},
                            const KeyNameRule& rule = PortableKeyName);
    void Save(const TextWrite& write) const;

    const std::string& Key(ToyControl control) const { return names_[static_cast<int>(control)]; }
    std::optional<ToyControl> ControlOf(const std::string& keyName) const;
    // The toy's key code for a key: its control's code, 0 for a key that is no control.
    int ToyKey(const std::string& keyName) const;
    // Whether `control` may have the key: not when there is no key, it is reserved, or another
    // control has it.
    KeyRefusal Check(ToyControl control, const std::string& keyName,
                     const std::vector<std::string>& reserved = {}) const;
    // The refusal in words for the player ("Q is already the key of Pad down."); empty when
    // the key may be the control's.
    std::string Refusal(ToyControl control, const std::string& keyName,
                        const std::vector<std::string>& reserved = {}) const;
    // Gives `control` the key; refused (false, nothing changed) as Check says.
    bool Assign(ToyControl control, const std::string& keyName,
                const std::vector<std::string>& reserved = {});
    // The program's own keys on every front end (the documents, leaving, full screen).
    static bool Reserved(const std::string& keyName);

    bool operator==(const KeyBindings&) const = default;

  private:
    std::array<std::string, kToyControlCount> names_;
};

}  // namespace zarq
