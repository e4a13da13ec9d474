// The play session's rules, each once, on a clock the test moves: the clock's catch-up, the
// choices before PLAY, a recording from its start to its end and its playback, and the picture
// sets.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "harness/Harness.h"
#include "record/Verify.h"
#include "session/PictureSets.h"
#include "session/SettingsKeys.h"

namespace zarq::test {
namespace {

TEST(SessionClock, LateTicksRunAtTheirDueTimesAndAHoldUpIsNotMadeUp) {
    Millis now = 1000;
    SessionClock clock([&now] { return now; });
    std::vector<Millis> ticks;
    int nested = 0;
    TTimer timer(clock.Scheduler(), "T", 100, [&] {
        ticks.push_back(clock.Scheduler().Now());
        // A handler whose message box wakes the clock again: no tick runs inside this one.
        nested += clock.Wake().has_value();
    });
    timer.SetEnabled(true);
    // Woken late, but within the margin: each tick at its own time.
    now = 1230;
    EXPECT_EQ(clock.Wake(), std::optional<Millis>(1300));
    EXPECT_EQ(ticks, (std::vector<Millis>{1100, 1200}));
    EXPECT_EQ(nested, 2);
    // Held up for ten seconds: one tick, then the timer goes on one interval after the wake.
    now = 11000;
    EXPECT_EQ(clock.Wake(), std::optional<Millis>(11060));
    EXPECT_EQ(ticks.size(), 3u);
    EXPECT_EQ(ticks.back(), 1300);
    // Suspended, nothing ticks and nothing is due; the front end is told either way.
    int told = 0;
    clock.SetNextDueChanged([&told] { ++told; });
    clock.Suspend(true);
    now = 20000;
    EXPECT_EQ(clock.Wake(), std::nullopt);
    EXPECT_EQ(ticks.size(), 3u);
    clock.Suspend(false);
    EXPECT_EQ(told, 2);
    timer.SetEnabled(false);
    EXPECT_EQ(clock.NextDue(), std::nullopt);
    EXPECT_EQ(told, 3);
}

class Session : public ::testing::Test {
  protected:
    SessionRig rig;
    PlaySession& s = rig.Session;
};

TEST_F(Session, PlayStoresTheChoicesStartsSoundAndWarnsOncePerUser) {
    EXPECT_EQ(s.StoredSoundMode(), std::nullopt);
    int shown = 0;
    ASSERT_TRUE(s.Play(1, 0, [&] {
        ++shown;
        EXPECT_TRUE(rig.Window.Events.empty()) << "the warning comes after the panel shows";
    }));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(rig.Stored[settings::kSoundMode], "1");
    EXPECT_EQ(rig.Stored[settings::kSystem], "0");
    EXPECT_EQ(rig.Stored[settings::kFirstRun], "1");
    EXPECT_TRUE(s.Panel().G.SpeakerEnabled);
    ASSERT_GE(rig.Sound.Calls.size(), 2u);
    EXPECT_EQ(rig.Sound.Calls[1].Call, "SetOutput");
    EXPECT_EQ(rig.Sound.Calls[1].Arg, 2);  // DirectSound
    EXPECT_EQ(rig.Window.Events,
              (std::vector<std::string>{
                  "beep", "box:Zarq (Keldo) Simulator:Warning: \"Artificial Intelligence\" may be a "
                          "bit buggy. Be patient please!"}));

    // The next start finds both choices and warns no more; no sound makes no library call.
    SessionRig next;
    next.Stored = rig.Stored;
    PlaySession again(SessionSeams{[] { return Millis{0}; }, next.Sound, next.Ports, next.Window,
                                   [&next](const std::string&) {
                                       return std::make_unique<MemorySettings>(next.Stored);
                                   },
                                   "test"});
    EXPECT_EQ(again.StoredSoundMode(), std::optional<int>(1));
    EXPECT_EQ(again.StoredSystem(), std::optional<int>(0));
    ASSERT_TRUE(again.Play(PlaySession::kNoSound, 1));
    EXPECT_TRUE(next.Window.Events.empty());
    EXPECT_TRUE(next.Sound.Calls.empty());
    EXPECT_FALSE(again.Panel().G.SpeakerEnabled);
}

TEST_F(Session, AStoredCodeOutsideTheListOrGarbageIsNoChoice) {
    rig.Stored[settings::kSoundMode] = "3";
    rig.Stored[settings::kSystem] = "-1";
    EXPECT_EQ(s.StoredSoundMode(), std::nullopt);
    EXPECT_EQ(s.StoredSystem(), std::nullopt);
    rig.Stored[settings::kSoundMode] = "two";
    rig.Stored[settings::kSystem] = "1";
    EXPECT_EQ(s.StoredSoundMode(), std::nullopt);
    EXPECT_EQ(s.StoredSystem(), std::optional<int>(1));
    // A front end's own setting goes to the same store.
    s.Settings().WriteInteger(settings::kZoom, 150);
    EXPECT_EQ(rig.Stored[settings::kZoom], "150");
}

TEST_F(Session, AMissingSoundFolderIsToldAndTheChoicesForgotten) {
    rig.Sound.Missing = {"Beep"};
    bool shown = false;
    EXPECT_FALSE(s.Play(0, 0, [&] { shown = true; }));
    EXPECT_FALSE(shown);
    EXPECT_EQ(rig.Window.Events,
              (std::vector<std::string>{
                  "box:Error:Sound folder unproperly installed. Read instructions then reinstall."}));
    EXPECT_EQ(rig.Stored[settings::kSoundMode], "-1");
    EXPECT_EQ(rig.Stored[settings::kSystem], "-1");
    EXPECT_EQ(rig.Stored.count(settings::kFirstRun), 0u);
}

struct Told : SessionEvents {
    int Ended = 0;
    std::vector<std::string> Failed;
    std::vector<std::string> Playbacks;
    void RecordingEnded() override { ++Ended; }
    void RecordingFailed(const std::string& why) override { Failed.push_back(why); }
    void PlaybackEnded(const std::string& failure) override { Playbacks.push_back(failure); }
};

// The names of every lit element: the whole display.
std::string Lit(const TForm1& form) {
    std::string names;
    for (const auto& control : form.Controls()) {
        if (const auto* image = dynamic_cast<const TImage*>(control.get()); image && image->Visible())
            names += image->Name() + ' ';
    }
    return names;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class Recorded : public Session {
  protected:
    void SetUp() override {
        s.SetEvents(&told);
        s.SetWakeChanged([this] { ++wakes; });
    }
    void TearDown() override { std::filesystem::remove(path); }
    // Switched on, a turn in the race, switched off: the recording ends with the play.
    std::string RecordAPlay() {
        rig.RunTo(500);
        rig.ClickSwitch();  // on before the recording: it begins with the toy off
        EXPECT_EQ(s.StartRecording(path), "");
        EXPECT_TRUE(s.IsRecording());
        EXPECT_TRUE(s.Panel().Puls_Off->Visible());
        rig.ClickSwitch();
        rig.RunTo(14000);
        s.Input().KeyDown(VK_UP);
        rig.RunTo(14040);
        s.Input().KeyUp(VK_UP);
        rig.RunTo(16000);
        rig.ClickSwitch();
        EXPECT_FALSE(s.IsRecording());
        EXPECT_EQ(told.Ended, 1);
        return Slurp(path);
    }
    // Plays a recording's text to its end (or a minute) at the clock's pace.
    std::string PlayToEnd(const std::string& text) {
        EXPECT_EQ(s.StartPlayback(ReadRecording(text)), "");
        rig.RunTo(rig.Time + 60000);
        EXPECT_FALSE(s.PlayingBack());
        return s.PlaybackFailure();
    }
    std::string path =
        (std::filesystem::temp_directory_path() / "zarq-session-test.zrec").string();
    Told told;
    int wakes = 0;
};

TEST_F(Recorded, APlayRecordedVerifiesAndPlaysBackWithThePlayersControlsOff) {
    const std::string text = RecordAPlay();
    const ReadResult read = ReadRecording(text);
    ASSERT_TRUE(read.Value) << read.Error;
    EXPECT_EQ(VerifyRecording(*read.Value).Exit, kVerifyMatch);
    EXPECT_EQ(read.Value->Steps.size(), 4u);

    const std::string played = Lit(s.Panel());
    const int wakesBefore = wakes;
    ASSERT_EQ(s.StartPlayback(ReadRecording(text)), "");
    EXPECT_GT(wakes, wakesBefore) << "the front end arms its clock for the replay";
    // The player's switch does nothing; the replay keeps the recorded pace.
    rig.ClickSwitch();
    rig.RunTo(rig.Time + 1000);
    EXPECT_TRUE(s.Panel().G.PowerOn);
    EXPECT_TRUE(s.PlayingBack());
    rig.RunTo(rig.Time + 60000);
    EXPECT_FALSE(s.PlayingBack());
    EXPECT_EQ(told.Playbacks, (std::vector<std::string>{""}));
    EXPECT_EQ(Lit(s.Panel()), played);
    // Afterwards the controls are the player's again.
    rig.ClickSwitch();
    EXPECT_TRUE(s.Panel().G.PowerOn);
}

TEST_F(Recorded, APlaybackWhoseEndIsNotItsPlayOrCutShortIsToldAndLeavesTheToyReady) {
    const std::string text = RecordAPlay();
    // The end line's score changed by one: told when the playback reaches the end.
    const std::size_t at = text.find(" score=", text.rfind("\nend ")) + 7;
    std::string changed = text;
    changed.replace(at, text.find(' ', at) - at, std::to_string(std::stoll(text.substr(at)) + 1));
    const std::string told1 = PlayToEnd(changed);
    EXPECT_EQ(told1.rfind("The play did not end as its file says:\nline ", 0), 0u) << told1;
    EXPECT_NE(told1.find("claims score"), std::string::npos) << told1;
    EXPECT_EQ(told.Playbacks.back(), told1);
    // Stopped by the player before its end, nothing is claimed of it.
    ASSERT_EQ(s.StartPlayback(ReadRecording(changed)), "");
    rig.RunTo(rig.Time + 2000);
    s.StopPlayback();
    EXPECT_EQ(s.PlaybackFailure(), "");
    // Cut short inside its play: told at its end, and the toy is not left frozen on.
    const std::string cut = text.substr(0, text.find('\n', text.find(" key-up ")) + 1);
    EXPECT_NE(PlayToEnd(cut).find("cut short"), std::string::npos);
    EXPECT_TRUE(s.Panel().Puls_Off->Visible());
    rig.ClickSwitch();
    EXPECT_TRUE(s.Panel().G.PowerOn);
    // A file that cannot be read does not play and says why.
    EXPECT_EQ(s.StartPlayback(ReadRecording("not a recording\n")).rfind("line 1", 0), 0u);
    EXPECT_FALSE(s.PlayingBack());
}

TEST_F(Recorded, AFileThatCanNoLongerBeWrittenIsToldOnceAndKeepsItsWholeLines) {
    EXPECT_NE(s.StartRecording("/nonexistent-folder/x.zrec"), "");
    EXPECT_FALSE(s.IsRecording());
    ASSERT_EQ(s.StartRecording(path), "");
    const std::size_t header = Slurp(path).size();
    {
        // Room for a few lines; the limit is the test process's own and goes with the block.
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
    }
    EXPECT_FALSE(s.IsRecording());
    ASSERT_EQ(told.Failed.size(), 1u);
    EXPECT_NE(told.Failed[0].find("could not be written"), std::string::npos) << told.Failed[0];
    const std::string kept = Slurp(path);
    EXPECT_LE(kept.size(), header + 50);
    EXPECT_EQ(kept.back(), '\n');
    const ReadResult read = ReadRecording(kept);
    ASSERT_TRUE(read.Value) << read.Error;
    EXPECT_TRUE(read.Value->CutShort);
    EXPECT_GE(read.Value->Steps.size(), 2u) << "the switch and a key fit";
    // The cut file plays to its last whole line, and the player is told where it stopped.
    ASSERT_EQ(s.StartPlayback(ReadRecording(kept)), "");
    bool sawOn = false;
    for (Millis end = rig.Time + 60000; s.PlayingBack() && rig.Time < end;) {
        rig.RunTo(rig.Time + 5);
        sawOn = sawOn || s.Panel().G.PowerOn;
    }
    EXPECT_TRUE(sawOn) << "the recorded switch-on was played";
    EXPECT_NE(s.PlaybackFailure().find("its play follows it up to there"), std::string::npos)
        << s.PlaybackFailure();
}

TEST(PictureSets, TheSetIsTheNearestAtLeastAsFineAndNamedByItsScale) {
    EXPECT_EQ(PictureSetFor(1.0), 1);
    EXPECT_EQ(PictureSetFor(1.0004), 1);  // a hair above a whole ratio is that ratio
    EXPECT_EQ(PictureSetFor(1.25), 2);
    EXPECT_EQ(PictureSetFor(2.0), 2);
    EXPECT_EQ(PictureSetFor(2.5), 3);
    EXPECT_EQ(PictureSetFor(4.0), 3);
    EXPECT_EQ(PictureStem("Im_Base", 1), "Im_Base");
    EXPECT_EQ(PictureStem("Im_Zarq5", 2), "Im_Zarq5@2x");
    SessionRig rig;
    const std::vector<std::string>& keys = rig.Session.PictureKeys();
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_NE(std::find(keys.begin(), keys.end(), "Im_Base"), keys.end());
    EXPECT_EQ(std::find(keys.begin(), keys.end(), ""), keys.end());
}

}  // namespace
}  // namespace zarq::test
