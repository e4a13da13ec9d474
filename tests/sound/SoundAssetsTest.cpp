// The nine committed wave files: their format, their lengths against the sequences that
// play them, their fades, and that the synthesiser makes exactly these bytes every time.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Synth.h"

namespace zarq::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

struct LengthRule {
    const char* Name;
    int MinMs;  // exclusive bounds: the sound lasts longer than MinMs and less than MaxMs
    int MaxMs;
};

// Each effect has to fit the sequence that plays it.
constexpr LengthRule kRules[] = {
    {"Beep", 0, 200},       // a blip, well inside the 320 ms between start-up beeps
    {"Start", 2300, 2700},  // the start-up tune, about 2.5 s
    {"Turn", 0, 100},       // at every turn of the cycle
    {"Disc", 0, 400},       // a short zap at each throw
    {"Win", 1000, 1400},    // a fanfare of about 1.2 s
    {"Miss1", 1000, 1400},  // a falling tone of about 1.2 s
    {"Miss2", 0, 35},       // repeats every 70 ms
    {"End", 2700, 3300},    // about 3 s
    {"Over", 3200, 3800},   // about 3.5 s
};

void PrintTo(const LengthRule& rule, std::ostream* out) { *out << rule.Name; }

class CommittedWave : public ::testing::TestWithParam<LengthRule> {};

TEST_P(CommittedWave, Is22050HzSixteenBitMonoOfItsLengthFadedInAndOut) {
    const LengthRule rule = GetParam();
    const auto bytes = ReadBytes(fs::path(ZARQ_SOUND_ASSETS) / (std::string(rule.Name) + ".wav"));
    ASSERT_GE(bytes.size(), 46u) << rule.Name << " is missing or empty";
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(Le(bytes, 4, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le(bytes, 20, 2), 1u);      // PCM
    EXPECT_EQ(Le(bytes, 22, 2), 1u);      // mono
    EXPECT_EQ(Le(bytes, 24, 4), 22050u);  // frames per second
    EXPECT_EQ(Le(bytes, 34, 2), 16u);     // bits per sample
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    ASSERT_EQ(Le(bytes, 40, 4), bytes.size() - 44);

    const std::size_t frames = (bytes.size() - 44) / 2;
    const double ms = 1000.0 * static_cast<double>(frames) / 22050;
    EXPECT_GT(ms, rule.MinMs);
    EXPECT_LT(ms, rule.MaxMs);

    std::vector<int> samples;
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(Le(bytes, i, 2)));
    }
    int peak = 0;
    for (int s : samples) peak = std::max(peak, std::abs(s));
    EXPECT_GT(peak, 4000) << "audible";
    EXPECT_LT(peak, 16000) << "room for several effects and the hum at once";
    // No click where the sound starts or stops.
    EXPECT_EQ(samples.front(), 0);
    EXPECT_EQ(samples.back(), 0);
    EXPECT_LT(std::abs(samples[1]), 1000);
    EXPECT_LT(std::abs(samples[samples.size() - 2]), 1000);
}

INSTANTIATE_TEST_SUITE_P(SoundFolder, CommittedWave, ::testing::ValuesIn(kRules),
                         [](const auto& test) { return std::string(test.param.Name); });

TEST(SoundSynthesiser, MakesTheNineCommittedFilesByteForByteEveryTime) {
    const auto first = assetgen::SynthesiseEffects();
    const auto second = assetgen::SynthesiseEffects();
    ASSERT_EQ(first.size(), 9u);
    ASSERT_EQ(second.size(), 9u);
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].Name, kRules[i].Name) << "load order";
        const auto bytes = assetgen::EncodeWave(first[i].Samples, assetgen::kWaveRate);
        EXPECT_EQ(bytes, assetgen::EncodeWave(second[i].Samples, assetgen::kWaveRate))
            << first[i].Name;
        EXPECT_EQ(bytes, ReadBytes(fs::path(ZARQ_SOUND_ASSETS) / (first[i].Name + ".wav")))
            << first[i].Name << ".wav differs from what the synthesiser makes";
    }
}

}  // namespace
}  // namespace zarq::test
