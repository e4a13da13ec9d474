// The replay.
#include "core/record/Replayer.h"

#include <algorithm>

#include "core/panel/Unit1.h"

namespace zarq {

Replayer::Replayer(const Recording& recording, TForm1& form, InputPath& input,
                   TimerScheduler& clock)
    : recording_(recording), form_(form), input_(input), clock_(clock) {}

Replayer::~Replayer() {
    if (began_ && !ended_) Finish();
}

void Replayer::Begin() {
    // The recording began with the toy off, as the switch leaves it, or idle after a game over.
    if (form_.G.PowerOn) form_.Puls_OnMouseDown(TMouseButton::mbLeft, 0, 0);
    form_.BloccaTimers();
    RestoreSnapshot(form_, recording_.Start);
    if (form_.G.PowerOn) {
        // It began on, idle after a game over: the switch shows on, the display is cleared
        // by the speed button that starts the play.
        form_.Puls_Off->SetVisible(false);
        form_.Puls_On->SetVisible(true);
    }
    ownClock_ = clock_.SwapClock([this] { return now_; });
    clock_.SetTickObserver(this);
    ticksAtStart_ = clock_.TicksRun();
    cycles_ = std::make_unique<CycleCount>(form_);
    now_ = 0;
    began_ = true;
}

std::uint64_t Replayer::Ticks() const {
    return clock_.TicksRun() - ticksAtStart_;
}

void Replayer::AdvanceTo(Millis until) {
    const StepList& steps = recording_.Steps;
    const RecordingEnd& end = recording_.End;
    while (began_ && !ended_) {
        const std::uint64_t ticks = Ticks();
        const std::optional<Step> next =
            next_ < steps.size() ? std::optional<Step>(steps[next_]) : std::nullopt;
        const Step* s = next ? &*next : nullptr;
        if (s != nullptr && s->Kind == StepKind::Input && s->Ticks == ticks) {
            if (s->Clock > until) break;
            now_ = std::max(now_, s->Clock);
            ++next_;
            input_.DeliverRecorded(s->Input);
            if (next_ == steps.size() && end.Reason == EndReason::SwitchedOff) Finish();
            continue;
        }
        if (s == nullptr && ticks == end.Ticks) {
            if (end.Reason == EndReason::Closed && end.Clock > until) break;
            Finish();
            return;
        }
        // A tick comes next.
        const int line = s != nullptr ? s->Line : end.Line;
        if (s != nullptr && s->Kind == StepKind::HeldUp && s->Ticks <= ticks) {
            Fail(line, "a hold-up of a tick that has already run");
            return;
        }
        const std::optional<Millis> due = clock_.NextDue();
        if (!due) {
            Fail(line, "the play has come to a stop, but the recording goes on");
            return;
        }
        if (*due > until) break;
        // In the play this tick ran before the next line; it cannot have fallen due after it.
        const Millis before = s != nullptr ? s->Clock : end.Clock;
        if (*due > before) {
            Fail(line,
                 "the play no longer matches the recording: a tick it has before this line is "
                 "not due until " +
                     std::to_string(*due));
            return;
        }
        std::optional<Millis> catchUp;
        if (s != nullptr && s->Kind == StepKind::HeldUp && s->Ticks == ticks + 1)
            catchUp = s->HeldUpFrom;
        now_ = std::max(now_, *due);
        lastHeldUp_.reset();
        clock_.RunNextDue(*due, catchUp);
        if (catchUp) {
            if (!lastHeldUp_) {
                Fail(line, "the play no longer matches the recording: it has no hold-up here");
                return;
            }
            ++next_;
        }
    }
    if (began_ && !ended_) now_ = std::max(now_, until);
}

std::optional<Millis> Replayer::NextWake() const {
    if (!began_ || ended_) return std::nullopt;
    const StepList& steps = recording_.Steps;
    const std::uint64_t ticks = Ticks();
    if (next_ < steps.size() && steps[next_].Kind == StepKind::Input &&
        steps[next_].Ticks == ticks) {
        return std::max(now_, steps[next_].Clock);
    }
    if (next_ == steps.size() && ticks == recording_.End.Ticks)
        return std::max(now_, recording_.End.Clock);
    const std::optional<Millis> due = clock_.NextDue();
    return due ? std::max(now_, *due) : now_;  // nothing due: the next advance finds the fault
}

void Replayer::TickRun(const TTimer& timer, Millis, std::optional<Millis> heldUpFrom) {
    cycles_->AfterTick(timer);
    if (heldUpFrom) lastHeldUp_ = heldUpFrom;
    gameOverSeen_ = form_.G.PowerOn && !form_.G.GameStarted;
}

void Replayer::Fail(int line, const std::string& why) {
    failure_ = "line " + std::to_string(line) + ": " + why;
    Finish();
}

void Replayer::Finish() {
    const RecordingEnd& end = recording_.End;
    if (failure_.empty() && end.Reason == EndReason::GameOver && !gameOverSeen_) {
        failure_ = "line " + std::to_string(end.Line) +
                   ": the recording ends at a game over, but the play is not over there";
    }
    if (failure_.empty() && end.Reason == EndReason::SwitchedOff && Ticks() != end.Ticks) {
        failure_ =
            "line " + std::to_string(end.Line) + ": the tick count at the end is not the play's";
    }
    if (end.Reason == EndReason::Closed) now_ = std::max(now_, end.Clock);
    ended_ = true;
    clock_.SetTickObserver(nullptr);
    if (ownClock_) clock_.SwapClock(std::move(ownClock_));
    ownClock_ = nullptr;
}

PlayOutcome Replayer::Outcome() const {
    return {TotalScore(form_), cycles_ ? cycles_->Cycles() : 0, now_};
}

}  // namespace zarq
