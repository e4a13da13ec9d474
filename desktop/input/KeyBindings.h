// The keys the player chose for the toy's five controls (pad up, down, left, right and the
// speed/fire button), kept in the settings as "KeyUp", "KeyDown", "KeyLeft", "KeyRight" and
// "KeyFire" under the key's portable name ("Up", "W", "Space", "Ctrl"). A missing or
// unreadable name, or one taken by another control, gives that control its default key.
#pragma once

#include <QSettings>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "input/ToyControl.h"

namespace zarq {

class KeyBindings {
  public:
    // The arrow keys and CTRL.
    static KeyBindings Defaults();
    // `reserved` are keys that belong to the program (the menu's shortcuts): a control stored
    // with one of them gets its default. When defaults and stored keys collide, every control
    // gets its default.
    static KeyBindings Load(QSettings& settings, const std::vector<int>& reserved = {});
    void Save(QSettings& settings) const;

    // The Qt key of a control.
    int Key(ToyControl control) const { return keys_[static_cast<int>(control)]; }
    // Assigns a key; refused (false, nothing changed) when another control has it.
    bool Assign(ToyControl control, int qtKey);
    // The control a Qt key stands for, if any.
    std::optional<ToyControl> ControlOf(int qtKey) const;
    // The toy's key code for a Qt key: the control's code (CTRL 17, LEFT 37, UP 38, RIGHT 39,
    // DOWN 40), 0 for a key that is no control.
    int ToyKey(int qtKey) const;

    // The settings value of a control ("KeyUp"), and its caption in the dialog ("Pad up").
    static QString SettingName(ToyControl control);
    static QString Caption(ToyControl control);
    // The portable name of a single key, as it is stored ("Ctrl", "Up", "W"); empty for none.
    static QString KeyName(int qtKey);
    // The key a stored name stands for; nothing for an empty, unknown or combined name.
    static std::optional<int> ParseKeyName(const QString& name);

    bool operator==(const KeyBindings&) const = default;

  private:
    std::array<int, kToyControlCount> keys_{};
};

}  // namespace zarq
