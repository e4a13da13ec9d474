// Pointers on the panel turned into the toy's controls and switch clicks.
#include "core/session/Touches.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/panel/Unit1.h"

namespace zarq {

namespace {
// A finger is wider than a mouse pointer: the pad and the button take touches this many
// toy pixels around their pictures.
constexpr int kTouchMargin = 14;
// The middle of the control pad presses nothing, as on the toy.
constexpr double kPadDeadRadius = 7;

bool Inside(const TRect& r, double x, double y, int margin) {
    return x >= r.Left - margin && x < r.Left + r.Width + margin && y >= r.Top - margin &&
           y < r.Top + r.Height + margin;
}
}  // namespace

Touches::Touches(TForm1& form, SharedControls& controls) : form_(form), controls_(controls) {}

void Touches::SetScale(double cssPerToyPixel) {
    if (std::isfinite(cssPerToyPixel) && cssPerToyPixel > 0) scale_ = cssPerToyPixel;
}

bool Touches::FingerOnSwitch(double x, double y) const {
    if (ControlAt(x, y)) return false;
    const TRect r = form_.Puls_Off->Bounds();
    const double reach = kFingerTarget / scale_;  // toy pixels
    const double halfWidth = std::max<double>(r.Width, reach) / 2;
    const double halfHeight = std::max<double>(r.Height, reach) / 2;
    return std::abs(x - (r.Left + r.Width / 2.0)) < halfWidth &&
           std::abs(y - (r.Top + r.Height / 2.0)) < halfHeight;
}

std::optional<ToyControl> Touches::ControlAt(double x, double y) const {
    const TRect pad = form_.Puls_Move->Bounds();
    if (Inside(pad, x, y, kTouchMargin)) {
        const double dx = x - (pad.Left + pad.Width / 2.0);
        const double dy = y - (pad.Top + pad.Height / 2.0);
        if (std::hypot(dx, dy) < kPadDeadRadius) return std::nullopt;
        if (std::abs(dx) > std::abs(dy)) return dx < 0 ? ToyControl::Left : ToyControl::Right;
        return dy < 0 ? ToyControl::Up : ToyControl::Down;
    }
    if (Inside(form_.Puls_Speed2->Bounds(), x, y, kTouchMargin)) return ToyControl::Fire;
    return std::nullopt;
}

void Touches::Hold(int id, std::optional<ToyControl> control, Millis now) {
    std::optional<ToyControl>& held = pointers_[id];
    if (held == control) return;
    if (held) {
        const int c = static_cast<int>(*held);
        if (--holders_[c] == 0) controls_.Release(kTouchHolder, ToyCode(*held));
    }
    held = control;
    if (control) {
        const int c = static_cast<int>(*control);
        if (holders_[c]++ == 0) {
            controls_.Press(kTouchHolder, ToyCode(*control));
            repeats_[c].Pressed(repeat_, now);
        }
    }
}

bool Touches::Pointer(PointerKind kind, int id, double x, double y, Millis now, bool finger) {
    const auto it = pointers_.find(id);
    switch (kind) {
        case PointerKind::Down: {
            const TControl* target = form_.MouseTarget(static_cast<int>(x), static_cast<int>(y));
            MouseRole role = target != nullptr ? target->Role() : MouseRole::None;
            // A finger near the switch works it as the switch's picture does.
            if (role != MouseRole::SwitchOn && role != MouseRole::SwitchOff && finger &&
                FingerOnSwitch(x, y))
                role = form_.Puls_Off->Visible() ? MouseRole::SwitchOn : MouseRole::SwitchOff;
            if (role == MouseRole::SwitchOn) {
                controls_.Input().SwitchOn();
                return true;
            }
            if (role == MouseRole::SwitchOff) {
                controls_.Input().SwitchOff();
                return true;
            }
            const std::optional<ToyControl> control = ControlAt(x, y);
            if (!control) return false;
            Hold(id, control, now);
            return true;
        }
        case PointerKind::Move: {
            if (it == pointers_.end()) return false;
            // A finger sliding over the pad steers; the button stays held wherever it goes.
            if (it->second == ToyControl::Fire) return true;
            const std::optional<ToyControl> control = ControlAt(x, y);
            Hold(id, control == ToyControl::Fire ? std::nullopt : control, now);
            return true;
        }
        case PointerKind::Up:
            if (it == pointers_.end()) return false;
            Hold(id, std::nullopt, now);
            pointers_.erase(id);
            return true;
    }
    return false;
}

void Touches::Repeat(Millis now) {
    for (int c = 0; c < kToyControlCount; ++c) {
        if (holders_[c] > 0 && repeats_[c].Due(repeat_, now))
            controls_.Press(kTouchHolder, ToyCode(static_cast<ToyControl>(c)));
    }
}

std::optional<Millis> Touches::NextRepeat() const {
    std::optional<Millis> next;
    for (int c = 0; c < kToyControlCount; ++c) {
        if (holders_[c] > 0 && (!next || repeats_[c].Next() < *next)) next = repeats_[c].Next();
    }
    return next;
}

void Touches::ReleaseAll() {
    std::vector<int> ids;
    for (const auto& [id, held] : pointers_) ids.push_back(id);
    for (int id : ids) Hold(id, std::nullopt, 0);
    pointers_.clear();
}

}  // namespace zarq
