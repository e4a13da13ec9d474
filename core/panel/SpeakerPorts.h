// The PC speaker as the toy programs it: channel 2 of the 8253/8254 interval timer (ports 0x42,
// 0x43) and the speaker gate (port 0x61) decoded from the toy's port writes into the tone the
// speaker makes. Each front end plays that tone its own way (the desktop's band-limited square
// wave, the web edition's oscillator). Only what the tone depends on is kept.
#pragma once

#include <cstdint>

#include "core/panel/Seams.h"

namespace zarq {

class SpeakerPorts {
  public:
    static constexpr double kInputClockHz = 1193182.0;

    // Decodes one port write; returns true when the tone changed.
    bool Write(std::uint16_t port, std::uint8_t value);
    // The tone in hertz, 0 while the speaker is silent.
    double Frequency() const;
    // Channel 2's count (1 .. 65536, 0 until one is loaded), the counting mode it was loaded
    // in, and the gate bits (bit 0 gates channel 2, bit 1 connects the speaker).
    std::uint32_t Count() const { return count_; }
    std::uint8_t LoadedMode() const { return loadedMode_; }
    std::uint8_t Gate() const { return gate_; }

  private:
    void LoadCount(std::uint32_t raw);

    std::uint8_t access_ = 3;  // 1 low byte only, 2 high byte only, 3 low then high
    std::uint8_t mode_ = 3;
    std::uint8_t loadedMode_ = 3;
    bool bcd_ = false;
    bool highNext_ = false;
    std::uint8_t lowByte_ = 0;
    std::uint32_t count_ = 0;  // 0 until one is loaded
    std::uint8_t gate_ = 0;
};

}  // namespace zarq
