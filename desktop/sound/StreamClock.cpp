// The stream's clock line and the start frame of a voice.
#include "desktop/sound/StreamClock.h"

#include <algorithm>
#include <cmath>

namespace zarq {

namespace {
constexpr double kNsPerSecond = 1e9;
constexpr std::int64_t kPull = 16;  // the share of a stamp's error the line takes: 1/16
}  // namespace

StreamAnchor FollowStream(const StreamAnchor& last, std::int64_t timeNs, std::uint64_t frame,
                          int rate, int bufferFrames) {
    const StreamAnchor fresh{true, timeNs, frame};
    if (!last.Valid || rate <= 0 || frame < last.Frame) return fresh;
    const auto predicted =
        last.TimeNs + static_cast<std::int64_t>(std::llround(
                          static_cast<double>(frame - last.Frame) * kNsPerSecond / rate));
    const std::int64_t error = timeNs - predicted;
    const auto limit =
        static_cast<std::int64_t>(std::llround(2.0 * bufferFrames * kNsPerSecond / rate));
    if (error > limit || error < -limit) return fresh;
    return {true, predicted + error / kPull, frame};
}

std::uint64_t StartFrame(const StreamAnchor& anchor, std::int64_t callNs, int rate,
                         int bufferFrames) {
    if (!anchor.Valid || rate <= 0) return 0;
    const auto buffer = static_cast<std::int64_t>(bufferFrames);
    const auto latency = static_cast<std::int64_t>(StartLatency(bufferFrames));
    const auto since = static_cast<std::int64_t>(
        std::llround(static_cast<double>(callNs - anchor.TimeNs) * rate / kNsPerSecond));
    const std::int64_t after =
        std::clamp<std::int64_t>(latency + since, buffer, latency + 2 * buffer);
    return anchor.Frame + static_cast<std::uint64_t>(after);
}

std::uint64_t WaitedStartFrame(const StreamAnchor& anchor, std::int64_t callNs, int rate,
                               int bufferFrames) {
    if (!anchor.Valid || rate <= 0) return anchor.Frame;
    const auto latency = static_cast<std::int64_t>(StartLatency(bufferFrames));
    const auto since = static_cast<std::int64_t>(
        std::llround(static_cast<double>(callNs - anchor.TimeNs) * rate / kNsPerSecond));
    const std::int64_t after =
        std::clamp<std::int64_t>(latency + since, 0, latency + 2 * std::int64_t{bufferFrames});
    return anchor.Frame + static_cast<std::uint64_t>(after);
}

}  // namespace zarq
