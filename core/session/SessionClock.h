// The panel's timers on a front end's clock (the desktop's elapsed time, the page's time). The
// front end only says when its clock wakes; the rules of catching up are kept here, once: a
// tick slightly late runs at its own due time, a tick overdue by more than a hold-up's margin
// is not made up and its timer goes on one interval later, and no tick runs inside another.
#pragma once

#include <functional>
#include <optional>

#include "core/panel/Timers.h"

namespace zarq {

class SessionClock {
  public:
    // Ticks overdue by more than this when the clock wakes are not made up: the program was
    // held up (a modal loop, a debugger, a sleeping machine, a hidden tab). Ticks only slightly
    // late, as every wake-up is, still run each at its due time, so that two timers falling
    // due together both tick.
    static constexpr Millis kHeldUp = 40;

    // `now` reads the front end's clock; it must never go back.
    explicit SessionClock(std::function<Millis()> now);
    SessionClock(const SessionClock&) = delete;
    SessionClock& operator=(const SessionClock&) = delete;

    TimerScheduler& Scheduler() { return scheduler_; }
    const TimerScheduler& Scheduler() const { return scheduler_; }
    Millis Now() const { return now_(); }

    // The front end's clock woke: every tick due by now runs. A handler that calls back into
    // the front end (a message box with its own loop) runs no ticks inside ticks. Returns the
    // next due time, or nothing while no timer runs or the clock is suspended.
    std::optional<Millis> Wake();
    std::optional<Millis> NextDue() const;
    // While suspended no tick runs: a replay drives the scheduler on its own clock.
    void Suspend(bool suspended);
    bool Suspended() const { return suspended_; }
    // Told when the next due time may have changed outside a wake (an input enabled a timer),
    // so that the front end arms its wake-up anew.
    void SetNextDueChanged(std::function<void()> changed) { changed_ = std::move(changed); }

  private:
    void Changed();

    std::function<Millis()> now_;
    TimerScheduler scheduler_;
    std::function<void()> changed_;
    bool running_ = false;
    bool suspended_ = false;
};

}  // namespace zarq
