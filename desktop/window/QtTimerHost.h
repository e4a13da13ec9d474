// The play session on the real clock: one precise single-shot Qt timer always armed for the
// time the session asks to be woken at. The rules of catching up are the session's.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "core/panel/Timers.h"

namespace zarq {

class PlaySession;

class QtTimerHost : public QObject {
  public:
    explicit QtTimerHost(QObject* parent = nullptr);
    QtTimerHost(const QtTimerHost&) = delete;
    QtTimerHost& operator=(const QtTimerHost&) = delete;
    ~QtTimerHost() override;

    // Milliseconds since the host was made: the session's clock (SessionSeams::Now).
    Millis Now() const { return elapsed_.elapsed(); }
    // The same clock in nanoseconds.
    qint64 NowNs() const { return elapsed_.nsecsElapsed(); }
    // Wakes `session` whenever it asks to be; it must outlive the host or be let go (null).
    void Drive(PlaySession* session);
    // Whether the wake-up timer is armed (for tests).
    bool Armed() const { return wake_.isActive(); }

  private:
    void Rearm();
    void Wake();

    QElapsedTimer elapsed_;
    QTimer wake_;
    PlaySession* session_ = nullptr;
    bool waking_ = false;  // inside Wake: re-armed once it is over
};

}  // namespace zarq
