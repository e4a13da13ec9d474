// The mix the audio thread makes of every sounding sample and the speaker tone: summed in 32
// bits, then limited by a soft clipper, so a pile of loud sounds is rounded off near full
// scale instead of being cut flat or wrapped, while anything quieter passes bit for bit.
// Plain C++: the voices are guarded by one mutex that the audio thread holds for a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace zarq {

class SpeakerTone;

class VoiceMixer {
  public:
    // Sums below this magnitude reach the output unchanged; above it they bend smoothly
    // towards full scale, which they never pass.
    static constexpr int kKnee = 24576;

    // Allocates `voices` voices; every one falls silent.
    void SetVoices(int voices);
    int Voices() const { return static_cast<int>(voices_.size()); }

    // Starts `frames` frames of mono 16-bit audio at `data` on voice `voice`, or on the first
    // silent voice for -1. The data must stay valid until the voice is stopped or forgotten.
    // Returns the voice, or -1 when none is free or `voice` is out of range.
    int Play(int voice, const std::int16_t* data, std::size_t frames);
    void Stop(int voice);
    void StopAll();
    // Stops every voice playing `data`, so that it may be freed.
    void Forget(const std::int16_t* data);

    // The audio thread: writes `frames` frames of the mix of every voice and `tone` at `rate`.
    // Returns false when nothing at all sounded (the output is silence).
    bool Mix(std::int16_t* out, std::size_t frames, SpeakerTone& tone, int rate);

    // The mix's limit on a 32-bit sum.
    static std::int16_t SoftClip(std::int32_t sum);

    // Lets a caller decide under the voices' lock (the audio thread reads them under it).
    std::mutex& Lock() { return lock_; }

  private:
    struct Voice {
        const std::int16_t* Data = nullptr;  // null: silent
        std::size_t Frames = 0;
        std::size_t At = 0;
    };
    std::mutex lock_;
    std::vector<Voice> voices_;
    std::vector<std::int32_t> sum_ = std::vector<std::int32_t>(512);  // audio thread's scratch
};

}  // namespace zarq
