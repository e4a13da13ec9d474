// A recording of a play as plain text, the record folder's public face: what it holds, how it
// is written line by line (RecordingWriter.cpp) and the strict reader that turns a file back
// into it or says, naming the line, why it cannot (RecordingReader.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/record/RecordingState.h"
#include "core/record/StepList.h"

namespace zarq {

inline constexpr std::string_view kRecordingMagic = "zarq-recording";
// Version 1: a play from the toy switched off. Version 2 adds a play from the speed button that
// starts a new play after a game over: the toy on and idle. A recording is written with the
// lowest version that can hold it, so that older programs still read what they can play.
inline constexpr int kRecordingVersion = 2;
inline constexpr int kRecordingFirstVersion = 1;

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
    int Version = kRecordingFirstVersion;
    std::string Program;  // the version of the program that made it
    std::string Date;     // when it began, UTC, ISO 8601
    int System = 0;       // the options dialog's "Windows version" choice (0 or 1)
    ToySnapshot Start;
    StepList Steps;
    // For a recording cut short (the program died while it was written) the end is made up:
    // "closed" at its last whole line, with nothing claimed.
    RecordingEnd End;
    bool CutShort = false;
};

// The reader's verdict: a recording, or the reason it was refused ("line 7: ..."). A file that
// stops without its end line (the program that wrote it died) is read up to its last whole line
// and marked as cut short; any other fault refuses it. Bytes from the file that are shown in a
// message are escaped where they are not printable ("\x1b").
struct ReadResult {
    std::optional<Recording> Value;
    std::string Error;
};
ReadResult ReadRecording(std::string_view text);
// Reads a file line by line; an unreadable or oversized file, or anything but a regular file (a
// directory, a FIFO, a device), is refused at once.
ReadResult ReadRecordingFile(const std::string& path);

// The lines as the recorder writes them, each with its newline.
std::string HeaderText(const Recording& header);
std::string StepText(const Step& step);
std::string EndText(const RecordingEnd& end);

std::string_view EndReasonName(EndReason reason);

// `text` with every byte outside printable ASCII, and the backslash, written as "\xNN".
std::string Shown(std::string_view text);

}  // namespace zarq
