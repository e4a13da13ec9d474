// The panel's timers on the page's clock. The page calls in with its time whenever it wakes
// (a timeout armed for the next due tick, an input, a frame) and the host runs every tick due
// by then. The desktop's rules hold: a tick slightly late runs at its own due time, a tick
// overdue by more than a hold-up's margin is not made up and its timer goes on one interval
// later. A hidden tab is not woken at all, so on its return the toy goes on as after a hold-up.
#pragma once

#include <optional>

#include "panel/Timers.h"

namespace zarq::web {

class PageClock {
  public:
    // Ticks overdue by more than this are not made up (the desktop's margin).
    static constexpr Millis kHeldUp = 40;

    PageClock();
    PageClock(const PageClock&) = delete;
    PageClock& operator=(const PageClock&) = delete;

    TimerScheduler& Scheduler() { return scheduler_; }
    // The page's time as last told; it never goes back.
    Millis Now() const { return now_; }

    // Takes the page's time and runs every tick due by then. Returns when the page should
    // call again (a page time), or nothing while no timer runs or the host is suspended.
    std::optional<Millis> Advance(Millis pageNow);
    // While suspended no tick runs: a replay drives the scheduler on its own clock.
    void Suspend(bool suspended) { suspended_ = suspended; }
    bool Suspended() const { return suspended_; }

  private:
    Millis now_ = 0;
    bool running_ = false;
    bool suspended_ = false;
    TimerScheduler scheduler_;
};

}  // namespace zarq::web
