// Looks at the game controllers on the GUI thread while the panel window is active, never
// while it is inactive (held controls are then released, as held keys are). Every 8 ms while
// a controller is in use (something held, or pressed or let go in the last 5 s); every
// 100 ms while the attached ones lie still, so that an idle controller costs next to nothing.
// While none is attached nothing runs at all: the system adds a node to its input devices
// folder for every device plugged in, and a watch on that folder wakes the feed, which then
// looks for controllers a moment later and once more a second after (the device manager may
// announce the device to SDL a little after the node appears). It also looks once at each
// activation of the panel.
#pragma once

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "desktop/input/GameControllers.h"

namespace zarq {

class ControllerFeed : public QObject {
  public:
    static constexpr int kAttachedInterval = 8;
    static constexpr int kStillInterval = 100;
    // The looks after the devices folder changed, and after the panel was activated.
    static constexpr int kFirstLookMs = 100;
    static constexpr int kSecondLookMs = 1000;
    // How long after its last change a controller counts as in use.
    static constexpr int kInUseMs = 5000;

    // `devices` is the folder watched for devices plugged in; where it does not exist (yet),
    // its parent is watched for it to appear.
    ControllerFeed(GameControllers& pads, QWidget& panel,
                   const QString& devices = QStringLiteral("/dev/input"));

    // The attached controllers are looked at regularly.
    bool Polling() const { return timer_.isActive(); }
    int Interval() const { return timer_.interval(); }
    // A look after a change of devices or an activation is due.
    bool Waiting() const { return look_.isActive(); }
    // One look now, as the timers make it.
    void PollNow();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Watch();
    void DevicesChanged();

    GameControllers& pads_;
    QPointer<QWidget> panel_;
    const QString devices_;
    QFileSystemWatcher watcher_;
    QTimer timer_;
    QTimer look_;
    bool secondLook_ = false;
    bool active_ = false;  // the panel is the active window
    QElapsedTimer clock_;
    qint64 lastChange_ = -kInUseMs;
};

}  // namespace zarq
