// When a voice begins, given the time of its call and the output stream's clock: each buffer
// the device asks for is stamped with the time it was asked for, a smoothed line through those
// stamps maps any time to an output frame, and a voice starts a buffer and a quarter after the
// frame of its call (the quarter absorbs a device asking a little early). So sounds keep the
// spacing of their calls (a constant latency) instead of all starting on a buffer boundary.
// Plain values only; no SDL here.
#pragma once

#include <cstdint>

namespace zarq {

struct StreamAnchor {
    bool Valid = false;
    std::int64_t TimeNs = 0;  // when the buffer beginning at Frame was asked for (smoothed)
    std::uint64_t Frame = 0;
    bool operator==(const StreamAnchor&) const = default;
};

// Frames from a call to its voice's first frame, for a device asking for `bufferFrames` at a
// time.
constexpr int StartLatency(int bufferFrames) {
    return bufferFrames + bufferFrames / 4;
}

// The anchor after the buffer beginning at output frame `frame` was asked for at `timeNs`.
// The time is predicted from the last anchor at the nominal `rate` and pulled a sixteenth of
// the way towards the stamp, so a buffer asked for a little early or late moves the line
// little; a stamp more than two buffers off the prediction (the first one, a stall, a device
// opened anew) starts the line afresh from itself.
StreamAnchor FollowStream(const StreamAnchor& last, std::int64_t timeNs, std::uint64_t frame,
                          int rate, int bufferFrames);

// The output frame at which a voice called at `callNs` begins: the stream's frame at that time
// plus StartLatency, never in the anchor's own buffer (already mixed) and never more than two
// buffers later than that latency. Without a valid anchor, frame 0: at once.
std::uint64_t StartFrame(const StreamAnchor& anchor, std::int64_t callNs, int rate,
                         int bufferFrames);

// The same for a voice called while no stream ran (the device closed, or opened but not yet
// asked for a buffer), placed when the anchor's buffer, the stream's first, is about to be mixed:
// as far after its call as every other voice, so the first beat of a rhythm keeps its distance
// from the second; at once, in that very buffer, when the device took longer than that to open.
std::uint64_t WaitedStartFrame(const StreamAnchor& anchor, std::int64_t callNs, int rate,
                               int bufferFrames);

}  // namespace zarq
