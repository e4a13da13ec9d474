// The sound start times on the audio context's clock.
#include "web/src/AudioSchedule.h"

namespace zarq::web {

AudioStart StartTime(const AudioAnchor& anchor, std::int64_t toyMs, double contextNow) {
    if (anchor.Set) {
        const double at = anchor.ContextTime + static_cast<double>(toyMs - anchor.ToyMs) / 1000.0;
        // Still ahead of the context, and not further than a lead and the drift allowed.
        if (at >= contextNow && at <= contextNow + kAnchorLead + kAudioDriftLimit) {
            return {at, anchor};
        }
        if (at < contextNow && at >= contextNow - kContextStep) {
            AudioAnchor moved = anchor;
            moved.ContextTime += contextNow - at;
            return {contextNow, moved};
        }
    }
    const AudioAnchor fresh{true, toyMs, contextNow + kAnchorLead};
    return {fresh.ContextTime, fresh};
}

bool MaySuspend(double contextNow, double lastSoundEnd, bool speakerSounding) {
    return !speakerSounding && contextNow >= lastSoundEnd + kQuietSeconds;
}

}  // namespace zarq::web
