// The sound library's seven calls on SDL2_mixer. One fixed set of mixer channels is
// allocated when the library starts, so playing a sample never allocates; the speaker
// tone is added to the mixed output after the samples. SDL2_mixer keeps one device per
// process, so only one of these may be started at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "panel/Seams.h"

namespace zarq {

class SpeakerTone;

class MixerLibrary final : public SoundLibrary {
public:
    // The speaker's tone is mixed into the output while the library is started.
    explicit MixerLibrary(SpeakerTone& speaker);
    ~MixerLibrary() override;
    MixerLibrary(const MixerLibrary&) = delete;
    MixerLibrary& operator=(const MixerLibrary&) = delete;

    // Opens the default audio device at `mixrate` with a buffer of at most 512 frames and
    // `maxsoftwarechannels` mixer channels. Returns false when no device can be opened; the
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

    bool DeviceOpen() const { return deviceOpen_; }
    // Frames mixed since the device opened: lets a test find its place in the output.
    std::uint64_t FramesMixed() const { return framesMixed_.load(std::memory_order_acquire); }

private:
    static void PostMix(void* self, std::uint8_t* stream, int length);
    bool Owns(const FSOUND_SAMPLE* sample) const;
    bool PrepareForDevice(FSOUND_SAMPLE& sample) const;

    SpeakerTone& speaker_;
    int outputType_ = 1;
    bool started_ = false;
    bool audioSubsystem_ = false;
    bool deviceOpen_ = false;
    int channelsAllocated_ = 0;
    // The device's format, fixed while it is open.
    int deviceRate_ = 0;
    int deviceChannels_ = 0;
    std::uint16_t deviceFormat_ = 0;
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> samples_;
    std::atomic<std::uint64_t> framesMixed_{0};
};

}  // namespace zarq
