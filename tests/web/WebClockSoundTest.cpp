// The web edition's sound: sounds start on the audio context's clock with exactly the toy's
// spacing, the speaker follows the toy's port writes, the context rests after a quiet second and
// with a hidden tab. Also the page's limit on a recording's size, and its keys taken from storage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>

#include "core/panel/SpeakerPorts.h"
#include "web/src/AudioSchedule.h"
#include "web/src/WebEdition.h"

namespace zarq::web {
namespace {

TEST(AudioSchedule, SoundsKeepTheToysSpacingAndAnchorAnewAfterDrift) {
    AudioAnchor anchor;
    const AudioStart first = StartTime(anchor, 5000, 2.0);
    EXPECT_DOUBLE_EQ(first.ContextTime, 2.0 + kAnchorLead);
    // The page woke 7 ms late for a sound 120 ms later: it still starts 120 ms after the first.
    const AudioStart second = StartTime(first.Anchor, 5120, 2.127);
    EXPECT_NEAR(second.ContextTime - first.ContextTime, 0.120, 1e-9);
    // Deciding again on the same values changes nothing.
    EXPECT_EQ(StartTime(second.Anchor, 5120, 2.127).Anchor, second.Anchor);
    // A context that stood still (suspended) or ran far ahead: anchored anew at the call.
    EXPECT_DOUBLE_EQ(StartTime(second.Anchor, 9000, 2.2).ContextTime, 2.2 + kAnchorLead);
    EXPECT_DOUBLE_EQ(StartTime(second.Anchor, 5200, 9.0).ContextTime, 9.0 + kAnchorLead);
    EXPECT_FALSE(MaySuspend(3.0, 2.5, false));
    EXPECT_TRUE(MaySuspend(3.5, 2.5, false));
    EXPECT_FALSE(MaySuspend(9.0, 2.5, true));
}

// The context's clock reads in 40 ms steps and the page wakes for each beep up to 8 ms late:
// whatever the steps' phase, a run of beeps is laid exactly 320 ms apart from the first, never
// before the context's reading at its call.
TEST(AudioSchedule, ARunOfBeepsOnASteppingContextClockKeepsItsSpacingFromTheFirst) {
    for (int phaseMs = 0; phaseMs < 40; ++phaseMs) {
        AudioStart start;
        for (int beep = 0; beep < 69; ++beep) {
            const std::int64_t toyMs = 5000 + 320 * beep;
            const std::int64_t wallMs = toyMs + phaseMs + (beep * 37 + phaseMs * 11) % 9;
            const double reading = 10.0 + 0.04 * static_cast<double>(wallMs / 40);
            const AudioStart next = StartTime(start.Anchor, toyMs, reading);
            EXPECT_GE(next.ContextTime, reading) << "phase " << phaseMs << " beep " << beep;
            if (beep > 0) {
                EXPECT_NEAR(next.ContextTime - start.ContextTime, 0.320, 1e-9) << beep;
            }
            start = next;
        }
    }
}

TEST(SpeakerPorts, TheToysHumWritesGiveTheTone) {
    SpeakerPorts ports;
    const std::uint16_t divisor = 1193280 / 440;
    EXPECT_FALSE(ports.Write(0x43, 0xB6));
    ports.Write(0x42, divisor & 0xFF);
    ports.Write(0x42, divisor >> 8);
    EXPECT_EQ(ports.Frequency(), 0.0);  // the gate is still closed
    EXPECT_TRUE(ports.Write(0x61, 0x03));
    EXPECT_DOUBLE_EQ(ports.Frequency(), SpeakerPorts::kInputClockHz / divisor);
    EXPECT_TRUE(ports.Write(0x61, 0x00));
    EXPECT_EQ(ports.Frequency(), 0.0);
}

// Web Audio and the browser as a log.
class FakeAudio : public PageAudio {
  public:
    double Time = 0;
    bool Context = true;
    std::vector<std::string> Log;
    double Now() override { return Context ? Time : -1; }
    bool Has(int) override { return true; }
    double Duration(int) override { return 0.25; }
    void Play(int index, double when) override { Add("play", kSampleFiles[index], when); }
    void StopAll(double when) override { Add("stop", "", when); }
    void Speaker(double hertz, double when) override {
        Add("speaker", std::to_string(static_cast<int>(hertz)), when);
    }
    void Resume() override { Log.push_back("resume"); }
    void Suspend() override { Log.push_back("suspend"); }

  private:
    void Add(const char* what, const std::string& arg, double when) {
        Log.push_back(std::string(what) + ' ' + arg + " @" +
                      std::to_string(static_cast<long>(when * 1000 + 0.5)));
    }
};

class FakeHost : public PageHost {
  public:
    std::map<std::string, std::string> Stored;
    std::vector<std::string> Messages;
    std::optional<std::string> Read(const std::string& name) override {
        const auto it = Stored.find(name);
        return it == Stored.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    void Write(const std::string& name, const std::string& value) override { Stored[name] = value; }
    void Message(const std::string& text, const std::string&) override { Messages.push_back(text); }
    void Open(const std::string&) override {}
    void ShowOptions() override {}
    TPoint ScreenSize() override { return {1280, 800}; }
    void BestKept(int, const std::string&) override {}
};

TEST(WebEdition, PlayStoresTheDesktopsChoicesAndTheSoundsFollowTheToysClock) {
    FakeAudio audio;
    FakeHost host;
    host.Stored["SoundMode"] = "1";  // DirectSound chosen on the desktop: kept
    WebEdition edition(audio, host);
    EXPECT_EQ(edition.StoredSound(), std::optional<bool>(true));
    EXPECT_EQ(edition.StoredHum(), std::nullopt);
    ASSERT_TRUE(edition.Play(true, false));
    EXPECT_EQ(host.Stored["SoundMode"], "1");
    EXPECT_EQ(host.Stored["System"], "1");

    // Switched on at page time 1000 while the context reads 10 s: every sound lies on the
    // context's clock exactly as far from the first as the toy made them.
    audio.Time = 10.0;
    edition.Pointer(PointerKind::Down, 1, 245, 440, 1000);
    edition.Pointer(PointerKind::Up, 1, 245, 440, 1000);
    for (Millis t = 1000; t <= 6000; t += 7) {
        audio.Time = 10.0 + static_cast<double>(t - 1000) / 1000.0;
        edition.Advance(t);
    }
    // Ten quiet seconds before the switch: the context rested; the first sound wakes it and
    // starts at once, a lead ahead.
    ASSERT_GE(audio.Log.size(), 4u);
    EXPECT_EQ(audio.Log[0], "suspend");
    EXPECT_EQ(audio.Log[1], "resume");
    // The beep 322 ms after the switch, on the context a lead later.
    const auto beepAt = [](int contextMs) {
        return "play SOUND/Beep.wav @" +
               std::to_string(contextMs + std::lround(kAnchorLead * 1000));
    };
    EXPECT_EQ(audio.Log[2], beepAt(10322));
    for (const std::string& line : audio.Log)
        EXPECT_EQ(line.find("speaker"), std::string::npos) << line;
    // Switched off: after a quiet second the context rests, once; switched on again, the
    // first sound wakes it before it is started.
    edition.Pointer(PointerKind::Down, 2, 245, 440, 6000);
    edition.Pointer(PointerKind::Up, 2, 245, 440, 6000);
    for (Millis t = 6000; t <= 9000; t += 10) {
        audio.Time = 10.0 + static_cast<double>(t - 1000) / 1000.0;
        edition.Advance(t);
    }
    EXPECT_EQ(std::count(audio.Log.begin(), audio.Log.end(), "suspend"), 2);
    EXPECT_EQ(audio.Log.back(), "suspend");
    edition.Pointer(PointerKind::Down, 3, 245, 440, 9000);
    for (Millis t = 9000; t <= 9400; t += 10) {
        audio.Time = 10.0 + static_cast<double>(t - 1000) / 1000.0;
        edition.Advance(t);
    }
    const auto resumed = std::find(audio.Log.begin(), audio.Log.end(), "resume") + 1;
    const auto again = std::find(resumed, audio.Log.end(), "resume");
    ASSERT_NE(again, audio.Log.end());
    EXPECT_EQ(again[-1], "suspend");
    ASSERT_NE(again + 1, audio.Log.end());
    EXPECT_EQ(again[1], beepAt(18322));
}

// A page with the toy started, its context reading the page's time from page time 0.
struct StartedPage {
    FakeAudio Audio;
    FakeHost Host;
    WebEdition Edition{Audio, Host};
    explicit StartedPage(bool sound = true) { Edition.Play(sound, true); }
    void RunTo(Millis end) {
        for (Millis t = Edition.Now(); t <= end; t += 5) {
            Audio.Time = static_cast<double>(t) / 1000.0;
            Edition.Advance(t);
        }
    }
    void Tap(double x, double y) {
        const Millis now = Edition.Now();
        Edition.Pointer(PointerKind::Down, 1, x, y, now);
        Edition.Pointer(PointerKind::Up, 1, x, y, now);
    }
};

TEST(WebEdition, AHiddenTabPausesTheHumAndTheReturnBringsItBack) {
    StartedPage page;
    page.Tap(245, 440);
    page.RunTo(14000);  // racing since 12490 ms, the hum on
    ASSERT_NE(page.Audio.Log.back().find("speaker"), std::string::npos);
    page.Audio.Log.clear();
    page.Edition.PageHidden(true);
    page.Edition.PageHidden(true);  // told twice: once is enough
    EXPECT_EQ(page.Audio.Log, (std::vector<std::string>{"suspend"}));
    page.Audio.Time = 60;  // the page stood still meanwhile; a suspended context does not run
    page.Edition.PageHidden(false);
    EXPECT_EQ(page.Audio.Log, (std::vector<std::string>{"suspend", "resume"}));
    page.RunTo(16000);
    EXPECT_EQ(std::count(page.Audio.Log.begin(), page.Audio.Log.end(), "resume"), 1);
    EXPECT_EQ(std::count(page.Audio.Log.begin(), page.Audio.Log.end(), "suspend"), 1);

    // Switched off and quiet for a second, the context rests: hiding and showing the tab
    // leave it resting until the next sound wakes it.
    page.Tap(245, 440);
    page.RunTo(18000);
    ASSERT_EQ(page.Audio.Log.back(), "suspend");
    page.Audio.Log.clear();
    page.Edition.PageHidden(true);
    page.Edition.PageHidden(false);
    page.RunTo(19000);
    EXPECT_TRUE(page.Audio.Log.empty());
    page.Tap(245, 440);
    page.RunTo(19500);
    ASSERT_GE(page.Audio.Log.size(), 2u);
    EXPECT_EQ(page.Audio.Log[0], "resume");
}

TEST(WebEdition, WithoutSoundHidingTheTabTouchesNoContext) {
    StartedPage page(false);
    page.Tap(245, 440);
    page.RunTo(14000);
    page.Audio.Log.clear();
    page.Edition.PageHidden(true);
    page.Edition.PageHidden(false);
    EXPECT_TRUE(page.Audio.Log.empty());
}

TEST(WebEdition, AFileTooLargeIsRefusedUnread) {
    StartedPage page;
    EXPECT_EQ(WebEdition::PlaybackRefusal(WebEdition::kPlaybackLimit), "");
    EXPECT_EQ(WebEdition::PlaybackRefusal(WebEdition::kPlaybackLimit + 1),
              "the file is 32.1 MB; a recording played here can be at most 32 MB.");
    // Refused before a line is read: bytes that are no recording at all are not even looked at.
    const std::string padded(WebEdition::kPlaybackLimit + 1, '#');
    EXPECT_EQ(page.Edition.StartPlayback(padded, page.Edition.Now()),
              WebEdition::PlaybackRefusal(padded.size()));
    EXPECT_FALSE(page.Edition.PlayingBack());
}

TEST(WebEdition, KeysChosenInAnotherTabAreTakenAndAHeldKeyIsLetGo) {
    struct Seen : InputObserver {
        std::vector<ToyInput> Inputs;
        void InputDelivered(const ToyInput& in) override { Inputs.push_back(in); }
    } seen;
    StartedPage page;
    page.Edition.Input().SetObserver(&seen);
    EXPECT_TRUE(page.Edition.Key(true, "ArrowUp", "ArrowUp", 100));
    page.Host.Stored["KeyUp"] = "Down";  // a clash: the defaults, as on loading
    page.Edition.ReloadKeys();
    EXPECT_EQ(page.Edition.KeyOf(0), "Up");
    EXPECT_EQ(seen.Inputs.size(), 1u);  // nothing changed: the held key stays held
    page.Host.Stored["KeyUp"] = "W";
    page.Host.Stored["KeyFire"] = "Space";
    page.Edition.ReloadKeys();
    EXPECT_EQ(page.Edition.KeyOf(0), "W");
    EXPECT_EQ(page.Edition.KeyOf(4), "Space");
    ASSERT_EQ(seen.Inputs.size(), 2u);
    EXPECT_EQ(seen.Inputs[1], (ToyInput{InputKind::KeyUp, 38}));
    EXPECT_FALSE(page.Edition.Key(false, "ArrowUp", "ArrowUp", 200));
    EXPECT_TRUE(page.Edition.Key(true, "w", "KeyW", 300));
    // Chosen here: refused with its reason and nothing stored.
    EXPECT_EQ(page.Edition.AssignKey(1, "w", "KeyW"), "W is already the key of Pad up.");
    EXPECT_EQ(page.Host.Stored.count("KeyDown"), 0u);
    EXPECT_EQ(page.Edition.AssignKey(1, "s", "KeyS"), "");
    EXPECT_EQ(page.Host.Stored["KeyDown"], "S");
    page.Edition.Input().SetObserver(nullptr);
}

// The samples the page plays are, one by one in the toy's order, the data of the wave files the
// desktop plays; nothing lies past either end of the list.
TEST(PageSamples, AreTheDataOfTheCommittedWaveFilesInTheToysOrder) {
    for (int i = 0; i < kSampleCount; ++i) {
        std::ifstream in(std::string(ZARQ_ASSETS) + "/" + kSampleFiles[i], std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
        ASSERT_GT(bytes.size(), 44u) << kSampleFiles[i] << " is missing";
        std::vector<std::int16_t> data;
        for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
            data.push_back(static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8)));
        }
        EXPECT_EQ(EffectSamples(i), data) << kSampleFiles[i];
    }
    EXPECT_TRUE(EffectSamples(-1).empty());
    EXPECT_TRUE(EffectSamples(kSampleCount).empty());
}

}  // namespace
}  // namespace zarq::web
