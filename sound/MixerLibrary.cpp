// SDL2_mixer behind the seven calls: the device, the fixed channel set, the samples (decoded
// once, converted to the device's format once) and the speaker tone added after mixing.
#include "MixerLibrary.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "SpeakerTone.h"
#include "WaveCheck.h"

// The library's sample: the decoded wave, the same converted to the device's format, and
// the mixer's view of it. The mixer chunk only borrows `mixed`, which the sample owns.
struct zarq::FSOUND_SAMPLE {
    SDL_AudioSpec audio{};
    std::vector<Uint8> decoded;
    std::vector<Uint8> mixed;
    Mix_Chunk chunk{};
};

namespace zarq {

namespace {

// A toy's effects are a few hundred kilobytes; anything far larger is not one of them.
constexpr std::uintmax_t kLargestWave = 64u << 20;
constexpr int kBufferFrames = 512;
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

MixerLibrary::MixerLibrary(SpeakerTone& speaker) : speaker_(speaker) {}

MixerLibrary::~MixerLibrary() {
    FSOUND_Close();
}

bool MixerLibrary::FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned) {
    if (started_) return deviceOpen_;
    started_ = true;
    if (outputType_ == kNoSound) return true;

    SDL_SetMainReady();
    // The program answers the termination signals itself; SDL's own handlers would swallow
    // them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    audioSubsystem_ = true;
    const int rate = mixrate >= 4000 && mixrate <= 192000 ? mixrate : 22050;
    // Every sound of the toy is mono, so the mix is too. No format changes are allowed: SDL
    // converts for the hardware, and the speaker tone can rely on signed 16-bit mono at the
    // rate asked for, as can a mono 16-bit sample at that rate, which plays unconverted.
    if (Mix_OpenAudioDevice(rate, AUDIO_S16SYS, 1, kBufferFrames, nullptr, 0) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
        return false;
    }
    int frequency = 0;
    int channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    deviceRate_ = frequency;
    deviceChannels_ = channels;
    deviceFormat_ = format;
    deviceOpen_ = true;
    channelsAllocated_ = Mix_AllocateChannels(
        maxsoftwarechannels > 0 ? std::min(maxsoftwarechannels, kMostChannels) : kDefaultChannels);
    for (const auto& sample : samples_) PrepareForDevice(*sample);
    if (deviceFormat_ == AUDIO_S16SYS) Mix_SetPostMix(&MixerLibrary::PostMix, this);
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
    if (deviceOpen_ && !PrepareForDevice(*sample)) return nullptr;
    samples_.push_back(std::move(sample));
    return samples_.back().get();
}

bool MixerLibrary::PrepareForDevice(FSOUND_SAMPLE& sample) const {
    SDL_AudioCVT cvt;
    const int built =
        SDL_BuildAudioCVT(&cvt, sample.audio.format, sample.audio.channels, sample.audio.freq,
                          deviceFormat_, static_cast<Uint8>(deviceChannels_), deviceRate_);
    if (built < 0) return false;
    if (built == 0) {
        sample.mixed = sample.decoded;
    } else {
        cvt.len = static_cast<int>(sample.decoded.size());
        sample.mixed.resize(sample.decoded.size() * static_cast<std::size_t>(cvt.len_mult));
        std::memcpy(sample.mixed.data(), sample.decoded.data(), sample.decoded.size());
        cvt.buf = sample.mixed.data();
        if (SDL_ConvertAudio(&cvt) != 0) return false;
        sample.mixed.resize(static_cast<std::size_t>(cvt.len_cvt));
    }
    const auto frameBytes =
        static_cast<std::size_t>(SDL_AUDIO_BITSIZE(deviceFormat_) / 8 * deviceChannels_);
    sample.mixed.resize(sample.mixed.size() - sample.mixed.size() % frameBytes);
    if (sample.mixed.empty()) return false;
    sample.chunk.allocated = 0;  // the mixer must never free what the sample owns
    sample.chunk.abuf = sample.mixed.data();
    sample.chunk.alen = static_cast<Uint32>(sample.mixed.size());
    sample.chunk.volume = MIX_MAX_VOLUME;
    return true;
}

bool MixerLibrary::Owns(const FSOUND_SAMPLE* sample) const {
    return std::any_of(samples_.begin(), samples_.end(),
                       [sample](const auto& owned) { return owned.get() == sample; });
}

int MixerLibrary::FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) {
    if (!deviceOpen_ || sample == nullptr || !Owns(sample) || sample->chunk.abuf == nullptr) {
        return -1;
    }
    // -1 takes the first channel that is not sounding; when all are busy nothing is cut
    // and the sample is simply not heard.
    if (channel < -1 || channel >= channelsAllocated_) return -1;
    return Mix_PlayChannel(channel, &sample->chunk, 0);
}

bool MixerLibrary::FSOUND_StopSound(int channel) {
    if (!deviceOpen_) return false;
    if (channel == FSOUND_ALL) {
        Mix_HaltChannel(-1);
        return true;
    }
    if (channel < 0 || channel >= channelsAllocated_) return false;
    Mix_HaltChannel(channel);
    return true;
}

void MixerLibrary::FSOUND_Sample_Free(FSOUND_SAMPLE* sample) {
    if (sample == nullptr) return;
    const auto it = std::find_if(samples_.begin(), samples_.end(),
                                 [sample](const auto& owned) { return owned.get() == sample; });
    if (it == samples_.end()) return;
    if (deviceOpen_) {
        // No channel may go on reading the sample's data once it is gone.
        for (int c = 0; c < channelsAllocated_; ++c) {
            if (Mix_GetChunk(c) == &sample->chunk) Mix_HaltChannel(c);
        }
    }
    samples_.erase(it);
}

void MixerLibrary::FSOUND_Close() {
    if (deviceOpen_) {
        Mix_HaltChannel(-1);
        Mix_SetPostMix(nullptr, nullptr);
        Mix_CloseAudio();
        deviceOpen_ = false;
        channelsAllocated_ = 0;
    }
    if (audioSubsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
    }
    samples_.clear();
    started_ = false;
}

void MixerLibrary::PostMix(void* self, std::uint8_t* stream, int length) {
    auto& library = *static_cast<MixerLibrary*>(self);
    const auto frames = static_cast<std::size_t>(length) /
                        (sizeof(std::int16_t) * static_cast<std::size_t>(library.deviceChannels_));
    library.speaker_.MixInto(reinterpret_cast<std::int16_t*>(stream), frames,
                             library.deviceChannels_, library.deviceRate_);
    library.framesMixed_.fetch_add(frames, std::memory_order_release);
}

}  // namespace zarq
