// The synthesiser of the toy's nine sound effects: band-limited square-wave notes and sweeps
// in the manner of a piezo buzzer, computed in integers only so every machine writes the
// same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarq::assetgen {

inline constexpr int kWaveRate = 22050;

struct SoundEffect {
    std::string Name;  // the file stem: "Beep"
    std::vector<std::int16_t> Samples;
};

// The nine effects in the order the toy loads them: Beep, Start, Turn, Disc, Win, Miss1,
// Miss2, End, Over.
std::vector<SoundEffect> SynthesiseEffects();

// A RIFF/WAVE file of 16-bit mono PCM.
std::vector<std::uint8_t> EncodeWave(const std::vector<std::int16_t>& samples, int rate);

}  // namespace zarq::assetgen
