// Polls the game controllers on the GUI thread while the panel window is active, never
// while it is inactive (held controls are then released, as held keys are). Every 8 ms while
// a controller is in use (something held, or pressed or let go in the last 5 s); every
// 100 ms while the attached ones lie still, so that an idle controller costs next to nothing
// (each wake-up of the program costs more than the look itself); four times a second while
// none is attached, to find one plugged in.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "input/GameControllers.h"

namespace zarq {

class ControllerFeed : public QObject {
  public:
    static constexpr int kAttachedInterval = 8;
    static constexpr int kStillInterval = 100;
    static constexpr int kSearchInterval = 250;
    // How long after its last change a controller counts as in use.
    static constexpr int kInUseMs = 5000;

    ControllerFeed(GameControllers& pads, QWidget& panel);

    bool Polling() const { return timer_.isActive(); }
    int Interval() const { return timer_.interval(); }
    // One poll now, as the timer makes it.
    void PollNow();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    GameControllers& pads_;
    QPointer<QWidget> panel_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastChange_ = -kInUseMs;
};

}  // namespace zarq
