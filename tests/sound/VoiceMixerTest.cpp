// The mix of many voices: exact while the sum is moderate, rounded off towards full scale
// when dozens of loud sounds pile up, never wrapped round to the other sign.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sound/SpeakerTone.h"
#include "sound/VoiceMixer.h"

namespace zarq::test {
namespace {

TEST(VoiceMixer, SixtyFourLoudVoicesAreClippedSoftlyNeverWrapped) {
    // One period of a loud sine, 2000 frames, on all 64 voices at once: the sum reaches 64 x
    // 12000, far past what 16 bits hold.
    std::vector<std::int16_t> sine(2000);
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] = static_cast<std::int16_t>(
            std::lround(12000.0 * std::sin(2.0 * std::numbers::pi * double(i) / 2000.0)));
    }
    VoiceMixer mixer;
    SpeakerTone silent;
    mixer.SetVoices(64);
    for (int v = 0; v < 64; ++v) ASSERT_EQ(mixer.Play(-1, sine.data(), sine.size()), v);
    EXPECT_EQ(mixer.Play(-1, sine.data(), sine.size()), -1);  // all busy
    std::vector<std::int16_t> out(sine.size() + 100, 1);
    EXPECT_TRUE(mixer.Mix(out.data(), out.size(), silent, 22050));

    int exact = 0;
    int bent = 0;
    for (std::size_t i = 0; i < sine.size(); ++i) {
        const int sum = 64 * sine[i];
        if (std::abs(sum) <= VoiceMixer::kKnee) {
            EXPECT_EQ(out[i], sum) << "a moderate sum passes unchanged, at " << i;
            ++exact;
        }
        EXPECT_EQ(out[i] > 0, sum > 0) << "the sign is kept, at " << i;
        if (i > 0 && i < 500) {
            EXPECT_GE(out[i], out[i - 1]) << "rising with the sum, at " << i;
        }
        // Just past the knee the mix still follows the sum, more and more gently.
        if (i > 0 && i < 500 && sum > VoiceMixer::kKnee && sum < 40000) {
            EXPECT_LT(out[i], sum);
            EXPECT_GT(out[i], out[i - 1]) << "bent, not cut, at " << i;
            ++bent;
        }
    }
    EXPECT_GT(exact, 20);
    EXPECT_GT(bent, 0);
    // At the crest the mix sits at full scale, and the trough mirrors it.
    EXPECT_EQ(out[500], 32767);
    EXPECT_EQ(out[1500], -32767);
    // Every voice has ended with its data: the rest is silence.
    for (std::size_t i = sine.size(); i < out.size(); ++i) EXPECT_EQ(out[i], 0);
    std::vector<std::int16_t> after(512, 1);
    EXPECT_FALSE(mixer.Mix(after.data(), after.size(), silent, 22050));
    EXPECT_EQ(std::count(after.begin(), after.end(), 0), 512);
}

// A voice given a start frame is silent up to it, in whichever buffer it falls; a stopped
// voice ends with a short fade instead of a step, and is silent after it.
TEST(VoiceMixer, AVoiceBeginsAtItsFrameAndAStoppedOneFadesOutInAboutOneAndAHalfMilliseconds) {
    const std::vector<std::int16_t> level(5000, 10000);
    VoiceMixer mixer;
    SpeakerTone silent;
    mixer.SetVoices(4);
    ASSERT_EQ(mixer.Play(-1, level.data(), level.size(), 1000), 0);
    std::vector<std::int16_t> out(1536, 1);
    for (std::size_t at = 0; at < out.size(); at += 512) {
        EXPECT_TRUE(mixer.Mix(out.data() + at, 512, silent, 22050, at)) << "waiting counts";
    }
    EXPECT_EQ(std::count(out.begin(), out.begin() + 1000, 0), 1000);
    EXPECT_EQ(std::count(out.begin() + 1000, out.end(), 10000), 536);

    mixer.StopAll();
    std::vector<std::int16_t> tail(512, 1);
    EXPECT_TRUE(mixer.Mix(tail.data(), tail.size(), silent, 22050, 1536));
    const auto fade = static_cast<std::size_t>(
        std::find(tail.begin(), tail.end(), std::int16_t{0}) - tail.begin());
    EXPECT_NEAR(static_cast<double>(fade), 22050 * 0.0015, 2.0);
    for (std::size_t i = 1; i < fade; ++i) {
        EXPECT_LT(tail[i], tail[i - 1]) << "falling at " << i;
        EXPECT_LT(tail[i - 1] - tail[i], 10000 / 12) << "no step at " << i;
    }
    EXPECT_EQ(std::count(tail.begin() + static_cast<std::ptrdiff_t>(fade), tail.end(), 0),
              static_cast<std::ptrdiff_t>(tail.size() - fade));
    EXPECT_FALSE(mixer.Mix(tail.data(), tail.size(), silent, 22050, 2048)) << "ended";

    // Stopped before its start, a voice is simply dropped.
    ASSERT_EQ(mixer.Play(-1, level.data(), level.size(), 5000), 0);
    mixer.Stop(0);
    EXPECT_FALSE(mixer.Mix(tail.data(), tail.size(), silent, 22050, 2560));
}

}  // namespace
}  // namespace zarq::test
