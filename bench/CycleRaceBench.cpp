// The cycle race run headless on the virtual clock: both cycles stepping, the score award and
// the redraws, with a player who turns now and then. Reported as simulated seconds per wall
// second; the target is above 100,000.
#include <benchmark/benchmark.h>

#include <random>

#include "core/panel/SilentSeams.h"
#include "core/panel/Unit1.h"

namespace zarq {
namespace {

struct Headless {
    VirtualClock clock;
    SilentSound sound;
    SilentPorts ports;
    SilentWindow window;
    TForm1 form{PanelSeams{clock.Scheduler(), sound, ports, window, nullptr}};

    Headless() { form.AvviaSuono("Windows MM", "95, 98, ME, NT"); }

    // A race set going as game 1 starts it, at `level`.
    void StartRace(int level) {
        TGameState& g = form.G;
        form.BloccaTimers();
        g.CurrentGame = 1;
        g.SpeedLevel = level;
        g.ZarqLives = 4;
        g.KrevLives = 4;
        g.CycleKrevLives = 3;
        g.EngineTone = 20;
        form.SetUpLabyrinth();
        form.TimerCycleKrev.SetInterval(g.SpeedTable[level][CycleKrev]);
        form.StartCycleRound();
    }
};

// Turn codes at right angles to each heading.
constexpr int kSideCodes[5][2] = {{0, 0}, {3, 7}, {1, 5}, {4, 8}, {2, 6}};

void BM_CycleRace(benchmark::State& state) {
    Headless h;
    TGameState& g = h.form.G;
    std::mt19937 rng(1);
    std::bernoulli_distribution turn(0.25);
    Millis simulated = 0;
    std::int64_t races = 0;
    for (auto _ : state) {
        // One race from its start to the first crash; the end sequences are left out, so
        // only racing time counts.
        h.StartRace(static_cast<int>(races % 6) + 1);
        const Millis start = h.clock.Now();
        while (g.PlayEnabled) {
            if (turn(rng)) g.ZarqTurnRequest = kSideCodes[g.ZarqDirection][rng() & 1];
            h.clock.RunNext();
        }
        simulated += h.clock.Now() - start;
        ++races;
    }
    if (h.form.TableFaults() != 0) state.SkipWithError("an index fell outside its table");
    state.counters["races"] = static_cast<double>(races);
    state.counters["sim_s_per_wall_s"] =
        benchmark::Counter(static_cast<double>(simulated) / 1000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CycleRace)->UseRealTime();

// Game 1 as the player sees it: races with their win and miss sequences and intermissions,
// a fresh game whenever game 1 ends.
void BM_CycleGame(benchmark::State& state) {
    Headless h;
    TGameState& g = h.form.G;
    std::mt19937 rng(2);
    std::bernoulli_distribution turn(0.25);
    h.StartRace(1);
    const Millis start = h.clock.Now();
    for (auto _ : state) {
        if (h.form.TimerAvvioGioco2.Enabled() || h.form.TimerOver.Enabled()) h.StartRace(1);
        if (g.PlayEnabled && turn(rng)) g.ZarqTurnRequest = kSideCodes[g.ZarqDirection][rng() & 1];
        h.clock.RunNext();
    }
    state.counters["sim_s_per_wall_s"] = benchmark::Counter(
        static_cast<double>(h.clock.Now() - start) / 1000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CycleGame)->UseRealTime();

}  // namespace
}  // namespace zarq
