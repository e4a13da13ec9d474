// The panel's timers on the real clock: one precise single-shot Qt timer always armed for the
// earliest due tick. Late ticks are not accumulated: after a hold-up an overdue timer ticks
// once and continues one interval later.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "panel/Timers.h"

namespace zarq {

class QtTimerHost : public QObject {
public:
    explicit QtTimerHost(QObject* parent = nullptr);
    QtTimerHost(const QtTimerHost&) = delete;
    QtTimerHost& operator=(const QtTimerHost&) = delete;

    // The scheduler to build the panel's timers on (PanelSeams::Clock).
    TimerScheduler& Scheduler() { return scheduler_; }
    // Milliseconds since the host was made.
    Millis Now() const { return elapsed_.elapsed(); }
    // The same clock in nanoseconds.
    qint64 NowNs() const { return elapsed_.nsecsElapsed(); }
    // Whether the wake-up timer is armed, and for when (for tests).
    bool Armed() const { return wake_.isActive(); }
    // While suspended the host runs no tick: a replay drives the scheduler on its own clock.
    void Suspend(bool suspended);

private:
    void Rearm();
    void Wake();

    QElapsedTimer elapsed_;
    TimerScheduler scheduler_;
    QTimer wake_;
    bool running_ = false;  // inside Wake: handlers never overlap, even under a modal loop
    bool suspended_ = false;
};

}  // namespace zarq
