// The poll timer follows the panel's activation and the attached controllers; the devices
// folder's watch and the single looks it triggers stand in for polling while none is attached.
#include "desktop/input/ControllerFeed.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStyleHints>
#include <utility>

namespace zarq {

ControllerFeed::ControllerFeed(GameControllers& pads, QWidget& panel, const QString& devices)
    : pads_(pads), panel_(&panel), devices_(QDir::cleanPath(devices)) {
    clock_.start();
    // Held controls repeat at the keyboard's rate, after the session's delay.
    RepeatRule repeat;
    const int rate = QGuiApplication::styleHints()->keyboardAutoRepeatRate();
    if (rate > 0) repeat.Interval = 1000 / rate;
    pads_.SetRepeat(repeat);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { PollNow(); });
    look_.setSingleShot(true);
    connect(&look_, &QTimer::timeout, this, [this] {
        PollNow();
        if (std::exchange(secondLook_, false)) look_.start(kSecondLookMs - kFirstLookMs);
    });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { DevicesChanged(); });
    Watch();
    panel.installEventFilter(this);
    active_ = panel.isActiveWindow();
    // The first look comes a moment later, not in the middle of the window's start.
    if (active_) look_.start(kFirstLookMs);
}

void ControllerFeed::Watch() {
    if (watcher_.directories().contains(devices_)) return;
    if (QFileInfo(devices_).isDir()) {
        watcher_.removePaths(watcher_.directories());
        watcher_.addPath(devices_);
    } else if (watcher_.directories().isEmpty()) {
        // A system without the folder yet (a container, early start): it may come later.
        const QString parent = QFileInfo(devices_).absolutePath();
        if (QFileInfo(parent).isDir()) watcher_.addPath(parent);
    }
}

void ControllerFeed::DevicesChanged() {
    Watch();
    if (!active_) return;  // it looks when activated
    secondLook_ = true;
    look_.start(kFirstLookMs);
}

void ControllerFeed::PollNow() {
    const qint64 now = clock_.elapsed();
    if (pads_.Poll(now)) lastChange_ = now;
    if (pads_.Attached() == 0 || !active_) {
        timer_.stop();
        return;
    }
    const bool inUse = pads_.AnyHeld() || now - lastChange_ < kInUseMs;
    const int interval = inUse ? kAttachedInterval : kStillInterval;
    if (!timer_.isActive() || timer_.interval() != interval) timer_.start(interval);
}

bool ControllerFeed::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel_) {
        if (event->type() == QEvent::WindowActivate) {
            active_ = true;
            if (!timer_.isActive()) look_.start(kFirstLookMs);
        } else if (event->type() == QEvent::WindowDeactivate) {
            active_ = false;
            timer_.stop();
            look_.stop();
            secondLook_ = false;
            pads_.ReleaseAll();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zarq
