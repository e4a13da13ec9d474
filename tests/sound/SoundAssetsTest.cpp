// The nine committed wave files: their format, their lengths against the sequences that
// play them, their fades, their notes free of fold-back and clicks, their levels, and that
// the synthesiser makes exactly these bytes every time.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "tests/sound/ToneMeasure.h"
#include "tools/assetgen/sound/Synth.h"

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
    int SteadyNotes;   // notes held at one pitch long enough to measure; glides have none
    const char* Kind;  // sounds of one kind sit at the same loudness
};

// Each effect has to fit the sequence that plays it, and keeps its tune.
constexpr LengthRule kRules[] = {
    {"Beep", 0, 200, 1, "blip"},        // a blip, well inside the 320 ms between start-up beeps
    {"Start", 2300, 2700, 9, "tune"},   // the start-up tune, about 2.5 s
    {"Turn", 0, 100, 0, "tick"},        // at every turn of the cycle, softer than the rest
    {"Disc", 0, 400, 0, "fall"},        // a short zap at each throw
    {"Win", 1000, 1400, 6, "tune"},     // a fanfare of about 1.2 s, ending in a rising glide
    {"Miss1", 1000, 1400, 15, "fall"},  // a tone falling in steps, about 1.2 s
    {"Miss2", 0, 35, 1, "blip"},        // repeats every 70 ms
    {"End", 2700, 3300, 13, "tune"},    // about 3 s
    {"Over", 3200, 3800, 7, "tune"},    // about 3.5 s, ending in a falling glide
};

constexpr int kRate = 22050;

std::vector<std::int16_t> ReadSamples(const std::string& name) {
    const auto bytes = ReadBytes(fs::path(ZARQ_SOUND_ASSETS) / (name + ".wav"));
    std::vector<std::int16_t> samples;
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(Le(bytes, i, 2)));
    }
    return samples;
}

void PrintTo(const LengthRule& rule, std::ostream* out) {
    *out << rule.Name;
}

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

// Every steady note carries only its own harmonics: nothing folded back from above the
// Nyquist frequency, no partial that belongs to no note.
TEST_P(CommittedWave, EverySteadyNotesEnergyLiesOnItsHarmonics) {
    const LengthRule rule = GetParam();
    const auto samples = ReadSamples(rule.Name);
    ASSERT_FALSE(samples.empty()) << rule.Name << " is missing";
    const auto notes = SteadyNotes(samples, kRate);
    EXPECT_EQ(notes.size(), static_cast<std::size_t>(rule.SteadyNotes)) << "the tune changed";
    for (const SteadyNote& note : notes) {
        const HarmonicShare share = OutsideHarmonics(samples, note.From, note.To, note.Hz, kRate);
        EXPECT_GT(share.Counted, 0.25) << "too short to measure at " << note.From;
        EXPECT_LT(share.OutsideDb, -50.0)
            << rule.Name << ": the note of " << note.Hz << " Hz at frame " << note.From;
    }
}

// Where a sound starts from silence or falls back to it, no sample jumps further than the
// sound's own wave does while it is held: no click at any edge.
TEST_P(CommittedWave, NoEdgeStepsFurtherThanTheWaveItself) {
    const LengthRule rule = GetParam();
    const auto samples = ReadSamples(rule.Name);
    ASSERT_FALSE(samples.empty()) << rule.Name << " is missing";
    const std::size_t edge = kRate / 1000;  // 1 ms on either side of a silence
    const auto at = [&](std::size_t i) { return i < samples.size() ? int{samples[i]} : 0; };
    std::size_t stretches = 0;
    for (std::size_t i = 0; i < samples.size();) {
        if (samples[i] == 0) {
            ++i;
            continue;
        }
        // A sounding stretch [i, stop) ends where a millisecond of silence (or the file) begins.
        std::size_t stop = i;
        while (stop < samples.size()) {
            std::size_t zeros = 0;
            while (stop + zeros < samples.size() && samples[stop + zeros] == 0) ++zeros;
            if (zeros >= edge || stop + zeros == samples.size()) break;
            stop += zeros + 1;
        }
        int own = 0;
        int edges = 0;
        for (std::size_t k = i; k <= stop; ++k) {
            const int step = std::abs(at(k) - (k == 0 ? 0 : at(k - 1)));
            int& worst = k < i + edge || k + edge >= stop ? edges : own;
            worst = std::max(worst, step);
        }
        if (stop - i > 4 * edge) {
            ++stretches;
            EXPECT_LT(edges, own) << rule.Name << ": the stretch from frame " << i;
        }
        i = stop;
    }
    EXPECT_GE(stretches, 1u);
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

// Effects of one kind are as loud as each other: their peaks and their loudest 10 ms (RMS)
// within 3 dB.
TEST(SoundFolder, EffectsOfOneKindSitAtOneLoudness) {
    struct Level {
        double Peak = 0.0;
        double Rms = 0.0;
        std::string Name;
    };
    std::map<std::string, std::vector<Level>> kinds;
    for (const LengthRule& rule : kRules) {
        const auto samples = ReadSamples(rule.Name);
        ASSERT_FALSE(samples.empty()) << rule.Name << " is missing";
        Level level{0.0, 0.0, rule.Name};
        const std::size_t window = kRate / 100;
        for (std::size_t from = 0; from + window <= samples.size(); from += window / 4) {
            double sum = 0.0;
            for (std::size_t i = from; i < from + window; ++i)
                sum += double(samples[i]) * samples[i];
            level.Rms = std::max(level.Rms, std::sqrt(sum / double(window)));
        }
        for (std::int16_t s : samples) level.Peak = std::max(level.Peak, std::abs(double(s)));
        kinds[rule.Kind].push_back(level);
    }
    for (const auto& [kind, levels] : kinds) {
        for (const Level& a : levels) {
            for (const Level& b : levels) {
                EXPECT_LT(20.0 * std::log10(a.Peak / b.Peak), 3.0) << a.Name << " / " << b.Name;
                EXPECT_LT(20.0 * std::log10(a.Rms / b.Rms), 3.0) << a.Name << " / " << b.Name;
            }
        }
    }
}

}  // namespace
}  // namespace zarq::test
