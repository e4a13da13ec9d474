// The native core's answer for the web tests: a panel on the virtual clock, started as the page
// starts it (no stored choices, "- PLAY -" with the given sound choice), then the given inputs
// at their milliseconds after the switch is turned on. Prints, for each asked millisecond, the
// lit elements, and every sound call and speaker tone with its millisecond.
//   web_reference [--sound] EVENT... -- MS...
//   EVENT: <ms>:switch-on | <ms>:switch-off | <ms>:down:<key code> | <ms>:up:<key code>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/panel/InputPath.h"
#include "core/panel/SilentSeams.h"
#include "core/panel/SpeakerPorts.h"
#include "core/panel/Unit1.h"

namespace {

using namespace zarq;

class Settings : public SettingsStore {
  public:
    int ReadInteger(const std::string& name, int defaultValue) override {
        const auto it = values_.find(name);
        return it == values_.end() ? defaultValue : it->second;
    }
    void WriteInteger(const std::string& name, int value) override { values_[name] = value; }

  private:
    std::map<std::string, int> values_;
};

// Every Play with its sample's file stem, as "sound <ms> <stem>".
class LoggedSound : public SilentSound {
  public:
    explicit LoggedSound(VirtualClock& clock) : clock_(clock) {}
    FSOUND_SAMPLE* FSOUND_Sample_Load(int i, const char* name, unsigned mode, int length) override {
        FSOUND_SAMPLE* sample = SilentSound::FSOUND_Sample_Load(i, name, mode, length);
        std::string stem = name;
        stem = stem.substr(stem.rfind('/') + 1);
        names_[sample] = stem.substr(0, stem.find('.'));
        return sample;
    }
    int FSOUND_PlaySound(int, FSOUND_SAMPLE* sample) override {
        std::cout << "sound " << clock_.Now() << ' ' << names_[sample] << std::endl;
        return 0;
    }

  private:
    VirtualClock& clock_;
    std::map<FSOUND_SAMPLE*, std::string> names_;
};

// Every change of the speaker's tone, as "speaker <ms> <hertz>" (0: silent).
class LoggedPorts : public PortOutput {
  public:
    explicit LoggedPorts(VirtualClock& clock) : clock_(clock) {}
    void out(std::uint16_t port, std::uint8_t value) override {
        if (!speaker_.Write(port, value)) return;
        std::printf("speaker %lld %.9f\n", static_cast<long long>(clock_.Now()),
                    speaker_.Frequency());
        std::fflush(stdout);
    }

  private:
    VirtualClock& clock_;
    SpeakerPorts speaker_;
};

struct Event {
    Millis At;
    std::string What;
};

}  // namespace

int main(int argc, char** argv) {
    bool sound = false;
    std::vector<Event> events;
    std::vector<Millis> queries;
    bool afterDash = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sound") {
            sound = true;
        } else if (arg == "--") {
            afterDash = true;
        } else if (afterDash) {
            queries.push_back(std::atoll(arg.c_str()));
        } else {
            const auto colon = arg.find(':');
            events.push_back({std::atoll(arg.substr(0, colon).c_str()), arg.substr(colon + 1)});
        }
    }
    VirtualClock clock;
    LoggedSound library(clock);
    LoggedPorts ports(clock);
    SilentWindow window;
    TForm1 form(PanelSeams{clock.Scheduler(), library, ports, window,
                           [](const std::string&) { return std::make_unique<Settings>(); }});
    InputPath input(form);
    form.FormActivate();
    form.AvviaSuono(sound ? "Windows MM" : "(no sound)", "95, 98, ME, NT");

    std::vector<std::pair<Millis, int>> steps;  // time, index: an event (>= 0) or a query (< 0)
    for (std::size_t i = 0; i < events.size(); ++i)
        steps.emplace_back(events[i].At, static_cast<int>(i));
    for (std::size_t i = 0; i < queries.size(); ++i)
        steps.emplace_back(queries[i], -1 - static_cast<int>(i));
    std::stable_sort(steps.begin(), steps.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [at, index] : steps) {
        clock.Advance(at - clock.Now());
        if (index < 0) {
            std::cout << "lit " << at << ' ';
            bool first = true;
            for (const auto& control : form.Controls()) {
                const auto* image = dynamic_cast<const TImage*>(control.get());
                if (image == nullptr || !image->Visible()) continue;
                std::cout << (first ? "" : " ") << image->Name();
                first = false;
            }
            std::cout << std::endl;
            continue;
        }
        const std::string& what = events[static_cast<std::size_t>(index)].What;
        if (what == "switch-on") {
            input.SwitchOn();
        } else if (what == "switch-off") {
            input.SwitchOff();
        } else if (what.rfind("down:", 0) == 0) {
            input.KeyDown(std::atoi(what.c_str() + 5));
        } else if (what.rfind("up:", 0) == 0) {
            input.KeyUp(std::atoi(what.c_str() + 3));
        } else {
            std::cerr << "unknown event " << what << '\n';
            return 2;
        }
    }
    return 0;
}
