// The numbers of the toy's sound that every front end's output must agree on, so that the
// desktop's mixer and the page's Web Audio sound alike: the rate the toy mixes at, the speaker
// tone's peak and where the mix's limit begins to bend (16-bit units).
#pragma once

namespace zarq {

// The mix rate the toy asks the sound library for.
inline constexpr int kMixRate = 22050;
// The speaker tone's peak: well under the sound effects, which peak near 12000.
inline constexpr int kSpeakerLevel = 2800;
// Sums below this magnitude reach the output unchanged; above it they bend smoothly towards
// full scale, which they never pass.
inline constexpr int kMixKnee = 24576;

}  // namespace zarq
