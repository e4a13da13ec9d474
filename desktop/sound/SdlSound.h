// The program's sound output in one object: the sound library on SDL's audio device and the
// emulated PC speaker whose tone it mixes in. The program opens it once at start-up and
// binds Library() and Ports() into the panel's seams; it must outlive the panel.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "core/panel/Seams.h"
#include "desktop/sound/MixerLibrary.h"
#include "desktop/sound/SpeakerTone.h"

namespace zarq {

class SdlSound {
  public:
    // The device is closed after `quietSeconds` of silence; `clock` (the steady clock when
    // empty) times the sounds.
    explicit SdlSound(int quietSeconds = MixerLibrary::kQuietSeconds,
                      MixerLibrary::Clock clock = {})
        : library_(speaker_, quietSeconds, std::move(clock)) {}
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    SoundLibrary& Library() { return library_; }
    PortOutput& Ports() { return ports_; }

    // True once FSOUND_Init has opened an audio device.
    bool DeviceOpen() const { return library_.DeviceOpen(); }
    // True while the device is closed after a second of silence.
    bool DeviceResting() const { return library_.DeviceResting(); }
    std::uint64_t FramesMixed() const { return library_.FramesMixed(); }
    std::uint64_t FramesAtLastRest() const { return library_.FramesAtLastRest(); }
    int Openings() const { return library_.Openings(); }
    int FailedOpenings() const { return library_.FailedOpenings(); }
    int Losses() const { return library_.Losses(); }
    double SpeakerFrequency() const { return speaker_.Frequency(); }

  private:
    // The speaker's ports, which also reopen the resting device when the speaker sounds.
    class WakingPorts final : public PortOutput {
      public:
        WakingPorts(SpeakerTone& speaker, MixerLibrary& library)
            : speaker_(speaker), library_(library) {}
        void out(std::uint16_t port, std::uint8_t value) override {
            speaker_.out(port, value);
            if (speaker_.Frequency() > 0.0) library_.WakeForSpeaker();
        }

      private:
        SpeakerTone& speaker_;
        MixerLibrary& library_;
    };

    // Declared first so that it outlives the library, whose device reads it.
    SpeakerTone speaker_;
    MixerLibrary library_;
    WakingPorts ports_{speaker_, library_};
};

// Nothing is opened yet: the device opens when the toy's sound start-up calls FSOUND_Init.
std::unique_ptr<SdlSound> OpenSdlSound();

}  // namespace zarq
