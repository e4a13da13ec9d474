// The mix of many voices: exact while the sum is moderate, rounded off towards full scale
// when dozens of loud sounds pile up, never wrapped round to the other sign.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "desktop/sound/SpeakerTone.h"
#include "desktop/sound/VoiceMixer.h"

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

}  // namespace
}  // namespace zarq::test
