// The recording seams and the player's-eye helpers of the test harness.
#include "tests/harness/Harness.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace zarq::test {

void RecordingSound::Log(const std::string& call, const std::string& sample, int arg) {
    Calls.push_back({clock_ != nullptr ? clock_->Now() : 0, call, sample, arg});
}

bool RecordingSound::FSOUND_Init(int mixrate, int, unsigned) {
    Log("Init", "", mixrate);
    return true;
}

bool RecordingSound::FSOUND_SetOutput(int outputtype) {
    Log("SetOutput", "", outputtype);
    return true;
}

FSOUND_SAMPLE* RecordingSound::FSOUND_Sample_Load(int, const char* name, unsigned mode, int) {
    const std::string stem = std::filesystem::path(name).stem().string();
    Log("Load", stem, static_cast<int>(mode));
    for (const std::string& m : Missing) {
        if (m == stem) return nullptr;
    }
    samples_.push_back(std::make_unique<char>('s'));
    names_[samples_.back().get()] = stem;
    return reinterpret_cast<FSOUND_SAMPLE*>(samples_.back().get());
}

std::string RecordingSound::NameOf(FSOUND_SAMPLE* sample) const {
    auto it = names_.find(sample);
    return it == names_.end() ? "" : it->second;
}

int RecordingSound::FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) {
    Log("Play", NameOf(sample), channel);
    return 0;
}

bool RecordingSound::FSOUND_StopSound(int channel) {
    Log("Stop", "", channel);
    return true;
}

void RecordingSound::FSOUND_Sample_Free(FSOUND_SAMPLE* sample) {
    Log("Free", NameOf(sample));
}

void RecordingSound::FSOUND_Close() {
    Log("Close");
}

std::vector<std::string> RecordingSound::Played() const {
    std::vector<std::string> out;
    for (const SoundCall& c : Calls) {
        if (c.Call == "Play") out.push_back(c.Sample + "@" + std::to_string(c.At));
    }
    return out;
}

int MemorySettings::ReadInteger(const std::string& name, int defaultValue) {
    auto it = values_.find(name);
    if (it == values_.end()) return defaultValue;
    const std::string& text = it->second;
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return defaultValue;
    return value;
}

Toy::Toy() {
    PanelSeams seams{Clock.Scheduler(), Sound, Ports, Window,
                     [this](const std::string&) -> std::unique_ptr<SettingsStore> {
                         return std::make_unique<MemorySettings>(Stored);
                     }};
    Form = std::make_unique<TForm1>(std::move(seams));
}

SessionRig::SessionRig()
    : Session(SessionSeams{[this] { return Time; }, Sound, Ports, Window,
                           [this](const std::string&) -> std::unique_ptr<SettingsStore> {
                               return std::make_unique<MemorySettings>(Stored);
                           },
                           "test"}) {
    Sound.Bind(Session.Scheduler());
    Ports.Bind(Session.Scheduler());
}

void SessionRig::RunTo(Millis to) {
    Session.Advance();
    for (std::optional<Millis> wake = Session.NextWake(); wake && *wake <= to;
         wake = Session.NextWake()) {
        Time = std::max(Time, *wake);
        Session.Advance();
    }
    Time = std::max(Time, to);
    Session.Advance();
}

void SessionRig::ClickSwitch() {
    F().Puls_Off->Visible() ? Session.Input().SwitchOn() : Session.Input().SwitchOff();
}

void Toy::SoundOn() {
    Form->AvviaSuono("Windows MM", "95, 98, ME, NT");
}

void Toy::SwitchOn() {
    const TRect& r = Form->Puls_Off->Bounds();
    Form->Puls_OffMouseDown(TMouseButton::mbLeft, r.Width / 2, r.Height / 2);
}

void Toy::SwitchOff() {
    const TRect& r = Form->Puls_On->Bounds();
    Form->Puls_OnMouseDown(TMouseButton::mbLeft, r.Width / 2, r.Height / 2);
}

bool Toy::Lit(const std::string& element) const {
    const TControl* c = Form->FindControl(element);
    return c != nullptr && c->Visible();
}

std::string Toy::ScoreShown() const {
    std::string out;
    for (int p = 1; p <= 4; ++p) {
        const std::string& pic = Form->DigitPos[p]->Picture();
        out += pic.empty() ? '_' : pic.back();
    }
    return out;
}

std::string Toy::Lattice() const {
    return LatticeText(*Form);
}

std::string LatticeText(const TForm1& form) {
    const TForm1& f = form;
    std::string out;
    for (int r = 5; r >= 1; --r) {
        for (int c = 1; c <= 7; ++c) {
            const bool bar = f.BarV[c][r]->Visible(), dash = f.DiskV[c][r]->Visible();
            out += bar && dash ? 'I' : bar ? '|' : dash ? '!' : ' ';
            out += "   ";
        }
        out += '\n';
        for (int c = 1; c <= 7; ++c) {
            const bool bar = f.BarH[c][r]->Visible(), dash = f.DiskH[c][r]->Visible();
            out += '+';
            out += bar && dash ? "===" : bar ? "---" : dash ? "~~~" : "   ";
        }
        out += '\n';
    }
    return out;
}

}  // namespace zarq::test
