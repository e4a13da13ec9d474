// The toy's sound calls, start-up and shutdown as the sound library and the ports see them.
#include <gtest/gtest.h>

#include "tests/harness/Harness.h"
#include "tests/sound/SoundLog.h"

namespace zarq::test {
namespace {

using Lines = std::vector<std::string>;

const Lines kLoads = {"Load(-1,SOUND/Beep.wav,0x2000,0)",  "Load(-1,SOUND/Start.wav,0x2000,0)",
                      "Load(-1,SOUND/Turn.wav,0x2000,0)",  "Load(-1,SOUND/Disc.wav,0x2000,0)",
                      "Load(-1,SOUND/Win.wav,0x2000,0)",   "Load(-1,SOUND/Miss1.wav,0x2000,0)",
                      "Load(-1,SOUND/Miss2.wav,0x2000,0)", "Load(-1,SOUND/End.wav,0x2000,0)",
                      "Load(-1,SOUND/Over.wav,0x2000,0)"};

const Lines kHum20 = {"out(0x43,0xB6)", "out(0x42,0x10)", "out(0x42,0xE9)", "out(0x61,0x03)"};
const Lines kHum38 = {"out(0x43,0xB6)", "out(0x42,0xAA)", "out(0x42,0x7A)", "out(0x61,0x03)"};

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A panel whose sound library and ports both write into one log.
class ToySound : public ::testing::Test {
  protected:
    VirtualClock clock;
    SoundLog log;
    RecordingWindow window;
    TForm1 form{PanelSeams{clock.Scheduler(), log, log, window, nullptr}};
    TGameState& G = form.G;

    std::vector<FSOUND_SAMPLE*> Handles() const {
        return {G.SndBeep,  G.SndStart, G.SndTurn, G.SndDisc, G.SndWin,
                G.SndMiss1, G.SndMiss2, G.SndEnd,  G.SndOver};
    }
    // Every one of the toy's sound calls once.
    void EverySoundCall() {
        form.Suona(G.SndBeep);
        form.SuonaSpeaker(20);
        form.SuonaSpeaker(38);
        form.Silenzio();
    }
};

TEST_F(ToySound, NoSoundMakesNoLibraryCallUntilTheCloseThenNineFreesAndOneClose) {
    EXPECT_TRUE(form.AvviaSuono("(no sound)", "95, 98, ME, NT"));
    EXPECT_FALSE(G.SoundEnabled);
    EXPECT_TRUE(G.SpeakerEnabled);
    EverySoundCall();
    clock.Advance(5000);
    EXPECT_EQ(log.Take(), Lines{});

    form.FormClose();
    EXPECT_EQ(log.Take(),
              Lines({"Free(null)", "Free(null)", "Free(null)", "Free(null)", "Free(null)",
                     "Free(null)", "Free(null)", "Free(null)", "Free(null)", "Close"}));
}

TEST_F(ToySound, AnUnknownSoundModeTextIsNoSound) {
    EXPECT_TRUE(form.AvviaSuono("", "95, 98, ME, NT"));
    EXPECT_FALSE(G.SoundEnabled);
    EverySoundCall();
    EXPECT_EQ(log.Take(), Lines{});
}

TEST_F(ToySound, WindowsMmStartsTheLibraryThenSetsOutputOneThenLoadsTheNineInOrder) {
    EXPECT_TRUE(form.AvviaSuono("Windows MM", "2000"));
    EXPECT_EQ(log.Take(), Concat({{"Init(22050,64,0)", "SetOutput(1)"}, kLoads}));
    const auto handles = Handles();
    for (std::size_t i = 0; i < handles.size(); ++i) {
        ASSERT_NE(handles[i], nullptr) << "sample " << i;
        for (std::size_t j = 0; j < i; ++j) EXPECT_NE(handles[i], handles[j]);
    }
}

TEST_F(ToySound, DirectSoundSetsOutputTwo) {
    EXPECT_TRUE(form.AvviaSuono("DirectSound", "95, 98, ME, NT"));
    EXPECT_EQ(log.Take(), Concat({{"Init(22050,64,0)", "SetOutput(2)"}, kLoads}));
    EXPECT_TRUE(G.SoundEnabled);
    EXPECT_TRUE(G.SpeakerEnabled);
}

TEST_F(ToySound, AMissingBeepFailsTheStartUpAfterAllNineLoadsWereTried) {
    log.Missing = {"Beep"};
    EXPECT_FALSE(form.AvviaSuono("Windows MM", "95, 98, ME, NT"));
    EXPECT_EQ(log.Take(), Concat({{"Init(22050,64,0)", "SetOutput(1)"}, kLoads}));
    EXPECT_EQ(G.SndBeep, nullptr);
    EXPECT_NE(G.SndOver, nullptr);
}

TEST_F(ToySound, AnotherMissingSampleIsNotReportedAndPlaysAsNull) {
    log.Missing = {"Turn", "Over"};
    EXPECT_TRUE(form.AvviaSuono("Windows MM", "95, 98, ME, NT"));
    log.Take();
    form.Suona(G.SndTurn);
    form.Suona(G.SndWin);
    EXPECT_EQ(log.Take(), Lines({"Play(-1,null)", "Play(-1,Win)"}));
}

TEST_F(ToySound, WithSoundOnEverySampleIsPlayedOnAnyFreeChannel) {
    form.AvviaSuono("Windows MM", "2000");
    log.Take();
    for (FSOUND_SAMPLE* sample : Handles()) form.Suona(sample);
    EXPECT_EQ(log.Take(), Lines({"Play(-1,Beep)", "Play(-1,Start)", "Play(-1,Turn)",
                                 "Play(-1,Disc)", "Play(-1,Win)", "Play(-1,Miss1)",
                                 "Play(-1,Miss2)", "Play(-1,End)", "Play(-1,Over)"}));
}

TEST_F(ToySound, TheSpeakerChoiceAloneMakesNoHum) {
    form.AvviaSuono("(no sound)", "95, 98, ME, NT");
    form.SuonaSpeaker(20);
    form.SuonaSpeaker(38);
    form.Silenzio();
    EXPECT_EQ(log.Take(), Lines{});
}

TEST_F(ToySound, WithWindows2000SamplesPlayButTheSpeakerPortsAreNeverTouched) {
    form.AvviaSuono("Windows MM", "2000");
    log.Take();
    form.SuonaSpeaker(20);
    form.Suona(G.SndTurn);
    form.SuonaSpeaker(38);
    form.Silenzio();
    EXPECT_EQ(log.Take(), Lines({"Play(-1,Turn)", "Stop(-3)"}));
}

TEST_F(ToySound, TheHumIsTheTimersChannelTwoAtTheToysDivisorsThenTheGate) {
    form.AvviaSuono("Windows MM", "95, 98, ME, NT");
    log.Take();
    form.SuonaSpeaker(20);  // 1193280 / 20 = 59664 = 0xE910
    EXPECT_EQ(log.Take(), kHum20);
    form.SuonaSpeaker(38);  // 1193280 / 38 = 31402 = 0x7AAA
    EXPECT_EQ(log.Take(), kHum38);
    form.SuonaSpeaker(20);
    EXPECT_EQ(log.Take(), kHum20);
}

TEST_F(ToySound, SilenzioStopsEveryChannelBeforeSwitchingTheSpeakerOff) {
    form.AvviaSuono("DirectSound", "95, 98, ME, NT");
    log.Take();
    form.Silenzio();
    EXPECT_EQ(log.Take(), Lines({"Stop(-3)", "out(0x61,0x00)"}));
}

TEST_F(ToySound, TheCloseSilencesThenFreesTheNineWithOverBeforeEndThenCloses) {
    form.AvviaSuono("Windows MM", "95, 98, ME, NT");
    form.SuonaSpeaker(20);
    log.Take();
    form.FormClose();
    EXPECT_EQ(log.Take(), Lines({"Stop(-3)", "out(0x61,0x00)", "Free(Beep)", "Free(Start)",
                                 "Free(Turn)", "Free(Disc)", "Free(Win)", "Free(Miss1)",
                                 "Free(Miss2)", "Free(Over)", "Free(End)", "Close"}));
    for (FSOUND_SAMPLE* sample : Handles()) EXPECT_EQ(sample, nullptr);
}

TEST_F(ToySound, TheCloseAfterAFailedStartUpStillFreesEveryHandle) {
    log.Missing = {"Beep"};
    form.AvviaSuono("Windows MM", "2000");
    log.Take();
    form.FormClose();
    EXPECT_EQ(log.Take(), Lines({"Stop(-3)", "Free(null)", "Free(Start)", "Free(Turn)",
                                 "Free(Disc)", "Free(Win)", "Free(Miss1)", "Free(Miss2)",
                                 "Free(Over)", "Free(End)", "Close"}));
}

// The harness's own recorder, as the game tests will use it.
TEST(ToySoundOnTheHarness, TheSameSampleTwiceInQuickSuccessionIsPlayedTwice) {
    Toy toy;
    toy.SoundOn();
    toy.F().Suona(toy.G().SndDisc);
    toy.Advance(10);
    toy.F().Suona(toy.G().SndDisc);
    EXPECT_EQ(toy.Sound.Played(), std::vector<std::string>({"Disc@0", "Disc@10"}));
    for (const SoundCall& call : toy.Sound.Calls) {
        if (call.Call == "Play") {
            EXPECT_EQ(call.Arg, -1);
        }
    }
}

}  // namespace
}  // namespace zarq::test
