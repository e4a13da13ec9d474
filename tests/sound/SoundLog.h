// A sound library and port output that write every call, in the order made, into one log
// of readable lines ("Play(-1,Beep)", "out(0x61,0x00)"), so a test can check the order of
// library calls and port writes against each other.
#pragma once

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/panel/Seams.h"

namespace zarq::test {

class SoundLog : public SoundLibrary, public PortOutput {
  public:
    std::vector<std::string> Events;
    // File stems whose loading fails ("Beep").
    std::vector<std::string> Missing;

    bool FSOUND_Init(int mixrate, int channels, unsigned flags) override {
        Events.push_back("Init(" + std::to_string(mixrate) + "," + std::to_string(channels) + "," +
                         std::to_string(flags) + ")");
        return true;
    }
    bool FSOUND_SetOutput(int outputtype) override {
        Events.push_back("SetOutput(" + std::to_string(outputtype) + ")");
        return true;
    }
    FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned mode,
                                      int length) override {
        Events.push_back("Load(" + std::to_string(index) + "," + name + "," + Hex(mode) + "," +
                         std::to_string(length) + ")");
        const std::string stem = std::filesystem::path(name).stem().string();
        for (const std::string& m : Missing) {
            if (m == stem) return nullptr;
        }
        handles_.push_back(std::make_unique<int>(0));
        auto* handle = reinterpret_cast<FSOUND_SAMPLE*>(handles_.back().get());
        names_[handle] = stem;
        return handle;
    }
    int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) override {
        Events.push_back("Play(" + std::to_string(channel) + "," + Name(sample) + ")");
        return 0;
    }
    bool FSOUND_StopSound(int channel) override {
        Events.push_back("Stop(" + std::to_string(channel) + ")");
        return true;
    }
    void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) override {
        Events.push_back("Free(" + Name(sample) + ")");
    }
    void FSOUND_Close() override { Events.push_back("Close"); }

    void out(std::uint16_t port, std::uint8_t value) override {
        Events.push_back("out(" + Hex(port) + "," + Hex(value, 2) + ")");
    }

    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        taken.swap(Events);
        return taken;
    }

  private:
    static std::string Hex(unsigned value, int digits = 0) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%0*X", digits, value);
        return text;
    }
    std::string Name(FSOUND_SAMPLE* sample) const {
        if (sample == nullptr) return "null";
        auto it = names_.find(sample);
        return it == names_.end() ? "?" : it->second;
    }

    std::vector<std::unique_ptr<int>> handles_;
    std::map<const FSOUND_SAMPLE*, std::string> names_;
};

}  // namespace zarq::test
