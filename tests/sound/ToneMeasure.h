// Measuring a rendered tone: its frequency from the spacing of its rising zero crossings,
// how many frames of a stretch are quiet, where its steady notes are, and how much of its
// energy lies outside the harmonics of a note (what aliasing and clicks put there).
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace zarq::test {

// Frequency in hertz of the tone in samples [from, to) at `rate`, from the first to the last
// rising zero crossing (interpolated between frames); 0 when fewer than two are found.
inline double MeasuredFrequency(const std::vector<std::int16_t>& samples, std::size_t from,
                                std::size_t to, int rate) {
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (std::size_t i = from + 1; i < to && i < samples.size(); ++i) {
        const int a = samples[i - 1];
        const int b = samples[i];
        if (a < 0 && b >= 0) {
            const double at = static_cast<double>(i - 1) + static_cast<double>(-a) / (b - a);
            if (crossings == 0) first = at;
            last = at;
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) * static_cast<double>(rate) / (last - first);
}

// Frames of [from, to) whose magnitude is below `threshold`.
inline std::size_t QuietFrames(const std::vector<std::int16_t>& samples, std::size_t from,
                               std::size_t to, int threshold) {
    std::size_t quiet = 0;
    for (std::size_t i = from; i < to && i < samples.size(); ++i) {
        if (std::abs(samples[i]) < threshold) ++quiet;
    }
    return quiet;
}

// In-place radix-2 transform; the size is a power of two.
inline void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
        for (std::size_t i = 0; i < n; i += len) {
            for (std::size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> w = std::polar(1.0, angle * static_cast<double>(k));
                const std::complex<double> u = a[i + k];
                const std::complex<double> v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

struct HarmonicShare {
    double OutsideDb = 0.0;  // energy away from every multiple of the note, against the whole
    double Counted = 0.0;    // the part of the band in which energy counts as "outside"
};

// The energy of samples [from, to) that lies away from every whole multiple of `hz`, in dB of
// the whole. The stretch is windowed (4-term Blackman-Harris: side lobes below -92 dB, main
// lobe four bins wide each side), so a bin counts as outside when it is more than five bins
// from every multiple.
inline HarmonicShare OutsideHarmonics(const std::vector<std::int16_t>& samples, std::size_t from,
                                      std::size_t to, double hz, int rate) {
    const std::size_t length = to - from;
    std::size_t size = 1;
    while (size < 2 * length) size <<= 1;
    std::vector<std::complex<double>> spectrum(size);
    const double twoPi = 2.0 * std::numbers::pi;
    for (std::size_t i = 0; i < length; ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(length - 1);
        const double window = 0.35875 - 0.48829 * std::cos(twoPi * x) +
                              0.14128 * std::cos(2 * twoPi * x) - 0.01168 * std::cos(3 * twoPi * x);
        spectrum[i] = window * samples[from + i];
    }
    Fft(spectrum);
    const double binHz = static_cast<double>(rate) / static_cast<double>(size);
    const double halfWidth = 5.0 * static_cast<double>(rate) / static_cast<double>(length);
    double outside = 0.0;
    double whole = 0.0;
    std::size_t counted = 0;
    for (std::size_t b = 0; b <= size / 2; ++b) {
        const double f = static_cast<double>(b) * binHz;
        const double energy = std::norm(spectrum[b]);
        whole += energy;
        if (std::abs(f - std::round(f / hz) * hz) > halfWidth) {
            outside += energy;
            ++counted;
        }
    }
    return {10.0 * std::log10(std::max(outside, 1e-30) / whole),
            static_cast<double>(counted) / static_cast<double>(size / 2 + 1)};
}

// The energy of samples [from, from + length) at and above `fromHz`, in dB against a full-scale
// sine measured the same way (4-term Blackman-Harris window; `length` a power of two). A step
// in the wave (a click) shows here as broadband energy that a steady low note does not have.
inline double HighBandDb(const std::vector<std::int16_t>& samples, std::size_t from,
                         std::size_t length, double fromHz, int rate) {
    std::vector<std::complex<double>> spectrum(length);
    const double twoPi = 2.0 * std::numbers::pi;
    double windowSum = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(length - 1);
        const double window = 0.35875 - 0.48829 * std::cos(twoPi * x) +
                              0.14128 * std::cos(2 * twoPi * x) - 0.01168 * std::cos(3 * twoPi * x);
        windowSum += window;
        spectrum[i] = window * (from + i < samples.size() ? samples[from + i] : 0);
    }
    Fft(spectrum);
    double high = 0.0;
    for (std::size_t b = 0; b <= length / 2; ++b) {
        if (static_cast<double>(b) * rate / static_cast<double>(length) >= fromHz) {
            high += std::norm(spectrum[b]);
        }
    }
    const double fullScale = 32767.0 * windowSum / 2.0;
    return 10.0 * std::log10(std::max(high, 1e-30) / (fullScale * fullScale));
}

// A stretch of a steady pitch at full level: [From, To) in frames, its pitch in hertz.
struct SteadyNote {
    std::size_t From = 0;
    std::size_t To = 0;
    double Hz = 0.0;
};

// The steady notes of a sound, found from its rising zero crossings: runs of periods that
// differ by less than 2 % from one to the next (a new note or a silence ends a run), of at
// least twelve periods at no less than 90 % of the run's loudest, whose first and last third
// agree on the pitch within 0.3 % (a glide does not).
inline std::vector<SteadyNote> SteadyNotes(const std::vector<std::int16_t>& samples, int rate) {
    std::vector<double> crossings;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const int a = samples[i - 1];
        const int b = samples[i];
        if (a < 0 && b >= 0) crossings.push_back(static_cast<double>(i - 1) + -a / double(b - a));
    }
    std::vector<SteadyNote> notes;
    const auto peakOf = [&](std::size_t period) {
        int peak = 0;
        const auto from = static_cast<std::size_t>(crossings[period]) + 1;
        const auto to = static_cast<std::size_t>(crossings[period + 1]) + 1;
        for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::abs(samples[i]));
        return peak;
    };
    const auto period = [&](std::size_t p) { return crossings[p + 1] - crossings[p]; };
    const auto consider = [&](std::size_t first, std::size_t end) {  // periods [first, end)
        int loudest = 0;
        for (std::size_t p = first; p < end; ++p) loudest = std::max(loudest, peakOf(p));
        std::size_t runFrom = first;
        std::size_t bestFrom = first;
        std::size_t bestEnd = first;
        for (std::size_t p = first; p <= end; ++p) {
            if (p == end || peakOf(p) < loudest * 9 / 10) {
                if (p - runFrom > bestEnd - bestFrom) {
                    bestFrom = runFrom;
                    bestEnd = p;
                }
                runFrom = p + 1;
            }
        }
        const std::size_t count = bestEnd - bestFrom;
        if (count < 12) return;
        const std::size_t third = count / 3;
        const double early = (crossings[bestFrom + third] - crossings[bestFrom]) / double(third);
        const double late = (crossings[bestEnd] - crossings[bestEnd - third]) / double(third);
        if (std::abs(early / late - 1.0) > 0.003) return;
        const double span = crossings[bestEnd] - crossings[bestFrom];
        notes.push_back({static_cast<std::size_t>(crossings[bestFrom]) + 1,
                         static_cast<std::size_t>(crossings[bestEnd]) + 1,
                         static_cast<double>(count) * rate / span});
    };
    std::size_t start = 0;
    for (std::size_t p = 1; p + 1 < crossings.size(); ++p) {
        if (std::abs(period(p) / period(p - 1) - 1.0) > 0.02) {
            consider(start, p);
            start = p;
        }
    }
    if (crossings.size() >= 2) consider(start, crossings.size() - 1);
    return notes;
}

}  // namespace zarq::test
