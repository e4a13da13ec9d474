// --verify of an hour of play: the seeded player plays through races, duels, barrier stages
// and game overs (starting again each time) while the recorder writes; the benchmark then
// reads the file and replays it headless, as the command line does. Target: under 0.1 s.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <unistd.h>

#include "harness/Harness.h"
#include "harness/PlayBot.h"
#include "record/Recorder.h"
#include "record/Verify.h"

namespace {

std::string RecordAnHour() {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("zarq-bench-hour-" + std::to_string(::getpid()) + ".zrec")).string();
    zarq::test::Toy toy;
    toy.SoundOn();
    zarq::InputPath input(toy.F());
    zarq::Recorder recorder(toy.F(), input, toy.Clock.Scheduler(), {"bench", 0, false});
    if (!recorder.Start(path)) return {};
    input.SwitchOn();
    zarq::test::PlayBot bot(toy.F(), input, toy.Clock, 2);
    bot.Play(3'600'000, true);
    recorder.Stop();
    return path;
}

void BM_VerifyAnHourOfPlay(benchmark::State& state) {
    const std::string path = RecordAnHour();
    if (path.empty()) {
        state.SkipWithError("the recording could not be written");
        return;
    }
    int exit = -1;
    for (auto _ : state) {
        std::ostringstream out, err;
        exit = zarq::VerifyFile(path, out, err);
        benchmark::DoNotOptimize(exit);
    }
    const zarq::ReadResult read = zarq::ReadRecordingFile(path);
    state.counters["lines"] = read.Value ? static_cast<double>(read.Value->Steps.size()) : 0;
    state.counters["ticks"] = read.Value ? static_cast<double>(read.Value->End.Ticks) : 0;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
    if (exit != zarq::kVerifyMatch) state.SkipWithError("the hour of play did not verify");
}
BENCHMARK(BM_VerifyAnHourOfPlay)->Unit(benchmark::kMillisecond);

}  // namespace
