// Seams that do nothing, for a panel that is only looked at or measured: the asset
// generator, the manual's pictures, benchmarks. Samples "load" as distinct handles so that
// the panel's sound start-up sees them as present.
#pragma once

#include <memory>
#include <vector>

#include "core/panel/Seams.h"

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

// A window that is nowhere: a 1024 x 768 screen, no messages, nothing opened.
class SilentWindow : public WindowHost {
  public:
    TPoint ScreenSize() override { return {1024, 768}; }
    TPoint WindowPos() override { return pos_; }
    void MoveWindow(int left, int top) override { pos_ = {left, top}; }
    void MessageBox(const std::string&, const std::string&, MessageKind) override {}
    void Beep() override {}
    void ShellOpen(const std::string&) override {}
    void ShowOptionsDialog() override {}

  private:
    TPoint pos_;
};

}  // namespace zarq
