// zarq-soundgen <folder>: writes the nine sound effects as wave files into <folder>.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/assetgen/sound/Synth.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& effect : zarq::assetgen::SynthesiseEffects()) {
        const auto bytes = zarq::assetgen::EncodeWave(effect.Samples, zarq::assetgen::kWaveRate);
        const std::filesystem::path file = folder / (effect.Name + ".wav");
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", file.string().c_str());
            return 1;
        }
    }
    return 0;
}
