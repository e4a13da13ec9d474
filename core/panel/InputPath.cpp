// The input path: every player input reaches the toy's own handlers here.
#include "core/panel/InputPath.h"

#include "core/panel/Unit1.h"

namespace zarq {

void InputPath::Deliver(const ToyInput& input) {
    if (!playerLocked_) DeliverRecorded(input);
}

void InputPath::DeliverRecorded(const ToyInput& input) {
    if (watcher_ != nullptr) watcher_->InputDelivered(input);
    if (observer_ != nullptr) observer_->InputDelivered(input);
    switch (input.Kind) {
        case InputKind::KeyDown:
            form_.FormKeyDown(input.Key);
            break;
        case InputKind::KeyUp:
            form_.FormKeyUp(input.Key);
            break;
        case InputKind::SwitchOn:
            form_.Puls_OffMouseDown(TMouseButton::mbLeft, 0, 0);
            break;
        case InputKind::SwitchOff:
            form_.Puls_OnMouseDown(TMouseButton::mbLeft, 0, 0);
            break;
    }
}

}  // namespace zarq
