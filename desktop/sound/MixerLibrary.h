// The sound library's seven calls on SDL's audio device. A fixed set of voices is allocated
// when the library starts, so playing a sample never allocates; the voices and the speaker
// tone are mixed in 32 bits and soft-clipped (VoiceMixer). After a second in which nothing
// sounded the device is closed, so a toy that is off or quiet has no audio thread waking the
// machine (a paused SDL device would still write silence at the buffer rate); the next sample
// or hum opens it again, the sample as far after its call as any other. A device that goes
// away (its sound server ended), or none to be had at the start, is closed the same way and
// opened anew for the next sound. Opening and closing
// take tens of milliseconds on some systems, so a small keeper thread does both and the toy's
// calls never wait for them. Each sample begins at the output frame that matches the time of
// its call (StreamClock), so effects keep their spacing. Only one of these may be started at a
// time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "core/panel/Seams.h"
#include "desktop/sound/StreamClock.h"
#include "desktop/sound/VoiceMixer.h"

namespace zarq {

class SpeakerTone;

class MixerLibrary final : public SoundLibrary {
  public:
    // Seconds of silence after which the device is closed.
    static constexpr int kQuietSeconds = 1;
    // Frames in each buffer the device asks for.
    static constexpr int kBufferFrames = 512;
    // While the hum sounds and no device can be opened, a new try this often.
    static constexpr int kRetryMs = 1000;
    // A steady clock in nanoseconds; called on the toy's thread for each sample played and on
    // the audio thread for each buffer.
    using Clock = std::function<std::int64_t()>;

    // The speaker's tone is mixed into the output while the library is started. The device
    // rests after `quietSeconds` of silence. `clock` (the steady clock when empty) times the
    // calls and the device's buffers.
    explicit MixerLibrary(SpeakerTone& speaker, int quietSeconds = kQuietSeconds, Clock clock = {});
    ~MixerLibrary() override;
    MixerLibrary(const MixerLibrary&) = delete;
    MixerLibrary& operator=(const MixerLibrary&) = delete;

    // Opens the default audio device at `mixrate`, 16-bit mono, with a buffer of 512 frames
    // and `maxsoftwarechannels` voices. Returns false when no device can be opened now; the
    // calls then carry on silently, and each sound tries again, as after a lost device.
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

    // Reopens a device closed for silence once the speaker sounds; called after port writes.
    void WakeForSpeaker();

    // True from a start with sound until FSOUND_Close, also while the device rests closed or
    // none could be opened yet.
    bool DeviceOpen() const { return hasDevice_; }
    // True while the device is closed after a second of silence (no audio thread runs).
    bool DeviceResting() const { return hasDevice_ && output_.load() == Output::Closed; }
    // Frames the callback wrote since the start, over every reopening: lets a test find its
    // place in the output.
    std::uint64_t FramesMixed() const { return framesMixed_.load(std::memory_order_acquire); }
    // The value of FramesMixed when the device last decided to rest after a quiet second.
    std::uint64_t FramesAtLastRest() const { return restFrame_.load(std::memory_order_acquire); }
    // Devices opened since the start (the first included), openings that found no device,
    // and devices found gone.
    int Openings() const { return openings_.load(); }
    int FailedOpenings() const { return failedOpenings_.load(); }
    int Losses() const { return losses_.load(); }

  private:
    // Where the device stands. Running: the callback mixes. Quiet: the callback found a quiet
    // second and writes silence, holding back any new sound, until the keeper closes the device
    // or a new sound sets it running again. Lost: the callback found the device gone (SDL stopped
    // it) and writes silence until the keeper closes it. Closing and Opening: the keeper is at
    // work.
    enum class Output { Running, Quiet, Lost, Closing, Closed, Opening };

    static void Callback(void* self, std::uint8_t* stream, int length);
    bool Owns(const FSOUND_SAMPLE* sample) const;
    bool PrepareForDevice(FSOUND_SAMPLE& sample) const;
    std::uint32_t OpenDevice();
    std::uint32_t OpenAfterLoss();
    void Resume();
    void Keep();

    SpeakerTone& speaker_;
    const int quietSeconds_;
    const Clock clock_;
    VoiceMixer mixer_;
    int outputType_ = 1;
    bool started_ = false;
    bool audioSubsystem_ = false;
    bool hasDevice_ = false;  // the toy's thread only
    int deviceRate_ = 0;      // the device takes 16-bit mono at this rate, whatever the hardware
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> samples_;
    std::atomic<std::uint64_t> framesMixed_{0};
    std::atomic<std::uint64_t> restFrame_{0};
    std::atomic<int> openings_{0};
    std::atomic<int> failedOpenings_{0};
    std::atomic<int> losses_{0};

    // Under the mixer's lock, shared by the toy's thread, the audio thread and the keeper:
    // SDL's device id (0 while closed), where it stands, frames of silence in a row, whether a
    // sound waits for the closed device, whether the keeper is to end, whether the last device
    // went away, and the stream's clock line. The keeper alone
    // opens and closes the device while it runs, the toy's thread before and after it; SDL's
    // own calls are made without the lock, because the audio thread takes it inside SDL's
    // device lock. `output_` is atomic only so that DeviceResting may look without the lock.
    std::uint32_t device_ = 0;
    std::atomic<Output> output_{Output::Closed};
    std::uint64_t quietFrames_ = 0;
    bool reopen_ = false;
    bool stopKeeper_ = false;
    bool lost_ = false;
    StreamAnchor anchor_;
    std::condition_variable keeperWake_;
    std::thread keeper_;
};

}  // namespace zarq
