// The sound library's seven calls on SDL's audio device. A fixed set of voices is allocated
// when the library starts, so playing a sample never allocates; the voices and the speaker
// tone are mixed in 32 bits and soft-clipped (VoiceMixer). After a second in which nothing
// sounded the device is paused, so a toy that is off or quiet costs no mixing; the next
// sample or hum resumes it at once. Only one of these may be started at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "panel/Seams.h"
#include "sound/VoiceMixer.h"

namespace zarq {

class SpeakerTone;

class MixerLibrary final : public SoundLibrary {
  public:
    // Seconds of silence after which the device rests.
    static constexpr int kQuietSeconds = 1;

    // The speaker's tone is mixed into the output while the library is started. The device
    // rests after `quietSeconds` of silence.
    explicit MixerLibrary(SpeakerTone& speaker, int quietSeconds = kQuietSeconds);
    ~MixerLibrary() override;
    MixerLibrary(const MixerLibrary&) = delete;
    MixerLibrary& operator=(const MixerLibrary&) = delete;

    // Opens the default audio device at `mixrate`, 16-bit mono, with a buffer of 512 frames
    // and `maxsoftwarechannels` voices. Returns false when no device can be opened; the
    // other calls then carry on silently.
    bool FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned flags) override;
    // 1 (multimedia wave output) and 2 (DirectSound output) both mean the system's default
    // output; 0 (no sound), given before the start, keeps the device closed.
    bool FSOUND_SetOutput(int outputtype) override;
    // Loads a wave file; null when it is missing, cut short or not a wave it can decode.
    // A valid file loads even while no device is open, so a silent run still has its samples.
    FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned mode,
                                      int length) override;
    int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) override;
    bool FSOUND_StopSound(int channel) override;
    void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) override;
    // Stops the device and releases every sample still loaded.
    void FSOUND_Close() override;

    // Resumes a device paused for silence once the speaker sounds; called after port writes.
    void WakeForSpeaker();

    bool DeviceOpen() const { return device_ != 0; }
    // True while SDL holds the device paused (after a second of silence).
    bool DevicePaused() const;
    // Frames mixed since the device opened: lets a test find its place in the output.
    std::uint64_t FramesMixed() const { return framesMixed_.load(std::memory_order_acquire); }

  private:
    static void Callback(void* self, std::uint8_t* stream, int length);
    bool Owns(const FSOUND_SAMPLE* sample) const;
    bool PrepareForDevice(FSOUND_SAMPLE& sample) const;
    void Resume();

    SpeakerTone& speaker_;
    const int quietSeconds_;
    VoiceMixer mixer_;
    int outputType_ = 1;
    bool started_ = false;
    bool audioSubsystem_ = false;
    std::uint32_t device_ = 0;  // SDL's device id; 0 while none is open
    int deviceRate_ = 0;        // the device takes 16-bit mono at this rate, whatever the hardware
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> samples_;
    std::atomic<std::uint64_t> framesMixed_{0};
    // Under the mixer's lock: frames of silence in a row, and whether the callback paused.
    std::uint64_t quietFrames_ = 0;
    bool pausedForQuiet_ = false;
};

}  // namespace zarq
