// Channel 2 of the interval timer and the speaker gate, decoded from port writes, and the
// square wave they make. Each edge of the wave is a band-limited step (the integral of a
// Kaiser-windowed sinc) placed at its exact time between frames, so nothing of the wave folds
// back below the Nyquist frequency, whatever the divisor; the hum's edges are so rare that
// this costs next to nothing.
#include "desktop/sound/SpeakerTone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zarq {

namespace {

constexpr std::uint8_t kGateAndSpeaker = 0x03;  // bit 0 gates channel 2, bit 1 connects the speaker
constexpr std::uint32_t kCountMask = 0x1FFFF;

constexpr int kSpan = SpeakerTone::kLookaheadFrames;
constexpr int kPoints = 64;  // table points per frame
constexpr std::size_t kTableSize = 2 * kSpan * kPoints + 1;

double BesselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

// The band-limited step from 0 to 1, from kSpan frames before the edge to kSpan after it:
// the running integral of a sinc cut off at 0.41 of the rate, under a Kaiser window (beta 9,
// side lobes near -90 dB), so that what lies above half the rate is that far down.
std::array<double, kTableSize> MakeStep() {
    constexpr double cutoff = 0.41;
    constexpr double beta = 9.0;
    constexpr int substeps = 16;
    const auto kernel = [&](double t) {
        const double r = t / kSpan;
        const double window =
            BesselI0(beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / BesselI0(beta);
        const double sinc =
            t == 0.0 ? 2.0 * cutoff
                     : std::sin(2.0 * std::numbers::pi * cutoff * t) / (std::numbers::pi * t);
        return window * sinc;
    };
    std::array<double, kTableSize> step{};
    double sum = 0.0;
    for (std::size_t i = 1; i < kTableSize; ++i) {
        for (int s = 0; s < substeps; ++s) {
            const double t = -kSpan + (static_cast<double>(i - 1) + (s + 0.5) / substeps) / kPoints;
            sum += kernel(t);
        }
        step[i] = sum;
    }
    for (double& value : step) value /= sum;
    return step;
}

// What the band-limited step adds to the plain one `x` frames after the edge (|x| < kSpan).
double StepResidual(double x) {
    static const std::array<double, kTableSize> step = MakeStep();
    const double at = (x + kSpan) * kPoints;
    const auto i = std::min(static_cast<std::size_t>(at), kTableSize - 2);
    const double smooth = step[i] + (step[i + 1] - step[i]) * (at - static_cast<double>(i));
    return smooth - (x >= 0.0 ? 1.0 : 0.0);
}

// The raised-cosine fade from silence (0) to full level (kRampFrames).
double Ramp(int level) {
    static const std::array<double, SpeakerTone::kRampFrames + 1> ramp = [] {
        std::array<double, SpeakerTone::kRampFrames + 1> table{};
        for (int i = 0; i <= SpeakerTone::kRampFrames; ++i) {
            table[static_cast<std::size_t>(i)] =
                0.5 - 0.5 * std::cos(std::numbers::pi * i / SpeakerTone::kRampFrames);
        }
        return table;
    }();
    return level <= 0 ? 0.0 : ramp[static_cast<std::size_t>(level)];
}

}  // namespace

void SpeakerTone::out(std::uint16_t port, std::uint8_t value) {
    ports_.Write(port, value);
    // A new mode applies with the next count, so the audio thread sees count and mode change
    // together, and a retune written as command, low, high never leaves a gap.
    counter_.store(Pack(ports_.Count(), ports_.LoadedMode()), std::memory_order_release);
    gate_.store(ports_.Gate(), std::memory_order_release);
}

double SpeakerTone::Frequency() const {
    const std::uint32_t packed = counter_.load(std::memory_order_acquire);
    const std::uint32_t count = packed & kCountMask;
    const std::uint32_t mode = packed >> 20;
    const bool sounding =
        count != 0 && mode == 3 && gate_.load(std::memory_order_acquire) == kGateAndSpeaker;
    return sounding ? kInputClockHz / count : 0.0;
}

void SpeakerTone::Edge(double frame, double height) {
    // `frame` counts from the frame heard next; the edge lies at least one frame ahead of it.
    const auto first = static_cast<int>(std::floor(frame - kSpan)) + 1;
    const auto last = static_cast<int>(std::ceil(frame + kSpan)) - 1;
    for (int j = std::max(first, 1); j <= last; ++j) {
        ring_[(heard_ + static_cast<std::size_t>(j)) % kRingSize] +=
            height * StepResidual(j - frame);
    }
}

bool SpeakerTone::AddInto(std::int32_t* mono, std::size_t frames, int rate) {
    if (mono == nullptr || rate <= 0) return false;
    const double frequency = Frequency();
    const double step = frequency / rate;
    // A tone the output cannot carry (at or above half the rate) stays silent.
    const bool on = frequency > 0.0 && step < 0.5;
    if (on) {
        step_ = step;
    } else if (level_ == 0) {
        return false;
    }
    for (std::size_t f = 0; f < frames; ++f) {
        if (on) {
            if (!running_) {
                // The oscillator starts high, kSpan frames ahead of what is heard; the fade
                // in begins as its first frame is heard, so the start needs no edge of its own.
                running_ = true;
                phase_ = 0.0;
                level_ = -kSpan;
            }
            level_ = std::min(level_ + 1, kRampFrames);
        } else if (--level_ <= 0) {
            // Gate off: the next gate on restarts the count, so the tone begins high again.
            level_ = 0;
            running_ = false;
            phase_ = 0.0;
            ring_.fill(0.0);
            return true;
        }
        // The oscillator makes the frame kSpan ahead of the one heard now.
        ring_[(heard_ + kSpan) % kRingSize] += phase_ < 0.5 ? 1.0 : -1.0;
        const double before = phase_;
        phase_ += step_;
        if (before < 0.5 && phase_ >= 0.5) Edge(kSpan + (0.5 - before) / step_, -2.0);
        if (phase_ >= 1.0) {
            Edge(kSpan + (1.0 - before) / step_, 2.0);
            phase_ -= 1.0;
        }
        double& heard = ring_[heard_ % kRingSize];
        mono[f] += static_cast<std::int32_t>(std::lround(heard * kLevel * Ramp(level_)));
        heard = 0.0;
        heard_ = (heard_ + 1) % kRingSize;
    }
    return true;
}

void SpeakerTone::MixInto(std::int16_t* audio, std::size_t frames, int channels, int rate) {
    if (audio == nullptr || channels <= 0) return;
    const auto width = static_cast<std::size_t>(channels);
    std::array<std::int32_t, 256> tone{};
    for (std::size_t at = 0; at < frames; at += tone.size()) {
        const std::size_t count = std::min(tone.size(), frames - at);
        std::fill_n(tone.begin(), count, 0);
        if (!AddInto(tone.data(), count, rate)) return;
        for (std::size_t f = 0; f < count; ++f) {
            std::int16_t* frame = audio + (at + f) * width;
            for (std::size_t c = 0; c < width; ++c) {
                frame[c] = static_cast<std::int16_t>(std::clamp(frame[c] + tone[f], -32768, 32767));
            }
        }
    }
}

}  // namespace zarq
