// One play session around the toy, the class every front end talks to: it owns the panel, the
// one input path every player input takes with the controls that feed it (the keyboard's keys
// and their chosen names, controllers, touches), the clock's catch-up rule, the choices before
// "- PLAY -", and recording and playback from their start to their end. A front end gives it
// its clock, sound, ports, window and settings store, tells it when its clock wakes, and hears
// back through SessionEvents what it must show.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/panel/InputPath.h"
#include "core/panel/Unit1.h"
#include "core/record/Recorder.h"
#include "core/record/Recording.h"
#include "core/session/BestScores.h"
#include "core/session/Controls.h"
#include "core/session/KeyBindings.h"
#include "core/session/Pads.h"
#include "core/session/SessionClock.h"
#include "core/session/Touches.h"

namespace zarq {

class PlayKeeper;
class Replayer;

// Everything a session is built with.
struct SessionSeams {
    // The front end's clock in milliseconds; it never goes back.
    std::function<Millis()> Now;
    SoundLibrary& Sound;
    PortOutput& Ports;
    WindowHost& Window;
    std::function<std::unique_ptr<SettingsStore>(const std::string& key)> OpenSettings;
    // The program's version, written into every recording's header.
    std::string Program;
};

// What the session tells its front end, which decides how to show it.
class SessionEvents {
  public:
    virtual ~SessionEvents() = default;
    // The recording ended, whatever ended it (the play's end, the player, a failure).
    virtual void RecordingEnded() {}
    // The file can no longer be written (a full disk): the recording has stopped, the file cut
    // back to its last whole line. Told once, from inside the input or tick that found it.
    virtual void RecordingFailed(const std::string& /*why*/) {}
    // A playback ended; `failure` is what the player is told, empty when all was well or the
    // player stopped it.
    virtual void PlaybackEnded(const std::string& /*failure*/) {}
    // A play that ended was kept among the best, at `rank` (1 is the best).
    virtual void PlayKept(int /*rank*/) {}
    // A play that ranked could not be kept (the shelf is full or cannot be written); the list
    // is as it was.
    virtual void PlayNotKept(const std::string& /*why*/) {}
};

class PlaySession {
  public:
    // The choices before "- PLAY -" as the toy names them, by their stored codes.
    static constexpr const char* kSoundModes[] = {"Windows MM", "DirectSound", "(no sound)"};
    static constexpr int kNoSound = 2;
    static constexpr const char* kSystems[] = {"95, 98, ME, NT", "2000"};
    static constexpr int kHumOn = 0;

    explicit PlaySession(SessionSeams seams);
    ~PlaySession();
    PlaySession(const PlaySession&) = delete;
    PlaySession& operator=(const PlaySession&) = delete;

    // One listener; null for none.
    void SetEvents(SessionEvents* events) { events_ = events; }
    // Told when the time the session wants to be woken at may have changed outside Advance (an
    // input enabled a timer, a playback started or ended), so that the front end arms its
    // clock's wake-up anew.
    void SetWakeChanged(std::function<void()> changed) { wakeChanged_ = std::move(changed); }

    // The panel, for painting and pointing; its state is the toy's own.
    TForm1& Panel() { return *form_; }
    const TForm1& Panel() const { return *form_; }
    // Where every player input for the toy goes.
    InputPath& Input() { return *input_; }
    SessionClock& Clock() { return clock_; }

    // ---- Controls ------------------------------------------------------------------------
    // Every device holds the toy's controls together through these: the keyboard, each
    // controller, each finger.
    SharedControls& Controls() { return *controls_; }
    HeldKeys& Keyboard() { return *keyboard_; }
    Pads& Controllers() { return *pads_; }
    Touches& Touch() { return *touches_; }
    // The player's keys by their portable names (the defaults until chosen).
    const KeyBindings& Keys() const { return keys_; }
    // New keys: those held under the old ones are let go first.
    void SetKeys(const KeyBindings& keys);
    // The switch, as a controller's Start works it.
    void TogglePower();
    // Whether the toy is switched on, and the score it shows with a pass of 2000 for every
    // marker, as a player counts it.
    bool SwitchedOn() const { return !form_->Puls_Off->Visible(); }
    std::int64_t Score() const { return TotalScore(*form_); }
    TimerScheduler& Scheduler() { return clock_.Scheduler(); }
    Millis Now() const { return clock_.Now(); }

    // The front end's clock woke: due ticks run, or a playback's steps. Returns the time to be
    // woken at next, or nothing.
    std::optional<Millis> Advance();
    std::optional<Millis> NextWake() const;

    // The panel was activated: the first time, the options dialog comes forward.
    void Activate() { form_->FormActivate(); }
    // The options dialog is not shown (a playback from the command line): its first showing
    // is taken as done.
    void SkipOptionsDialog();

    // ---- Before PLAY ----------------------------------------------------------------------
    // The stored codes (positions in kSoundModes and kSystems); nothing when missing or not a
    // position.
    std::optional<int> StoredSoundMode() const;
    std::optional<int> StoredSystem() const;
    // "- PLAY -": the choices stored, the sound started; `started` then runs (the front end
    // shows the panel), and at the first play ever the player is warned. False when the sound
    // folder is missing: the player is told and the choices forgotten.
    bool Play(int soundMode, int system, const std::function<void()>& started = {});

    // A setting of the front end's own (the zoom), by its name in SettingsKeys.h.
    int ReadSetting(const char* name, int defaultValue) const;
    void WriteSetting(const char* name, int value);
    // The same settings as a store, for a part of a front end that keeps its own (the window's
    // zoom); without a store every value reads as its default and nothing is kept.
    SettingsStore& Settings() { return *settingsView_; }

    // ---- Recording and playback -------------------------------------------------------------
    // Starts recording into `path` (a playback or recording running ends first); the toy is
    // switched off first, as every recording begins. Empty when it runs, otherwise why not.
    std::string StartRecording(const std::string& path);
    // The same, kept in memory rather than in a file (a web page has no files); its text is
    // RecordedText() once it has stopped.
    void StartRecordingInMemory();
    void StopRecording();
    bool IsRecording() const;
    const std::string& RecordedText() const { return recordedText_; }

    // Plays a recording read by the front end, from now, at the clock's pace; the player's
    // controls are off meanwhile. Empty when it plays, otherwise why not.
    std::string StartPlayback(ReadResult read);
    void StopPlayback();
    bool PlayingBack() const { return replay_ != nullptr; }
    // What the player was told about the playback that ended last (empty: nothing).
    const std::string& PlaybackFailure() const { return lastFailure_; }

    // ---- Best scores -----------------------------------------------------------------------
    // Every play the player plays is kept while it runs; one that ends among the ten best
    // scores is put on the front end's shelf. The front end loads the list from its shelf.
    BestScores& Best() { return best_; }
    void SetBestScoreShelf(BestScoreShelf* shelf) { best_.SetShelf(shelf); }
    // The program ends (or the page is put away): a play under way ends here and is kept when
    // it ranks. Nothing more is kept until Reopen.
    void Close();
    // The program goes on after all (a page shown again from the browser's cache): plays are
    // kept again from the next one that starts.
    void Reopen();

    // Every picture the panel shows, now or later, sorted.
    const std::vector<std::string>& PictureKeys() const { return pictureKeys_; }

  private:
    // `played`: the replay ran to its end (not stopped by the player).
    void EndPlayback(bool played);
    // A recorder for a new recording, whatever recorded or played before ended.
    Recorder::Options RecorderOptions() const;
    void NewRecorder();
    void WakeChanged();
    SettingsStore* Store() const;
    class StoreView;

    SessionSeams seams_;
    SessionClock clock_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<InputPath> input_;
    std::unique_ptr<SharedControls> controls_;
    std::unique_ptr<HeldKeys> keyboard_;
    std::unique_ptr<Pads> pads_;
    std::unique_ptr<Touches> touches_;
    KeyBindings keys_ = KeyBindings::Defaults();
    SessionEvents* events_ = nullptr;
    std::function<void()> wakeChanged_;
    std::unique_ptr<SettingsStore> settingsView_;
    bool advancing_ = false;
    std::vector<std::string> pictureKeys_;

    BestScores best_;
    std::unique_ptr<PlayKeeper> keeper_;
    bool closed_ = false;
    std::unique_ptr<Recorder> recorder_;
    std::string recordedText_;
    std::unique_ptr<Recording> recording_;
    std::unique_ptr<Replayer> replay_;
    Millis playbackOrigin_ = 0;
    std::string verdict_;  // why the file's play does not give what its end line says
    std::string lastFailure_;
};

}  // namespace zarq
