// SDL's audio device behind the seven calls: the device, the fixed set of voices, the samples
// (decoded once, converted to the device's 16-bit mono once), the device closed after a quiet
// second and opened again for the next sound by the keeper thread.
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
    deviceRate_ = mixrate >= 4000 && mixrate <= 192000 ? mixrate : 22050;
    // The first opening is the toy's to wait for: it learns whether there is sound at all. The
    // keeper thread is not running yet, so the device is this thread's to set up.
    device_ = OpenDevice();
    if (device_ == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
        return false;
    }
    hasDevice_ = true;
    output_ = Output::Running;
    // Started at once: a device held paused writes silence, which would put the output out
    // of step with the frames mixed. No voice sounds yet, so the samples are safe to prepare.
    SDL_PauseAudioDevice(device_, 0);
    for (const auto& sample : samples_) PrepareForDevice(*sample);
    keeper_ = std::thread([this] { Keep(); });
    return true;
}

// Opens the default output, paused. Every sound of the toy is mono, so the mix is too. No
// format changes are allowed: SDL converts for the hardware, so the mix is always signed
// 16-bit mono at the rate asked for, and the samples prepared for it stay valid on reopening.
std::uint32_t MixerLibrary::OpenDevice() {
    SDL_AudioSpec want{};
    want.freq = deviceRate_;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = kBufferFrames;
    want.callback = &MixerLibrary::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    return SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
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
    if (hasDevice_ && !PrepareForDevice(*sample)) return nullptr;
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
    if (!hasDevice_ || sample == nullptr || !Owns(sample) || sample->mixed.empty()) return -1;
    // -1 takes the first voice that is not sounding; when all are busy nothing is cut and
    // the sample is simply not heard.
    const int voice = mixer_.Play(channel, sample->mixed.data(), sample->mixed.size());
    if (voice >= 0) Resume();
    return voice;
}

bool MixerLibrary::FSOUND_StopSound(int channel) {
    if (!hasDevice_) return false;
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
    if (keeper_.joinable()) {
        {
            const std::lock_guard guard(mixer_.Lock());
            stopKeeper_ = true;
        }
        keeperWake_.notify_one();
        keeper_.join();  // after an opening or closing under way
        stopKeeper_ = false;
    }
    // The keeper has ended: the device is this thread's again.
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);  // waits for a callback under way
        device_ = 0;
    }
    if (hasDevice_) {
        hasDevice_ = false;
        mixer_.SetVoices(0);
        output_ = Output::Closed;
        quietFrames_ = 0;
        reopen_ = false;
    }
    if (audioSubsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
    }
    samples_.clear();
    started_ = false;
}

void MixerLibrary::WakeForSpeaker() {
    if (hasDevice_) Resume();
}

// The toy's thread, after something was set sounding: a quiet second starts again. The
// callback decides on quiet under the same lock, after this or before it: after, it sees the
// new sound; before, this sees its decision and undoes it while the device is still open, or
// has the keeper open the device again, the sound waiting unmixed at its first frame. Cheap:
// a lock, and a wake of the keeper only when the device is closed or closing.
void MixerLibrary::Resume() {
    bool wake = false;
    {
        const std::lock_guard guard(mixer_.Lock());
        quietFrames_ = 0;
        switch (output_.load()) {
            case Output::Running:
            case Output::Opening:  // about to run, with quiet counted afresh
                break;
            case Output::Quiet:
                output_ = Output::Running;
                break;
            case Output::Closing:
            case Output::Closed:
                wake = !reopen_;
                reopen_ = true;
                break;
        }
    }
    if (wake) keeperWake_.notify_one();
}

// The keeper thread: closes the device when the callback found a quiet second and opens it
// again when a sound waits. It sleeps on its condition in between, costing no wake-ups.
// SDL_CloseAudioDevice waits for the audio thread, which takes the mixer's lock, so SDL is
// called with the lock released; the states Closing and Opening keep the others out meanwhile.
void MixerLibrary::Keep() {
    std::unique_lock lock(mixer_.Lock());
    for (;;) {
        keeperWake_.wait(lock, [this] {
            return stopKeeper_ || output_ == Output::Quiet ||
                   (output_ == Output::Closed && reopen_);
        });
        if (stopKeeper_) return;
        if (output_ == Output::Quiet) {
            output_ = Output::Closing;
            const std::uint32_t closing = device_;
            lock.unlock();
            SDL_CloseAudioDevice(closing);  // its callbacks only write silence now
            lock.lock();
            device_ = 0;
            output_ = Output::Closed;  // a sound that came meanwhile has set reopen_
            continue;
        }
        reopen_ = false;
        output_ = Output::Opening;
        lock.unlock();
        const std::uint32_t opened = OpenDevice();
        if (opened == 0) {
            // The output went away: what waited cannot be heard. The next sound tries again.
            mixer_.StopAll();
            lock.lock();
            output_ = Output::Closed;
            continue;
        }
        lock.lock();
        device_ = opened;
        output_ = Output::Running;
        quietFrames_ = 0;
        lock.unlock();
        // The first callback mixes what waited from its first frame.
        SDL_PauseAudioDevice(opened, 0);
        lock.lock();
    }
}

void MixerLibrary::Callback(void* self, std::uint8_t* stream, int length) {
    auto& library = *static_cast<MixerLibrary*>(self);
    const auto frames = static_cast<std::size_t>(length) / sizeof(std::int16_t);
    bool running = false;
    {
        const std::lock_guard guard(library.mixer_.Lock());
        running = library.output_ == Output::Running;
    }
    // Only the callback turns Running into anything else, so it stays running through the mix.
    // Otherwise silence, and the voices stay where they are for the reopened device.
    const bool sounded =
        running && library.mixer_.Mix(reinterpret_cast<std::int16_t*>(stream), frames,
                                      library.speaker_, library.deviceRate_);
    if (!running) std::memset(stream, 0, static_cast<std::size_t>(length));
    library.framesMixed_.fetch_add(frames, std::memory_order_release);
    if (!running) return;
    bool rest = false;
    {
        // Decided under the voices' lock, with the speaker read afresh, so that a sample
        // started or a hum switched on meanwhile is either seen here or undoes the decision.
        const std::lock_guard guard(library.mixer_.Lock());
        library.quietFrames_ =
            sounded || library.speaker_.Frequency() > 0.0 ? 0 : library.quietFrames_ + frames;
        if (library.quietFrames_ >= static_cast<std::uint64_t>(library.quietSeconds_) *
                                        static_cast<std::uint64_t>(library.deviceRate_)) {
            library.output_ = Output::Quiet;
            rest = true;
        }
    }
    if (rest) library.keeperWake_.notify_one();
}

}  // namespace zarq
