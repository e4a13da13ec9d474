// Keeps every play while it runs, in memory: from its first step (the switch-on, or the speed
// button that starts a new play after a game over) to its end (the game-over display, the
// switch-off, or the program's end), beside any recording the player makes of their own. Only
// what a player plays is kept: while a recording plays back, the keeper is detached.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/panel/InputPath.h"
#include "core/panel/Timers.h"
#include "core/record/Recorder.h"

namespace zarq {

class PlayKeeper : public InputObserver, public TickObserver {
  public:
    // `options` gives the program's version and the system choice when a play starts;
    // `ended` receives the whole recording of each play that ended.
    PlayKeeper(TForm1& form, InputPath& input, TimerScheduler& clock,
               std::function<Recorder::Options()> options,
               std::function<void(const std::string& recording)> ended);
    ~PlayKeeper() override;
    PlayKeeper(const PlayKeeper&) = delete;
    PlayKeeper& operator=(const PlayKeeper&) = delete;

    // Watches the path and the clock, or stops watching; a play under way ends when the
    // keeper stops watching ("closed") and is handed on.
    void Attach();
    void Detach();
    bool Keeping() const { return recorder_.Active(); }

    void InputDelivered(const ToyInput& input) override;
    void TickRun(const TTimer& timer, Millis due, std::optional<Millis> heldUpFrom) override;

  private:
    TForm1& form_;
    InputPath& input_;
    TimerScheduler& clock_;
    std::function<Recorder::Options()> options_;
    std::function<void(const std::string&)> ended_;
    Recorder recorder_;
    bool attached_ = false;
};

}  // namespace zarq
