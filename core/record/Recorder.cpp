// The recorder.
#include "core/record/Recorder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <utility>

#include "core/panel/Unit1.h"

namespace zarq {

CycleCount::CycleCount(const TForm1& form) : form_(form), gameBefore_(form.G.CurrentGame) {}

void CycleCount::AfterTick(const TTimer& timer) {
    // The victory's last step takes the toy from the barrier stage back to the race.
    if (&timer == &form_.TimerVittoria && gameBefore_ == 3 && form_.G.CurrentGame == 1) ++cycles_;
    gameBefore_ = form_.G.CurrentGame;
    if (form_.G.GameStarted) topSpeed_ = std::max(topSpeed_, form_.G.SpeedLevel);
}

Recorder::Recorder(TForm1& form, InputPath& input, TimerScheduler& clock, Options options)
    : form_(form), input_(input), clock_(clock), options_(std::move(options)) {}

Recorder::~Recorder() {
    Stop(EndReason::Closed);
}

bool Recorder::Start(const std::string& path) {
    Stop();
    error_.clear();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error_ = "Cannot write " + Shown(path) + ": " + std::strerror(errno);
        return false;
    }
    written_ = 0;
    if (form_.G.PowerOn) input_.SwitchOff();

    const std::string header = Begin();
    // A header that cannot be written (a full disk) fails the start itself: said once, by the
    // caller, and no empty file is left behind (a device such as /dev/full is left alone).
    struct stat opened {};
    const bool regular = ::fstat(fd_, &opened) == 0 && S_ISREG(opened.st_mode);
    auto onFailed = std::exchange(onFailed_, nullptr);
    Write(header);
    onFailed_ = std::move(onFailed);
    if (fd_ < 0) {
        error_ = "Cannot write " + Shown(path) + ": " + std::strerror(writeErrno_);
        if (regular) ::unlink(path.c_str());
        return false;
    }
    Attach();
    return true;
}

void Recorder::Start() {
    Stop();
    if (form_.G.PowerOn) input_.SwitchOff();
    StartInMemory();
    Attach();
}

std::string Recorder::Begin() {
    Recording header;
    header.Program = options_.Program;
    header.Date = UtcNow();
    header.System = options_.System;
    header.Start = TakeSnapshot(form_);
    origin_ = clock_.Now();
    ticksAtStart_ = clock_.TicksRun();
    cycles_ = std::make_unique<CycleCount>(form_);
    return HeaderText(header);
}

void Recorder::StartInMemory() {
    Stop();
    error_.clear();
    text_.clear();
    written_ = 0;
    inMemory_ = true;
    Write(Begin());
}

void Recorder::Stop(EndReason reason) {
    if (Active()) Finish(reason, Clock());
}

void Recorder::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    inMemory_ = false;
}

void Recorder::Attach() {
    input_.SetObserver(this);
    clock_.SetTickObserver(this);
    attached_ = true;
}

void Recorder::Detach() {
    if (!attached_) return;
    input_.SetObserver(nullptr);
    clock_.SetTickObserver(nullptr);
    attached_ = false;
}

void Recorder::Write(const std::string& text) {
    if (inMemory_) {
        text_ += text;
        written_ += text.size();
        return;
    }
    if (fd_ < 0) return;
    // Written at once: a crash or a kill loses nothing already played.
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // A full disk or a size limit: the part of a line that went out is taken back, so
            // that the file ends with the last whole line and reads as a play cut short.
            const int why = n < 0 ? errno : ENOSPC;
            writeErrno_ = why;
            const int cut = ::ftruncate(fd_, static_cast<off_t>(written_));
            static_cast<void>(cut);
            error_ = std::string("The recording has stopped: its file could not be written (") +
                     std::strerror(why) + "). It keeps the play up to this moment.";
            Detach();
            Close();
            if (onFailed_) onFailed_(error_);
            return;
        }
    }
    written_ += text.size();
}

void Recorder::Finish(EndReason reason, Millis clock) {
    Detach();
    RecordingEnd end;
    end.Reason = reason;
    end.Clock = clock;
    end.Ticks = Ticks();
    end.Score = TotalScore(form_);
    end.Cycles = cycles_ != nullptr ? cycles_->Cycles() : 0;
    Write(EndText(end));
    const bool wrote = Active();
    Close();
    if (wrote && onEnded_) onEnded_(reason);
}

void Recorder::InputDelivered(const ToyInput& input) {
    Step step;
    step.Clock = Clock();
    step.Ticks = Ticks();
    step.Input = input;
    Write(StepText(step));
    // Switching off changes neither the score nor the cycles: the end can be written now.
    if (input.Kind == InputKind::SwitchOff && options_.EndWithThePlay)
        Finish(EndReason::SwitchedOff, step.Clock);
}

void Recorder::TickRun(const TTimer& timer, Millis due, std::optional<Millis> heldUpFrom) {
    cycles_->AfterTick(timer);
    if (heldUpFrom) {
        Step step;
        step.Clock = Clock();
        step.Ticks = Ticks();
        step.Kind = StepKind::HeldUp;
        step.HeldUpFrom = *heldUpFrom - origin_;
        Write(StepText(step));
    }
    // The game-over display has come up: the toy is on and idle.
    if (options_.EndWithThePlay && form_.G.PowerOn && !form_.G.GameStarted) {
        Finish(EndReason::GameOver, due - origin_);
    }
}

std::string UtcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace zarq
