// The power-on sequence on the real Qt clock (offscreen, silent): how far each tick of the
// sequence lands from its due time, and whether the first race starts on time.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <algorithm>
#include <map>

#include "core/panel/SilentSeams.h"
#include "core/panel/Unit1.h"
#include "core/session/PlaySession.h"
#include "desktop/window/QtTimerHost.h"

namespace {

// Notes, for every tick that shows or sounds anything, when it was due and when it ran.
class TickProbe : public zarq::ElementView, public zarq::SilentSound, public zarq::SilentPorts {
  public:
    explicit TickProbe(zarq::QtTimerHost& host) : host_(host) {}
    const zarq::TimerScheduler* scheduler = nullptr;  // the session's, once it is made
    // Due time (ms on the host's clock) -> when it ran (ns on the same clock).
    std::map<zarq::Millis, qint64> ranAt;

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
    void Mark() {
        if (scheduler != nullptr) ranAt.emplace(scheduler->Now(), host_.NowNs());
    }
    zarq::QtTimerHost& host_;
};

void BM_PowerOnOnTheRealClock(benchmark::State& state) {
    int argc = 1;
    char name[] = "bench_poweron";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    for (auto _ : state) {
        zarq::QtTimerHost host;
        TickProbe probe(host);
        zarq::SilentWindow window;
        zarq::PlaySession session(
            zarq::SessionSeams{[&host] { return host.Now(); }, probe, probe, window, nullptr, ""});
        probe.scheduler = &session.Scheduler();
        host.Drive(&session);
        zarq::TForm1& form = session.Panel();
        form.AvviaSuono("Windows MM", "95, 98, ME, NT");
        form.AttachView(&probe);

        const qint64 onNs = host.NowNs();
        form.Puls_OffMouseDown(zarq::TMouseButton::mbLeft, 1, 1);
        probe.ranAt.clear();  // the switch itself is not a tick
        while (!form.TimerCycleZarq.Enabled()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }

        std::vector<double> late;
        for (const auto& [due, ran] : probe.ranAt) {
            late.push_back(static_cast<double>(ran) / 1e6 - static_cast<double>(due));
        }
        std::sort(late.begin(), late.end());
        const double raceAt = static_cast<double>(probe.ranAt.rbegin()->second - onNs) / 1e6;
        state.counters["ticks"] = static_cast<double>(late.size());
        state.counters["median_late_ms"] = late.empty() ? 0 : late[late.size() / 2];
        state.counters["worst_late_ms"] = late.empty() ? 0 : late.back();
        state.counters["first_race_ms"] = raceAt;
        state.counters["first_race_drift_ms"] = raceAt - 12490.0;
        host.Drive(nullptr);
    }
}
BENCHMARK(BM_PowerOnOnTheRealClock)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
