// Drives the core's timer scheduler from the real clock.
#include "QtTimerHost.h"

#include <algorithm>

namespace zarq {

namespace {
// Ticks overdue by more than this when the host wakes are not made up: the program was held
// up (a modal loop, a debugger, a sleeping machine). Ticks only slightly late, as every wake-up
// is, still run each at its due time, so that two timers falling due together both tick.
constexpr Millis kHeldUp = 40;
}  // namespace

QtTimerHost::QtTimerHost(QObject* parent)
    : QObject(parent), scheduler_([this] { return Now(); }) {
    elapsed_.start();
    wake_.setSingleShot(true);
    // The default coarse timer may fire 5 % late, which the step timings of the toy would show.
    wake_.setTimerType(Qt::PreciseTimer);
    connect(&wake_, &QTimer::timeout, this, [this] { Wake(); });
    scheduler_.SetScheduleChanged([this] {
        if (!running_) Rearm();
    });
}

void QtTimerHost::Suspend(bool suspended) {
    suspended_ = suspended;
    Rearm();
}

void QtTimerHost::Rearm() {
    const std::optional<Millis> due = scheduler_.NextDue();
    if (!due || suspended_) {
        wake_.stop();
        return;
    }
    // Rounded down, so rounding never makes a tick late: a wake-up a fraction early finds
    // nothing due and re-arms at once until the millisecond has come.
    const qint64 delay = std::max<qint64>(0, (*due * 1'000'000 - NowNs()) / 1'000'000);
    wake_.start(static_cast<int>(std::min<qint64>(delay, 24 * 3600 * 1000)));
}

void QtTimerHost::Wake() {
    if (running_ || suspended_) return;
    running_ = true;
    const Millis now = Now();
    while (scheduler_.RunNextDue(now, now - kHeldUp)) {
    }
    running_ = false;
    Rearm();
}

}  // namespace zarq
