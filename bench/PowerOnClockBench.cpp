// The power-on sequence on the real Qt clock (offscreen, silent): how far each tick of the
// sequence lands from its due time, and whether the first race starts on time.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <algorithm>
#include <map>

#include "QtTimerHost.h"
#include "SilentSound.h"
#include "panel/Unit1.h"

namespace {

// Notes, for every tick that shows or sounds anything, when it was due and when it ran.
class TickProbe : public zarq::ElementView, public zarq::SilentSound, public zarq::SilentPorts {
public:
    explicit TickProbe(zarq::QtTimerHost& host) : host_(host) {}
    std::map<zarq::Millis, zarq::Millis> ranAt;  // due time -> real time

    void ElementChanged(const zarq::TControl&) override { Mark(); }
    int FSOUND_PlaySound(int channel, zarq::FSOUND_SAMPLE* sample) override {
        Mark();
        return SilentSound::FSOUND_PlaySound(channel, sample);
    }
    void out(std::uint16_t port, std::uint8_t value) override {
        Mark();
        SilentPorts::out(port, value);
    }

private:
    void Mark() { ranAt.emplace(host_.Scheduler().Now(), host_.Now()); }
    zarq::QtTimerHost& host_;
};

class NoWindow : public zarq::WindowHost {
public:
    zarq::TPoint ScreenSize() override { return {1024, 768}; }
    zarq::TPoint WindowPos() override { return {0, 0}; }
    void MoveWindow(int, int) override {}
    void MessageBox(const std::string&, const std::string&, zarq::MessageKind) override {}
    void Beep() override {}
    void ShellOpen(const std::string&) override {}
    void ShowOptionsDialog() override {}
};

void BM_PowerOnOnTheRealClock(benchmark::State& state) {
    int argc = 1;
    char name[] = "bench_poweron";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    for (auto _ : state) {
        zarq::QtTimerHost host;
        TickProbe probe(host);
        NoWindow window;
        zarq::TForm1 form(zarq::PanelSeams{host.Scheduler(), probe, probe, window, nullptr});
        form.AvviaSuono("Windows MM", "95, 98, ME, NT");
        form.AttachView(&probe);

        const zarq::Millis on = host.Now();
        form.Puls_OffMouseDown(zarq::TMouseButton::mbLeft, 1, 1);
        probe.ranAt.clear();  // the switch itself is not a tick
        while (!form.TimerCycleZarq.Enabled()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }

        std::vector<double> late;
        for (const auto& [due, ran] : probe.ranAt) late.push_back(static_cast<double>(ran - due));
        std::sort(late.begin(), late.end());
        const zarq::Millis raceAt = probe.ranAt.rbegin()->second - on;
        state.counters["ticks"] = static_cast<double>(late.size());
        state.counters["median_late_ms"] = late.empty() ? 0 : late[late.size() / 2];
        state.counters["worst_late_ms"] = late.empty() ? 0 : late.back();
        state.counters["first_race_ms"] = static_cast<double>(raceAt);
        state.counters["first_race_drift_ms"] = static_cast<double>(raceAt - 12490);
    }
}
BENCHMARK(BM_PowerOnOnTheRealClock)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
