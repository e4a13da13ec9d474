// Channel 2 of the interval timer and the speaker gate, decoded from port writes, and the
// square wave they make, rendered with band-limited edges so the low hum does not alias.
#include "SpeakerTone.h"

#include <algorithm>
#include <cmath>

namespace zarq {

namespace {

constexpr std::uint16_t kChannel2Port = 0x42;
constexpr std::uint16_t kCommandPort = 0x43;
constexpr std::uint16_t kGatePort = 0x61;
constexpr std::uint8_t kGateAndSpeaker = 0x03;  // bit 0 gates channel 2, bit 1 connects the speaker
constexpr std::uint32_t kCountMask = 0x1FFFF;

// The correction that turns a naive step at phase 0 into a band-limited one (polyBLEP).
double EdgeCorrection(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// A count written in binary-coded decimal: four digits, 0 standing for 10000.
std::uint32_t FromBcd(std::uint32_t raw) {
    const std::uint32_t value = ((raw >> 12) & 0xF) * 1000 + ((raw >> 8) & 0xF) * 100 +
                                ((raw >> 4) & 0xF) * 10 + (raw & 0xF);
    return value == 0 ? 10000 : value;
}

}  // namespace

void SpeakerTone::LoadCount(std::uint32_t raw) {
    const std::uint32_t count = bcd_ ? FromBcd(raw) : (raw == 0 ? 0x10000 : raw);
    counter_.store(Pack(count, mode_), std::memory_order_release);
}

void SpeakerTone::out(std::uint16_t port, std::uint8_t value) {
    switch (port) {
        case kCommandPort: {
            // Only control words for channel 2 matter; a counter latch (access 0) only
            // affects reading the count back, which the toy never does.
            if ((value >> 6) != 2) return;
            const std::uint8_t access = (value >> 4) & 3;
            if (access == 0) return;
            access_ = access;
            mode_ = (value >> 1) & 7;
            if (mode_ >= 6) mode_ = static_cast<std::uint8_t>(mode_ - 4);  // 6 and 7 are 2 and 3
            bcd_ = (value & 1) != 0;
            highNext_ = false;
            // The new mode applies with the next count; until then the running tone goes on,
            // so a retune written as command, low, high never leaves a gap.
            return;
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
            return;
        case kGatePort:
            gate_.store(value & kGateAndSpeaker, std::memory_order_release);
            return;
        default:
            return;
    }
}

double SpeakerTone::Frequency() const {
    const std::uint32_t packed = counter_.load(std::memory_order_acquire);
    const std::uint32_t count = packed & kCountMask;
    const std::uint32_t mode = packed >> 20;
    const bool sounding =
        count != 0 && mode == 3 && gate_.load(std::memory_order_acquire) == kGateAndSpeaker;
    return sounding ? kInputClockHz / count : 0.0;
}

void SpeakerTone::MixInto(std::int16_t* audio, std::size_t frames, int channels, int rate) {
    if (audio == nullptr || channels <= 0 || rate <= 0) return;
    const double frequency = Frequency();
    const double step = frequency / rate;
    // A tone the output cannot carry (at or above half the rate) stays silent.
    const bool on = frequency > 0.0 && step < 0.5;
    if (on) {
        step_ = step;
    } else if (level_ == 0) {
        phase_ = 0.0;
        return;
    }
    const auto width = static_cast<std::size_t>(channels);
    for (std::size_t f = 0; f < frames; ++f) {
        if (on) {
            level_ = std::min(level_ + 1, kRampFrames);
        } else if (--level_ <= 0) {
            // Gate off: the next gate on restarts the count, so the tone begins high again.
            level_ = 0;
            phase_ = 0.0;
            return;
        }
        double half = phase_ + 0.5;
        if (half >= 1.0) half -= 1.0;
        const double wave = (phase_ < 0.5 ? 1.0 : -1.0) + EdgeCorrection(phase_, step_) -
                            EdgeCorrection(half, step_);
        const auto value = static_cast<int>(std::lround(wave * kLevel * level_ / kRampFrames));
        std::int16_t* frame = audio + f * width;
        for (std::size_t c = 0; c < width; ++c) {
            frame[c] = static_cast<std::int16_t>(std::clamp(frame[c] + value, -32768, 32767));
        }
        phase_ += step_;
        if (phase_ >= 1.0) phase_ -= 1.0;
    }
}

}  // namespace zarq
