// Writes one true play of the given length for the scoreboard's benchmarks: the seeded player
// from the switch on, starting again after each game over, the recording closed at the end.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/record/Recorder.h"
#include "core/record/Verify.h"
#include "tests/harness/Harness.h"
#include "tests/harness/PlayBot.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scoreboard_play_maker FILE MINUTES\n");
        return 2;
    }
    const std::string path = argv[1];
    const zarq::Millis length = std::atoll(argv[2]) * 60'000;
    zarq::test::Toy toy;
    zarq::InputPath input(toy.F());
    zarq::Recorder recorder(toy.F(), input, toy.Clock.Scheduler(), {"bench", 0, false});
    if (!recorder.Start(path)) {
        std::fprintf(stderr, "%s\n", recorder.Error().c_str());
        return 1;
    }
    input.SwitchOn();
    zarq::test::PlayBot bot(toy.F(), input, toy.Clock, 5);
    bot.Play(length, true);
    recorder.Stop();
    std::printf("%s: %lld ms of play\n", path.c_str(), static_cast<long long>(toy.Clock.Now()));
    return 0;
}
