// The program's sound output in one object: the sound library on SDL2_mixer and the
// emulated PC speaker whose tone it mixes in. The program opens it once at start-up and
// binds Library() and Ports() into the panel's seams; it must outlive the panel.
#pragma once

#include <cstdint>
#include <memory>

#include "panel/Seams.h"
#include "sound/MixerLibrary.h"
#include "sound/SpeakerTone.h"

namespace zarq {

class SdlSound {
public:
    SdlSound() = default;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    SoundLibrary& Library() { return library_; }
    PortOutput& Ports() { return speaker_; }

    // True once FSOUND_Init has opened an audio device.
    bool DeviceOpen() const { return library_.DeviceOpen(); }
    std::uint64_t FramesMixed() const { return library_.FramesMixed(); }
    double SpeakerFrequency() const { return speaker_.Frequency(); }

private:
    // Declared first so that it outlives the library, whose device reads it.
    SpeakerTone speaker_;
    MixerLibrary library_{speaker_};
};

// Nothing is opened yet: the device opens when the toy's sound start-up calls FSOUND_Init.
std::unique_ptr<SdlSound> OpenSdlSound();

}  // namespace zarq
