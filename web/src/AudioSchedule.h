// When a sound starts on the audio context's clock, given the toy's clock: a pure decision on
// plain values. The toy's millisecond of a call and the context's time are tied by an anchor,
// laid once per run of sounds, so that sounds keep exactly the spacing the toy gave them (no
// buffer jitter), a fixed lead ahead of the context so that a late wake-up of the page is still
// in time. The context's clock moves in whole buffers, so a reading may lag by up to one; the
// lead covers that too. When the two clocks have drifted apart (a hidden tab, a suspended
// context, a slow audio clock) the anchor is laid anew at the call. The same place keeps the
// quiet-second rule that suspends the context.
#pragma once

#include <cstdint>

namespace zarq::web {

struct AudioAnchor {
    bool Set = false;
    std::int64_t ToyMs = 0;  // a toy millisecond ...
    double ContextTime = 0;  // ... and the context time it sounds at, in seconds
    bool operator==(const AudioAnchor&) const = default;
};

struct AudioStart {
    double ContextTime = 0;  // when the sound starts
    AudioAnchor Anchor;      // the anchor to keep for the next call
};

// Seconds between the page's call and the earliest start: covers a late wake-up of the page
// (a few milliseconds as a rule; a page held up for longer lays its next sound anew).
inline constexpr double kAudioLead = 0.03;
// The context's clock advances a buffer at a time: the page asks the context for buffers of
// this length (40 ms).
inline constexpr double kContextStep = 0.04;
// How far ahead of the context's reading a run of sounds is anchored.
inline constexpr double kAnchorLead = kAudioLead + kContextStep;
// A start further ahead of the context than the lead and this is drift: anchored anew.
inline constexpr double kAudioDriftLimit = 0.1;
// After this long without any sound the context is suspended.
inline constexpr double kQuietSeconds = 1.0;

// The context time at which a sound made at `toyMs` starts, the context reading `contextNow`:
// on the anchor's line while that lies ahead of the context; a line the context has just
// stepped past (within one step: the page woke very late) moves on by that much and no more,
// so nothing is laid in the past; otherwise anchored anew, kAnchorLead ahead.
AudioStart StartTime(const AudioAnchor& anchor, std::int64_t toyMs, double contextNow);

// Whether the context may be suspended: nothing has sounded since `lastSoundEnd` (context
// seconds: the end of the last sample, or the time the speaker fell silent), the speaker is
// silent, and a quiet second has passed.
bool MaySuspend(double contextNow, double lastSoundEnd, bool speakerSounding);

}  // namespace zarq::web
