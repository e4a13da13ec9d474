// Integers as decimal text in QSettings.
#include "desktop/start/QtSettingsStore.h"

#include <charconv>

#include "core/session/SettingsKeys.h"

namespace zarq {

QtSettingsStore::QtSettingsStore()
    : QtSettingsStore(std::make_unique<QSettings>(QString::fromLatin1(settings::kOrganisation),
                                                  QString::fromLatin1(settings::kApplication))) {}

QtSettingsStore::QtSettingsStore(std::unique_ptr<QSettings> settings)
    : settings_(std::move(settings)) {}

std::optional<int> QtSettingsStore::ParseDecimal(const std::string& text) {
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc{} || end != last || first == last) return std::nullopt;
    return value;
}

int QtSettingsStore::ReadInteger(const std::string& name, int defaultValue) {
    if (const auto it = unsaved_.find(name); it != unsaved_.end()) return it->second;
    const QVariant stored = settings_->value(QString::fromStdString(name));
    if (!stored.isValid()) return defaultValue;
    // A value written by another program may be a number rather than text.
    return ParseDecimal(stored.toString().toStdString()).value_or(defaultValue);
}

void QtSettingsStore::WriteInteger(const std::string& name, int value) {
    settings_->setValue(QString::fromStdString(name), QString::number(value));
    settings_->sync();
    if (settings_->status() == QSettings::NoError) {
        unsaved_.erase(name);
    } else {
        unsaved_[name] = value;
    }
}

}  // namespace zarq
