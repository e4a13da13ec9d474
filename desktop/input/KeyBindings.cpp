// Key names through QKeySequence's portable text; the modifier keys, which QKeySequence only
// knows as parts of a combination, by their own names.
#include "KeyBindings.h"

#include <QKeySequence>
#include <algorithm>

namespace zarq {

namespace {
struct ControlRow {
    ToyControl control;
    const char* setting;
    const char* caption;
    int defaultKey;
};
// clang-format off
constexpr ControlRow kRows[kToyControlCount] = {
    // control          setting      caption          default key
    {ToyControl::Up,    "KeyUp",    "Pad up",        Qt::Key_Up},
    {ToyControl::Down,  "KeyDown",  "Pad down",      Qt::Key_Down},
    {ToyControl::Left,  "KeyLeft",  "Pad left",      Qt::Key_Left},
    {ToyControl::Right, "KeyRight", "Pad right",     Qt::Key_Right},
    {ToyControl::Fire,  "KeyFire",  "Speed / fire",  Qt::Key_Control},
};
// clang-format on

struct ModifierName {
    int key;
    const char* name;
};
constexpr ModifierName kModifiers[] = {
    {Qt::Key_Control, "Ctrl"}, {Qt::Key_Shift, "Shift"}, {Qt::Key_Alt, "Alt"},
    {Qt::Key_Meta, "Meta"},    {Qt::Key_AltGr, "AltGr"},
};

const ControlRow& Row(ToyControl control) {
    return kRows[static_cast<int>(control)];
}
}  // namespace

KeyBindings KeyBindings::Defaults() {
    KeyBindings b;
    for (int i = 0; i < kToyControlCount; ++i) b.keys_[i] = kRows[i].defaultKey;
    return b;
}

KeyBindings KeyBindings::Load(QSettings& settings, const std::vector<int>& reserved) {
    KeyBindings b;  // every key 0: none
    for (const ControlRow& row : kRows) {
        const QVariant stored = settings.value(QString::fromLatin1(row.setting));
        const std::optional<int> key =
            stored.typeId() == QMetaType::QString ? ParseKeyName(stored.toString()) : std::nullopt;
        if (!key || std::find(reserved.begin(), reserved.end(), *key) != reserved.end()) continue;
        b.Assign(row.control, *key);  // refused when an earlier control has it
    }
    for (int i = 0; i < kToyControlCount; ++i) {
        if (b.keys_[i] != 0) continue;
        if (b.ControlOf(kRows[i].defaultKey)) return Defaults();
        b.keys_[i] = kRows[i].defaultKey;
    }
    return b;
}

void KeyBindings::Save(QSettings& settings) const {
    for (const ControlRow& row : kRows) {
        settings.setValue(QString::fromLatin1(row.setting), KeyName(Key(row.control)));
    }
    settings.sync();
}

bool KeyBindings::Assign(ToyControl control, int qtKey) {
    const std::optional<ToyControl> owner = ControlOf(qtKey);
    if (owner && *owner != control) return false;
    keys_[static_cast<int>(control)] = qtKey;
    return true;
}

std::optional<ToyControl> KeyBindings::ControlOf(int qtKey) const {
    for (int i = 0; i < kToyControlCount; ++i) {
        if (keys_[i] == qtKey) return kRows[i].control;
    }
    return std::nullopt;
}

int KeyBindings::ToyKey(int qtKey) const {
    const std::optional<ToyControl> control = ControlOf(qtKey);
    return control ? zarq::ToyCode(*control) : 0;
}

QString KeyBindings::SettingName(ToyControl control) {
    return QString::fromLatin1(Row(control).setting);
}

QString KeyBindings::Caption(ToyControl control) {
    return QString::fromLatin1(Row(control).caption);
}

QString KeyBindings::KeyName(int qtKey) {
    if (qtKey == 0 || qtKey == Qt::Key_unknown) return {};
    for (const ModifierName& m : kModifiers) {
        if (m.key == qtKey) return QString::fromLatin1(m.name);
    }
    return QKeySequence(qtKey).toString(QKeySequence::PortableText);
}

std::optional<int> KeyBindings::ParseKeyName(const QString& name) {
    const QString trimmed = name.trimmed();
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
    if (KeyName(key).compare(trimmed, Qt::CaseInsensitive) != 0) return std::nullopt;
    return key;
}

}  // namespace zarq
