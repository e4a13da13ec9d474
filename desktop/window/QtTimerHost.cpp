// Wakes the play session from the real clock.
#include "desktop/window/QtTimerHost.h"

#include <algorithm>

#include "core/session/PlaySession.h"

namespace zarq {

QtTimerHost::QtTimerHost(QObject* parent) : QObject(parent) {
    elapsed_.start();
    wake_.setSingleShot(true);
    // The default coarse timer may fire 5 % late, which the step timings of the toy would show.
    wake_.setTimerType(Qt::PreciseTimer);
    connect(&wake_, &QTimer::timeout, this, [this] { Wake(); });
}

QtTimerHost::~QtTimerHost() {
    Drive(nullptr);
}

void QtTimerHost::Drive(PlaySession* session) {
    if (session_ != nullptr) session_->SetWakeChanged(nullptr);
    session_ = session;
    if (session_ != nullptr)
        session_->SetWakeChanged([this] {
            if (!waking_) Rearm();
        });
    Rearm();
}

void QtTimerHost::Rearm() {
    const std::optional<Millis> due = session_ != nullptr ? session_->NextWake() : std::nullopt;
    if (!due) {
        wake_.stop();
        return;
    }
    // Rounded down, so rounding never makes a tick late: a wake-up a fraction early finds
    // nothing due and re-arms at once until the millisecond has come.
    const qint64 delay = std::max<qint64>(0, (*due * 1'000'000 - NowNs()) / 1'000'000);
    wake_.start(static_cast<int>(std::min<qint64>(delay, 24 * 3600 * 1000)));
}

void QtTimerHost::Wake() {
    // A message box's own loop inside a handler must not spin on a wake-up that cannot run.
    if (session_ == nullptr || waking_) return;
    waking_ = true;
    session_->Advance();
    waking_ = false;
    Rearm();
}

}  // namespace zarq
