// A panel on the virtual clock with recording seams, and what a player does and sees.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/panel/Unit1.h"
#include "core/session/PlaySession.h"

namespace zarq::test {

// One call to the sound library, with the virtual time it was made at.
struct SoundCall {
    Millis At;
    std::string Call;    // "Init", "SetOutput", "Load", "Play", "Stop", "Free", "Close"
    std::string Sample;  // the sample's file stem for Load, Play and Free ("" for null)
    int Arg = 0;
};

class RecordingSound : public SoundLibrary {
  public:
    explicit RecordingSound(const TimerScheduler& clock) : clock_(&clock) {}
    RecordingSound() = default;  // bound later to a session's clock; until then time 0
    void Bind(const TimerScheduler& clock) { clock_ = &clock; }
    // Files whose loading fails, by stem ("Beep").
    std::vector<std::string> Missing;
    std::vector<SoundCall> Calls;

    bool FSOUND_Init(int mixrate, int channels, unsigned flags) override;
    bool FSOUND_SetOutput(int outputtype) override;
    FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned mode,
                                      int length) override;
    int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) override;
    bool FSOUND_StopSound(int channel) override;
    void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) override;
    void FSOUND_Close() override;

    // "Beep@320" for every Play, in order.
    std::vector<std::string> Played() const;
    std::string NameOf(FSOUND_SAMPLE* sample) const;

  private:
    void Log(const std::string& call, const std::string& sample = "", int arg = 0);
    const TimerScheduler* clock_ = nullptr;
    std::vector<std::unique_ptr<char>> samples_;
    std::map<const void*, std::string> names_;
};

struct PortWrite {
    Millis At;
    std::uint16_t Port;
    std::uint8_t Value;
    bool operator==(const PortWrite&) const = default;
};

class RecordingPorts : public PortOutput {
  public:
    explicit RecordingPorts(const TimerScheduler& clock) : clock_(&clock) {}
    RecordingPorts() = default;
    void Bind(const TimerScheduler& clock) { clock_ = &clock; }
    std::vector<PortWrite> Writes;
    void out(std::uint16_t port, std::uint8_t value) override {
        Writes.push_back({clock_ ? clock_->Now() : 0, port, value});
    }

  private:
    const TimerScheduler* clock_ = nullptr;
};

class MemorySettings : public SettingsStore {
  public:
    explicit MemorySettings(std::map<std::string, std::string>& values) : values_(values) {}
    int ReadInteger(const std::string& name, int defaultValue) override;
    void WriteInteger(const std::string& name, int value) override {
        values_[name] = std::to_string(value);
    }

  private:
    std::map<std::string, std::string>& values_;
};

class RecordingWindow : public WindowHost {
  public:
    TPoint Screen{1024, 768};
    TPoint Pos{-600, 0};
    std::vector<std::string> Events;  // "box:Error:text", "beep", "open:readme.txt", "options"
    TPoint ScreenSize() override { return Screen; }
    TPoint WindowPos() override { return Pos; }
    void MoveWindow(int left, int top) override { Pos = {left, top}; }
    void MessageBox(const std::string& text, const std::string& caption, MessageKind) override {
        Events.push_back("box:" + caption + ":" + text);
    }
    void Beep() override { Events.push_back("beep"); }
    void ShellOpen(const std::string& target) override { Events.push_back("open:" + target); }
    void ShowOptionsDialog() override { Events.push_back("options"); }
};

// The whole toy on the virtual clock.
class Toy {
  public:
    Toy();

    VirtualClock Clock;
    RecordingSound Sound{Clock.Scheduler()};
    RecordingPorts Ports{Clock.Scheduler()};
    RecordingWindow Window;
    std::map<std::string, std::string> Stored;  // the settings store's values
    std::unique_ptr<TForm1> Form;

    TForm1& F() { return *Form; }
    TGameState& G() { return Form->G; }

    // Sound on, speaker on, samples loaded (as after "- PLAY -" with "Windows MM" and "95, 98, ME,
    // NT").
    void SoundOn();
    void Advance(Millis ms) { Clock.Advance(ms); }
    Millis Now() const { return Clock.Now(); }
    void SwitchOn();
    void SwitchOff();
    void Press(int key) { Form->FormKeyDown(key); }
    void Release(int key) { Form->FormKeyUp(key); }

    bool Lit(const std::string& element) const;
    // The digits shown on the four places, blank as '_': "__45".
    std::string ScoreShown() const;
    // The 7 x 5 lattice as text, top row first (the legend is at LatticeText below).
    std::string Lattice() const;
};

// A play session on a front end's clock that the test moves, with the recording seams.
class SessionRig {
  public:
    SessionRig();

    Millis Time = 0;  // the front end's clock
    RecordingSound Sound;
    RecordingPorts Ports;
    RecordingWindow Window;
    std::map<std::string, std::string> Stored;
    PlaySession Session;

    TForm1& F() { return Session.Panel(); }
    TGameState& G() { return Session.Panel().G; }
    // The clock moves on to `to`, waking the session whenever it asked to be, and at `to`.
    void RunTo(Millis to);
    void ClickSwitch();  // on or off, whichever the switch shows
};

// The lattice of a panel as text: per row a line of vertical segments then a line of points
// and horizontal segments. '|' a lit vertical bar, '!' its dash alone, 'I' bar and dash;
// '---' a lit horizontal bar, '~~~' its dash alone, '===' bar and dash; '+' a point.
std::string LatticeText(const TForm1& form);

}  // namespace zarq::test
