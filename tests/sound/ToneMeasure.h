// Measuring a rendered tone: its frequency from the spacing of its rising zero crossings,
// and how many frames of a stretch are quiet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

}  // namespace zarq::test
