// The play session's rules, each once, on a clock the test moves: the clock's catch-up, the
// choices before PLAY, a recording from its start to its end and its playback, the picture sets.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/record/Verify.h"
#include "core/session/PictureSets.h"
#include "core/session/SettingsKeys.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

TEST(SessionClock, LateTicksRunAtTheirDueTimesAndAHoldUpIsNotMadeUp) {
    Millis now = 1000;
    SessionClock clock([&now] { return now; });
    std::vector<std::string> ticks;
    int depth = 0, deepest = 0;
    auto log = [&](const char* name) {
        return [&, name] {
            deepest = std::max(deepest, ++depth);
            ticks.push_back(name + std::to_string(clock.Scheduler().Now()));
            clock.Wake();  // a message box's loop inside a handler: no tick runs inside this one
            --depth;
        };
    };
    TTimer a(clock.Scheduler(), "a", 100, log("a"));
    TTimer b(clock.Scheduler(), "b", 100, log("b"));
    a.SetEnabled(true);
    b.SetEnabled(true);
    now = 1230;  // woken late, but within the margin: each tick at its own time, both timers
    EXPECT_EQ(clock.Wake(), std::optional<Millis>(1300));
    EXPECT_EQ(ticks, (std::vector<std::string>{"a1100", "b1100", "a1200", "b1200"}));
    now = 11000;  // held up for ten seconds: one tick each, then one interval after the wake
    EXPECT_EQ(clock.Wake(), std::optional<Millis>(11060));
    EXPECT_EQ(ticks.back(), "b1300");
    clock.Suspend(true);  // a replay drives the timers: none runs, none is due
    now = 20000;
    EXPECT_EQ(clock.Wake(), std::nullopt);
    EXPECT_EQ(ticks.size(), 6u);
    EXPECT_EQ(deepest, 1);
}

class Session : public ::testing::Test {
  protected:
    SessionRig rig;
    PlaySession& s = rig.Session;
};

TEST_F(Session, PlayStoresTheChoicesStartsSoundAndWarnsOncePerUser) {
    EXPECT_EQ(s.StoredSoundMode(), std::nullopt);
    ASSERT_TRUE(s.Play(1, 0, [&] { rig.Window.Events.push_back("shown"); }));
    EXPECT_EQ(rig.Stored[settings::kSoundMode], "1");
    EXPECT_EQ(rig.Stored[settings::kSystem], "0");
    EXPECT_TRUE(s.Panel().G.SoundEnabled && s.Panel().G.SpeakerEnabled);
    EXPECT_EQ(rig.Window.Events,
              (std::vector<std::string>{"shown", "beep",
                                        "box:Zarq (Keldo) Simulator:Warning: \"Artificial "
                                        "Intelligence\" may be a bit buggy. Be patient please!"}));
    // The next start finds both choices and warns no more; no sound makes no library call.
    SessionRig next;
    next.Stored = rig.Stored;
    EXPECT_EQ(next.Session.StoredSoundMode(), std::optional<int>(1));
    EXPECT_EQ(next.Session.StoredSystem(), std::optional<int>(0));
    ASSERT_TRUE(next.Session.Play(PlaySession::kNoSound, 1));
    EXPECT_TRUE(next.Window.Events.empty());
    EXPECT_TRUE(next.Sound.Calls.empty());
    // A code outside the lists, or no number, is no choice.
    next.Stored[settings::kSoundMode] = "3";
    next.Stored[settings::kSystem] = "0x1";
    EXPECT_EQ(next.Session.StoredSoundMode(), std::nullopt);
    EXPECT_EQ(next.Session.StoredSystem(), std::nullopt);
    // A front end's own setting goes to the same store.
    s.Settings().WriteInteger(settings::kZoom, 150);
    EXPECT_EQ(rig.Stored[settings::kZoom], "150");
}

TEST_F(Session, AMissingSoundFolderIsToldAndTheChoicesForgotten) {
    rig.Sound.Missing = {"Beep"};
    EXPECT_FALSE(s.Play(0, 0, [&] { rig.Window.Events.push_back("shown"); }));
    EXPECT_EQ(
        rig.Window.Events,
        (std::vector<std::string>{
            "box:Error:Sound folder unproperly installed. Read instructions then reinstall."}));
    EXPECT_EQ(rig.Stored[settings::kSoundMode] + rig.Stored[settings::kSystem], "-1-1");
    EXPECT_EQ(rig.Stored.count(settings::kFirstRun), 0u);
}

struct Told : SessionEvents {
    int Ended = 0;
    std::vector<std::string> Failed, Playbacks;
    void RecordingEnded() override { ++Ended; }
    void RecordingFailed(const std::string& why) override { Failed.push_back(why); }
    void PlaybackEnded(const std::string& failure) override { Playbacks.push_back(failure); }
};

class Recorded : public Session {
  protected:
    void SetUp() override {
        s.SetEvents(&told);
        s.SetWakeChanged([this] { ++wakes; });
    }
    void TearDown() override { std::filesystem::remove(path); }
    std::string File() const {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }
    // Switched on, a turn in the race, switched off: the recording ends with the play.
    std::string RecordAPlay() {
        rig.ClickSwitch();  // on before the recording: it begins with the toy off
        EXPECT_EQ(s.StartRecording(path), "");
        EXPECT_TRUE(s.IsRecording() && s.Panel().Puls_Off->Visible());
        rig.ClickSwitch();
        rig.RunTo(14000);
        s.Input().KeyDown(VK_UP);
        rig.RunTo(14040);
        s.Input().KeyUp(VK_UP);
        rig.RunTo(16000);
        rig.ClickSwitch();
        EXPECT_FALSE(s.IsRecording());
        EXPECT_EQ(told.Ended, 1);
        return File();
    }
    // Tests run side by side, and compiled to wasm all with one pid: a name of its own.
    std::string path = (std::filesystem::temp_directory_path() /
                        ("zarq-session-" + std::to_string(std::random_device{}()) + ".zrec"))
                           .string();
    Told told;
    int wakes = 0;
};

TEST_F(Recorded, APlayRecordedVerifiesAndPlaysBackWithThePlayersControlsOff) {
    const std::string text = RecordAPlay();
    const ReadResult read = ReadRecording(text);
    ASSERT_TRUE(read.Value) << read.Error;
    EXPECT_EQ(VerifyRecording(*read.Value).Exit, kVerifyMatch);
    EXPECT_EQ(read.Value->Steps.size(), 4u);
    const std::string played = LatticeText(s.Panel());

    const int wakesBefore = wakes;
    ASSERT_EQ(s.StartPlayback(ReadRecording(text)), "");
    EXPECT_GT(wakes, wakesBefore) << "the front end arms its clock for the replay";
    rig.ClickSwitch();  // the player's switch does nothing; the replay keeps its pace
    rig.RunTo(rig.Time + 1000);
    EXPECT_TRUE(s.Panel().G.PowerOn && s.PlayingBack());
    rig.RunTo(rig.Time + 60000);
    EXPECT_FALSE(s.PlayingBack());
    EXPECT_EQ(told.Playbacks, (std::vector<std::string>{""}));
    EXPECT_EQ(LatticeText(s.Panel()), played);
    rig.ClickSwitch();  // the controls are the player's again
    EXPECT_TRUE(s.Panel().G.PowerOn);
}

TEST_F(Recorded, ARecordingInMemoryVerifiesAndAClosedSessionKeepsPlaysOnlyOnceReopened) {
    rig.ClickSwitch();  // on before the recording: it begins with the toy off
    s.StartRecordingInMemory();
    EXPECT_TRUE(s.IsRecording() && s.Panel().Puls_Off->Visible());
    // A play that scores, ended by the switch.
    const auto scoringPlay = [this] {
        const Millis t0 = rig.Time;
        rig.ClickSwitch();
        rig.RunTo(t0 + 25000);
        EXPECT_GT(s.Score(), 0);
        rig.ClickSwitch();
    };
    scoringPlay();
    EXPECT_FALSE(s.IsRecording());
    EXPECT_EQ(s.RecordedText(), "") << "handed over once stopped";
    s.StopRecording();
    const ReadResult read = ReadRecording(s.RecordedText());
    ASSERT_TRUE(read.Value) << read.Error;
    EXPECT_EQ(VerifyRecording(*read.Value).Exit, kVerifyMatch);
    ASSERT_EQ(s.Best().Entries().size(), 1u);  // the same play, kept among the best

    s.Close();
    scoringPlay();
    EXPECT_EQ(s.Best().Entries().size(), 1u);
    s.Reopen();
    scoringPlay();
    EXPECT_EQ(s.Best().Entries().size(), 2u);
}

TEST_F(Recorded, APlaybackWhoseEndIsNotItsPlayIsToldAtItsEndUnlessThePlayerStopsIt) {
    const std::string text = RecordAPlay();
    // The end line's score changed by one: told when the playback reaches the end.
    const std::size_t at = text.find(" score=", text.rfind("\nend ")) + 7;
    std::string changed = text;
    changed.replace(at, text.find(' ', at) - at, std::to_string(std::stoll(text.substr(at)) + 1));
    ASSERT_EQ(s.StartPlayback(ReadRecording(changed)), "");
    rig.RunTo(rig.Time + 60000);
    const std::string wrong = s.PlaybackFailure();
    EXPECT_EQ(wrong.rfind("The play did not end as its file says:\nline ", 0), 0u) << wrong;
    EXPECT_NE(wrong.find("claims score"), std::string::npos) << wrong;
    EXPECT_EQ(told.Playbacks.back(), wrong);
    // Stopped by the player before its end, nothing is claimed of it.
    ASSERT_EQ(s.StartPlayback(ReadRecording(changed)), "");
    rig.RunTo(rig.Time + 2000);
    s.StopPlayback();
    EXPECT_EQ(s.PlaybackFailure(), "");
}

TEST_F(Recorded, AFileThatCanNoLongerBeWrittenIsToldOnceAndPlaysAsCutShort) {
#ifdef __EMSCRIPTEN__
    GTEST_SKIP() << "WebAssembly's file system has no file-size limit to fill";
#endif
    EXPECT_NE(s.StartRecording("/nonexistent-folder/x.zrec"), "");
    ASSERT_EQ(s.StartRecording(path), "");
    const std::size_t header = File().size();
    // Room for a few lines; the limit is the test process's own and goes at once.
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    void (*xfsz)(int) = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit tight{header + 50, before.rlim_max};
    setrlimit(RLIMIT_FSIZE, &tight);
    rig.ClickSwitch();
    for (int i = 0; i < 10; ++i) {
        rig.RunTo(rig.Time + 30);
        s.Input().KeyDown(VK_UP);
        s.Input().KeyUp(VK_UP);
    }
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, xfsz);
    EXPECT_FALSE(s.IsRecording());
    ASSERT_EQ(told.Failed.size(), 1u);
    EXPECT_NE(told.Failed[0].find("could not be written"), std::string::npos) << told.Failed[0];
    const std::string kept = File();
    EXPECT_LE(kept.size(), header + 50);
    EXPECT_EQ(kept.back(), '\n');
    // It plays to its last whole line, and the player is told where it stopped.
    ASSERT_EQ(s.StartPlayback(ReadRecording(kept)), "");
    bool sawOn = false;
    for (Millis end = rig.Time + 60000; s.PlayingBack() && rig.Time < end;) {
        rig.RunTo(rig.Time + 5);
        sawOn = sawOn || s.Panel().G.PowerOn;
    }
    EXPECT_TRUE(sawOn) << "the recorded switch-on was played";
    EXPECT_NE(s.PlaybackFailure().find("cut short"), std::string::npos) << s.PlaybackFailure();
    // A play that went wrong is not left frozen on: the switch starts the toy.
    EXPECT_TRUE(s.Panel().Puls_Off->Visible());
    rig.ClickSwitch();
    EXPECT_TRUE(s.Panel().G.PowerOn);
}

TEST(PictureSets, TheSetIsTheNearestAtLeastAsFineAndNamedByItsScale) {
    EXPECT_EQ(PictureSetFor(1.0004), 1);  // a hair above a whole ratio is that ratio
    EXPECT_EQ(PictureSetFor(1.25), 2);
    EXPECT_EQ(PictureSetFor(2.0), 2);
    EXPECT_EQ(PictureSetFor(2.5), 3);
    EXPECT_EQ(PictureSetFor(4.0), 3);
    EXPECT_EQ(PictureStem("Im_Base", 1), "Im_Base");
    EXPECT_EQ(PictureStem("Im_Zarq5", 2), "Im_Zarq5@2x");
    const std::vector<std::string> keys = SessionRig().Session.PictureKeys();
    EXPECT_TRUE(std::binary_search(keys.begin(), keys.end(), "Im_Base"));
}

}  // namespace
}  // namespace zarq::test
