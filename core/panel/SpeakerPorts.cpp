// Decoding of the interval timer's channel 2 and the speaker gate.
#include "core/panel/SpeakerPorts.h"

namespace zarq {

namespace {
constexpr std::uint16_t kChannel2Port = 0x42;
constexpr std::uint16_t kCommandPort = 0x43;
constexpr std::uint16_t kGatePort = 0x61;
constexpr std::uint8_t kGateAndSpeaker = 0x03;  // bit 0 gates channel 2, bit 1 the speaker

std::uint32_t FromBcd(std::uint32_t raw) {
    const std::uint32_t value = ((raw >> 12) & 0xF) * 1000 + ((raw >> 8) & 0xF) * 100 +
                                ((raw >> 4) & 0xF) * 10 + (raw & 0xF);
    return value == 0 ? 10000 : value;
}
}  // namespace

void SpeakerPorts::LoadCount(std::uint32_t raw) {
    count_ = bcd_ ? FromBcd(raw) : (raw == 0 ? 0x10000 : raw);
    loadedMode_ = mode_;
}

bool SpeakerPorts::Write(std::uint16_t port, std::uint8_t value) {
    const double before = Frequency();
    switch (port) {
        case kCommandPort: {
            // Only channel 2's control words matter; a counter latch reads back, which the toy
            // never does. The new mode applies with the next count, so a retune has no gap.
            if ((value >> 6) != 2 || ((value >> 4) & 3) == 0) return false;
            access_ = (value >> 4) & 3;
            mode_ = (value >> 1) & 7;
            if (mode_ >= 6) mode_ = static_cast<std::uint8_t>(mode_ - 4);
            bcd_ = (value & 1) != 0;
            highNext_ = false;
            return false;
        }
        case kChannel2Port:
            if (access_ == 1) {
                LoadCount(value);
            } else if (access_ == 2) {
                LoadCount(static_cast<std::uint32_t>(value) << 8);
            } else if (!highNext_) {
                lowByte_ = value;
                highNext_ = true;
            } else {
                highNext_ = false;
                LoadCount(lowByte_ | (static_cast<std::uint32_t>(value) << 8));
            }
            break;
        case kGatePort:
            gate_ = value & kGateAndSpeaker;
            break;
        default:
            return false;
    }
    return Frequency() != before;
}

double SpeakerPorts::Frequency() const {
    const bool sounding = count_ != 0 && loadedMode_ == 3 && gate_ == kGateAndSpeaker;
    return sounding ? kInputClockHz / count_ : 0.0;
}

}  // namespace zarq
