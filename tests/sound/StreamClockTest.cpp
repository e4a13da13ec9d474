// Where a sample begins, given the time of its call and the stamps of the device's buffers:
// calls a fixed time apart start the same time apart in the output, whatever the phase of the
// buffers and with the device asking for them a little early or late.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "desktop/sound/StreamClock.h"

namespace zarq::test {
namespace {

constexpr int kRate = 22050;
constexpr int kBuffer = 512;
constexpr std::int64_t kMs = 1'000'000;

// A device that asks for each buffer near the time its first frame is due, early or late by
// up to `jitterNs`, and the toy calling every 320 ms from `phaseNs` on: the start frame of each
// call, decided with the anchor of the last buffer asked for before it.
std::vector<std::uint64_t> Starts(std::int64_t phaseNs, std::int64_t jitterNs, unsigned seed,
                                  std::vector<std::int64_t>* calls = nullptr) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int64_t> jitter(-jitterNs, jitterNs);
    std::vector<std::int64_t> stamps;
    std::vector<StreamAnchor> anchors;
    StreamAnchor anchor;
    for (std::uint64_t frame = 0; frame < 40u * kRate / 2; frame += kBuffer) {
        stamps.push_back(static_cast<std::int64_t>(frame) * 1'000'000'000 / kRate + jitter(random));
        anchor = FollowStream(anchor, stamps.back(), frame, kRate, kBuffer);
        anchors.push_back(anchor);
    }
    std::vector<std::uint64_t> starts;
    for (std::int64_t call = phaseNs; starts.size() < 40; call += 320 * kMs) {
        std::size_t k = 0;
        while (k + 1 < stamps.size() && stamps[k + 1] <= call) ++k;
        const std::uint64_t start = StartFrame(anchors[k], call, kRate, kBuffer);
        // Never in a buffer already handed to the device, nor far beyond.
        EXPECT_GE(start, anchors[k].Frame + kBuffer);
        EXPECT_LE(start, anchors[k].Frame + StartLatency(kBuffer) + 2 * kBuffer);
        starts.push_back(start);
        if (calls != nullptr) calls->push_back(call);
    }
    return starts;
}

TEST(StreamClock, CallsThreeHundredTwentyMillisecondsApartStartThatFarApart) {
    const double apart = 0.320 * kRate;
    const double oneMs = 0.001 * kRate;
    for (const std::int64_t phase : {1 * kMs, 7 * kMs, 13 * kMs + 333'000, 22 * kMs}) {
        // A punctual device: the latency is the same for every call, to the frame.
        std::vector<std::int64_t> calls;
        const std::vector<std::uint64_t> exact = Starts(phase, 0, 1, &calls);
        for (std::size_t i = 0; i < exact.size(); ++i) {
            const double callFrame = static_cast<double>(calls[i]) * kRate / 1e9;
            EXPECT_NEAR(static_cast<double>(exact[i]) - callFrame, StartLatency(kBuffer), 1.0)
                << phase;
        }
        // One asking up to a millisecond early or late: still within a millisecond of the
        // spacing.
        for (unsigned seed = 1; seed <= 5; ++seed) {
            const std::vector<std::uint64_t> starts = Starts(phase, 1 * kMs, seed);
            ASSERT_GE(starts.size(), 40u);
            for (std::size_t i = 1; i < starts.size(); ++i) {
                EXPECT_NEAR(static_cast<double>(starts[i] - starts[i - 1]), apart, oneMs)
                    << "phase " << phase << " seed " << seed << " call " << i;
            }
        }
    }
}

TEST(StreamClock, AStreamWithoutStampsStartsAtOnceAndAStallStartsTheLineAfresh) {
    EXPECT_EQ(StartFrame(StreamAnchor{}, 5 * kMs, kRate, kBuffer), 0u);
    const StreamAnchor first = FollowStream({}, 100 * kMs, 0, kRate, kBuffer);
    EXPECT_EQ(first, (StreamAnchor{true, 100 * kMs, 0}));
    // Asked for on time: the line stays; applying the same stamp again changes nothing.
    const std::int64_t due = 100 * kMs + std::int64_t{kBuffer} * 1'000'000'000 / kRate;
    const StreamAnchor onTime = FollowStream(first, due, kBuffer, kRate, kBuffer);
    EXPECT_NEAR(static_cast<double>(onTime.TimeNs), static_cast<double>(due), 1.0);
    EXPECT_EQ(FollowStream(onTime, onTime.TimeNs, kBuffer, kRate, kBuffer), onTime);
    // A buffer asked for half a second late (the system stalled): the line restarts there.
    const StreamAnchor stalled = FollowStream(onTime, due + 500 * kMs, 2 * kBuffer, kRate, kBuffer);
    EXPECT_EQ(stalled, (StreamAnchor{true, due + 500 * kMs, 2 * kBuffer}));
    // A call long after the last stamp still starts within a few buffers.
    EXPECT_EQ(StartFrame(stalled, stalled.TimeNs + 900 * kMs, kRate, kBuffer),
              2u * kBuffer + StartLatency(kBuffer) + 2 * kBuffer);
}

}  // namespace
}  // namespace zarq::test
