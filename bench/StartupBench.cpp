// Start to first painted window: the simulator against the smallest Qt widgets window, each
// started as a fresh process that ends after its first paint. Both run alternately in every
// iteration, so a busy machine slows both alike; the ratio is the figure to watch (target:
// under 1.5).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Wall time from spawning `program` to its exit, in milliseconds.
double StartToExit(const char* program) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    env.emplace_back("ZARQ_QUIT_AFTER_FIRST_PAINT=1");
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, envp.data()) != 0) {
        throw std::runtime_error(std::string("cannot start ") + program);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(std::string(program) + " did not end cleanly");
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

void BM_StartToFirstPaint(benchmark::State& state) {
    double simulator = 0;
    double minimal = 0;
    for (auto _ : state) {
        const double s = StartToExit(ZARQ_SIMULATOR);
        minimal += StartToExit(ZARQ_MINIMAL_WINDOW);
        simulator += s;
        state.SetIterationTime(s / 1000.0);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["simulator_ms"] = simulator / n;
    state.counters["minimal_widget_ms"] = minimal / n;
    state.counters["ratio"] = simulator / minimal;
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace
