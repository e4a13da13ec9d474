// Drives the core's timer scheduler from the page's clock.
#include "PageClock.h"

namespace zarq::web {

PageClock::PageClock() : scheduler_([this] { return now_; }) {}

std::optional<Millis> PageClock::Advance(Millis pageNow) {
    if (pageNow > now_) now_ = pageNow;
    // A handler that calls back into the page (a message) must not run ticks inside ticks.
    if (!running_ && !suspended_) {
        running_ = true;
        while (scheduler_.RunNextDue(now_, now_ - kHeldUp)) {
        }
        running_ = false;
    }
    if (suspended_) return std::nullopt;
    return scheduler_.NextDue();
}

}  // namespace zarq::web
