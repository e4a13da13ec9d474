// The toy in a web page, on the page's clock, with its controls, sound and recordings.
#include "web/src/WebEdition.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>
#include <variant>

#include "core/record/Recording.h"
#include "core/record/ReplayLink.h"
#include "core/session/PictureSets.h"
#include "tools/assetgen/sound/Synth.h"

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
    const AudioStart start = StartTime(anchor_, clock_ != nullptr ? clock_->Now() : 0, now);
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

}  // namespace

// ---- The edition ------------------------------------------------------------------------

WebEdition::WebEdition(PageAudio& audio, PageHost& host) : host_(host), sound_(audio) {
    session_ = std::make_unique<PlaySession>(
        SessionSeams{[this] { return now_; }, sound_, sound_, *this,
                     [&host](const std::string&) { return std::make_unique<PageSettings>(host); },
                     ZARQ_VERSION});
    sound_.Bind(session_->Scheduler());
    session_->SetEvents(this);
    ReloadKeys();
    Form().AttachView(this);
    session_->Activate();
}

WebEdition::~WebEdition() {
    session_->SetEvents(nullptr);
    session_->StopPlayback();
    session_->StopRecording();
    Form().AttachView(nullptr);
}

std::optional<Millis> WebEdition::Advance(Millis now) {
    Tell(now);
    std::optional<Millis> wake = session_->Advance();
    sound_.CheckQuiet();
    if (session_->PlayingBack()) return wake;
    session_->Touch().Repeat(now_);
    // A control held on the panel repeats at its own times, as a held key does.
    if (const std::optional<Millis> repeat = session_->Touch().NextRepeat();
        repeat && (!wake || *repeat < *wake))
        wake = repeat;
    return wake;
}

std::optional<bool> WebEdition::StoredSound() {
    const std::optional<int> mode = session_->StoredSoundMode();
    if (!mode) return std::nullopt;
    return *mode != PlaySession::kNoSound;
}

std::optional<bool> WebEdition::StoredHum() {
    const std::optional<int> system = session_->StoredSystem();
    if (!system) return std::nullopt;
    return *system == PlaySession::kHumOn;
}

bool WebEdition::Play(bool sound, bool hum) {
    // Sound on keeps the output type chosen on the desktop (0 or 1); off is "(no sound)".
    const int mode = sound ? (session_->StoredSoundMode() == 1 ? 1 : 0) : PlaySession::kNoSound;
    return session_->Play(mode, hum ? PlaySession::kHumOn : 1);
}

bool WebEdition::Key(bool down, const std::string& domKey, const std::string& domCode, Millis now) {
    const std::optional<ToyControl> control = session_->Keys().ControlOf(KeyName(domKey, domCode));
    if (!control) return false;
    Advance(now);  // the ticks due before the key run before it
    const int key = ToyCode(*control);
    // The browser's repeats of a held key reach the toy as further key-downs.
    if (down) {
        session_->Keyboard().Down(key);
    } else {
        session_->Keyboard().Up(key);
    }
    return true;
}

std::string WebEdition::KeyOf(int control) const {
    if (control < 0 || control >= kToyControlCount) return {};
    return session_->Keys().Key(static_cast<ToyControl>(control));
}

std::string WebEdition::AssignKey(int control, const std::string& domKey,
                                  const std::string& domCode) {
    if (control < 0 || control >= kToyControlCount) return "There is no such control.";
    const std::string keyName = KeyName(domKey, domCode);
    const std::string refusal = session_->Keys().Refusal(static_cast<ToyControl>(control), keyName);
    if (!refusal.empty()) return refusal;
    ReleaseAll(now_);
    KeyBindings keys = session_->Keys();
    keys.Assign(static_cast<ToyControl>(control), keyName);
    session_->SetKeys(keys);
    keys.Save(
        [this](const std::string& name, const std::string& value) { host_.Write(name, value); });
    return {};
}

void WebEdition::ReloadKeys() {
    const TextSetting stored = [this](const std::string& name) { return host_.Read(name); };
    session_->SetKeys(KeyBindings::Load(stored));
    session_->Controllers().SetBindings(PadBindings::Load(stored));
}

void WebEdition::DefaultKeys() {
    ReleaseAll(now_);
    session_->SetKeys(KeyBindings::Defaults());
    session_->Keys().Save(
        [this](const std::string& name, const std::string& value) { host_.Write(name, value); });
}

bool WebEdition::Pointer(PointerKind kind, int id, double x, double y, Millis now, bool finger) {
    Advance(now);
    return session_->Touch().Pointer(kind, id, x, y, now_, finger);
}

void WebEdition::Pad(int index, const PadReading& reading, Millis now) {
    Advance(now);
    session_->Controllers().Read(index, reading, now_);
}

void WebEdition::PadGone(int index) {
    session_->Controllers().Gone(index);
}

void WebEdition::ReleaseAll(Millis now) {
    Advance(now);
    session_->Touch().ReleaseAll();
    session_->Controllers().ReleaseAll();
    // The keyboard's held controls: a key-up for each, as the desktop sends on losing focus.
    session_->Keyboard().ReleaseAll();
}

void WebEdition::StartRecording() {
    session_->StartRecordingInMemory();
    recording_ = true;
}

std::string WebEdition::StopRecording() {
    if (!std::exchange(recording_, false)) return {};
    session_->StopRecording();
    return session_->RecordedText();
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
    Tell(now);
    StopRecording();
    return session_->StartPlayback(std::move(read));
}

// ---- Best scores and replay links ------------------------------------------------------------

std::string JsonString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

namespace {

void Json(std::string& out, std::string_view text) {
    out += JsonString(text);
}

std::string Field(const char* name, std::string_view text) {
    std::string out = "{\"";
    out += name;
    out += "\":";
    Json(out, text);
    return out + '}';
}

void EntryJson(std::string& out, const BestScore& e) {
    out += "{\"id\":";
    Json(out, e.Id);
    out += ",\"score\":" + std::to_string(e.Score) + ",\"date\":";
    Json(out, e.Date);
    out += ",\"speed\":" + std::to_string(e.SpeedLevel) +
           ",\"stages\":" + std::to_string(e.Stages) + ",\"length\":" + std::to_string(e.Length) +
           '}';
}

// A reason as the end of a sentence.
std::string Sentence(std::string text) {
    if (text.empty() || text.back() != '.') text += '.';
    return text;
}

}  // namespace

std::string WebEdition::BestList() const {
    const BestScores& best = session_->Best();
    std::string out = "{\"entries\":[";
    for (const BestScore& e : best.Entries()) {
        if (out.back() != '[') out += ',';
        EntryJson(out, e);
    }
    out += "],\"dropped\":[";
    for (const DroppedScore& d : best.Dropped()) {
        if (out.back() != '[') out += ',';
        out += "{\"id\":";
        Json(out, d.Id);
        out += ",\"why\":";
        Json(out, Sentence(d.Why));
        out += '}';
    }
    return out + "]}";
}

std::string WebEdition::BestRecording(const std::string& id) const {
    const BestScore* e = session_->Best().Find(id);
    return e != nullptr ? e->Recording : std::string();
}

std::string WebEdition::BestLink(const std::string& page, const std::string& id) const {
    const BestScore* e = session_->Best().Find(id);
    if (e == nullptr) return Field("error", "This play is no longer kept.");
    const std::string link = ReplayLinkAddress(page, e->Recording);
    if (link.size() > kLinkLengthLimit) {
        return Field("error", "This play's link would be " + std::to_string(link.size()) +
                                  " characters long, more than the " +
                                  std::to_string(kLinkLengthLimit) +
                                  " a link may have: save it as a file instead.");
    }
    return Field("link", link);
}

std::string WebEdition::CheckLink(std::string_view link) {
    link_.clear();
    LinkResult decoded = RecordingFromLink(link);
    if (!decoded.Value) return Field("error", Sentence(decoded.Error));
    auto checked = BestScores::Check(*decoded.Value);
    if (const auto* why = std::get_if<std::string>(&checked))
        return Field("error", Sentence("The link's play is refused: " + *why));
    std::string out;
    EntryJson(out, std::get<BestScore>(checked));
    link_ = std::move(*decoded.Value);
    return out;
}

std::string WebEdition::WatchLink(Millis now) {
    if (link_.empty()) return "There is no checked link to play.";
    return StartPlayback(link_, now);
}

const std::vector<int>& WebEdition::Scene() {
    scene_.clear();
    const std::vector<std::string>& keys = session_->PictureKeys();
    for (const auto& control : Form().Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || !image->Visible() || image->Picture().empty()) continue;
        const auto key = std::lower_bound(keys.begin(), keys.end(), image->Picture());
        if (key == keys.end() || *key != image->Picture()) continue;
        const TRect& r = image->Bounds();
        scene_.insert(scene_.end(), {static_cast<int>(key - keys.begin()), r.Left, r.Top, r.Width,
                                     r.Height, image->Transparent() ? 1 : 0});
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
    return session_->Panel().Im_BaseScreen->Bounds();
}

TRect WebEdition::SwitchArea() const {
    const TRect& a = session_->Panel().Puls_On->Bounds();
    const TRect& b = session_->Panel().Puls_Off->Bounds();
    const int left = std::min(a.Left, b.Left);
    const int top = std::min(a.Top, b.Top);
    return {left, top, std::max(a.Left + a.Width, b.Left + b.Width) - left,
            std::max(a.Top + a.Height, b.Top + b.Height) - top};
}

std::string WebEdition::Status() const {
    if (!session_->SwitchedOn()) return "switched off";
    return "switched on, score " + std::to_string(session_->Score());
}

std::string WebEdition::Lit() const {
    std::string names;
    for (const auto& control : session_->Panel().Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || !image->Visible()) continue;
        if (!names.empty()) names += ' ';
        names += image->Name();
    }
    return names;
}

}  // namespace zarq::web

namespace zarq::web {
std::string PictureFile(const std::string& key, int set) {
    // The site has every picture as WebP (photographs lossy, drawings lossless).
    return "pictures/" + PictureStem(key, set) + ".webp";
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
