// Mixing the voices and the tone in 32 bits, then the soft clipper: the identity up to the
// knee, then a tanh curve that leaves the knee with slope 1 and approaches full scale. Voices
// begin at the output frame they were given and end, when stopped, with a raised-cosine fade.
#include "desktop/sound/VoiceMixer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "desktop/sound/SpeakerTone.h"

namespace zarq {

namespace {

constexpr int kFull = 32767;
constexpr std::size_t kChunk = 512;  // the size of the scratch buffer

// The fade's gain with `left` of `total` frames to go: a raised cosine from 1 down to 0.
double FadeGain(int left, int total) {
    return 0.5 - 0.5 * std::cos(std::numbers::pi * std::min(left, total) / (total + 1));
}

}  // namespace

void VoiceMixer::SetVoices(int voices) {
    const std::lock_guard guard(lock_);
    voices_.assign(static_cast<std::size_t>(std::max(voices, 0)), Voice{});
}

int VoiceMixer::Play(int voice, const std::int16_t* data, std::size_t frames,
                     std::uint64_t startAt) {
    const std::lock_guard guard(lock_);
    return PlayHeld(voice, data, frames, startAt);
}

int VoiceMixer::PlayHeld(int voice, const std::int16_t* data, std::size_t frames,
                         std::uint64_t startAt) {
    if (data == nullptr || frames == 0) return -1;
    if (voice == -1) {
        const auto free = std::find_if(voices_.begin(), voices_.end(),
                                       [](const Voice& v) { return v.Data == nullptr; });
        if (free == voices_.end()) return -1;  // all busy: nothing is cut
        voice = static_cast<int>(free - voices_.begin());
    }
    if (voice < 0 || voice >= static_cast<int>(voices_.size())) return -1;
    voices_[static_cast<std::size_t>(voice)] = {data, frames, 0, startAt, 0, 0};
    return voice;
}

int VoiceMixer::PlayUnplacedHeld(int voice, const std::int16_t* data, std::size_t frames,
                                 std::int64_t calledNs) {
    const int played = PlayHeld(voice, data, frames, kUnplaced);
    if (played >= 0) voices_[static_cast<std::size_t>(played)].CalledNs = calledNs;
    return played;
}

void VoiceMixer::Fade(Voice& voice) const {
    if (voice.Data == nullptr || voice.FadeLeft > 0) return;
    if (voice.At == 0) {
        voice = {};  // not heard yet: nothing to fade
    } else {
        voice.FadeLeft = fadeFrames_;
    }
}

void VoiceMixer::Stop(int voice) {
    const std::lock_guard guard(lock_);
    if (voice >= 0 && voice < static_cast<int>(voices_.size())) {
        Fade(voices_[static_cast<std::size_t>(voice)]);
    }
}

void VoiceMixer::StopAll() {
    const std::lock_guard guard(lock_);
    for (Voice& voice : voices_) Fade(voice);
}

void VoiceMixer::Forget(const std::int16_t* data) {
    const std::lock_guard guard(lock_);
    for (Voice& voice : voices_) {
        if (voice.Data == data) voice = {};
    }
}

std::int16_t VoiceMixer::SoftClip(std::int32_t sum) {
    const int magnitude = std::abs(sum);
    if (magnitude <= kKnee) return static_cast<std::int16_t>(sum);
    constexpr double room = kFull - kKnee;
    const double bent = kKnee + room * std::tanh((magnitude - kKnee) / room);
    const auto limited = static_cast<std::int32_t>(std::min(std::lround(bent), long{kFull}));
    return static_cast<std::int16_t>(sum < 0 ? -limited : limited);
}

bool VoiceMixer::Mix(std::int16_t* out, std::size_t frames, SpeakerTone& tone, int rate,
                     std::uint64_t firstFrame) {
    bool sounded = false;
    const std::lock_guard guard(lock_);
    if (rate > 0) {
        fadeFrames_ = std::max(1, static_cast<int>(std::lround(rate * 1e-6 * kFadeMicroseconds)));
    }
    for (std::size_t at = 0; at < frames; at += kChunk) {
        const std::size_t count = std::min(kChunk, frames - at);
        const std::uint64_t chunkStart = firstFrame + at;
        std::int32_t* sum = sum_.data();
        std::fill_n(sum, count, 0);
        for (Voice& voice : voices_) {
            if (voice.Data == nullptr) continue;
            sounded = true;  // sounding, or waiting for its start
            const std::size_t skip = voice.StartAt > chunkStart
                                         ? static_cast<std::size_t>(std::min<std::uint64_t>(
                                               voice.StartAt - chunkStart, count))
                                         : 0;
            std::size_t take = std::min(count - skip, voice.Frames - voice.At);
            const std::int16_t* from = voice.Data + voice.At;
            std::int32_t* into = sum + skip;
            if (voice.FadeLeft > 0) {
                take = std::min(take, static_cast<std::size_t>(voice.FadeLeft));
                for (std::size_t i = 0; i < take; ++i) {
                    into[i] += static_cast<std::int32_t>(
                        std::lround(from[i] * FadeGain(voice.FadeLeft--, fadeFrames_)));
                }
                if (voice.FadeLeft == 0) voice = {};
            } else {
                for (std::size_t i = 0; i < take; ++i) into[i] += from[i];
            }
            if (voice.Data == nullptr) continue;
            voice.At += take;
            if (voice.At == voice.Frames) voice = {};
        }
        sounded = tone.AddInto(sum, count, rate) || sounded;
        for (std::size_t i = 0; i < count; ++i) out[at + i] = SoftClip(sum[i]);
    }
    return sounded;
}

}  // namespace zarq
