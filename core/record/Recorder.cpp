// The recorder.
#include "Recorder.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "panel/Unit1.h"

namespace zarq {

CycleCount::CycleCount(const TForm1& form) : form_(form), gameBefore_(form.G.CurrentGame) {}

void CycleCount::AfterTick(const TTimer& timer) {
    // The victory's last step takes the toy from the barrier stage back to the race.
    if (&timer == &form_.TimerVittoria && gameBefore_ == 3 && form_.G.CurrentGame == 1) ++cycles_;
    gameBefore_ = form_.G.CurrentGame;
}

Recorder::Recorder(TForm1& form, InputPath& input, TimerScheduler& clock, Options options)
    : form_(form), input_(input), clock_(clock), options_(std::move(options)) {}

Recorder::~Recorder() {
    Stop(EndReason::Closed);
}

bool Recorder::Start(const std::string& path) {
    Stop();
    error_.clear();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        error_ = "Cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    file_.reset(f);
    if (form_.G.PowerOn) input_.SwitchOff();

    Recording header;
    header.Program = options_.Program;
    header.Date = UtcNow();
    header.System = options_.System;
    header.Start = TakeSnapshot(form_);
    origin_ = clock_.Now();
    ticksAtStart_ = clock_.TicksRun();
    cycles_ = std::make_unique<CycleCount>(form_);
    Write(HeaderText(header));
    if (file_ == nullptr) return false;
    input_.SetObserver(this);
    clock_.SetTickObserver(this);
    return true;
}

void Recorder::Stop(EndReason reason) {
    if (file_ != nullptr) Finish(reason, Clock());
}

void Recorder::Write(const std::string& line) {
    if (file_ == nullptr) return;
    // Flushed at once: a crash or a kill loses nothing already played.
    if (std::fputs(line.c_str(), file_.get()) < 0 || std::fflush(file_.get()) != 0) {
        error_ = std::string("The recording could not be written: ") + std::strerror(errno);
        input_.SetObserver(nullptr);
        clock_.SetTickObserver(nullptr);
        file_.reset();
    }
}

void Recorder::Finish(EndReason reason, Millis clock) {
    input_.SetObserver(nullptr);
    clock_.SetTickObserver(nullptr);
    RecordingEnd end;
    end.Reason = reason;
    end.Clock = clock;
    end.Ticks = Ticks();
    end.Score = TotalScore(form_);
    end.Cycles = cycles_ != nullptr ? cycles_->Cycles() : 0;
    Write(EndText(end));
    file_.reset();
    if (onEnded_) onEnded_(reason);
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
