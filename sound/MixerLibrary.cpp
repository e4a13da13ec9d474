// SDL's audio device behind the seven calls: the device, the fixed set of voices, the samples
// (decoded once, converted to the device's 16-bit mono once), the pause after a quiet second.
#include "MixerLibrary.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "SpeakerTone.h"
#include "WaveCheck.h"

// The library's sample: the decoded wave and the same converted to the device's format,
// which the voices play from.
struct zarq::FSOUND_SAMPLE {
    SDL_AudioSpec audio{};
    std::vector<Uint8> decoded;
    std::vector<std::int16_t> mixed;
};

namespace zarq {

namespace {

// A toy's effects are a few hundred kilobytes; anything far larger is not one of them.
constexpr std::uintmax_t kLargestWave = 64u << 20;
constexpr Uint16 kBufferFrames = 512;
constexpr int kDefaultChannels = 32;
constexpr int kMostChannels = 256;

enum OutputType { kNoSound = 0, kWindowsMultimedia = 1, kDirectSound = 2 };

std::vector<std::uint8_t> ReadWhole(const char* name) {
    std::ifstream in(name, std::ios::binary | std::ios::ate);
    if (!in) return {};
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<std::uintmax_t>(size) > kLargestWave) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return {};
    return bytes;
}

struct WaveBuffer {
    Uint8* data = nullptr;
    ~WaveBuffer() { SDL_FreeWAV(data); }
};

}  // namespace

MixerLibrary::MixerLibrary(SpeakerTone& speaker, int quietSeconds)
    : speaker_(speaker), quietSeconds_(std::max(quietSeconds, 1)) {}

MixerLibrary::~MixerLibrary() {
    FSOUND_Close();
}

bool MixerLibrary::FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned) {
    if (started_) return DeviceOpen();
    started_ = true;
    if (outputType_ == kNoSound) return true;

    SDL_SetMainReady();
    // SDL would otherwise catch SIGINT and SIGTERM and turn them into a quit event that this
    // program never reads, and it would no longer end on `kill` or at logout.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    audioSubsystem_ = true;
    mixer_.SetVoices(maxsoftwarechannels > 0 ? std::min(maxsoftwarechannels, kMostChannels)
                                             : kDefaultChannels);
    // Every sound of the toy is mono, so the mix is too. No format changes are allowed: SDL
    // converts for the hardware, so the mix is always signed 16-bit mono at the rate asked for.
    SDL_AudioSpec want{};
    want.freq = mixrate >= 4000 && mixrate <= 192000 ? mixrate : 22050;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = kBufferFrames;
    want.callback = &MixerLibrary::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
        return false;
    }
    deviceRate_ = want.freq;
    // Started at once: a device held paused writes silence, which would put the output out
    // of step with the frames mixed. No voice sounds yet, so the samples are safe to prepare.
    SDL_PauseAudioDevice(device_, 0);
    for (const auto& sample : samples_) PrepareForDevice(*sample);
    return true;
}

bool MixerLibrary::FSOUND_SetOutput(int outputtype) {
    switch (outputtype) {
        case kWindowsMultimedia:
        case kDirectSound:
            // Both are the system's default output here.
            if (!started_) outputType_ = outputtype;
            return true;
        case kNoSound:
            if (started_) return false;
            outputType_ = kNoSound;
            return true;
        default:
            return false;
    }
}

FSOUND_SAMPLE* MixerLibrary::FSOUND_Sample_Load(int, const char* name, unsigned, int) {
    if (name == nullptr) return nullptr;
    const std::vector<std::uint8_t> bytes = ReadWhole(name);
    if (!IsCompleteWave(bytes)) return nullptr;

    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (stream == nullptr) return nullptr;
    auto sample = std::make_unique<FSOUND_SAMPLE>();
    WaveBuffer wave;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(stream, 1, &sample->audio, &wave.data, &length) == nullptr) return nullptr;
    const auto frameBytes =
        static_cast<Uint32>(SDL_AUDIO_BITSIZE(sample->audio.format) / 8 * sample->audio.channels);
    length -= frameBytes == 0 ? length : length % frameBytes;
    if (length == 0) return nullptr;
    sample->decoded.assign(wave.data, wave.data + length);
    if (DeviceOpen() && !PrepareForDevice(*sample)) return nullptr;
    samples_.push_back(std::move(sample));
    return samples_.back().get();
}

bool MixerLibrary::PrepareForDevice(FSOUND_SAMPLE& sample) const {
    SDL_AudioCVT cvt;
    const int built = SDL_BuildAudioCVT(&cvt, sample.audio.format, sample.audio.channels,
                                        sample.audio.freq, AUDIO_S16SYS, 1, deviceRate_);
    if (built < 0) return false;
    std::vector<Uint8> converted = sample.decoded;
    if (built > 0) {
        cvt.len = static_cast<int>(sample.decoded.size());
        converted.resize(sample.decoded.size() * static_cast<std::size_t>(cvt.len_mult));
        cvt.buf = converted.data();
        if (SDL_ConvertAudio(&cvt) != 0) return false;
        converted.resize(static_cast<std::size_t>(cvt.len_cvt));
    }
    if (converted.size() < sizeof(std::int16_t)) return false;
    sample.mixed.resize(converted.size() / sizeof(std::int16_t));
    std::memcpy(sample.mixed.data(), converted.data(), sample.mixed.size() * sizeof(std::int16_t));
    return true;
}

bool MixerLibrary::Owns(const FSOUND_SAMPLE* sample) const {
    return std::any_of(samples_.begin(), samples_.end(),
                       [sample](const auto& owned) { return owned.get() == sample; });
}

int MixerLibrary::FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) {
    if (!DeviceOpen() || sample == nullptr || !Owns(sample) || sample->mixed.empty()) return -1;
    // -1 takes the first voice that is not sounding; when all are busy nothing is cut and
    // the sample is simply not heard.
    const int voice = mixer_.Play(channel, sample->mixed.data(), sample->mixed.size());
    if (voice >= 0) Resume();
    return voice;
}

bool MixerLibrary::FSOUND_StopSound(int channel) {
    if (!DeviceOpen()) return false;
    if (channel == FSOUND_ALL) {
        mixer_.StopAll();
        return true;
    }
    if (channel < 0 || channel >= mixer_.Voices()) return false;
    mixer_.Stop(channel);
    return true;
}

void MixerLibrary::FSOUND_Sample_Free(FSOUND_SAMPLE* sample) {
    if (sample == nullptr) return;
    const auto it = std::find_if(samples_.begin(), samples_.end(),
                                 [sample](const auto& owned) { return owned.get() == sample; });
    if (it == samples_.end()) return;
    // No voice may go on reading the sample's data once it is gone.
    mixer_.Forget(sample->mixed.data());
    samples_.erase(it);
}

void MixerLibrary::FSOUND_Close() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);  // waits for a callback under way
        device_ = 0;
        mixer_.SetVoices(0);
        quietFrames_ = 0;
        pausedForQuiet_ = false;
    }
    if (audioSubsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
    }
    samples_.clear();
    started_ = false;
}

bool MixerLibrary::DevicePaused() const {
    return device_ != 0 && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_PAUSED;
}

void MixerLibrary::WakeForSpeaker() {
    if (DeviceOpen()) Resume();
}

// The toy's thread, after something was set sounding. When the callback has paused the
// device, it did so while holding SDL's device lock, which SDL_PauseAudioDevice takes too:
// the resume therefore always comes after the pause, never before it.
void MixerLibrary::Resume() {
    bool paused = false;
    {
        const std::lock_guard guard(mixer_.Lock());
        paused = pausedForQuiet_;
        pausedForQuiet_ = false;
        quietFrames_ = 0;
    }
    if (paused) SDL_PauseAudioDevice(device_, 0);
}

void MixerLibrary::Callback(void* self, std::uint8_t* stream, int length) {
    auto& library = *static_cast<MixerLibrary*>(self);
    const auto frames = static_cast<std::size_t>(length) / sizeof(std::int16_t);
    const bool sounded = library.mixer_.Mix(reinterpret_cast<std::int16_t*>(stream), frames,
                                            library.speaker_, library.deviceRate_);
    library.framesMixed_.fetch_add(frames, std::memory_order_release);
    bool pause = false;
    {
        // Decided under the voices' lock, with the speaker read afresh, so that a sample
        // started or a hum switched on meanwhile is either seen here or resumes the device.
        const std::lock_guard guard(library.mixer_.Lock());
        library.quietFrames_ =
            sounded || library.speaker_.Frequency() > 0.0 ? 0 : library.quietFrames_ + frames;
        if (!library.pausedForQuiet_ &&
            library.quietFrames_ >= static_cast<std::uint64_t>(library.quietSeconds_) *
                                        static_cast<std::uint64_t>(library.deviceRate_)) {
            library.pausedForQuiet_ = true;
            pause = true;
        }
    }
    // SDL's device lock is held during the callback and may be taken again on this thread.
    if (pause) SDL_PauseAudioDevice(library.device_, 1);
}

}  // namespace zarq
