// The strict reader of recordings, line by line from a text in memory or from a file read piece
// by piece; a file that its writer left without an end line is read up to its last whole line.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <iterator>
#include <vector>

#include "core/record/RecordingFormat.h"

namespace zarq {

using namespace format;

namespace {

template <typename T>
bool Number(std::string_view text, T& out, T low, T high) {
    if (text.empty() || text.size() > 24) return false;
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (value < low || value > high) return false;
    out = value;
    return true;
}

// "name=value" with the expected name.
template <typename T>
bool Named(std::string_view word, std::string_view name, T& out, T low, T high) {
    if (word.size() <= name.size() || word.substr(0, name.size()) != name ||
        word[name.size()] != '=') {
        return false;
    }
    return Number(word.substr(name.size() + 1), out, low, high);
}

bool Printable(std::string_view text) {
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

constexpr std::size_t kLineLimit = 4096;

// Where the reader's lines come from: a text in memory, or a file read piece by piece.
class LineSource {
  public:
    virtual ~LineSource() = default;
    enum class Got { Line, Fragment, End, TooLong, Failed };
    // The next line without its '\n'. Fragment: the text stops inside a line (no '\n').
    virtual Got Next(std::string_view& line) = 0;
};

class TextLines : public LineSource {
  public:
    explicit TextLines(std::string_view text) : text_(text) {}
    Got Next(std::string_view& line) override {
        if (pos_ >= text_.size()) return Got::End;
        const std::size_t end = text_.find('\n', pos_);
        const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
        line = text_.substr(pos_, stop - pos_);
        pos_ = stop + 1;
        if (line.size() > kLineLimit + 1) return Got::TooLong;
        return end == std::string_view::npos ? Got::Fragment : Got::Line;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Reads through a buffer of its own: the file is never held whole.
class FileLines : public LineSource {
  public:
    explicit FileLines(int fd) : fd_(fd), buffer_(1 << 16) {}
    Got Next(std::string_view& line) override {
        for (;;) {
            const auto newline =
                std::find(buffer_.begin() + static_cast<std::ptrdiff_t>(start_),
                          buffer_.begin() + static_cast<std::ptrdiff_t>(filled_), '\n');
            if (newline != buffer_.begin() + static_cast<std::ptrdiff_t>(filled_)) {
                const auto at = static_cast<std::size_t>(newline - buffer_.begin());
                line = std::string_view(buffer_.data() + start_, at - start_);
                start_ = at + 1;
                return line.size() > kLineLimit + 1 ? Got::TooLong : Got::Line;
            }
            if (filled_ - start_ > kLineLimit + 1) return Got::TooLong;
            // Keep the unfinished line, read more behind it.
            std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(start_),
                      buffer_.begin() + static_cast<std::ptrdiff_t>(filled_), buffer_.begin());
            filled_ -= start_;
            start_ = 0;
            ssize_t n = 0;
            do {
                n = ::read(fd_, buffer_.data() + filled_, buffer_.size() - filled_);
            } while (n < 0 && errno == EINTR);
            if (n < 0) return Got::Failed;
            if (n == 0) {
                if (filled_ == 0) return Got::End;
                line = std::string_view(buffer_.data(), filled_);
                start_ = filled_;
                return Got::Fragment;
            }
            filled_ += static_cast<std::size_t>(n);
        }
    }

  private:
    int fd_;
    std::vector<char> buffer_;
    std::size_t start_ = 0;
    std::size_t filled_ = 0;
};

class Reader {
  public:
    explicit Reader(LineSource& lines) : lines_(lines) {}

    ReadResult Read() {
        Recording r;
        if (!ReadHeader(r)) return Fail();
        bool ended = false;
        std::string_view line;
        std::vector<std::string_view> w;
        while (NextLine(line)) {
            if (ended) return Fail("there is more after the 'end' line");
            Words(line, w);
            if (w[0] == "end") {
                if (!ReadEnd(w, r)) return Fail();
                ended = true;
            } else {
                Step step;
                if (!ReadStep(w, step)) return Fail();
                r.Steps.push_back(step);
                lastStep_ = step;
            }
        }
        if (!error_.empty()) return Fail();
        if (ended && fragment_) {
            ++lineNo_;
            return Fail("there is more after the 'end' line");
        }
        if (!ended) {
            // The program that wrote it died: what it wrote is whole up to the last line end.
            r.CutShort = true;
            r.End.Reason = EndReason::Closed;
            r.End.Line = wholeLines_ + 1;
            if (lastStep_) {
                r.End.Clock = lastStep_->Clock;
                r.End.Ticks = lastStep_->Ticks;
            }
        }
        return {std::move(r), {}};
    }

  private:
    ReadResult Fail(std::string why = {}) {
        if (!why.empty()) error_ = std::move(why);
        return {std::nullopt, "line " + std::to_string(lineNo_) + ": " + error_};
    }
    bool Error(std::string why) {
        error_ = std::move(why);
        return false;
    }

    static void Words(std::string_view line, std::vector<std::string_view>& words) {
        words.clear();
        std::size_t at = 0;
        while (at < line.size()) {
            const std::size_t end = std::min(line.find(' ', at), line.size());
            words.push_back(line.substr(at, end - at));
            at = end + 1;
        }
        if (line.empty() || line.back() == ' ') words.push_back({});
    }

    // The next line that is not a comment, without its line end. False at the end of the text,
    // where a last line without its line end is left out: it was cut while it was written.
    bool NextLine(std::string_view& line) {
        for (;;) {
            const LineSource::Got got = lines_.Next(line);
            if (got == LineSource::Got::End) return false;
            if (got == LineSource::Got::Fragment) {
                fragment_ = true;
                return false;
            }
            ++lineNo_;
            if (got == LineSource::Got::TooLong) return Error("the line is too long");
            if (got == LineSource::Got::Failed) return Error("the file could not be read");
            wholeLines_ = lineNo_;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (line.size() > kLineLimit) return Error("the line is too long");
            if (!line.empty() && line[0] == '#') continue;
            if (line.empty()) return Error("an empty line");
            return true;
        }
    }

    bool Expect(std::string_view keyword, std::vector<std::string_view>& w) {
        std::string_view line;
        if (!NextLine(line)) {
            if (error_.empty()) {
                ++lineNo_;
                error_ = "the header is cut short: '" + std::string(keyword) + "' is missing";
            }
            return false;
        }
        Words(line, w);
        if (w[0] != keyword) {
            return Error("expected the '" + std::string(keyword) + "' line of the header");
        }
        return true;
    }

    bool ReadHeader(Recording& r) {
        std::string_view first;
        if (!NextLine(first)) {
            if (error_.empty()) {
                lineNo_ = std::max(lineNo_, 1);
                error_ = fragment_ ? "the file stops inside its first line: not a recording"
                                   : "the file is empty: not a recording";
            }
            return false;
        }
        std::vector<std::string_view> w;
        Words(first, w);
        if (w[0] != kRecordingMagic || w.size() != 2) {
            return Error("not a recording (it does not begin with '" +
                         std::string(kRecordingMagic) + " " + std::to_string(kRecordingVersion) +
                         "')");
        }
        int version = 0;
        if (!Number(w[1], version, 0, 1'000'000))
            return Error("the format version is not a number");
        if (version < kRecordingFirstVersion || version > kRecordingVersion) {
            return Error("format version " + std::to_string(version) +
                         " is not one this program reads (it reads versions " +
                         std::to_string(kRecordingFirstVersion) + " to " +
                         std::to_string(kRecordingVersion) + ")");
        }
        r.Version = version;

        if (!Expect("program", w)) return false;
        if (w.size() != 2 || w[1].empty() || w[1].size() > 64 || !Printable(w[1])) {
            return Error("the program version is malformed");
        }
        r.Program = w[1];
        if (!Expect("date", w)) return false;
        if (w.size() != 2 || w[1].empty() || w[1].size() > 64 || !Printable(w[1])) {
            return Error("the date is malformed");
        }
        r.Date = w[1];
        if (!Expect("system", w)) return false;
        if (w.size() != 2 || !Number(w[1], r.System, 0, 1))
            return Error("the system choice must be 0 or 1");

        if (!Expect("state", w)) return false;
        const auto& names = SnapshotNames();
        if (w.size() != names.size() + 1) {
            return Error("the state has " + std::to_string(w.size() - 1) + " values, not " +
                         std::to_string(names.size()));
        }
        // From version 2 a play may also begin with the toy on and idle after a game over,
        // where the speed button starts the next play: switched on, nothing else running.
        const bool idleOn = r.Version >= 2;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const RecordedValue& f = kRecordedState[i];
            const std::int64_t high = idleOn && names[i] == "PowerOn" ? 1 : f.High;
            std::int64_t value = 0;
            if (!Named(w[i + 1], names[i], value, f.Low, high)) {
                if (f.High == kRecordedOff &&
                    Named(w[i + 1], names[i], value, -kIntLimit, kIntLimit))
                    return Error(std::string("a recording begins with the toy off") +
                                 (idleOn ? " or idle after a game over" : "") + ", not with " +
                                 std::string(names[i]) + "=" + std::to_string(value));
                return Error("state value " + std::to_string(i + 1) + " must be " +
                             std::string(names[i]) + "=<" + std::to_string(f.Low) + " .. " +
                             std::to_string(f.High) + ">");
            }
            r.Start.Values.push_back(value);
        }

        if (!Expect("intervals", w)) return false;
        if (w.size() != 27) return Error("there must be 26 timer intervals");
        for (std::size_t i = 1; i < w.size(); ++i) {
            unsigned interval = 0;
            if (!Number(w[i], interval, 0u, kIntervalLimit)) {
                return Error("timer interval " + std::to_string(i) + " must be 0 .. " +
                             std::to_string(kIntervalLimit) + " ms");
            }
            r.Start.Intervals.push_back(interval);
        }

        if (!Expect("labyrinth", w)) return false;
        if (w.size() != static_cast<std::size_t>(kLabyrinthColumns) + 1) {
            return Error("the labyrinth must have " + std::to_string(kLabyrinthColumns) +
                         " columns");
        }
        for (std::size_t i = 1; i < w.size(); ++i) {
            std::string_view column = w[i];
            for (int row = 0; row < kLabyrinthRows; ++row) {
                const std::size_t comma = std::min(column.find(','), column.size());
                std::int32_t cell = 0;
                if (!Number(column.substr(0, comma), cell, std::int32_t{0},
                            std::int32_t{kCellLimit}) ||
                    (row + 1 < kLabyrinthRows) != (comma < column.size())) {
                    return Error("a labyrinth column must be " + std::to_string(kLabyrinthRows) +
                                 " numbers 0 .. " + std::to_string(kCellLimit) +
                                 " joined by commas");
                }
                r.Start.Labyrinth.push_back(cell);
                column.remove_prefix(std::min(comma + 1, column.size()));
            }
        }
        return true;
    }

    bool ReadStep(const std::vector<std::string_view>& w, Step& step) {
        step.Line = lineNo_;
        if (w.size() < 3 || !Number(w[0], step.Clock, Millis{0}, kClockLimit) ||
            !Number(w[1], step.Ticks, std::uint64_t{0}, kTicksLimit)) {
            return Error("expected '<clock> <ticks> <event>'");
        }
        const std::string_view what = w[2];
        if (what == "key-down" || what == "key-up") {
            if (w.size() != 4) return Error("a key event names one key");
            step.Input.Kind = what == "key-down" ? InputKind::KeyDown : InputKind::KeyUp;
            bool known = false;
            for (const KeyName& k : kKeyNames) {
                if (w[3] == k.Name) {
                    step.Input.Key = k.Code;
                    known = true;
                }
            }
            if (!known && !Number(w[3], step.Input.Key, 0, kKeyCodeLimit)) {
                return Error("unknown key '" + Shown(w[3]) + "'");
            }
        } else if (what == "switch-on" || what == "switch-off") {
            if (w.size() != 3) return Error("a switch event takes nothing more");
            step.Input.Kind = what == "switch-on" ? InputKind::SwitchOn : InputKind::SwitchOff;
        } else if (what == "held") {
            step.Kind = StepKind::HeldUp;
            if (w.size() != 4 || !Number(w[3], step.HeldUpFrom, -kClockLimit, step.Clock)) {
                return Error("a hold-up names the time it was caught up from, at most its clock");
            }
            if (step.Ticks == 0) return Error("a hold-up belongs to a tick, not to tick 0");
        } else {
            return Error("unknown event '" + Shown(what) + "'");
        }
        if (lastStep_) {
            const Step& last = *lastStep_;
            if (step.Clock < last.Clock)
                return Error("the time goes back (" + std::to_string(step.Clock) + " after " +
                             std::to_string(last.Clock) + ")");
            if (step.Ticks < last.Ticks) return Error("the tick count goes back");
            if (step.Kind == StepKind::HeldUp && step.Ticks == lastHeld_) {
                return Error("a second hold-up for the same tick");
            }
            if (step.Kind == StepKind::HeldUp && step.Ticks == last.Ticks &&
                last.Kind == StepKind::Input) {
                return Error("a hold-up after an input that came later");
            }
        }
        if (step.Kind == StepKind::HeldUp) lastHeld_ = step.Ticks;
        return true;
    }

    bool ReadEnd(const std::vector<std::string_view>& w, Recording& r) {
        RecordingEnd& e = r.End;
        e.Line = lineNo_;
        bool reasonKnown = false;
        if (w.size() == 6) {
            for (std::size_t i = 0; i < std::size(kEndReasons); ++i) {
                if (w[1] == kEndReasons[i]) {
                    e.Reason = static_cast<EndReason>(i);
                    reasonKnown = true;
                }
            }
        }
        if (!reasonKnown || !Named(w[2], "clock", e.Clock, Millis{0}, kClockLimit) ||
            !Named(w[3], "ticks", e.Ticks, std::uint64_t{0}, kTicksLimit) ||
            !Named(w[4], "score", e.Score, std::int64_t{0}, kIntLimit) ||
            !Named(w[5], "cycles", e.Cycles, std::int64_t{0}, kIntLimit)) {
            return Error(
                "expected 'end game-over|switched-off|closed clock=<ms> ticks=<n> score=<n> "
                "cycles=<n>'");
        }
        if (lastStep_) {
            const Step& last = *lastStep_;
            if (e.Clock < last.Clock || e.Ticks < last.Ticks)
                return Error("the end comes before the last event");
        }
        if (e.Reason == EndReason::SwitchedOff &&
            (!lastStep_ || lastStep_->Input.Kind != InputKind::SwitchOff ||
             lastStep_->Kind != StepKind::Input)) {
            return Error(
                "the recording says the toy was switched off, but its last event is not that");
        }
        return true;
    }

    LineSource& lines_;
    int lineNo_ = 0;
    int wholeLines_ = 0;
    bool fragment_ = false;  // the text stopped inside a line
    std::string error_;
    std::uint64_t lastHeld_ = 0;
    std::optional<Step> lastStep_;
};

std::string_view FileKind(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

struct FdCloser {
    int Fd;
    ~FdCloser() {
        if (Fd >= 0) ::close(Fd);
    }
};

}  // namespace

ReadResult ReadRecording(std::string_view text) {
    TextLines lines(text);
    return Reader(lines).Read();
}

ReadResult ReadRecordingFile(const std::string& path) {
    const std::string name = Shown(path);
    // Looked at before it is opened: opening a FIFO nobody writes would wait for ever.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {std::nullopt, "cannot open " + name + ": " + std::strerror(errno)};
    if (!S_ISREG(info.st_mode))
        return {std::nullopt,
                name + " is " + std::string(FileKind(info.st_mode)) + ", not a recording file"};
    // Without waiting, and checked again once open: it may have been swapped meanwhile.
    const FdCloser file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.Fd < 0) return {std::nullopt, "cannot open " + name + ": " + std::strerror(errno)};
    if (::fstat(file.Fd, &info) != 0) return {std::nullopt, "cannot read " + name};
    if (!S_ISREG(info.st_mode))
        return {std::nullopt,
                name + " is " + std::string(FileKind(info.st_mode)) + ", not a recording file"};
    if (static_cast<std::uint64_t>(info.st_size) > kFileLimit)
        return {std::nullopt, name + " is too large for a recording"};
    FileLines lines(file.Fd);
    return Reader(lines).Read();
}

std::string Shown(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte <= 0x7E && byte != '\\') {
            shown += c;
        } else {
            constexpr char kHex[] = "0123456789abcdef";
            shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    return shown;
}

}  // namespace zarq
