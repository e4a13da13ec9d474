// The recorder: watches the input path and the timer schedule of one panel and writes every
// input, and every tick a hold-up moved, to a file as it happens, one whole line per write
// call and nothing kept back, so that whatever ends the program the file ends at a whole line.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/record/Recording.h"

namespace zarq {

// Counts what the recording's end states: the barrier stages won, which take the toy round its
// three games once more; and the highest speed level a play reached. Used alike by the
// recorder and by the replay, so the two agree.
class CycleCount {
  public:
    explicit CycleCount(const TForm1& form);
    void AfterTick(const TTimer& timer);
    std::int64_t Cycles() const { return cycles_; }
    int TopSpeed() const { return topSpeed_; }

  private:
    const TForm1& form_;
    int gameBefore_;
    std::int64_t cycles_ = 0;
    int topSpeed_ = 0;
};

class Recorder : public InputObserver, public TickObserver {
  public:
    struct Options {
        std::string Program;  // the program's version
        int System = 0;
        // The program ends a recording at game over and when the toy is switched off; a long
        // test play may go on through several plays until it stops the recorder itself.
        bool EndWithThePlay = true;
    };

    Recorder(TForm1& form, InputPath& input, TimerScheduler& clock, Options options);
    ~Recorder() override;  // a recording still running ends as "closed"
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Switches the toy off if it is on (a recording always begins with the toy off), writes the
    // header and starts watching. False, with Error() saying why, when the file cannot be written.
    bool Start(const std::string& path);
    // The same, the recording kept in memory (Text()) rather than in a file: for a front end
    // without files, a web page.
    void Start();
    // For the next Start.
    void SetOptions(Options options) { options_ = std::move(options); }
    // Keeps the recording in memory instead, from the toy as it is now (off, or idle after a
    // game over), without switching it off: for an owner that watches the input path and the
    // clock itself and passes on to InputDelivered and TickRun what it sees.
    void StartInMemory();
    // What a recording in memory holds so far.
    const std::string& Text() const { return text_; }
    // Writes the end line and closes the file.
    void Stop(EndReason reason = EndReason::Closed);

    bool Active() const { return fd_ >= 0 || inMemory_; }
    const std::string& Error() const { return error_; }
    // Called once the recording has ended, whatever ended it.
    void SetOnEnded(std::function<void(EndReason)> onEnded) { onEnded_ = std::move(onEnded); }
    // Called once when the file can no longer be written (a full disk): the recording has then
    // stopped, the file cut back to its last whole line; `why` is also Error().
    void SetOnFailed(std::function<void(const std::string& why)> onFailed) {
        onFailed_ = std::move(onFailed);
    }

    void InputDelivered(const ToyInput& input) override;
    void TickRun(const TTimer& timer, Millis due, std::optional<Millis> heldUpFrom) override;

    // The highest speed level reached so far.
    int TopSpeed() const { return cycles_ != nullptr ? cycles_->TopSpeed() : 0; }

  private:
    // Takes the toy's state and the clock's origin; returns the header's lines.
    std::string Begin();
    void Attach();
    void Detach();
    void Write(const std::string& line);
    void Close();
    void Finish(EndReason reason, Millis clock);
    Millis Clock() const { return clock_.Now() - origin_; }
    std::uint64_t Ticks() const { return clock_.TicksRun() - ticksAtStart_; }

    TForm1& form_;
    InputPath& input_;
    TimerScheduler& clock_;
    Options options_;
    int fd_ = -1;
    bool inMemory_ = false;
    bool attached_ = false;  // observing the path and the clock itself
    std::string text_;
    std::uint64_t written_ = 0;  // the bytes of the whole lines written
    std::unique_ptr<CycleCount> cycles_;
    Millis origin_ = 0;
    std::uint64_t ticksAtStart_ = 0;
    std::string error_;
    int writeErrno_ = 0;  // why the last write failed
    std::function<void(EndReason)> onEnded_;
    std::function<void(const std::string&)> onFailed_;
};

// Today's date and time, UTC, as the header gives it.
std::string UtcNow();

}  // namespace zarq
