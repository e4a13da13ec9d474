// The timing rules of the panel's timers and the ordering of their ticks.
#include "core/panel/Timers.h"

#include <algorithm>
#include <utility>

namespace zarq {

TimerScheduler::TimerScheduler(std::function<Millis()> clock) : clock_(std::move(clock)) {}

Millis TimerScheduler::Now() const {
    return tickTime_ ? *tickTime_ : clock_();
}

std::optional<Millis> TimerScheduler::NextDue() const {
    std::optional<Millis> best;
    for (const TTimer* t : timers_) {
        if (t->Ticking() && (!best || t->due_ < *best)) best = t->due_;
    }
    return best;
}

bool TimerScheduler::RunNextDue(Millis limit, std::optional<Millis> catchUpFrom) {
    TTimer* next = nullptr;
    for (TTimer* t : timers_) {
        if (t->Ticking() && t->due_ <= limit && (next == nullptr || t->due_ < next->due_)) next = t;
    }
    if (next == nullptr) return false;

    const Millis due = next->due_;
    const std::optional<Millis> outer = tickTime_;
    tickTime_ = due;
    next->due_ = due + next->interval_;  // the next period, unless the handler starts a fresh one
    ++ticksRun_;
    next->onTimer_();
    // Only the timer that just ticked is moved past a hold-up: others due at the same time
    // still get their own tick.
    std::optional<Millis> heldUpFrom;
    if (catchUpFrom && next->Ticking() && next->due_ <= *catchUpFrom) {
        next->due_ = *catchUpFrom + next->interval_;
        heldUpFrom = catchUpFrom;
    }
    tickTime_ = outer;
    if (watcher_ != nullptr) watcher_->TickRun(*next, due, heldUpFrom);
    if (tickObserver_ != nullptr) tickObserver_->TickRun(*next, due, heldUpFrom);
    return true;
}

void TimerScheduler::Register(TTimer* timer) {
    timers_.push_back(timer);
}

void TimerScheduler::Unregister(TTimer* timer) {
    timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

void TimerScheduler::Arm(TTimer& timer) {
    timer.due_ = Now() + timer.interval_;
    NotifyChanged();
}

void TimerScheduler::Disarm(TTimer&) {
    NotifyChanged();
}

void TimerScheduler::NotifyChanged() {
    // Inside a tick the driver looks at the schedule again once the tick is over.
    if (!tickTime_ && scheduleChanged_) scheduleChanged_();
}

TTimer::TTimer(TimerScheduler& scheduler, std::string name, unsigned interval,
               std::function<void()> onTimer)
    : scheduler_(scheduler),
      name_(std::move(name)),
      interval_(interval),
      onTimer_(std::move(onTimer)) {
    scheduler_.Register(this);
}

TTimer::~TTimer() {
    scheduler_.Unregister(this);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (enabled) {
        scheduler_.Arm(*this);
    } else {
        scheduler_.Disarm(*this);
    }
}

void TTimer::SetInterval(unsigned interval) {
    if (interval_ == interval) return;
    interval_ = interval;
    if (enabled_) scheduler_.Arm(*this);
}

std::optional<Millis> TTimer::DueTime() const {
    if (!enabled_) return std::nullopt;
    return due_;
}

VirtualClock::VirtualClock() : scheduler_([this] { return now_; }) {}

void VirtualClock::Advance(Millis ms) {
    const Millis target = now_ + ms;
    while (true) {
        const std::optional<Millis> due = scheduler_.NextDue();
        if (!due || *due > target) break;
        now_ = *due;
        scheduler_.RunNextDue(*due);
    }
    now_ = target;
}

bool VirtualClock::RunNext() {
    const std::optional<Millis> due = scheduler_.NextDue();
    if (!due) return false;
    now_ = std::max(now_, *due);
    return scheduler_.RunNextDue(*due);
}

}  // namespace zarq
