// A recording of a play as plain text: what it holds, how it is written line by line and the
// strict reader that turns a file back into it or says, naming the line, why it cannot.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panel/InputPath.h"
#include "panel/Timers.h"

namespace zarq {

class TForm1;

inline constexpr std::string_view kRecordingMagic = "zarq-recording";
inline constexpr int kRecordingVersion = 1;

// What the toy keeps between plays and reads again in the next one, taken when a recording
// begins (with the toy off) and put back before it is replayed: every value of its state, the
// intervals of its 26 timers and the labyrinth's memory.
struct ToySnapshot {
    std::vector<std::int64_t> Values;     // in the order of SnapshotNames()
    std::vector<unsigned> Intervals;      // the timers in creation order
    std::vector<std::int32_t> Labyrinth;  // column by column, each from its lowest row
    bool operator==(const ToySnapshot&) const = default;
};

// The names of the state values, in the order they are written.
const std::vector<std::string_view>& SnapshotNames();
ToySnapshot TakeSnapshot(const TForm1& form);
void RestoreSnapshot(TForm1& form, const ToySnapshot& snapshot);

enum class StepKind : std::uint8_t { Input, HeldUp };

// One line of the body: an input delivered at `Clock` after `Ticks` ticks of the recording, or
// a hold-up that moved the `Ticks`-th tick's timer past `HeldUpFrom`.
struct Step {
    Millis Clock = 0;
    std::uint64_t Ticks = 0;
    StepKind Kind = StepKind::Input;
    ToyInput Input;
    Millis HeldUpFrom = 0;
    int Line = 0;  // where it stands in the file
};

enum class EndReason : std::uint8_t { GameOver, SwitchedOff, Closed };

struct RecordingEnd {
    EndReason Reason = EndReason::Closed;
    Millis Clock = 0;
    std::uint64_t Ticks = 0;
    std::int64_t Score = 0;
    std::int64_t Cycles = 0;
    int Line = 0;
};

struct Recording {
    std::string Program;  // the version of the program that made it
    std::string Date;     // when it began, UTC, ISO 8601
    int System = 0;       // the options dialog's "Windows version" choice (0 or 1)
    ToySnapshot Start;
    std::vector<Step> Steps;
    RecordingEnd End;
};

// The reader's verdict: a recording, or the reason it was refused ("line 7: ...").
struct ReadResult {
    std::optional<Recording> Value;
    std::string Error;
};
ReadResult ReadRecording(std::string_view text);
// Reads a file; an unreadable or oversized file is refused like a damaged one.
ReadResult ReadRecordingFile(const std::string& path);

// The lines as the recorder writes them, each with its newline.
std::string HeaderText(const Recording& header);
std::string StepText(const Step& step);
std::string EndText(const RecordingEnd& end);

std::string_view EndReasonName(EndReason reason);

// The final score as the toy counts it: each marker bar is 2000 points.
std::int64_t TotalScore(const TForm1& form);

}  // namespace zarq
