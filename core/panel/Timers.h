// Timers of the panel and the schedule that decides when they tick.
// A TTimer keeps the timing rules itself; the TimerScheduler orders the due ticks, and is
// driven either by the virtual clock (tests, benchmarks) or by the window's real clock.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zarq {

using Millis = std::int64_t;

class TTimer;

// Told after every tick. A recorder notes the ticks a hold-up moved; a replay counts ticks.
class TickObserver {
  public:
    virtual ~TickObserver() = default;
    // `due` is the tick's due time; `heldUpFrom` is the catch-up origin when the timer's next
    // tick was moved past a hold-up. Called once the tick is over, when Now() is the clock's.
    virtual void TickRun(const TTimer& timer, Millis due, std::optional<Millis> heldUpFrom) = 0;
};

class TimerScheduler {
  public:
    // `clock` tells the current time outside a tick; during a tick the time is the tick's due time.
    explicit TimerScheduler(std::function<Millis()> clock);
    TimerScheduler(const TimerScheduler&) = delete;
    TimerScheduler& operator=(const TimerScheduler&) = delete;

    Millis Now() const;
    std::optional<Millis> NextDue() const;

    // Runs the earliest tick due at or before `limit` (ties in creation order) and returns true,
    // or returns false when none is due. Without `catchUpFrom`, the next period of the timer
    // follows exactly one interval after this tick's due time. With it (a real clock that may
    // run late), a next tick that would already be overdue at that time is moved one interval
    // past it instead: late ticks are not accumulated.
    bool RunNextDue(Millis limit, std::optional<Millis> catchUpFrom = std::nullopt);

    // Called whenever the earliest due time may have changed outside a tick.
    void SetScheduleChanged(std::function<void()> callback) {
        scheduleChanged_ = std::move(callback);
    }

    // Count of ticks run so far: with the time, it places an input between the same two ticks.
    std::uint64_t TicksRun() const { return ticksRun_; }

    // One observer at a time (a recorder or a replay); null removes it.
    void SetTickObserver(TickObserver* observer) { tickObserver_ = observer; }
    // One more, told first: the keeper of the best plays, beside any recorder.
    void SetPlayWatcher(TickObserver* watcher) { watcher_ = watcher; }
    // A replay drives the time itself: replaces the clock and returns the one it replaced.
    std::function<Millis()> SwapClock(std::function<Millis()> clock) {
        return std::exchange(clock_, std::move(clock));
    }

  private:
    friend class TTimer;
    void Register(TTimer* timer);
    void Unregister(TTimer* timer);
    void Arm(TTimer& timer);
    void Disarm(TTimer& timer);
    void NotifyChanged();

    std::function<Millis()> clock_;
    std::function<void()> scheduleChanged_;
    TickObserver* tickObserver_ = nullptr;
    TickObserver* watcher_ = nullptr;
    std::vector<TTimer*> timers_;  // creation order
    std::optional<Millis> tickTime_;
    std::uint64_t ticksRun_ = 0;
};

class TTimer {
  public:
    TTimer(TimerScheduler& scheduler, std::string name, unsigned interval,
           std::function<void()> onTimer);
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    const std::string& Name() const { return name_; }

    bool Enabled() const { return enabled_; }
    // Enabling a disabled timer starts a fresh period; enabling an enabled one changes nothing.
    // Disabling discards the pending tick.
    void SetEnabled(bool enabled);

    unsigned Interval() const { return interval_; }
    // A different interval starts a fresh period if the timer runs; the same one changes nothing.
    void SetInterval(unsigned interval);

    // When the next tick is due, if the timer is enabled.
    std::optional<Millis> DueTime() const;

  private:
    friend class TimerScheduler;
    // A timer with interval 0 stays enabled in name but never ticks.
    bool Ticking() const { return enabled_ && interval_ > 0; }
    TimerScheduler& scheduler_;
    std::string name_;
    unsigned interval_;
    std::function<void()> onTimer_;
    bool enabled_ = false;
    Millis due_ = 0;
};

// The test and benchmark clock: time stands still until advanced, and every due tick then
// runs at its exact due time.
class VirtualClock {
  public:
    VirtualClock();
    TimerScheduler& Scheduler() { return scheduler_; }
    Millis Now() const { return now_; }
    void Advance(Millis ms);
    // Advances to the next due tick and runs it; false when no timer is enabled.
    bool RunNext();

  private:
    Millis now_ = 0;
    TimerScheduler scheduler_;
};

}  // namespace zarq
