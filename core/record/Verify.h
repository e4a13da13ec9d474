// The verification of a recording without window, display or sound: its play run on a panel of
// its own, on a clock that jumps from tick to tick, and the outcome set against its end line.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "core/record/Replayer.h"

namespace zarq {

enum VerifyExit { kVerifyMatch = 0, kVerifyMismatch = 1, kVerifyUnreadable = 2 };

struct Verdict {
    VerifyExit Exit = kVerifyUnreadable;
    PlayOutcome Outcome;  // what the play gave
    int TopSpeed = 0;     // the highest speed level it reached
    std::string Message;  // why it does not match, or why it was not read
};

Verdict VerifyRecording(const Recording& recording);
// The same for a caller that bounds the time a check may take: `giveUp` is asked after every
// minute of play replayed, and when it says so the replay stops there with a mismatch saying why.
inline constexpr std::string_view kVerifyGivenUp = "the check was stopped: it took too long";
Verdict VerifyRecording(const Recording& recording, const std::function<bool()>& giveUp);
// A recording named on a command line or pasted into a dialog: a replay link (IsReplayLink) is
// read from the data it carries, anything else as a file's path. A link's failure is one
// sentence that says it is the link's.
ReadResult ReadRecordingSource(const std::string& source);
// Reads `source` (a file or a replay link), replays it and reports on `out` (the outcome) and
// `err` (what is wrong); returns the exit code.
int VerifyFile(const std::string& source, std::ostream& out, std::ostream& err);

}  // namespace zarq
