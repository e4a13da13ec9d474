// The play session: its clock, the choices before PLAY, recordings and their playback.
#include "core/session/PlaySession.h"

#include <algorithm>

#include "core/record/Recorder.h"
#include "core/record/Replayer.h"
#include "core/record/Verify.h"
#include "core/session/PictureSets.h"
#include "core/session/PlayKeeper.h"
#include "core/session/SettingsKeys.h"

namespace zarq {

namespace {
const char* const kTitle = "Zarq (Keldo) Simulator";
}  // namespace

class PlaySession::StoreView final : public SettingsStore {
  public:
    explicit StoreView(const PlaySession& session) : session_(session) {}
    int ReadInteger(const std::string& name, int defaultValue) override {
        SettingsStore* store = session_.Store();
        return store != nullptr ? store->ReadInteger(name, defaultValue) : defaultValue;
    }
    void WriteInteger(const std::string& name, int value) override {
        if (SettingsStore* store = session_.Store()) store->WriteInteger(name, value);
    }

  private:
    const PlaySession& session_;
};

PlaySession::PlaySession(SessionSeams seams)
    : seams_(std::move(seams)), clock_([this] { return seams_.Now(); }) {
    form_ = std::make_unique<TForm1>(PanelSeams{clock_.Scheduler(), seams_.Sound, seams_.Ports,
                                                seams_.Window, seams_.OpenSettings});
    input_ = std::make_unique<InputPath>(*form_);
    controls_ = std::make_unique<SharedControls>(*input_);
    keyboard_ = std::make_unique<HeldKeys>(*controls_);
    pads_ = std::make_unique<Pads>(*controls_);
    pads_->SetPowerHandler([this] { TogglePower(); });
    touches_ = std::make_unique<Touches>(*form_, *controls_);
    settingsView_ = std::make_unique<StoreView>(*this);
    clock_.SetNextDueChanged([this] { WakeChanged(); });
    keeper_ = std::make_unique<PlayKeeper>(
        *form_, *input_, clock_.Scheduler(), [this] { return RecorderOptions(); },
        [this](const std::string& recording) {
            const BestScores::Offered offered = best_.Offer(recording);
            if (events_ == nullptr) return;
            if (!offered.Error.empty()) events_->PlayNotKept(offered.Error);
            if (offered.Rank > 0) events_->PlayKept(offered.Rank);
        });
    keeper_->Attach();
    const std::set<std::string> keys = PictureKeysOf(*form_);
    pictureKeys_.assign(keys.begin(), keys.end());
}

PlaySession::~PlaySession() {
    events_ = nullptr;
    wakeChanged_ = nullptr;
    StopPlayback();
    keeper_.reset();
    recorder_.reset();
    clock_.SetNextDueChanged(nullptr);
}

void PlaySession::WakeChanged() {
    if (wakeChanged_) wakeChanged_();
}

std::optional<Millis> PlaySession::Advance() {
    // A message box's own loop may wake the clock again inside a step: nothing runs twice.
    if (advancing_) return NextWake();
    advancing_ = true;
    if (replay_ != nullptr) {
        replay_->AdvanceTo(Now() - playbackOrigin_);
        if (replay_->Ended()) EndPlayback(true);
    }
    if (replay_ == nullptr) clock_.Wake();
    advancing_ = false;
    return NextWake();
}

std::optional<Millis> PlaySession::NextWake() const {
    if (replay_ != nullptr) {
        const std::optional<Millis> wake = replay_->NextWake();
        return wake ? std::optional<Millis>(*wake + playbackOrigin_) : std::nullopt;
    }
    return clock_.NextDue();
}

void PlaySession::SetKeys(const KeyBindings& keys) {
    if (keys == keys_) return;
    // A key held now may no longer be a control: its key-up would not reach the toy.
    keyboard_->ReleaseAll();
    keys_ = keys;
}

void PlaySession::TogglePower() {
    if (form_->Puls_Off->Visible()) {
        input_->SwitchOn();
    } else {
        input_->SwitchOff();
    }
}

void PlaySession::SkipOptionsDialog() {
    form_->G.FirstActivation = false;
}

// ---- Settings and the choices before PLAY ----------------------------------------------------

SettingsStore* PlaySession::Store() const {
    return form_->SettingsStore_.get();
}

int PlaySession::ReadSetting(const char* name, int defaultValue) const {
    return settingsView_->ReadInteger(name, defaultValue);
}

void PlaySession::WriteSetting(const char* name, int value) {
    settingsView_->WriteInteger(name, value);
}

std::optional<int> PlaySession::StoredSoundMode() const {
    const int mode = ReadSetting(settings::kSoundMode, -1);
    if (mode < 0 || mode > kNoSound) return std::nullopt;
    return mode;
}

std::optional<int> PlaySession::StoredSystem() const {
    const int system = ReadSetting(settings::kSystem, -1);
    if (system < 0 || system > 1) return std::nullopt;
    return system;
}

bool PlaySession::Play(int soundMode, int system, const std::function<void()>& started) {
    soundMode = std::clamp(soundMode, 0, kNoSound);
    system = std::clamp(system, 0, 1);
    WriteSetting(settings::kSoundMode, soundMode);
    WriteSetting(settings::kSystem, system);
    if (!form_->AvviaSuono(kSoundModes[soundMode], kSystems[system])) {
        seams_.Window.MessageBox(
            "Sound folder unproperly installed. Read instructions then reinstall.", "Error",
            MessageKind::Error);
        WriteSetting(settings::kSoundMode, -1);
        WriteSetting(settings::kSystem, -1);
        return false;
    }
    if (started) started();
    if (ReadSetting(settings::kFirstRun, 0) != 1) {
        WriteSetting(settings::kFirstRun, 1);
        seams_.Window.Beep();
        seams_.Window.MessageBox(
            "Warning: \"Artificial Intelligence\" may be a bit buggy. Be patient please!", kTitle,
            MessageKind::Plain);
    }
    return true;
}

void PlaySession::Close() {
    closed_ = true;
    keeper_->Detach();
}

void PlaySession::Reopen() {
    closed_ = false;
    if (replay_ == nullptr) keeper_->Attach();
}

// ---- Recording ------------------------------------------------------------------------------

std::string PlaySession::StartRecording(const std::string& path) {
    NewRecorder();
    if (!recorder_->Start(path)) {
        std::string error = recorder_->Error();
        recorder_.reset();
        return error.empty() ? "the recording cannot be started" : error;
    }
    return {};
}

void PlaySession::StartRecordingInMemory() {
    NewRecorder();
    recorder_->Start();
}

Recorder::Options PlaySession::RecorderOptions() const {
    // The header names the program and the player's system choice, as the toy plays it.
    return {seams_.Program, std::clamp(ReadSetting(settings::kSystem, -1), 0, 1), true};
}

void PlaySession::NewRecorder() {
    StopPlayback();
    StopRecording();
    recordedText_.clear();
    recorder_ = std::make_unique<Recorder>(*form_, *input_, clock_.Scheduler(), RecorderOptions());
    recorder_->SetOnEnded([this](EndReason) {
        if (events_ != nullptr) events_->RecordingEnded();
    });
    recorder_->SetOnFailed([this](const std::string& why) {
        if (events_ != nullptr) events_->RecordingFailed(why);
    });
}

void PlaySession::StopRecording() {
    if (recorder_ == nullptr) return;
    recorder_->Stop();
    recordedText_ = recorder_->Text();
    recorder_.reset();
}

bool PlaySession::IsRecording() const {
    return recorder_ != nullptr && recorder_->Active();
}

// ---- Playback -------------------------------------------------------------------------------

std::string PlaySession::StartPlayback(ReadResult read) {
    if (!read.Value) return read.Error;
    // Replayed headless first, which takes milliseconds: a play that does not give what the
    // file's end says is told when the playback reaches that end, as --verify tells it.
    const Verdict verdict = VerifyRecording(*read.Value);
    StopPlayback();
    StopRecording();
    // The player's own play ends here; the recording's is not the player's.
    keeper_->Detach();
    lastFailure_.clear();
    verdict_ = verdict.Exit == kVerifyMatch ? std::string() : verdict.Message;
    recording_ = std::make_unique<Recording>(std::move(*read.Value));
    // The ticks due before it run first; then the replay drives the panel's timers on its own
    // clock and the player's controls stay off.
    clock_.Wake();
    clock_.Suspend(true);
    input_->SetPlayerLocked(true);
    replay_ = std::make_unique<Replayer>(*recording_, *form_, *input_, clock_.Scheduler());
    replay_->Begin();
    playbackOrigin_ = Now();
    WakeChanged();
    return {};
}

void PlaySession::EndPlayback(bool played) {
    const std::string failure = replay_ != nullptr ? replay_->Failure() : std::string();
    if (!failure.empty()) {
        lastFailure_ = "The play stopped following its recording:\n" + failure;
    } else if (played && !verdict_.empty()) {
        lastFailure_ = "The play did not end as its file says:\n" + verdict_;
    } else {
        lastFailure_.clear();
    }
    // What still runs stands still: the panel stays as the play left it.
    const auto timers = form_->Timers();
    if (std::any_of(timers.begin(), timers.end(), [](const TTimer* t) { return t->Enabled(); })) {
        form_->BloccaTimers();
        form_->Silenzio();
    }
    replay_.reset();  // gives the scheduler the front end's clock back
    recording_.reset();
    verdict_.clear();
    input_->SetPlayerLocked(false);
    clock_.Suspend(false);
    if (!closed_) keeper_->Attach();
    // A play that went wrong is not left standing switched on: the switch is ready to start.
    if (!lastFailure_.empty() && form_->Puls_On->Visible()) input_->SwitchOff();
    if (events_ != nullptr) events_->PlaybackEnded(lastFailure_);
}

void PlaySession::StopPlayback() {
    if (replay_ != nullptr) EndPlayback(false);
}

}  // namespace zarq
