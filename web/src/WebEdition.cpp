// The toy in a web page, on the page's clock, with its controls, sound and recordings.
#include "WebEdition.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "Synth.h"
#include "record/Recording.h"
#include "record/Verify.h"

#ifndef ZARQ_VERSION
#define ZARQ_VERSION "0"
#endif

namespace zarq::web {

// ---- Sound ------------------------------------------------------------------------------

bool WebSound::FSOUND_Init(int, int, unsigned) {
    started_ = true;
    // The quiet second counts from the start.
    lastEnd_ = std::max(0.0, audio_.Now());
    return true;
}

bool WebSound::FSOUND_SetOutput(int outputtype) {
    silent_ = outputtype == 0;
    return true;
}

FSOUND_SAMPLE* WebSound::FSOUND_Sample_Load(int, const char* name, unsigned, int) {
    if (name == nullptr) return nullptr;
    for (int i = 0; i < kSampleCount; ++i) {
        if (std::string(name) != kSampleFiles[i]) continue;
        if (!audio_.Has(i)) return nullptr;
        samples_.push_back(std::make_unique<int>(i));
        return reinterpret_cast<FSOUND_SAMPLE*>(samples_.back().get());
    }
    return nullptr;
}

std::optional<double> WebSound::When() {
    const double now = audio_.Now();
    if (now < 0) return std::nullopt;
    // A hidden tab's context stays paused; the tab shown again wakes it.
    if (suspended_ && !hidden_) {
        audio_.Resume();
        suspended_ = false;
    }
    const AudioStart start = StartTime(anchor_, clock_.Now(), now);
    anchor_ = start.Anchor;
    return start.ContextTime;
}

int WebSound::FSOUND_PlaySound(int, FSOUND_SAMPLE* sample) {
    if (!started_ || silent_ || sample == nullptr) return -1;
    const auto owned = std::find_if(samples_.begin(), samples_.end(), [sample](const auto& s) {
        return reinterpret_cast<FSOUND_SAMPLE*>(s.get()) == sample;
    });
    if (owned == samples_.end()) return -1;
    const std::optional<double> when = When();
    if (!when) return -1;
    const int index = **owned;
    audio_.Play(index, *when);
    lastEnd_ = std::max(lastEnd_, *when + audio_.Duration(index));
    nextChannel_ = (nextChannel_ + 1) % 64;
    return nextChannel_;
}

bool WebSound::FSOUND_StopSound(int channel) {
    // The toy stops every channel at once; a single channel is never stopped alone.
    if (!started_ || silent_ || channel != FSOUND_ALL) return true;
    if (const std::optional<double> when = When()) {
        audio_.StopAll(*when);
        lastEnd_ = std::min(lastEnd_, std::max(*when, audio_.Now()));
    }
    return true;
}

void WebSound::FSOUND_Sample_Free(FSOUND_SAMPLE* sample) {
    std::erase_if(samples_, [sample](const auto& s) {
        return reinterpret_cast<FSOUND_SAMPLE*>(s.get()) == sample;
    });
}

void WebSound::FSOUND_Close() {
    samples_.clear();
    started_ = false;
}

void WebSound::out(std::uint16_t port, std::uint8_t value) {
    if (!speaker_.Write(port, value) || !started_ || silent_) return;
    if (const std::optional<double> when = When()) {
        audio_.Speaker(speaker_.Frequency(), *when);
        lastEnd_ = std::max(lastEnd_, *when);
    }
}

void WebSound::CheckQuiet() {
    if (suspended_ || hidden_ || !started_) return;
    const double now = audio_.Now();
    if (now < 0 || !MaySuspend(now, lastEnd_, speaker_.Frequency() > 0)) return;
    audio_.Suspend();
    suspended_ = true;
}

void WebSound::SetHidden(bool hidden) {
    if (hidden == hidden_) return;
    hidden_ = hidden;
    if (hidden) {
        // Only a running context is paused here, and only that one is woken on the return.
        resumeOnShow_ = started_ && !silent_ && !suspended_ && audio_.Now() >= 0;
        if (resumeOnShow_) {
            audio_.Suspend();
            suspended_ = true;
        }
    } else if (std::exchange(resumeOnShow_, false)) {
        audio_.Resume();
        suspended_ = false;
    }
}

// ---- Settings ---------------------------------------------------------------------------

namespace {

// The toy's integer settings as decimal text in the page's storage, under the desktop's names.
class PageSettings final : public SettingsStore {
  public:
    explicit PageSettings(PageHost& host) : host_(host) {}
    int ReadInteger(const std::string& name, int defaultValue) override {
        const std::optional<std::string> text = host_.Read(name);
        if (!text || text->empty()) return defaultValue;
        const char* begin = text->c_str();
        char* end = nullptr;
        const long long value = std::strtoll(begin, &end, 10);
        if (end != begin + text->size() || value < INT_MIN || value > INT_MAX) return defaultValue;
        return static_cast<int>(value);
    }
    void WriteInteger(const std::string& name, int value) override {
        host_.Write(name, std::to_string(value));
    }

  private:
    PageHost& host_;
};

constexpr const char* kRecordingFile = "/tmp/play.zrec";

}  // namespace

// ---- The edition ------------------------------------------------------------------------

WebEdition::WebEdition(PageAudio& audio, PageHost& host)
    : host_(host), sound_(audio, clock_.Scheduler()) {
    form_ = std::make_unique<TForm1>(
        PanelSeams{clock_.Scheduler(), sound_, sound_, *this,
                   [&host](const std::string&) { return std::make_unique<PageSettings>(host); }});
    input_ = std::make_unique<InputPath>(*form_);
    controls_ = std::make_unique<SharedControls>(*input_);
    heldKeys_ = std::make_unique<HeldKeys>(*controls_);
    touches_ = std::make_unique<Touches>(*form_, *controls_);
    pads_ = std::make_unique<Pads>(*controls_);
    pads_->SetPowerHandler([this] { TogglePower(); });
    const TextSetting stored = [&host](const std::string& name) { return host.Read(name); };
    bindings_ = KeyBindings::Load(stored);
    pads_->SetBindings(PadBindings::Load(stored));

    std::set<std::string> keys;
    for (const auto& control : form_->Controls()) {
        if (const auto* image = dynamic_cast<const TImage*>(control.get())) {
            if (!image->Picture().empty()) keys.insert(image->Picture());
        }
    }
    pictureKeys_.assign(keys.begin(), keys.end());
    form_->AttachView(this);
    form_->FormActivate();
}

WebEdition::~WebEdition() {
    StopPlayback();
    recorder_.reset();
    form_->AttachView(nullptr);
}

std::optional<Millis> WebEdition::Advance(Millis now) {
    if (replay_ != nullptr) {
        clock_.Advance(now);  // keeps the page's time; the replay drives the timers
        replay_->AdvanceTo(now - playbackOrigin_);
        if (replay_->Ended()) {
            EndPlayback(true);
        } else {
            sound_.CheckQuiet();
            const std::optional<Millis> wake = replay_->NextWake();
            return wake ? std::optional<Millis>(*wake + playbackOrigin_) : std::nullopt;
        }
    }
    std::optional<Millis> wake = clock_.Advance(now);
    touches_->Repeat(clock_.Now());
    sound_.CheckQuiet();
    // A control held on the panel repeats at its own times, as a held key does.
    if (const std::optional<Millis> repeat = touches_->NextRepeat();
        repeat && (!wake || *repeat < *wake))
        wake = repeat;
    return wake;
}

std::optional<bool> WebEdition::StoredSound() {
    const int mode =
        form_->SettingsStore_ ? form_->SettingsStore_->ReadInteger("SoundMode", -1) : -1;
    if (mode < 0 || mode > 2) return std::nullopt;
    return mode != 2;
}

std::optional<bool> WebEdition::StoredHum() {
    const int system =
        form_->SettingsStore_ ? form_->SettingsStore_->ReadInteger("System", -1) : -1;
    if (system < 0 || system > 1) return std::nullopt;
    return system == 0;
}

bool WebEdition::Play(bool sound, bool hum) {
    SettingsStore* store = form_->SettingsStore_.get();
    auto write = [store](const char* name, int value) {
        if (store != nullptr) store->WriteInteger(name, value);
    };
    // Sound on keeps the output type chosen on the desktop (0 or 1); off is "(no sound)".
    const int stored = store != nullptr ? store->ReadInteger("SoundMode", -1) : -1;
    const int mode = sound ? (stored == 1 ? 1 : 0) : 2;
    const char* const modeNames[] = {"Windows MM", "DirectSound", "(no sound)"};
    write("SoundMode", mode);
    write("System", hum ? 0 : 1);
    if (!form_->AvviaSuono(modeNames[mode], hum ? "95, 98, ME, NT" : "2000")) {
        host_.Message("Sound folder unproperly installed. Read instructions then reinstall.",
                      "Error");
        write("SoundMode", -1);
        write("System", -1);
        return false;
    }
    if ((store != nullptr ? store->ReadInteger("FirstRun", 0) : 0) != 1) {
        write("FirstRun", 1);
        host_.Message("Warning: \"Artificial Intelligence\" may be a bit buggy. Be patient please!",
                      "Zarq (Keldo) Simulator");
    }
    return true;
}

bool WebEdition::Key(bool down, const std::string& domKey, const std::string& domCode, Millis now) {
    const std::optional<ToyControl> control = bindings_.ControlOf(KeyName(domKey, domCode));
    if (!control) return false;
    Advance(now);  // the ticks due before the key run before it
    const int key = ToyCode(*control);
    // The browser's repeats of a held key reach the toy as further key-downs.
    if (down) {
        heldKeys_->Down(key);
    } else {
        heldKeys_->Up(key);
    }
    return true;
}

std::string WebEdition::KeyOf(int control) const {
    if (control < 0 || control >= kToyControlCount) return {};
    return bindings_.Key(static_cast<ToyControl>(control));
}

std::string WebEdition::AssignKey(int control, const std::string& domKey,
                                  const std::string& domCode) {
    if (control < 0 || control >= kToyControlCount) return "There is no such control.";
    const std::string keyName = KeyName(domKey, domCode);
    const std::string refusal = bindings_.Refusal(static_cast<ToyControl>(control), keyName);
    if (!refusal.empty()) return refusal;
    ReleaseAll(clock_.Now());
    bindings_.Assign(static_cast<ToyControl>(control), keyName);
    bindings_.Save(
        [this](const std::string& name, const std::string& value) { host_.Write(name, value); });
    return {};
}

void WebEdition::ReloadKeys() {
    const TextSetting stored = [this](const std::string& name) { return host_.Read(name); };
    const KeyBindings keys = KeyBindings::Load(stored);
    if (!(keys == bindings_)) {
        // A key held now may no longer be a control: its key-up would not reach the toy.
        heldKeys_->ReleaseAll();
        bindings_ = keys;
    }
    pads_->SetBindings(PadBindings::Load(stored));
}

void WebEdition::DefaultKeys() {
    ReleaseAll(clock_.Now());
    bindings_ = KeyBindings::Defaults();
    bindings_.Save(
        [this](const std::string& name, const std::string& value) { host_.Write(name, value); });
}

bool WebEdition::Pointer(PointerKind kind, int id, double x, double y, Millis now, bool finger) {
    Advance(now);
    return touches_->Pointer(kind, id, x, y, clock_.Now(), finger);
}

void WebEdition::Pad(int index, const PadReading& reading, Millis now) {
    Advance(now);
    pads_->Read(index, reading, clock_.Now());
}

void WebEdition::PadGone(int index) {
    pads_->Gone(index);
}

void WebEdition::ReleaseAll(Millis now) {
    Advance(now);
    touches_->ReleaseAll();
    pads_->ReleaseAll();
    // The keyboard's held controls: a key-up for each, as the desktop sends on losing focus.
    heldKeys_->ReleaseAll();
}

void WebEdition::TogglePower() {
    if (form_->Puls_Off->Visible()) {
        input_->SwitchOn();
    } else {
        input_->SwitchOff();
    }
}

bool WebEdition::StartRecording(const std::string& path) {
    StopPlayback();
    recorder_.reset();
    const int system =
        form_->SettingsStore_ ? form_->SettingsStore_->ReadInteger("System", -1) : -1;
    recorder_ =
        std::make_unique<Recorder>(*form_, *input_, clock_.Scheduler(),
                                   Recorder::Options{ZARQ_VERSION, std::clamp(system, 0, 1), true});
    recordingPath_ = path.empty() ? kRecordingFile : path;
    if (!recorder_->Start(recordingPath_)) {
        recorder_.reset();
        return false;
    }
    return true;
}

std::string WebEdition::StopRecording() {
    if (recorder_ == nullptr) return {};
    recorder_->Stop();
    recorder_.reset();
    std::ifstream in(recordingPath_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string WebEdition::PlaybackRefusal(std::uint64_t size) {
    if (size <= kPlaybackLimit) return {};
    // Tenths of a megabyte, rounded up: a file a byte too large does not read as the limit.
    const std::uint64_t tenths = (size * 10 + (1u << 20) - 1) >> 20;
    return "the file is " + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) +
           " MB; a recording played here can be at most " + std::to_string(kPlaybackLimit >> 20) +
           " MB.";
}

std::string WebEdition::StartPlayback(std::string_view bytes, Millis now) {
    if (std::string refusal = PlaybackRefusal(bytes.size()); !refusal.empty()) return refusal;
    ReadResult read = ReadRecording(bytes);
    if (!read.Value) return read.Error;
    // Replayed headless first, which takes milliseconds: a play that does not give what the
    // file's end says is told when the playback reaches that end, as --verify tells it.
    const Verdict verdict = VerifyRecording(*read.Value);
    StopPlayback();
    StopRecording();
    lastFailure_.clear();
    verdict_ = verdict.Exit == kVerifyMatch ? std::string() : verdict.Message;
    recording_ = std::make_unique<Recording>(std::move(*read.Value));
    // The replay drives the panel's timers on its own clock; the player's controls stay off.
    clock_.Advance(now);
    clock_.Suspend(true);
    input_->SetPlayerLocked(true);
    replay_ = std::make_unique<Replayer>(*recording_, *form_, *input_, clock_.Scheduler());
    replay_->Begin();
    playbackOrigin_ = now;
    return {};
}

void WebEdition::EndPlayback(bool played) {
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
    replay_.reset();
    recording_.reset();
    verdict_.clear();
    input_->SetPlayerLocked(false);
    clock_.Suspend(false);
    // A play that went wrong is not left standing switched on: the switch is ready to start.
    if (!lastFailure_.empty() && form_->Puls_On->Visible()) input_->SwitchOff();
}

void WebEdition::StopPlayback() {
    if (replay_ != nullptr) EndPlayback(false);
}

const std::vector<int>& WebEdition::Scene() {
    scene_.clear();
    for (const auto& control : form_->Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || !image->Visible() || image->Picture().empty()) continue;
        const auto key =
            std::lower_bound(pictureKeys_.begin(), pictureKeys_.end(), image->Picture());
        if (key == pictureKeys_.end() || *key != image->Picture()) continue;
        const TRect& r = image->Bounds();
        scene_.insert(scene_.end(), {static_cast<int>(key - pictureKeys_.begin()), r.Left, r.Top,
                                     r.Width, r.Height, image->Transparent() ? 1 : 0});
    }
    return scene_;
}

void WebEdition::ElementChanged(const TControl& control) {
    changed_ = true;
    const TRect& r = control.Bounds();
    // A rectangle met again, or inside one already kept, adds nothing.
    for (const TRect& d : dirty_) {
        if (r.Left >= d.Left && r.Top >= d.Top && r.Left + r.Width <= d.Left + d.Width &&
            r.Top + r.Height <= d.Top + d.Height)
            return;
    }
    dirty_.push_back(r);
}

std::vector<int> WebEdition::TakeDirty() {
    std::vector<int> out;
    for (const TRect& r : std::exchange(dirty_, {}))
        out.insert(out.end(), {r.Left, r.Top, r.Width, r.Height});
    return out;
}

bool WebEdition::TakeChanged() {
    return std::exchange(changed_, false);
}

TRect WebEdition::DisplayArea() const {
    return form_->Im_BaseScreen->Bounds();
}

TRect WebEdition::SwitchArea() const {
    const TRect& a = form_->Puls_On->Bounds();
    const TRect& b = form_->Puls_Off->Bounds();
    const int left = std::min(a.Left, b.Left);
    const int top = std::min(a.Top, b.Top);
    return {left, top, std::max(a.Left + a.Width, b.Left + b.Width) - left,
            std::max(a.Top + a.Height, b.Top + b.Height) - top};
}

std::string WebEdition::Status() const {
    if (form_->Puls_Off->Visible()) return "switched off";
    // The score the toy shows, and a pass of 2000 for every marker.
    return "switched on, score " + std::to_string(form_->G.ScoreWraps * 2000 + form_->G.Score);
}

std::string WebEdition::Lit() const {
    std::string names;
    for (const auto& control : form_->Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || !image->Visible()) continue;
        if (!names.empty()) names += ' ';
        names += image->Name();
    }
    return names;
}

}  // namespace zarq::web

namespace zarq::web {
int PictureSetFor(double deviceScale) {
    // A ratio a hair above a whole number is that number, not the next set.
    constexpr double kSlack = 1e-3;
    for (int set = 1; set < 3; ++set) {
        if (deviceScale <= set + kSlack) return set;
    }
    return 3;
}

std::string PictureFile(const std::string& key, int set) {
    // The site has every picture as WebP (photographs lossy, drawings lossless).
    return "pictures/" + key + (set == 1 ? "" : "@" + std::to_string(set) + "x") + ".webp";
}

const std::vector<std::int16_t>& EffectSamples(int index) {
    static const std::vector<assetgen::SoundEffect> effects = assetgen::SynthesiseEffects();
    static const std::vector<std::int16_t> none;
    if (index < 0 || index >= kSampleCount || static_cast<std::size_t>(index) >= effects.size()) {
        return none;
    }
    return effects[static_cast<std::size_t>(index)].Samples;
}
}  // namespace zarq::web
