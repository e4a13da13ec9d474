// The poll timer follows the panel's activation.
#include "ControllerFeed.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

namespace zarq {

ControllerFeed::ControllerFeed(GameControllers& pads, QWidget& panel)
    : pads_(pads), panel_(&panel) {
    clock_.start();
    // Held controls repeat at the keyboard's rate, after a common keyboard delay.
    const int rate = QGuiApplication::styleHints()->keyboardAutoRepeatRate();
    pads_.SetRepeat(500, rate > 0 ? 1000 / rate : 33);
    connect(&timer_, &QTimer::timeout, this, [this] { PollNow(); });
    panel.installEventFilter(this);
    if (panel.isActiveWindow()) timer_.start(kSearchInterval);
}

void ControllerFeed::PollNow() {
    const qint64 now = clock_.elapsed();
    if (pads_.Poll(now)) lastChange_ = now;
    const bool inUse = pads_.AnyHeld() || now - lastChange_ < kInUseMs;
    const int interval = pads_.Attached() == 0 ? kSearchInterval
                         : inUse               ? kAttachedInterval
                                               : kStillInterval;
    if (timer_.isActive() && timer_.interval() != interval) timer_.setInterval(interval);
}

bool ControllerFeed::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel_) {
        if (event->type() == QEvent::WindowActivate && !timer_.isActive()) {
            // The first look comes a moment later, not in the middle of the window's start.
            timer_.start(pads_.Attached() > 0 ? kStillInterval : kSearchInterval);
        } else if (event->type() == QEvent::WindowDeactivate) {
            timer_.stop();
            pads_.ReleaseAll();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zarq
