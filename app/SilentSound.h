// Sound seams that do nothing, for running the panel before the sound output is bound.
// Samples "load" as distinct handles so that the panel's start-up sees them as present.
#pragma once

#include <memory>
#include <vector>

#include "panel/Seams.h"

namespace zarq {

class SilentSound : public SoundLibrary {
public:
    bool FSOUND_Init(int, int, unsigned) override { return true; }
    bool FSOUND_SetOutput(int) override { return true; }
    FSOUND_SAMPLE* FSOUND_Sample_Load(int, const char*, unsigned, int) override {
        handles_.push_back(std::make_unique<char>());
        return reinterpret_cast<FSOUND_SAMPLE*>(handles_.back().get());
    }
    int FSOUND_PlaySound(int, FSOUND_SAMPLE*) override { return 0; }
    bool FSOUND_StopSound(int) override { return true; }
    void FSOUND_Sample_Free(FSOUND_SAMPLE*) override {}
    void FSOUND_Close() override {}

private:
    std::vector<std::unique_ptr<char>> handles_;
};

class SilentPorts : public PortOutput {
public:
    void out(std::uint16_t, std::uint8_t) override {}
};

}  // namespace zarq
