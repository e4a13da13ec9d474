// A recording of a play as plain text: what it holds, how it is written line by line and the
// strict reader that turns a file back into it or says, naming the line, why it cannot.
#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
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

// The body's lines as the reader keeps them: a long recording holds millions, so each takes
// 24 bytes, in blocks, which keeps a read file's memory under twice its size (the shortest
// line has 14 bytes) without a copy of the whole list as it grows. Clock and tick count are
// below 2^44, which the reader ensures.
class StepList {
  public:
    StepList() = default;
    StepList(const StepList& other) { *this = other; }
    StepList& operator=(const StepList& other);
    StepList(StepList&&) noexcept = default;
    StepList& operator=(StepList&&) noexcept = default;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Step operator[](std::size_t i) const;
    Step back() const { return (*this)[size_ - 1]; }
    void push_back(const Step& step);

    class const_iterator {
      public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Step;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Step;
        const_iterator(const StepList* list, std::size_t at) : list_(list), at_(at) {}
        Step operator*() const { return (*list_)[at_]; }
        const_iterator& operator++() {
            ++at_;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }

      private:
        const StepList* list_;
        std::size_t at_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

  private:
    struct Packed {
        std::uint64_t ClockAndLine;  // clock in the low 44 bits, the line's low 20 bits above
        std::uint64_t TicksAndKind;  // ticks in the low 44 bits, the line's high 12 bits, kinds
        std::int64_t KeyOrFrom;      // the key of an input, the catch-up time of a hold-up
    };
    static constexpr std::size_t kBlock = 4096;
    std::vector<std::unique_ptr<Packed[]>> blocks_;
    std::size_t size_ = 0;
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

// The final score as the toy counts it: each marker bar is 2000 points.
std::int64_t TotalScore(const TForm1& form);

}  // namespace zarq
