// --verify of an hour of play, and replay links: the seeded player plays through races, duels,
// barrier stages and game overs (starting again each time) while the recorder writes; the benchmark
// then reads the file and replays it headless, as the command line does. Target: under 0.1 s. And
// the reader's memory on a file of the shortest lines there are, as the heap holds it once read:
// target under twice the file's size ("heap_per_file_byte" below 2).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/record/Recorder.h"
#include "core/record/ReplayLink.h"
#include "core/record/Verify.h"
#include "tests/harness/Harness.h"
#include "tests/harness/PlayBot.h"

namespace {

// The seeded player's play of `minutes`, starting again after each game over, as recorded.
std::string RecordedPlay(zarq::Millis minutes) {
    zarq::test::Toy toy;
    toy.SoundOn();
    zarq::InputPath input(toy.F());
    zarq::Recorder recorder(toy.F(), input, toy.Clock.Scheduler(), {"bench", 0, false});
    recorder.Start();
    input.SwitchOn();
    zarq::test::PlayBot bot(toy.F(), input, toy.Clock, 2);
    bot.Play(minutes * 60'000, true);
    recorder.Stop();
    return recorder.Text();
}

std::string RecordAnHour() {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("zarq-bench-hour-" + std::to_string(::getpid()) + ".zrec"))
                                 .string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << RecordedPlay(60);
    return out.good() ? path : std::string();
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

std::size_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

void BM_ReadTheShortestLines(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("zarq-bench-short-" + std::to_string(::getpid()) + ".zrec"))
                                 .string();
    {
        // A header from a recorder, then 16 MiB of 14-byte lines.
        zarq::test::Toy toy;
        zarq::InputPath input(toy.F());
        zarq::Recorder recorder(toy.F(), input, toy.Clock.Scheduler(), {"bench", 0, false});
        if (!recorder.Start(path)) {
            state.SkipWithError("the recording could not be written");
            return;
        }
    }
    std::string text;
    {
        std::ifstream in(path);
        std::getline(in, text, '\0');
    }
    text.resize(text.find("end "));
    std::string lines;
    for (int i = 0; i < 1024; ++i) lines += "0 0 key-up up\n";
    {
        std::ofstream out(path, std::ios::trunc);
        out << text;
        for (int i = 0; i < 1200; ++i) out << lines;
    }
    const double bytes = static_cast<double>(std::filesystem::file_size(path));
    double held = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        const zarq::ReadResult read = zarq::ReadRecordingFile(path);
        held = static_cast<double>(HeapInUse() - before);
        benchmark::DoNotOptimize(read);
        if (!read.Value) state.SkipWithError(read.Error.c_str());
    }
    state.counters["bytes"] = bytes;
    state.counters["heap_per_file_byte"] = held / bytes;
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadTheShortestLines)->Unit(benchmark::kMillisecond);

// The length of a replay link for a play of one, ten and sixty minutes by the seeded player
// (starting again after each game over), and the time to make and to open one. Links above
// 32 KB are not offered for copying.
void BM_ReplayLinkOfAPlay(benchmark::State& state) {
    const std::string text = RecordedPlay(state.range(0));
    std::string link;
    for (auto _ : state) {
        link = zarq::ReplayLinkAddress("", text);
        const zarq::LinkResult back = zarq::RecordingFromLink(link);
        if (!back.Value || *back.Value != text)
            state.SkipWithError("the link does not give the play back");
    }
    state.counters["recording_bytes"] = static_cast<double>(text.size());
    state.counters["link_chars"] = static_cast<double>(link.size() - zarq::kLinkMarker.size());
    state.counters["copyable"] = link.size() <= zarq::kLinkLengthLimit ? 1 : 0;
}
BENCHMARK(BM_ReplayLinkOfAPlay)->Arg(1)->Arg(10)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace
