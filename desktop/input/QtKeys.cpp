// Key names through QKeySequence's portable text; the modifier keys, which QKeySequence only
// knows as parts of a combination, by their own names.
#include "desktop/input/QtKeys.h"

#include <QKeySequence>

namespace zarq {

namespace {
struct ModifierName {
    int key;
    const char* name;
};
constexpr ModifierName kModifiers[] = {
    {Qt::Key_Control, "Ctrl"}, {Qt::Key_Shift, "Shift"}, {Qt::Key_Alt, "Alt"},
    {Qt::Key_Meta, "Meta"},    {Qt::Key_AltGr, "AltGr"},
};

QString SequenceName(int qtKey) {
    if (qtKey == 0 || qtKey == Qt::Key_unknown) return {};
    for (const ModifierName& m : kModifiers) {
        if (m.key == qtKey) return QString::fromLatin1(m.name);
    }
    return QKeySequence(qtKey).toString(QKeySequence::PortableText);
}
}  // namespace

std::optional<int> QtKeyOf(const std::string& name) {
    const QString trimmed = QString::fromStdString(name).trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    for (const ModifierName& m : kModifiers) {
        if (trimmed.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0) return m.key;
    }
    const QKeySequence sequence = QKeySequence::fromString(trimmed, QKeySequence::PortableText);
    if (sequence.count() != 1) return std::nullopt;
    const QKeyCombination combination = sequence[0];
    // A combination ("Ctrl+W") is not one key.
    if (combination.keyboardModifiers() != Qt::NoModifier) return std::nullopt;
    const int key = combination.key();
    if (key == 0 || key == Qt::Key_unknown) return std::nullopt;
    // Only a name that reads back the same, in either case, is taken ("W" or "w", not "0x57").
    if (SequenceName(key).compare(trimmed, Qt::CaseInsensitive) != 0) return std::nullopt;
    return key;
}

std::string QtKeyName(int qtKey) {
    const QString name = SequenceName(qtKey);
    if (name.isEmpty() || !QtKeyOf(name.toStdString())) return {};
    return name.toStdString();
}

std::string QtStoredKeyName(const std::string& stored) {
    const std::optional<int> key = QtKeyOf(stored);
    return key ? QtKeyName(*key) : std::string();
}

TextSetting SettingTexts(QSettings& settings) {
    return [&settings](const std::string& name) -> std::optional<std::string> {
        const QVariant stored = settings.value(QString::fromStdString(name));
        if (!stored.isValid()) return std::nullopt;
        return stored.typeId() == QMetaType::QString ? stored.toString().toStdString()
                                                     : std::string();
    };
}

TextWrite SettingWriter(QSettings& settings) {
    return [&settings](const std::string& name, const std::string& value) {
        settings.setValue(QString::fromStdString(name), QString::fromStdString(value));
    };
}

}  // namespace zarq
