// The controls' table, repeats and the holders of each control.
#include "core/session/Controls.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/panel/Unit1.h"
#include "core/session/SettingsKeys.h"

namespace zarq {

namespace {
struct ControlRow {
    int code;
    const char* label;
};
// The names they are stored under are in SettingsKeys.h, in the same order.
// clang-format off
constexpr ControlRow kRows[kToyControlCount] = {
    // toy key      label
    {VK_UP,      "Pad up"},
    {VK_DOWN,    "Pad down"},
    {VK_LEFT,    "Pad left"},
    {VK_RIGHT,   "Pad right"},
    {VK_CONTROL, "Speed / fire"},
};
// clang-format on
static_assert(std::size(settings::kKeyOf) == kToyControlCount &&
              std::size(settings::kPadButtonOf) == kToyControlCount);
const ControlRow& Row(ToyControl control) {
    return kRows[static_cast<int>(control)];
}
}  // namespace

int ToyCode(ToyControl control) {
    return Row(control).code;
}
const char* ControlLabel(ToyControl control) {
    return Row(control).label;
}
const char* KeySetting(ToyControl control) {
    return settings::kKeyOf[static_cast<int>(control)];
}
const char* PadSetting(ToyControl control) {
    return settings::kPadButtonOf[static_cast<int>(control)];
}

bool Repeats::Due(const RepeatRule& rule, Millis now) {
    if (now < next_) return false;
    next_ = std::max(next_ + rule.Interval, now + 1);
    return true;
}

void SharedControls::Press(int holder, int key) {
    if (key == 0) {
        input_.KeyDown(key);
        return;
    }
    std::vector<int>& holders = holders_[key];
    if (holders.empty()) {
        holders.push_back(holder);
        input_.KeyDown(key);
    } else if (holders.front() == holder) {
        input_.KeyDown(key);  // its repeat
    } else if (std::find(holders.begin(), holders.end(), holder) == holders.end()) {
        holders.push_back(holder);
    }
}

void SharedControls::Release(int holder, int key) {
    if (key == 0) {
        input_.KeyUp(key);
        return;
    }
    const auto it = holders_.find(key);
    if (it != holders_.end()) {
        std::erase(it->second, holder);
        if (!it->second.empty()) return;
        holders_.erase(it);
    }
    // Also when nobody was known to hold it: a key pressed before the window had the focus.
    input_.KeyUp(key);
}

void HeldKeys::Down(int key) {
    held_.insert(key);
    controls_.Press(kKeyboardHolder, key);
}

void HeldKeys::Up(int key) {
    held_.erase(key);
    controls_.Release(kKeyboardHolder, key);
}

void HeldKeys::ReleaseAll() {
    for (int key : std::exchange(held_, {})) controls_.Release(kKeyboardHolder, key);
}

}  // namespace zarq
