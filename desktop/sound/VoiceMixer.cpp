// Mixing the voices and the tone in 32 bits, then the soft clipper: the identity up to the
// knee, then a tanh curve that leaves the knee with slope 1 and approaches full scale.
#include "VoiceMixer.h"

#include <algorithm>
#include <cmath>

#include "SpeakerTone.h"

namespace zarq {

namespace {

constexpr int kFull = 32767;
constexpr std::size_t kChunk = 512;  // the size of the scratch buffer

}  // namespace

void VoiceMixer::SetVoices(int voices) {
    const std::lock_guard guard(lock_);
    voices_.assign(static_cast<std::size_t>(std::max(voices, 0)), Voice{});
}

int VoiceMixer::Play(int voice, const std::int16_t* data, std::size_t frames) {
    if (data == nullptr || frames == 0) return -1;
    const std::lock_guard guard(lock_);
    if (voice == -1) {
        const auto free = std::find_if(voices_.begin(), voices_.end(),
                                       [](const Voice& v) { return v.Data == nullptr; });
        if (free == voices_.end()) return -1;  // all busy: nothing is cut
        voice = static_cast<int>(free - voices_.begin());
    }
    if (voice < 0 || voice >= static_cast<int>(voices_.size())) return -1;
    voices_[static_cast<std::size_t>(voice)] = {data, frames, 0};
    return voice;
}

void VoiceMixer::Stop(int voice) {
    const std::lock_guard guard(lock_);
    if (voice >= 0 && voice < static_cast<int>(voices_.size())) {
        voices_[static_cast<std::size_t>(voice)] = {};
    }
}

void VoiceMixer::StopAll() {
    const std::lock_guard guard(lock_);
    std::fill(voices_.begin(), voices_.end(), Voice{});
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

bool VoiceMixer::Mix(std::int16_t* out, std::size_t frames, SpeakerTone& tone, int rate) {
    bool sounded = false;
    const std::lock_guard guard(lock_);
    for (std::size_t at = 0; at < frames; at += kChunk) {
        const std::size_t count = std::min(kChunk, frames - at);
        std::int32_t* sum = sum_.data();
        std::fill_n(sum, count, 0);
        for (Voice& voice : voices_) {
            if (voice.Data == nullptr) continue;
            const std::size_t take = std::min(count, voice.Frames - voice.At);
            const std::int16_t* from = voice.Data + voice.At;
            for (std::size_t i = 0; i < take; ++i) sum[i] += from[i];
            voice.At += take;
            if (voice.At == voice.Frames) voice = {};
            sounded = true;
        }
        sounded = tone.AddInto(sum, count, rate) || sounded;
        for (std::size_t i = 0; i < count; ++i) out[at + i] = SoftClip(sum[i]);
    }
    return sounded;
}

}  // namespace zarq
