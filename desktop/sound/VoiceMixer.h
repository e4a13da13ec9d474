// The mix the audio thread makes of every sounding sample and the speaker tone: summed in 32
// bits, then limited by a soft clipper, so a pile of loud sounds is rounded off near full
// scale instead of being cut flat or wrapped, while anything quieter passes bit for bit.
// Plain C++: the voices are guarded by one mutex that the audio thread holds for a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/panel/SoundLevels.h"

namespace zarq {

class SpeakerTone;

class VoiceMixer {
  public:
    // Sums below this magnitude reach the output unchanged; above it they bend smoothly
    // towards full scale, which they never pass.
    static constexpr int kKnee = kMixKnee;
    // A stopped voice fades out over this long (a cut in one step is a click).
    static constexpr int kFadeMicroseconds = 1500;

    // Allocates `voices` voices; every one falls silent.
    void SetVoices(int voices);
    int Voices() const { return static_cast<int>(voices_.size()); }

    // Starts `frames` frames of mono 16-bit audio at `data` on voice `voice`, or on the first
    // silent voice for -1, from output frame `startAt` (counted as Mix counts them; a frame
    // already mixed means at once). The data must stay valid until the voice has ended, been
    // stopped and faded, or been forgotten. Returns the voice, or -1 when none is free or
    // `voice` is out of range.
    int Play(int voice, const std::int16_t* data, std::size_t frames, std::uint64_t startAt = 0);
    // The same for a caller that holds Lock().
    int PlayHeld(int voice, const std::int16_t* data, std::size_t frames, std::uint64_t startAt);
    // The same, for a sound called at `calledNs` when there is no output frame to give yet: the
    // voice waits, silent, until PlaceHeld gives it one.
    int PlayUnplacedHeld(int voice, const std::int16_t* data, std::size_t frames,
                         std::int64_t calledNs);
    // Gives every waiting voice its first output frame, `frameOf(calledNs)`; under Lock().
    template <class FrameOf>
    void PlaceHeld(FrameOf frameOf) {
        for (Voice& v : voices_) {
            if (v.Data != nullptr && v.StartAt == kUnplaced) v.StartAt = frameOf(v.CalledNs);
        }
    }
    // A sounding voice fades out over kFadeMicroseconds; one that has not begun is dropped.
    void Stop(int voice);
    void StopAll();
    // Stops every voice playing `data` at once, so that it may be freed.
    void Forget(const std::int16_t* data);

    // The audio thread: writes `frames` frames of the mix of every voice and `tone` at `rate`,
    // the first of them being output frame `firstFrame`. Returns false when nothing at all
    // sounded and no voice waits for its start (the output is silence).
    bool Mix(std::int16_t* out, std::size_t frames, SpeakerTone& tone, int rate,
             std::uint64_t firstFrame = 0);

    // The mix's limit on a 32-bit sum.
    static std::int16_t SoftClip(std::int32_t sum);

    // Lets a caller decide under the voices' lock (the audio thread reads them under it).
    std::mutex& Lock() { return lock_; }

  private:
    static constexpr std::uint64_t kUnplaced = UINT64_MAX;  // a frame never mixed
    struct Voice {
        const std::int16_t* Data = nullptr;  // null: silent
        std::size_t Frames = 0;
        std::size_t At = 0;
        std::uint64_t StartAt = 0;  // the output frame of its first frame
        int FadeLeft = 0;           // frames of its fade still to come; 0 while not fading
        std::int64_t CalledNs = 0;  // the time of its call, while it is kUnplaced
    };
    void Fade(Voice& voice) const;
    std::mutex lock_;
    std::vector<Voice> voices_;
    int fadeFrames_ = 33;  // kFadeMicroseconds at the rate last mixed
    std::vector<std::int32_t> sum_ = std::vector<std::int32_t>(512);  // audio thread's scratch
};

}  // namespace zarq
