// The replay of a recording on a panel: the toy put back in the state the recording began
// with, then every tick and every recorded input in the order the play had them, on a clock
// the replay drives itself: as fast as it can for a verification, at the real pace in the window.
#pragma once

#include <memory>
#include <string>

#include "core/record/Recorder.h"
#include "core/record/Recording.h"

namespace zarq {

// What a replay found, to set against what the recording's end says.
struct PlayOutcome {
    std::int64_t Score = 0;
    std::int64_t Cycles = 0;
    Millis Clock = 0;
    bool operator==(const PlayOutcome&) const = default;
};

class Replayer : public TickObserver {
  public:
    // `recording` must outlive the replayer.
    Replayer(const Recording& recording, TForm1& form, InputPath& input, TimerScheduler& clock);
    // Gives the scheduler its own clock back. Timers still running at the end of a recording
    // that ended with the program keep their due times on the replay's clock: whoever goes on
    // with the panel stops them first.
    ~Replayer() override;
    Replayer(const Replayer&) = delete;
    Replayer& operator=(const Replayer&) = delete;

    // Switches the toy off and puts back the state the recording began with; the clock reads 0.
    void Begin();
    // Runs every tick and recorded input up to `clock`, in the recorded order.
    void AdvanceTo(Millis clock);
    // Runs the whole recording.
    void RunToEnd() { AdvanceTo(recording_.End.Clock); }
    // When the replay next has something to do (a tick or an input); none once it has ended.
    std::optional<Millis> NextWake() const;

    bool Ended() const { return ended_; }
    // Why the play stopped matching its recording ("line 12: ..."); empty while it matches.
    const std::string& Failure() const { return failure_; }
    PlayOutcome Outcome() const;
    // The highest speed level the play has reached.
    int TopSpeed() const { return cycles_ ? cycles_->TopSpeed() : 0; }
    Millis Now() const { return now_; }
    // The line of the recording the replay has reached, for a progress display.
    std::size_t StepsDone() const { return next_; }

    void TickRun(const TTimer& timer, Millis due, std::optional<Millis> heldUpFrom) override;

  private:
    std::uint64_t Ticks() const;
    void Fail(int line, const std::string& why);
    void Finish();

    const Recording& recording_;
    TForm1& form_;
    InputPath& input_;
    TimerScheduler& clock_;
    std::function<Millis()> ownClock_;
    bool began_ = false;
    bool ended_ = false;
    std::string failure_;
    Millis now_ = 0;
    Millis endClock_ = 0;
    std::uint64_t ticksAtStart_ = 0;
    std::size_t next_ = 0;
    std::optional<Millis> lastHeldUp_;
    bool gameOverSeen_ = false;
    std::unique_ptr<CycleCount> cycles_;
};

}  // namespace zarq
