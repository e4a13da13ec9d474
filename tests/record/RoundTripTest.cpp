// Plays recorded and replayed: the replay shows the same play, millisecond for millisecond.
// Before every input, and at the end, the replay's state, timers and panel are the play's;
// every sample and speaker write comes at the same time; and the file verifies.
#include <gtest/gtest.h>

#include <random>

#include "core/record/Recorder.h"
#include "core/record/Replayer.h"
#include "core/record/Verify.h"
#include "tests/harness/Harness.h"
#include "tests/harness/PlayBot.h"
#include "tests/record/RecordingProbe.h"

namespace zarq::test {
namespace {

// What a play sounded like from `origin` on: samples and speaker writes with their times.
std::vector<std::string> Heard(const Toy& toy, std::size_t soundFrom, std::size_t portsFrom,
                               Millis origin) {
    std::vector<std::string> heard;
    for (std::size_t i = soundFrom; i < toy.Sound.Calls.size(); ++i) {
        const SoundCall& c = toy.Sound.Calls[i];
        heard.push_back(c.Call + ":" + c.Sample + "@" + std::to_string(c.At - origin));
    }
    for (std::size_t i = portsFrom; i < toy.Ports.Writes.size(); ++i) {
        const PortWrite& w = toy.Ports.Writes[i];
        heard.push_back("out:" + std::to_string(w.Port) + "=" + std::to_string(w.Value) + "@" +
                        std::to_string(w.At - origin));
    }
    return heard;
}

struct PlayRecord {
    std::vector<std::string> Pictures;  // before every input, then at the end
    std::vector<std::string> Heard;
};

// Replays the file on a fresh toy and holds it against the play.
void ExpectSameReplay(const std::string& path, const PlayRecord& play) {
    const ReadResult read = ReadRecordingFile(path);
    ASSERT_TRUE(read.Value) << read.Error;
    Toy b;
    b.SoundOn();
    InputPath input(b.F());
    Replayer replay(*read.Value, b.F(), input, b.Clock.Scheduler());
    StateTape tape(b.F(), 0);
    input.SetObserver(&tape);
    const std::size_t soundFrom = b.Sound.Calls.size(), portsFrom = b.Ports.Writes.size();
    replay.Begin();
    replay.RunToEnd();
    ASSERT_TRUE(replay.Ended());
    EXPECT_EQ(replay.Failure(), "");
    tape.Pictures.push_back(ToyPicture(b.F(), 0));

    ASSERT_EQ(tape.Pictures.size(), play.Pictures.size());
    for (std::size_t i = 0; i < play.Pictures.size(); ++i) {
        ASSERT_EQ(tape.Pictures[i], play.Pictures[i]) << "before input " << i << " of " << path;
    }
    EXPECT_EQ(Heard(b, soundFrom, portsFrom, 0), play.Heard);
    const RecordingEnd& end = read.Value->End;
    EXPECT_EQ(replay.Outcome(), (PlayOutcome{end.Score, end.Cycles, end.Clock}));
    EXPECT_EQ(VerifyRecording(*read.Value).Exit, kVerifyMatch);
}

TEST(RoundTrip, SeededPlaysThroughTheThreeGamesReplayIdentically) {
    int highestGame = 0;
    std::int64_t cycles = 0;
    for (unsigned seed : {103u, 9u, 71u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Toy a;
        a.SoundOn();
        InputPath input(a.F());
        PlayBot bot(a.F(), input, a.Clock, seed);
        // A play before the recorded one: the generator, the boss's phase, the labyrinth and
        // the intervals it leaves behind are what the recorded play starts from.
        input.SwitchOn();
        bot.Play(a.Now() + 3'600'000, false, [&] { return !a.G().GameStarted; });

        TempFile file("zarq-roundtrip");
        Recorder recorder(a.F(), input, a.Clock.Scheduler(), {"test", 1, true});
        ASSERT_TRUE(recorder.Start(file.Path())) << recorder.Error();
        const Millis origin = a.Now();
        const std::size_t soundFrom = a.Sound.Calls.size(), portsFrom = a.Ports.Writes.size();
        StateTape tape(a.F(), origin, &recorder);
        input.SetObserver(&tape);
        // The play as it stood when the recording ended (the player may press on afterwards).
        recorder.SetOnEnded([&](EndReason) { tape.Pictures.push_back(ToyPicture(a.F(), origin)); });
        a.Advance(700 + seed);
        input.SwitchOn();
        int game = 0;
        bot.Play(origin + 3'600'000, false, [&] {
            game = std::max(game, a.G().CurrentGame);
            return !recorder.Active();
        });
        ASSERT_FALSE(recorder.Active()) << "the play did not end within the hour";

        const std::string text = file.Read();
        EXPECT_NE(text.find("\nend game-over "), std::string::npos)
            << text.substr(text.size() - 200);
        PlayRecord play{tape.Pictures, Heard(a, soundFrom, portsFrom, origin)};
        ExpectSameReplay(file.Path(), play);
        if (HasFatalFailure()) return;

        const ReadResult read = ReadRecording(text);
        ASSERT_TRUE(read.Value);
        EXPECT_EQ(read.Value->End.Score, TotalScore(a.F()));
        highestGame = std::max(highestGame, game);
        cycles += read.Value->End.Cycles;
    }
    // These plays reach the barrier stage and win it.
    EXPECT_EQ(highestGame, 3);
    EXPECT_GT(cycles, 0);
}

// The window's clock wakes a little late, sometimes much later: inputs arrive while ticks are
// overdue (in the same millisecond as a tick or after it), and hold-ups move timers on.
TEST(RoundTrip, InputsAmongLateTicksAndHoldUpsKeepTheirOrder) {
    Toy a;
    a.SoundOn();
    InputPath input(a.F());
    TimerScheduler& clock = a.Clock.Scheduler();
    Millis real = 5000;
    clock.SwapClock([&real] { return real; });

    TempFile file("zarq-late");
    Recorder recorder(a.F(), input, clock, {"test", 0, false});
    ASSERT_TRUE(recorder.Start(file.Path()));
    const Millis origin = real;
    const std::size_t soundFrom = a.Sound.Calls.size(), portsFrom = a.Ports.Writes.size();
    StateTape tape(a.F(), origin, &recorder);
    input.SetObserver(&tape);

    std::mt19937 rng(11);
    const int keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_CONTROL, VK_CONTROL};
    int sameMillisecond = 0, overdue = 0;
    std::vector<int> held;
    auto someInput = [&] {
        const std::optional<Millis> due = clock.NextDue();
        sameMillisecond += due && *due == real;
        overdue += due && *due < real;
        if (!held.empty() && rng() % 2 == 0) {
            input.KeyUp(held.back());
            held.pop_back();
        } else {
            held.push_back(keys[rng() % 6]);
            input.KeyDown(held.back());
        }
    };
    input.SwitchOn();
    while (real < origin + 8 * 60'000) {
        real += 1 + static_cast<Millis>(rng() % 25);
        if (rng() % 60 == 0) real += 60 + static_cast<Millis>(rng() % 500);  // held up
        if (rng() % 3 == 0) someInput();  // before the wake that runs what is due
        while (clock.RunNextDue(real, real - 40)) {
        }
        if (rng() % 5 == 0) someInput();
    }
    recorder.Stop();
    tape.Pictures.push_back(ToyPicture(a.F(), origin));

    const std::string text = file.Read();
    std::size_t holdUps = 0;
    for (std::size_t at = text.find(" held "); at != std::string::npos;
         at = text.find(" held ", at + 1))
        ++holdUps;
    // The case this test is about did occur, many times.
    EXPECT_GT(sameMillisecond, 20);
    EXPECT_GT(overdue, 200);
    EXPECT_GT(holdUps, 10u);

    ExpectSameReplay(file.Path(), {tape.Pictures, Heard(a, soundFrom, portsFrom, origin)});
}

}  // namespace
}  // namespace zarq::test
