// The toy in a web page: one panel on the page's clock with its controls, its sound on Web
// Audio, its choices in the browser's storage and its recordings, behind two small interfaces
// the page implements (PageAudio, PageHost). Everything that decides lives here, in plain C++,
// so that it runs in tests without a browser; the page only forwards events and draws.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/panel/InputPath.h"
#include "core/panel/SpeakerPorts.h"
#include "core/panel/Unit1.h"
#include "core/session/PlaySession.h"
#include "web/src/AudioSchedule.h"
#include "web/src/Controls.h"

namespace zarq::web {

// The nine sound files the toy loads, by the names it loads them by; the page's sample i is the
// i-th of them.
inline constexpr const char* kSampleFiles[] = {
    "SOUND/Beep.wav",  "SOUND/Start.wav", "SOUND/Turn.wav", "SOUND/Disc.wav", "SOUND/Win.wav",
    "SOUND/Miss1.wav", "SOUND/Miss2.wav", "SOUND/End.wav",  "SOUND/Over.wav"};
inline constexpr int kSampleCount = 9;

// Web Audio as the page offers it.
class PageAudio {
  public:
    virtual ~PageAudio() = default;
    // The audio context's time in seconds; negative while there is no context.
    virtual double Now() = 0;
    // Whether sample `index` was fetched and decoded.
    virtual bool Has(int index) = 0;
    // Its length in seconds.
    virtual double Duration(int index) = 0;
    virtual void Play(int index, double when) = 0;
    virtual void StopAll(double when) = 0;
    // The speaker's tone from `when` on; 0 Hz is silence.
    virtual void Speaker(double hertz, double when) = 0;
    virtual void Resume() = 0;
    virtual void Suspend() = 0;
};

// The rest of the browser: storage, messages, pages.
class PageHost {
  public:
    virtual ~PageHost() = default;
    virtual std::optional<std::string> Read(const std::string& name) = 0;
    virtual void Write(const std::string& name, const std::string& value) = 0;
    virtual void Message(const std::string& text, const std::string& caption) = 0;
    virtual void Open(const std::string& target) = 0;
    virtual void ShowOptions() = 0;
    virtual TPoint ScreenSize() = 0;
    // A play that ended was kept among the best at `rank` (1 is the best), or, with `error`,
    // could not be kept (the list is as it was).
    virtual void BestKept(int rank, const std::string& error) = 0;
};

// The sound library's calls and the speaker's ports on Web Audio.
class WebSound final : public SoundLibrary, public PortOutput {
  public:
    explicit WebSound(PageAudio& audio) : audio_(audio) {}
    // The toy's clock, whose present moment each sound is laid at (the session's, made after
    // its sound).
    void Bind(const TimerScheduler& clock) { clock_ = &clock; }
    bool FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned flags) override;
    bool FSOUND_SetOutput(int outputtype) override;
    FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned mode,
                                      int length) override;
    int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) override;
    bool FSOUND_StopSound(int channel) override;
    void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) override;
    void FSOUND_Close() override;
    void out(std::uint16_t port, std::uint8_t value) override;

    // Suspends the context after a quiet second; called whenever the page wakes.
    void CheckQuiet();
    bool Suspended() const { return suspended_; }
    // The tab hidden: the toy stands still, and so does its sound (the hum would go on
    // sounding). Shown again: the context runs again if it ran when the tab was hidden; if it
    // rested after a quiet second it rests on until the next sound.
    void SetHidden(bool hidden);

  private:
    // The context time of the toy's present moment, the context woken if it rests; nothing
    // while there is no context.
    std::optional<double> When();

    PageAudio& audio_;
    const TimerScheduler* clock_ = nullptr;
    bool started_ = false;
    bool silent_ = false;
    bool suspended_ = false;
    bool hidden_ = false;
    bool resumeOnShow_ = false;
    AudioAnchor anchor_;
    double lastEnd_ = 0;
    int nextChannel_ = 0;
    SpeakerPorts speaker_;
    std::vector<std::unique_ptr<int>> samples_;  // a sample is its index
};

class WebEdition final : public WindowHost, public ElementView, public SessionEvents {
  public:
    WebEdition(PageAudio& audio, PageHost& host);
    ~WebEdition() override;

    PlaySession& Session() { return *session_; }
    TForm1& Form() { return session_->Panel(); }
    InputPath& Input() { return session_->Input(); }
    WebSound& Sound() { return sound_; }
    // The page's time as last told; it never goes back.
    Millis Now() const { return now_; }

    // The page's time moves on: due ticks, repeats of held controls, a replay's steps, the
    // quiet check. Returns the page time to call again at, or nothing.
    std::optional<Millis> Advance(Millis now);

    // The stored choices for the start overlay: sound on (SoundMode 0 or 1; 2 is "no sound"),
    // the hum on (System 0); nothing when not stored.
    std::optional<bool> StoredSound();
    std::optional<bool> StoredHum();
    // "- PLAY -": the choices stored as the desktop stores them and the sound started.
    // False when the sound files are missing (the page says so).
    bool Play(bool sound, bool hum);

    // A key of the browser; true when it is one of the toy's controls (the page then keeps
    // it from the browser).
    bool Key(bool down, const std::string& domKey, const std::string& domCode, Millis now);
    // The controls dialog: the key of control `control` (0 up, 1 down, 2 left, 3 right,
    // 4 speed/fire) by its stored name; a new key for it, stored at once (empty), or why it
    // is refused; the defaults back.
    std::string KeyOf(int control) const;
    std::string AssignKey(int control, const std::string& domKey, const std::string& domCode);
    void DefaultKeys();
    // The chosen keys and controller buttons read again from storage (another tab of the page
    // changed them). Keys held under bindings that changed are let go.
    void ReloadKeys();
    // `finger`: a touch or a pen, which reaches the switch from a little further.
    bool Pointer(PointerKind kind, int id, double x, double y, Millis now, bool finger = false);
    // The panel is drawn at `cssPerToyPixel` CSS pixels per toy pixel.
    void SetPageScale(double cssPerToyPixel) { session_->Touch().SetScale(cssPerToyPixel); }
    void Pad(int index, const PadReading& reading, Millis now);
    void PadGone(int index);
    // The page lost the keyboard or was hidden: everything held is let go, as on the desktop.
    void ReleaseAll(Millis now);
    // The tab hidden or shown again: the sound pauses with the toy and comes back with it.
    void PageHidden(bool hidden) { sound_.SetHidden(hidden); }
    // The switch, as the controller's Start works it.
    void TogglePower() { session_->TogglePower(); }

    // Recordings, kept in the page's memory and saved as the desktop's files.
    void StartRecording();
    // Ends a recording (if running) and returns the file's text.
    std::string StopRecording();
    bool IsRecording() const { return session_->IsRecording(); }
    // The largest file the page plays: ten hours of the busiest play. An hour of racing writes
    // some 0.3 MB, 3 MB with a key held all the while (every repeat is a line). The file is
    // held in memory whole, beside what is read from it.
    static constexpr std::uint64_t kPlaybackLimit = 32u << 20;
    // Why a file of `size` bytes is not even read (empty: it may be).
    static std::string PlaybackRefusal(std::uint64_t size);
    // Plays a recording file's bytes; an empty result means it plays, otherwise why not.
    std::string StartPlayback(std::string_view bytes, Millis now);
    void StopPlayback() { session_->StopPlayback(); }
    bool PlayingBack() const { return session_->PlayingBack(); }
    // What the player is told about the playback that ended last: that it stopped following
    // its file, or that it did not end as its file says; empty when all was well or the player
    // stopped it.
    std::string PlaybackFailure() const { return session_->PlaybackFailure(); }

    // ---- Best scores and replay links ----------------------------------------------------
    // The page's database, which the list is loaded from (Best().Reset(), then Load or
    // LoadFailed per record).
    void SetShelf(BestScoreShelf* shelf) { session_->SetBestScoreShelf(shelf); }
    BestScores& Best() { return session_->Best(); }
    // The list for the page's sheet, as JSON: {"entries": [{"id", "score", "date", "speed",
    // "stages", "length"}...], "dropped": [{"id", "why"}...]}, best first.
    std::string BestList() const;
    // A kept play's recording, and its link on the page at `page` (empty: no such play).
    std::string BestRecording(const std::string& id) const;
    std::string BestLink(const std::string& page, const std::string& id) const;
    // A replay link opened: its recording decoded, read and replayed headless before anything
    // plays. The play it shows as JSON ({"score", "date", ...} as in BestList), kept for
    // WatchLink; or {"error": why}, one sentence, and nothing kept.
    std::string CheckLink(std::string_view link);
    // Plays the link checked last: empty when it plays, otherwise why not.
    std::string WatchLink(Millis now);
    // The page is left: a play under way ends and is kept when it ranks; the page shown again
    // from the browser's cache keeps plays again.
    void Close() { session_->Close(); }
    void Reopen() { session_->Reopen(); }

    // The panel for painting: per lit element in stacking order its picture's number, its
    // place (x, y, width, height) and whether it is drawn keyed; and whether anything changed
    // since the last look.
    const std::vector<int>& Scene();
    bool TakeChanged();
    // The panel's rectangles changed since the last look (x, y, width, height each), so that
    // the page repaints only those, as the desktop's window does; taken once.
    std::vector<int> TakeDirty();
    const std::vector<std::string>& PictureKeys() const { return session_->PictureKeys(); }
    // The names of every lit element, in stacking order (what the display shows).
    std::string Lit() const;
    // The game display's rectangle on the panel: nearly every change while playing is inside.
    TRect DisplayArea() const;
    // The power switch's rectangle on the panel, on or off.
    TRect SwitchArea() const;
    // The toy's state in words, for a screen reader: "switched off", "switched on, score 125".
    std::string Status() const;

    // WindowHost
    TPoint ScreenSize() override { return host_.ScreenSize(); }
    TPoint WindowPos() override { return {}; }
    void MoveWindow(int, int) override {}
    void MessageBox(const std::string& text, const std::string& caption, MessageKind) override {
        host_.Message(text, caption);
    }
    void Beep() override {}
    void ShellOpen(const std::string& target) override { host_.Open(target); }
    void ShowOptionsDialog() override { host_.ShowOptions(); }
    // SessionEvents
    void PlayKept(int rank) override { host_.BestKept(rank, {}); }
    void PlayNotKept(const std::string& why) override { host_.BestKept(0, why); }
    // ElementView
    void ElementChanged(const TControl& control) override;

  private:
    // Moves the page's time on to `now` (it never goes back).
    void Tell(Millis now) { now_ = std::max(now_, now); }

    PageHost& host_;
    Millis now_ = 0;
    WebSound sound_;
    std::unique_ptr<PlaySession> session_;
    std::vector<int> scene_;
    bool changed_ = true;
    std::vector<TRect> dirty_;
    bool recording_ = false;  // a recording started and not yet handed over
    std::string link_;        // the recording of the link checked last
};

}  // namespace zarq::web

namespace zarq::web {
// The site's file of a picture in a set: "pictures/Im_Base@2x.webp".
std::string PictureFile(const std::string& key, int set);
// `text` as a JSON string, quoted, with quotes, backslashes and control bytes escaped.
std::string JsonString(std::string_view text);
// Sample `index` (in kSampleFiles' order) as 16-bit mono PCM at 22050 Hz, made by the same
// synthesiser that wrote the desktop's wave files, so the page fetches no sound at all; made
// once, at the first call. Empty for an index out of range.
const std::vector<std::int16_t>& EffectSamples(int index);
}  // namespace zarq::web
