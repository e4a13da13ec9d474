// The keeper of every play.
#include "core/session/PlayKeeper.h"

#include "core/panel/Unit1.h"

namespace zarq {

PlayKeeper::PlayKeeper(TForm1& form, InputPath& input, TimerScheduler& clock,
                       std::function<Recorder::Options()> options,
                       std::function<void(const std::string&)> ended)
    : form_(form),
      input_(input),
      clock_(clock),
      options_(std::move(options)),
      ended_(std::move(ended)),
      recorder_(form, input, clock, Recorder::Options{}) {
    recorder_.SetOnEnded([this](EndReason) {
        if (ended_) ended_(recorder_.Text());
    });
}

PlayKeeper::~PlayKeeper() {
    ended_ = nullptr;
    Detach();
}

void PlayKeeper::Attach() {
    input_.SetPlayWatcher(this);
    clock_.SetPlayWatcher(this);
    attached_ = true;
}

void PlayKeeper::Detach() {
    if (!attached_) return;
    input_.SetPlayWatcher(nullptr);
    clock_.SetPlayWatcher(nullptr);
    attached_ = false;
    recorder_.Stop(EndReason::Closed);
}

void PlayKeeper::InputDelivered(const ToyInput& input) {
    if (!recorder_.Active()) {
        // A play starts with the switch, or with the speed button on a game-over display.
        const bool switchOn = input.Kind == InputKind::SwitchOn && !form_.G.PowerOn;
        const bool restart = input.Kind == InputKind::KeyDown && input.Key == VK_CONTROL &&
                             form_.G.PowerOn && !form_.G.GameStarted;
        if (!switchOn && !restart) return;
        recorder_.SetOptions(options_());
        recorder_.StartInMemory();
    }
    recorder_.InputDelivered(input);
}

void PlayKeeper::TickRun(const TTimer& timer, Millis due, std::optional<Millis> heldUpFrom) {
    if (recorder_.Active()) recorder_.TickRun(timer, due, heldUpFrom);
}

}  // namespace zarq
