// The emulated interval timer and speaker gate: what the port writes make the speaker sound.
#include <gtest/gtest.h>

#include "desktop/sound/SpeakerTone.h"
#include "tests/harness/Harness.h"
#include "tests/sound/SoundLog.h"
#include "tests/sound/ToneMeasure.h"

namespace zarq::test {
namespace {

constexpr int kRate = 22050;
constexpr int kLevel = SpeakerTone::kLevel;
constexpr double k20Hz = 1193182.0 / 59664;  // what the toy's divisor for 20 Hz really gives
constexpr double k38Hz = 1193182.0 / 31402;

// Renders `frames` of the tone, mono, into silence, in buffers of `chunk` frames.
std::vector<std::int16_t> Render(SpeakerTone& tone, std::size_t frames, std::size_t chunk = 512) {
    std::vector<std::int16_t> out(frames, 0);
    for (std::size_t at = 0; at < frames; at += chunk) {
        tone.MixInto(out.data() + at, std::min(chunk, frames - at), 1, kRate);
    }
    return out;
}

void Program(SpeakerTone& tone, std::uint16_t divisor) {
    tone.out(0x43, 0xB6);
    tone.out(0x42, static_cast<std::uint8_t>(divisor & 0xFF));
    tone.out(0x42, static_cast<std::uint8_t>(divisor >> 8));
}

int Peak(const std::vector<std::int16_t>& samples, std::size_t from = 0) {
    int peak = 0;
    for (std::size_t i = from; i < samples.size(); ++i) peak = std::max(peak, std::abs(samples[i]));
    return peak;
}

TEST(SpeakerTone, IsSilentUntilBothACountAndTheGateAreSet) {
    SpeakerTone tone;
    EXPECT_EQ(Peak(Render(tone, 4000)), 0);
    tone.out(0x61, 0x03);  // gate on, but no count loaded yet
    EXPECT_EQ(tone.Frequency(), 0.0);
    EXPECT_EQ(Peak(Render(tone, 4000)), 0);
    tone.out(0x61, 0x00);
    Program(tone, 59664);  // a count, but the gate is off
    EXPECT_EQ(Peak(Render(tone, 4000)), 0);
    tone.out(0x61, 0x03);
    EXPECT_GT(Peak(Render(tone, 4000)), kLevel * 9 / 10);
}

TEST(SpeakerTone, TheToysTwentyHertzDivisorSoundsAtTheTimersClockOverTheDivisor) {
    SpeakerTone tone;
    Program(tone, 59664);
    tone.out(0x61, 0x03);
    EXPECT_NEAR(tone.Frequency(), k20Hz, 1e-9);
    const auto samples = Render(tone, 3 * kRate);
    EXPECT_NEAR(MeasuredFrequency(samples, 0, samples.size(), kRate), k20Hz, 0.01);
    // A square wave under the samples: full level most of the time, never above it by more
    // than a band-limited edge rings (9 % of the edge's height of twice the level).
    EXPECT_LE(Peak(samples), kLevel * 12 / 10);
    EXPECT_LT(QuietFrames(samples, 64, samples.size(), kLevel / 2), 60u * 4);
}

TEST(SpeakerTone, ANewCountLoadsOnlyOnceItsHighByteIsWritten) {
    SpeakerTone tone;
    Program(tone, 59664);
    tone.out(0x61, 0x03);
    tone.out(0x43, 0xB6);
    tone.out(0x42, 0xAA);
    EXPECT_NEAR(tone.Frequency(), k20Hz, 1e-9);
    tone.out(0x43, 0x36);  // a control word for channel 0 leaves channel 2's byte order alone
    tone.out(0x40, 0x55);
    tone.out(0x42, 0x7A);
    EXPECT_NEAR(tone.Frequency(), k38Hz, 1e-9);
}

TEST(SpeakerTone, SingleByteAccessModesLoadAtOnce) {
    SpeakerTone tone;
    tone.out(0x61, 0x03);
    tone.out(0x43, 0x96);  // channel 2, low byte only, mode 3
    tone.out(0x42, 200);
    EXPECT_NEAR(tone.Frequency(), 1193182.0 / 200, 1e-9);
    tone.out(0x43, 0xA6);  // high byte only
    tone.out(0x42, 0x10);
    EXPECT_NEAR(tone.Frequency(), 1193182.0 / 0x1000, 1e-9);
    tone.out(0x43, 0xB7);  // binary-coded decimal: 0x5000 is 5000
    tone.out(0x42, 0x00);
    tone.out(0x42, 0x50);
    EXPECT_NEAR(tone.Frequency(), 1193182.0 / 5000, 1e-9);
    Program(tone, 0);  // a count of 0 is the longest, 65536
    EXPECT_NEAR(tone.Frequency(), 1193182.0 / 65536, 1e-9);
}

TEST(SpeakerTone, OnlyBothGateBitsTogetherSoundTheSpeaker) {
    SpeakerTone tone;
    Program(tone, 31402);
    const std::pair<std::uint8_t, bool> cases[] = {{0x00, false}, {0x01, false}, {0x02, false},
                                                   {0x03, true},  {0xFC, false}, {0xFF, true}};
    for (const auto& [gate, sounds] : cases) {
        tone.out(0x61, gate);
        EXPECT_EQ(tone.Frequency() > 0.0, sounds) << "gate byte " << int{gate};
        const auto samples = Render(tone, 2000);
        EXPECT_EQ(Peak(samples, 100) > 0, sounds) << "gate byte " << int{gate};
    }
}

TEST(SpeakerTone, ModesOtherThanTheSquareWaveAndUnhearableTonesStaySilent) {
    SpeakerTone tone;
    tone.out(0x61, 0x03);
    tone.out(0x43, 0xB4);  // mode 2, a rate generator: only narrow pulses
    tone.out(0x42, 0x10);
    tone.out(0x42, 0xE9);
    EXPECT_EQ(Peak(Render(tone, 3000)), 0);
    Program(tone, 2);  // about 600 kHz
    EXPECT_EQ(Peak(Render(tone, 3000)), 0);
    Program(tone, 59664);
    EXPECT_GT(Peak(Render(tone, 3000)), 0);
}

TEST(SpeakerTone, RetuningChangesThePitchWithoutAGap) {
    SpeakerTone tone;
    Program(tone, 59664);
    tone.out(0x61, 0x03);
    auto samples = Render(tone, kRate);
    Program(tone, 31402);
    const auto after = Render(tone, kRate);
    samples.insert(samples.end(), after.begin(), after.end());

    EXPECT_NEAR(MeasuredFrequency(samples, 0, kRate, kRate), k20Hz, 0.02);
    EXPECT_NEAR(MeasuredFrequency(samples, kRate, 2 * kRate, kRate), k38Hz, 0.04);
    // Around the retune the wave stays at full level but for the frames of at most one edge.
    EXPECT_LE(QuietFrames(samples, kRate - 200, kRate + 200, kLevel / 2), 4u);
}

TEST(SpeakerTone, ARetuneCarriesOnFromTheSamePointOfThePeriod) {
    SpeakerTone tone;
    Program(tone, 59664);
    tone.out(0x61, 0x03);
    // 300 frames into a period of 1102.6 frames the wave is high, 27 % of the way through.
    Render(tone, 300);
    Program(tone, 31402);
    const auto after = Render(tone, 1000);
    // At 38 Hz (580.3 frames a period) it stays high for the rest of the first half:
    // (0.5 - 0.272) x 580.3 = 132 frames; a restarted period would stay high for 290. The
    // wave is heard the lookahead later than the oscillator makes it, the retune too.
    std::size_t edge = 0;
    while (edge < after.size() && after[edge] > 0) ++edge;
    EXPECT_NEAR(static_cast<double>(edge), 132.0 + SpeakerTone::kLookaheadFrames, 2.0);
}

TEST(SpeakerTone, TheWaveRunsOnAcrossBuffersOfAnySize) {
    SpeakerTone whole;
    SpeakerTone pieces;
    for (SpeakerTone* tone : {&whole, &pieces}) {
        Program(*tone, 31402);
        tone->out(0x61, 0x03);
    }
    EXPECT_EQ(Render(whole, 20000, 20000), Render(pieces, 20000, 7));
}

TEST(SpeakerTone, SwitchingOnFadesInAndTheGateOffSilencesWithinTheRamp) {
    SpeakerTone tone;
    Program(tone, 59664);
    tone.out(0x61, 0x03);
    auto samples = Render(tone, 2000);
    EXPECT_LT(std::abs(samples[0]), kLevel / 8);  // no click at the start
    for (std::size_t i = 1; i < SpeakerTone::kLookaheadFrames + SpeakerTone::kRampFrames; ++i) {
        EXPECT_LE(std::abs(samples[i] - samples[i - 1]), kLevel / 8) << "fading in at " << i;
    }
    EXPECT_EQ(std::abs(samples[SpeakerTone::kLookaheadFrames + SpeakerTone::kRampFrames + 10]),
              kLevel);

    tone.out(0x61, 0x00);
    samples = Render(tone, 2000);
    EXPECT_GT(std::abs(samples[0]), kLevel / 2);
    EXPECT_LT(std::abs(samples[SpeakerTone::kRampFrames - 2]), kLevel / 8);
    EXPECT_EQ(Peak(samples, SpeakerTone::kRampFrames), 0);
}

TEST(SpeakerTone, MixingSaturatesInsteadOfWrapping) {
    SpeakerTone tone;
    Program(tone, 59664);
    tone.out(0x61, 0x03);
    std::vector<std::int16_t> loud(3000, 32000);
    std::vector<std::int16_t> low(3000, -32000);
    tone.MixInto(loud.data(), loud.size(), 1, kRate);
    SpeakerTone again;
    Program(again, 59664);
    again.out(0x61, 0x03);
    again.MixInto(low.data(), low.size(), 1, kRate);
    EXPECT_EQ(*std::max_element(loud.begin(), loud.end()), 32767);
    EXPECT_GE(*std::min_element(loud.begin(), loud.end()), 32000 - kLevel * 12 / 10);
    EXPECT_EQ(*std::min_element(low.begin(), low.end()), -32768);
    EXPECT_LE(*std::max_element(low.begin(), low.end()), -32000 + kLevel * 12 / 10);
}

// The toy's own calls driving the emulation, as in the program.
TEST(SpeakerTone, TheToysCallsSoundTwentyThenThirtyEightHertzThenSilence) {
    VirtualClock clock;
    SoundLog library;
    SpeakerTone tone;
    RecordingWindow window;
    TForm1 form{PanelSeams{clock.Scheduler(), library, tone, window, nullptr}};
    form.AvviaSuono("Windows MM", "95, 98, ME, NT");
    form.SuonaSpeaker(20);
    EXPECT_NEAR(MeasuredFrequency(Render(tone, 2 * kRate), 0, 2 * kRate, kRate), k20Hz, 0.02);
    form.SuonaSpeaker(38);
    EXPECT_NEAR(MeasuredFrequency(Render(tone, 2 * kRate), 0, 2 * kRate, kRate), k38Hz, 0.04);
    form.Silenzio();
    EXPECT_EQ(tone.Frequency(), 0.0);
    EXPECT_EQ(Peak(Render(tone, 2000), SpeakerTone::kRampFrames), 0);
}

}  // namespace
}  // namespace zarq::test
