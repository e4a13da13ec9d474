// Visibility and picture changes of the panel's controls, reported to the view.
#include "core/panel/TImage.h"

#include <utility>

namespace zarq {

TControl::TControl(std::string name, TRect bounds, bool visible)
    : name_(std::move(name)), bounds_(bounds), visible_(visible) {}

void TControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Changed();
}

void TControl::SetPointer(TCursor cursor, std::string hint, MouseRole role) {
    cursor_ = cursor;
    hint_ = std::move(hint);
    role_ = role;
}

void TControl::Changed() {
    if (view_ != nullptr) view_->ElementChanged(*this);
}

TImage::TImage(std::string name, TRect bounds, std::string picture, bool transparent, bool visible)
    : TControl(std::move(name), bounds, visible),
      picture_(std::move(picture)),
      transparent_(transparent) {}

void TImage::SetPicture(std::string picture) {
    if (picture_ == picture) return;
    picture_ = std::move(picture);
    // A hidden element's picture is not on screen, so there is nothing to repaint.
    if (Visible()) Changed();
}

TShape::TShape(std::string name, TRect bounds) : TControl(std::move(name), bounds, true) {}

bool TShape::HitTest(int x, int y) const {
    const TRect& b = Bounds();
    if (b.Width <= 0 || b.Height <= 0) return false;
    // Inside the ellipse inscribed in the rectangle, tested on pixel centres.
    const double rx = b.Width / 2.0, ry = b.Height / 2.0;
    const double dx = (x + 0.5 - b.Left - rx) / rx, dy = (y + 0.5 - b.Top - ry) / ry;
    return dx * dx + dy * dy <= 1.0;
}

}  // namespace zarq
