// The settings store on QSettings: organisation "Quarvel", application "KeldoZarq" (the
// registry key on Windows, ~/.config/Quarvel/KeldoZarq.conf on Linux). Values are decimal
// text; a store that cannot be written keeps what was written for this run.
#pragma once

#include <QSettings>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/panel/Seams.h"

namespace zarq {

class QtSettingsStore : public SettingsStore {
  public:
    // The user's own store.
    QtSettingsStore();
    // Any QSettings (tests use an ini file of their own).
    explicit QtSettingsStore(std::unique_ptr<QSettings> settings);

    int ReadInteger(const std::string& name, int defaultValue) override;
    void WriteInteger(const std::string& name, int value) override;

    // Parses a whole decimal integer ("-12", "7"); anything else is malformed.
    static std::optional<int> ParseDecimal(const std::string& text);

  private:
    std::unique_ptr<QSettings> settings_;
    std::map<std::string, int> unsaved_;  // written this run but not stored
};

}  // namespace zarq
