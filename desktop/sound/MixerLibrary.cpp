// SDL's audio device behind the seven calls: the device, the fixed set of voices, the samples
// (decoded once, converted to the device's 16-bit mono once), the device closed after a quiet
// second or when it went away, and opened again for the next sound by the keeper thread.
#include "desktop/sound/MixerLibrary.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>

#include "desktop/sound/SpeakerTone.h"
#include "desktop/sound/WaveCheck.h"

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

std::int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

MixerLibrary::MixerLibrary(SpeakerTone& speaker, int quietSeconds, Clock clock)
    : speaker_(speaker),
      quietSeconds_(std::max(quietSeconds, 1)),
      clock_(clock ? std::move(clock) : Clock(&SteadyNs)) {}

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
    audioSubsystem_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    mixer_.SetVoices(maxsoftwarechannels > 0 ? std::min(maxsoftwarechannels, kMostChannels)
                                             : kDefaultChannels);
    deviceRate_ = mixrate >= 4000 && mixrate <= 192000 ? mixrate : 22050;
    hasDevice_ = true;
    // No voice sounds yet, so the samples are safe to prepare.
    for (const auto& sample : samples_) PrepareForDevice(*sample);
    // The first opening is the toy's to wait for: it learns whether there is sound now. The
    // keeper thread is not running yet, so the device is this thread's to set up.
    device_ = audioSubsystem_ ? OpenDevice() : 0;
    if (device_ != 0) {
        ++openings_;
        output_ = Output::Running;
        // Started at once: a device held paused writes silence, which would put the output out
        // of step with the frames mixed.
        SDL_PauseAudioDevice(device_, 0);
    } else {
        // No output yet (a sound server not running): as after a lost device, the next sound
        // tries again with SDL's audio started afresh, so a server started later is heard.
        ++failedOpenings_;
        if (audioSubsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
        lost_ = true;
    }
    keeper_ = std::thread([this] {
        Keep();
        // SDL keeps an error message for each thread that met one (a failed opening); a thread
        // SDL did not make must free it itself.
        SDL_TLSCleanup();
    });
    return device_ != 0;
}

// Opens the default output, paused. Every sound of the toy is mono, so the mix is too. No
// format changes are allowed: SDL converts for the hardware, so the mix is always signed
// 16-bit mono at the rate asked for, and the samples prepared for it stay valid on reopening.
std::uint32_t MixerLibrary::OpenDevice() {
    SDL_AudioSpec want{};
    want.freq = deviceRate_;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = static_cast<Uint16>(kBufferFrames);
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
    const std::int64_t now = clock_();
    int voice = -1;
    {
        // The start is placed on the stream's clock as the callback last left it; a device that
        // is not running, or has not yet asked for a buffer, has no clock: the sample waits with
        // the time of its call, and the first buffer places it as far after it as any other.
        // -1 takes the first voice that is not sounding; when all are busy nothing is cut and
        // the sample is simply not heard.
        const std::lock_guard guard(mixer_.Lock());
        const Output output = output_.load();
        const bool clocked =
            anchor_.Valid && (output == Output::Running || output == Output::Quiet);
        voice = clocked ? mixer_.PlayHeld(channel, sample->mixed.data(), sample->mixed.size(),
                                          StartFrame(anchor_, now, deviceRate_, kBufferFrames))
                        : mixer_.PlayUnplacedHeld(channel, sample->mixed.data(),
                                                  sample->mixed.size(), now);
    }
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
        lost_ = false;
        anchor_ = {};
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
            case Output::Lost:  // the keeper closes it first, then sees reopen_
            case Output::Closing:
            case Output::Closed:
                wake = !reopen_;
                reopen_ = true;
                break;
        }
    }
    if (wake) keeperWake_.notify_one();
}

// After a loss a device of the same driver may not open again until SDL's audio is started
// afresh: some drivers keep one connection to the sound server for every device, and it died
// with the server.
std::uint32_t MixerLibrary::OpenAfterLoss() {
    std::uint32_t opened = audioSubsystem_ ? OpenDevice() : 0;
    if (opened != 0) return opened;
    if (audioSubsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioSubsystem_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    return audioSubsystem_ ? OpenDevice() : 0;
}

// The keeper thread: closes the device when the callback found a quiet second or a lost
// device, and opens it again when a sound waits. It sleeps on its condition in between, costing
// no wake-ups; only while the hum sounds with no device to be had does it try again, once every
// kRetryMs. SDL_CloseAudioDevice waits for the audio thread, which takes the mixer's lock, so
// SDL is called with the lock released; the states Closing and Opening keep the others out
// meanwhile.
void MixerLibrary::Keep() {
    using Steady = std::chrono::steady_clock;
    std::unique_lock lock(mixer_.Lock());
    bool retry = false;
    Steady::time_point retryAt;
    for (;;) {
        const auto due = [this] {
            return stopKeeper_ || output_ == Output::Quiet || output_ == Output::Lost ||
                   (output_ == Output::Closed && reopen_);
        };
        if (!retry) {
            keeperWake_.wait(lock, due);
        } else if (!keeperWake_.wait_until(lock, retryAt, due)) {
            retry = false;
            if (output_ == Output::Closed && speaker_.Frequency() > 0.0) reopen_ = true;
            continue;
        }
        if (stopKeeper_) return;
        if (output_ == Output::Quiet || output_ == Output::Lost) {
            const bool lost = output_ == Output::Lost;
            output_ = Output::Closing;
            const std::uint32_t closing = device_;
            lock.unlock();
            SDL_CloseAudioDevice(closing);  // its callbacks only write silence now
            // What sounded on a lost device was not heard and is not worth hearing late.
            if (lost) mixer_.SetVoices(mixer_.Voices());
            lock.lock();
            device_ = 0;
            output_ = Output::Closed;  // a sound that came meanwhile has set reopen_
            if (lost) {
                lost_ = true;
                // The hum goes on: it is heard again as soon as a device opens.
                if (speaker_.Frequency() > 0.0) reopen_ = true;
            }
            continue;
        }
        reopen_ = false;
        retry = false;
        output_ = Output::Opening;
        const bool afterLoss = lost_;
        lock.unlock();
        const std::uint32_t opened = afterLoss ? OpenAfterLoss() : OpenDevice();
        if (opened == 0) {
            // No output to be had: what waited cannot be heard. The next sound tries again,
            // and so does the hum, at a modest pace.
            mixer_.SetVoices(mixer_.Voices());
            ++failedOpenings_;
            lock.lock();
            output_ = Output::Closed;
            lost_ = true;
            if (speaker_.Frequency() > 0.0) {
                retry = true;
                retryAt = Steady::now() + std::chrono::milliseconds(kRetryMs);
            }
            continue;
        }
        ++openings_;
        lock.lock();
        lost_ = false;
        device_ = opened;
        output_ = Output::Running;
        quietFrames_ = 0;
        anchor_ = {};  // a new stream, a new clock
        lock.unlock();
        // The first callback mixes what waited from its first frame.
        SDL_PauseAudioDevice(opened, 0);
        lock.lock();
    }
}

void MixerLibrary::Callback(void* self, std::uint8_t* stream, int length) {
    auto& library = *static_cast<MixerLibrary*>(self);
    const auto frames = static_cast<std::size_t>(length) / sizeof(std::int16_t);
    // Taken before the lock: a test's clock may hold this thread until its time has come.
    const std::int64_t now = library.clock_();
    const std::uint64_t first = library.framesMixed_.load(std::memory_order_acquire);
    bool running = false;
    std::uint32_t device = 0;
    {
        const std::lock_guard guard(library.mixer_.Lock());
        library.anchor_ = FollowStream(library.anchor_, now, first, library.deviceRate_,
                                       static_cast<int>(frames));
        running = library.output_ == Output::Running;
        device = library.device_;
        // Sounds that waited for this stream: this buffer is not mixed yet, so it may hold them.
        if (running) {
            library.mixer_.PlaceHeld([&library](std::int64_t calledNs) {
                return WaitedStartFrame(library.anchor_, calledNs, library.deviceRate_,
                                        kBufferFrames);
            });
        }
    }
    // SDL goes on calling for the buffers of a device that went away (its sound server ended,
    // a write failed) but reports it stopped: it is closed and a new one opened for the next
    // sound.
    if (device != 0 && SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED) {
        std::memset(stream, 0, static_cast<std::size_t>(length));
        library.framesMixed_.fetch_add(frames, std::memory_order_release);
        bool tell = false;
        {
            const std::lock_guard guard(library.mixer_.Lock());
            if (library.output_ == Output::Running || library.output_ == Output::Quiet) {
                library.output_ = Output::Lost;
                tell = true;
            }
        }
        if (tell) {
            ++library.losses_;
            library.keeperWake_.notify_one();
        }
        return;
    }
    // Only the callback turns Running into anything else, so it stays running through the mix.
    // Otherwise silence, and the voices stay where they are for the reopened device.
    const bool sounded =
        running && library.mixer_.Mix(reinterpret_cast<std::int16_t*>(stream), frames,
                                      library.speaker_, library.deviceRate_, first);
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
            library.restFrame_.store(first + frames, std::memory_order_release);
            rest = true;
        }
    }
    if (rest) library.keeperWake_.notify_one();
}

}  // namespace zarq
