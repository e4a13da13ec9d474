// --verify of an hour of play compiled to WebAssembly and run under node: the seeded player
// plays an hour while the recorder writes, then the file is read and replayed headless as the
// command line does, a few times; prints the best time. Target: under 0.1 s.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "core/record/Recorder.h"
#include "core/record/Verify.h"
#include "tests/harness/Harness.h"
#include "tests/harness/PlayBot.h"

int main() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "zarq-wasm-hour.zrec").string();
    {
        zarq::test::Toy toy;
        toy.SoundOn();
        zarq::InputPath input(toy.F());
        zarq::Recorder recorder(toy.F(), input, toy.Clock.Scheduler(), {"bench", 0, false});
        if (!recorder.Start(path)) {
            std::fprintf(stderr, "the recording could not be written to %s\n", path.c_str());
            return 1;
        }
        input.SwitchOn();
        zarq::test::PlayBot bot(toy.F(), input, toy.Clock, 2);
        bot.Play(3'600'000, true);
        recorder.Stop();
    }
    double best = 1e9;
    int exit = -1;
    for (int run = 0; run < 5; ++run) {
        std::ostringstream out, err;
        const auto start = std::chrono::steady_clock::now();
        exit = zarq::VerifyFile(path, out, err);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    std::printf("verify of an hour of play (wasm): %.1f ms, %ju bytes, %s\n", best * 1000,
                static_cast<std::uintmax_t>(std::filesystem::file_size(path)),
                exit == zarq::kVerifyMatch ? "verified" : "NOT VERIFIED");
    std::filesystem::remove(path);
    return exit == zarq::kVerifyMatch ? 0 : 1;
}
