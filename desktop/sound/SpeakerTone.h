// The PC speaker as the toy programs it: channel 2 of an 8253/8254 interval timer and the
// speaker gate at port 0x61, decoded from port writes and rendered as a band-limited
// square-wave tone that the audio thread adds into the mixed output. Plain C++: no SDL here.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "core/panel/Seams.h"
#include "core/panel/SoundLevels.h"
#include "core/panel/SpeakerPorts.h"

namespace zarq {

class SpeakerTone final : public PortOutput {
  public:
    // The timer's input clock; the tone is this divided by the count loaded into channel 2.
    static constexpr double kInputClockHz = SpeakerPorts::kInputClockHz;
    // Peak of the tone in 16-bit units.
    static constexpr int kLevel = kSpeakerLevel;
    // Frames over which the tone fades in or out, so that switching it is not a click.
    static constexpr int kRampFrames = 32;
    // Each edge of the wave is a band-limited step spread over this many frames on either
    // side, so the oscillator runs this far ahead of what is heard: a retune is heard this
    // many frames after the buffer in which it was seen.
    static constexpr int kLookaheadFrames = 16;

    // Called on the toy's thread. Ports 0x42 (channel 2 count), 0x43 (timer command) and
    // 0x61 (gate bit 0, speaker enable bit 1) are decoded; every other port is ignored.
    void out(std::uint16_t port, std::uint8_t value) override;

    // The tone the speaker makes now in hertz, or 0 when it is silent.
    double Frequency() const;

    // Called on the audio thread only: adds `frames` frames of the tone into mono audio at
    // `rate` frames per second, in 16-bit units held in 32 bits (the mixer limits the sum).
    // Returns false, having added nothing, while the tone is silent and has faded out.
    bool AddInto(std::int32_t* mono, std::size_t frames, int rate);

    // The same into interleaved signed 16-bit audio of `channels` channels, saturating.
    void MixInto(std::int16_t* audio, std::size_t frames, int channels, int rate);

  private:
    // The count and mode of channel 2 as the audio thread sees them: the count (1 .. 65536,
    // 0 while none has been loaded) in bits 0-16, the counting mode in bits 20-22.
    static std::uint32_t Pack(std::uint32_t count, std::uint32_t mode) {
        return count | (mode << 20);
    }

    // The decoder, touched only by out().
    SpeakerPorts ports_;

    // Shared with the audio thread.
    std::atomic<std::uint32_t> counter_{Pack(0, 3)};
    std::atomic<std::uint8_t> gate_{0};

    // Audio thread only.
    static constexpr std::size_t kRingSize = 64;  // a power of two above 2 x kLookaheadFrames
    void Edge(double frame, double height);
    double phase_ = 0.0;    // position in the current period, 0 .. 1; the first half is high
    double step_ = 0.0;     // phase advance per frame of the tone last sounding
    int level_ = 0;         // 0 .. kRampFrames
    bool running_ = false;  // the oscillator has started (it runs kLookaheadFrames ahead)
    // The wave from the frame heard next onwards, oscillator frames and edge corrections.
    std::array<double, kRingSize> ring_{};
    std::size_t heard_ = 0;  // ring index of the frame heard next
};

}  // namespace zarq
