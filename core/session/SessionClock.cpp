// Drives the core's timer scheduler from a front end's clock.
#include "core/session/SessionClock.h"

namespace zarq {

SessionClock::SessionClock(std::function<Millis()> now)
    : now_(std::move(now)), scheduler_([this] { return now_(); }) {
    scheduler_.SetScheduleChanged([this] {
        if (!running_) Changed();
    });
}

std::optional<Millis> SessionClock::Wake() {
    if (!running_ && !suspended_) {
        running_ = true;
        const Millis now = now_();
        while (scheduler_.RunNextDue(now, now - kHeldUp)) {
        }
        running_ = false;
    }
    return NextDue();
}

std::optional<Millis> SessionClock::NextDue() const {
    if (suspended_) return std::nullopt;
    return scheduler_.NextDue();
}

void SessionClock::Suspend(bool suspended) {
    suspended_ = suspended;
    Changed();
}

void SessionClock::Changed() {
    if (changed_) changed_();
}

}  // namespace zarq
