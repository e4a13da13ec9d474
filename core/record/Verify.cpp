// The verification.
#include "core/record/Verify.h"

#include <algorithm>
#include <cstdio>

#include "core/panel/SilentSeams.h"
#include "core/panel/Unit1.h"
#include "core/record/ReplayLink.h"

namespace zarq {

namespace {
std::string ClockText(Millis ms) {
    char text[48];
    std::snprintf(text, sizeof text, "%lld ms (%lld:%02lld.%03lld)", static_cast<long long>(ms),
                  static_cast<long long>(ms / 60000), static_cast<long long>(ms / 1000 % 60),
                  static_cast<long long>(ms % 1000));
    return text;
}
}  // namespace

Verdict VerifyRecording(const Recording& recording) {
    return VerifyRecording(recording, {});
}

Verdict VerifyRecording(const Recording& recording, const std::function<bool()>& giveUp) {
    TimerScheduler clock([] { return Millis{0}; });
    SilentSound sound;
    SilentPorts ports;
    SilentWindow window;
    TForm1 form(PanelSeams{clock, sound, ports, window, nullptr});
    InputPath input(form);
    Replayer replay(recording, form, input, clock);
    replay.Begin();
    if (giveUp) {
        // In slices of a minute of play: the same ticks and inputs in the same order.
        constexpr Millis kSlice = 60'000;
        for (Millis until = 0;;) {
            if (giveUp()) {
                Verdict stopped;
                stopped.Exit = kVerifyMismatch;
                stopped.Outcome = replay.Outcome();
                stopped.Message = std::string(kVerifyGivenUp);
                return stopped;
            }
            until = std::min(until + kSlice, recording.End.Clock);
            replay.AdvanceTo(until);
            if (until >= recording.End.Clock || replay.Ended()) break;
        }
    } else {
        replay.RunToEnd();
    }

    Verdict v;
    v.Outcome = replay.Outcome();
    v.TopSpeed = replay.TopSpeed();
    const RecordingEnd& end = recording.End;
    if (!replay.Failure().empty()) {
        v.Exit = kVerifyMismatch;
        v.Message = replay.Failure();
    } else if (recording.CutShort) {
        // Nothing is claimed: the play followed the file as far as it goes, no further.
        v.Exit = kVerifyMismatch;
        v.Message = "the recording is cut short after line " + std::to_string(end.Line - 1) +
                    " (it has no 'end' line): its play follows it up to there";
    } else if (v.Outcome != PlayOutcome{end.Score, end.Cycles, end.Clock}) {
        v.Exit = kVerifyMismatch;
        v.Message = "line " + std::to_string(end.Line) + ": the recording claims score " +
                    std::to_string(end.Score) + ", cycles " + std::to_string(end.Cycles) +
                    ", end " + ClockText(end.Clock) + "; its play does not give that";
    } else {
        v.Exit = kVerifyMatch;
    }
    return v;
}

ReadResult ReadRecordingSource(const std::string& source) {
    if (!IsReplayLink(source)) return ReadRecordingFile(source);
    LinkResult link = RecordingFromLink(source);
    if (!link.Value) return {std::nullopt, link.Error};
    ReadResult read = ReadRecording(*link.Value);
    if (!read.Value) read.Error = "The link's recording cannot be read: " + read.Error + ".";
    return read;
}

int VerifyFile(const std::string& source, std::ostream& out, std::ostream& err) {
    const bool link = IsReplayLink(source);
    const ReadResult read = ReadRecordingSource(source);
    if (!read.Value) {
        // A link's reason names the link itself: the link, thousands of characters, is not shown.
        if (link) {
            err << read.Error << '\n';
        } else {
            err << Shown(source) << ": " << read.Error << '\n';
        }
        return kVerifyUnreadable;
    }
    const Recording& r = *read.Value;
    const Verdict v = VerifyRecording(r);
    out << "recorded " << r.Date << " with version " << r.Program << ", system " << r.System
        << '\n';
    out << "score  " << v.Outcome.Score << '\n';
    out << "cycles " << v.Outcome.Cycles << '\n';
    out << "end    " << ClockText(v.Outcome.Clock) << ", "
        << (r.CutShort ? std::string_view("cut short") : EndReasonName(r.End.Reason)) << '\n';
    if (v.Exit == kVerifyMatch) {
        out << "verified: the play gives what the recording claims\n";
    } else {
        err << (link ? std::string("the link's play") : Shown(source)) << ": " << v.Message << '\n';
    }
    return v.Exit;
}

}  // namespace zarq
