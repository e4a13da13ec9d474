// Qt's keys and settings under the session's portable names: a Qt key becomes the name the
// settings keep it under ("Up", "W", "Space", "Ctrl"), through QKeySequence's portable text,
// and the settings file is read and written as named texts.
#pragma once

#include <QSettings>
#include <optional>
#include <string>

#include "core/session/Controls.h"

namespace zarq {

// The portable name of a single Qt key; empty for none, or for a key whose name does not
// read back as the same key.
std::string QtKeyName(int qtKey);
// The Qt key a portable name stands for; nothing for an empty, unknown or combined name
// ("Ctrl+W"). Either case is read ("W" or "w", not "0x57").
std::optional<int> QtKeyOf(const std::string& name);
// A stored name as the portable name of a Qt key, or empty: the keys this front end knows.
std::string QtStoredKeyName(const std::string& stored);

// The settings' texts by name; a value that is no text reads as an empty one.
TextSetting SettingTexts(QSettings& settings);
TextWrite SettingWriter(QSettings& settings);

}  // namespace zarq
