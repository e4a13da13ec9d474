// What polling the game controllers costs the program: the feed's timer on a real Qt event
// loop for 10 s of wall time, with the panel active, once with no controller attached and
// once with one attached and idle. Reported as the process's CPU time in per cent of one
// core (target: under 0.1 %).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <memory>

#include "desktop/input/ControllerFeed.h"
#include "desktop/input/GameControllers.h"
#include "tests/harness/Harness.h"
#include "tests/input/VirtualPad.h"  // tests/input

namespace zarq {
namespace {

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_ControllerPolling(benchmark::State& state) {
    const bool withController = state.range(0) != 0;
    const int seconds = static_cast<int>(state.range(1));
    test::Toy toy;
    InputPath path(toy.F());
    SharedControls controls(path);
    GameControllers pads(controls);
    if (!pads.Started()) {
        state.SkipWithError("SDL's game controller support did not start");
        return;
    }
    std::unique_ptr<test::VirtualPad> pad;
    if (withController) {
        pad = std::make_unique<test::VirtualPad>();
        if (!pad->Plugged()) {
            state.SkipWithError("SDL could not attach a virtual controller");
            return;
        }
    }
    QWidget panel;
    panel.show();
    ControllerFeed feed(pads, panel);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&panel, &activate);  // as the window system does
    QCoreApplication::processEvents();

    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        const double cpuBefore = ProcessCpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        loop.exec();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        state.SetIterationTime(wall);
        state.counters["cpu_percent"] = 100.0 * cpu / wall;
        state.counters["poll_interval_ms"] = feed.Interval();
        state.counters["controllers"] = pads.Attached();
        state.counters["polling"] = feed.Polling() ? 1 : 0;
    }
}
// {controller attached, seconds}
BENCHMARK(BM_ControllerPolling)
    ->ArgNames({"controller", "seconds"})
    ->Args({0, 10})
    ->Args({1, 10})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One look at one idle controller, alone: the share of the figures above that is SDL's and
// ours rather than the event loop's.
void BM_OnePollOfAnIdleController(benchmark::State& state) {
    test::Toy toy;
    InputPath path(toy.F());
    SharedControls controls(path);
    GameControllers pads(controls);
    test::VirtualPad pad;
    if (!pads.Started() || !pad.Plugged()) {
        state.SkipWithError("no virtual controller");
        return;
    }
    std::int64_t now = 0;
    for (auto _ : state) benchmark::DoNotOptimize(pads.Poll(now += 8));
}
BENCHMARK(BM_OnePollOfAnIdleController);

// The floor under the figures above: a timer at the feed's rate that does nothing.
void BM_EmptyTimerAtThePollRate(benchmark::State& state) {
    QTimer timer;
    timer.start(ControllerFeed::kAttachedInterval);
    QObject::connect(&timer, &QTimer::timeout, [] {});
    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(10000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        const double cpuBefore = ProcessCpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        loop.exec();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        state.SetIterationTime(wall);
        state.counters["cpu_percent"] = 100.0 * (ProcessCpuSeconds() - cpuBefore) / wall;
    }
}
BENCHMARK(BM_EmptyTimerAtThePollRate)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zarq
