// Polls the game controllers on the GUI thread while the panel window is active: every
// 8 ms while a controller is attached, four times a second while none is (to find one
// plugged in), not at all while the panel is inactive, when held controls are released as
// held keys are.
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
    static constexpr int kSearchInterval = 250;

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
};

}  // namespace zarq
