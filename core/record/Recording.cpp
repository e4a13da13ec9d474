// The recording's text format: writing it, and reading it back strictly.
#include "Recording.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <variant>

#include "panel/Unit1.h"

namespace zarq {

namespace {

// Every value of the state that a play reads, by its name. Left out: what belongs to the
// program rather than to the toy (the first activation, the sound handles and switches, the
// drag origin), the fixed speed table, and the crash pictures, which the miss sequence sets
// before it shows them.
using Field = std::variant<bool TGameState::*, int TGameState::*, std::uint32_t TGameState::*>;
struct NamedField {
    std::string_view Name;
    Field Member;
};
#define ZARQ_FIELD(name)         \
    NamedField {                 \
#name, &TGameState::name \
    }
const NamedField kFields[] = {
    ZARQ_FIELD(PowerOn),       ZARQ_FIELD(GameStarted),     ZARQ_FIELD(PlayEnabled),
    ZARQ_FIELD(MoveLocked),    ZARQ_FIELD(SpeedButtonDown), ZARQ_FIELD(CurrentGame),
    ZARQ_FIELD(SpeedLevel),    ZARQ_FIELD(EngineTone),      ZARQ_FIELD(Score),
    ZARQ_FIELD(ScoreWraps),    ZARQ_FIELD(ScoreTickCount),  ZARQ_FIELD(ZarqLives),
    ZARQ_FIELD(KrevLives),     ZARQ_FIELD(CycleKrevLives),  ZARQ_FIELD(DiscZarqLives),
    ZARQ_FIELD(DiscKrevLives), ZARQ_FIELD(ZarqDirection),   ZARQ_FIELD(ZarqTurnRequest),
    ZARQ_FIELD(KrevDirection), ZARQ_FIELD(KrevCol),         ZARQ_FIELD(KrevRow),
    ZARQ_FIELD(ZarqRow),       ZARQ_FIELD(DiscCol),         ZARQ_FIELD(DiscRow),
    ZARQ_FIELD(DiscStartRow),  ZARQ_FIELD(ZarqHasDisc),     ZARQ_FIELD(KrevHasDisc),
    ZARQ_FIELD(AvvioStep),     ZARQ_FIELD(XomPhase),        ZARQ_FIELD(WinCycleStep),
    ZARQ_FIELD(MissCycleStep), ZARQ_FIELD(AvvioGioco2Step), ZARQ_FIELD(ZarqDiscStep),
    ZARQ_FIELD(KrevDiscStep),  ZARQ_FIELD(WinDiscStep),     ZARQ_FIELD(MissDiscStep),
    ZARQ_FIELD(TogliVitaStep), ZARQ_FIELD(AvvioGioco3Step), ZARQ_FIELD(Game3Time),
    ZARQ_FIELD(Disc3Pos),      ZARQ_FIELD(BarrierState),    ZARQ_FIELD(Xom2Phase),
    ZARQ_FIELD(VittoriaStep),  ZARQ_FIELD(Miss3Step),       ZARQ_FIELD(BarrierOpen),
    ZARQ_FIELD(RandomSeed),
};
#undef ZARQ_FIELD

// Counters stay far inside these bounds in any play; a value outside is damage.
constexpr std::int64_t kIntLimit = 1'000'000'000;
constexpr Millis kClockLimit = Millis{1} << 42;  // about 139 years
constexpr std::uint64_t kTicksLimit = std::uint64_t{1} << 42;
constexpr std::size_t kFileLimit = 256u << 20;
constexpr std::int32_t kCellLimit = 1'000'000;

struct Range {
    std::int64_t Low, High;
};
Range RangeOf(const Field& f) {
    if (std::holds_alternative<bool TGameState::*>(f)) return {0, 1};
    if (std::holds_alternative<std::uint32_t TGameState::*>(f)) return {0, 0xFFFF'FFFFLL};
    return {-kIntLimit, kIntLimit};
}

constexpr int kLabyrinthColumns = LabyrinthGrid::High - LabyrinthGrid::Low + 1;
constexpr int kLabyrinthRows = LabyrinthColumn::High - LabyrinthColumn::Low + 1;

struct KeyName {
    int Code;
    std::string_view Name;
};
constexpr KeyName kKeyNames[] = {
    {VK_CONTROL, "ctrl"}, {VK_LEFT, "left"}, {VK_UP, "up"},
    {VK_RIGHT, "right"},  {VK_DOWN, "down"}, {0, "other"},
};
constexpr int kKeyCodeLimit = 255;

std::string KeyText(int code) {
    for (const KeyName& k : kKeyNames) {
        if (k.Code == code) return std::string(k.Name);
    }
    return std::to_string(code);
}

constexpr std::string_view kEndReasons[] = {"game-over", "switched-off", "closed"};

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    if (!line.empty() && line.back() == ' ') words.push_back({});
    return words;
}

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

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    ReadResult Read() {
        Recording r;
        if (!ReadHeader(r)) return Fail();
        bool ended = false;
        std::string_view line;
        while (NextLine(line)) {
            if (ended) return Fail("there is more after the 'end' line");
            const std::vector<std::string_view> w = Words(line);
            if (!w.empty() && w[0] == "end") {
                if (!ReadEnd(w, r)) return Fail();
                ended = true;
            } else {
                Step step;
                if (!ReadStep(w, step, r)) return Fail();
                r.Steps.push_back(step);
            }
        }
        if (!error_.empty()) return Fail();
        if (!ended) {
            error_ = "the recording is cut short: it has no 'end' line";
            return Fail();
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

    // The next line that is not a comment, without its line end.
    bool NextLine(std::string_view& line) {
        while (pos_ < text_.size()) {
            const std::size_t end = std::min(text_.find('\n', pos_), text_.size());
            line = text_.substr(pos_, end - pos_);
            pos_ = end + 1;
            ++lineNo_;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (line.size() > 4096) return Error("the line is too long");
            if (!line.empty() && line[0] == '#') continue;
            if (line.empty()) return Error("an empty line");
            return true;
        }
        return false;
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
        w = Words(line);
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
                error_ = "the file is empty: not a recording";
            }
            return false;
        }
        const std::vector<std::string_view> magic = Words(first);
        if (magic[0] != kRecordingMagic || magic.size() != 2) {
            return Error("not a recording (it does not begin with '" +
                         std::string(kRecordingMagic) + " " + std::to_string(kRecordingVersion) +
                         "')");
        }
        int version = 0;
        if (!Number(magic[1], version, 0, 1'000'000))
            return Error("the format version is not a number");
        if (version != kRecordingVersion) {
            return Error("format version " + std::to_string(version) +
                         " is not one this program reads (it reads version " +
                         std::to_string(kRecordingVersion) + ")");
        }

        std::vector<std::string_view> w;
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
        for (std::size_t i = 0; i < names.size(); ++i) {
            const Range range = RangeOf(kFields[i].Member);
            std::int64_t value = 0;
            if (!Named(w[i + 1], names[i], value, range.Low, range.High)) {
                return Error("state value " + std::to_string(i + 1) + " must be " +
                             std::string(names[i]) + "=<" + std::to_string(range.Low) + " .. " +
                             std::to_string(range.High) + ">");
            }
            r.Start.Values.push_back(value);
        }

        if (!Expect("intervals", w)) return false;
        if (w.size() != 27) return Error("there must be 26 timer intervals");
        for (std::size_t i = 1; i < w.size(); ++i) {
            unsigned interval = 0;
            if (!Number(w[i], interval, 0u, 1'000'000u))
                return Error("a timer interval is malformed");
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
                if (!Number(column.substr(0, comma), cell, std::int32_t{-kCellLimit},
                            std::int32_t{kCellLimit}) ||
                    (row + 1 < kLabyrinthRows) != (comma < column.size())) {
                    return Error("a labyrinth column must be " + std::to_string(kLabyrinthRows) +
                                 " small numbers joined by commas");
                }
                r.Start.Labyrinth.push_back(cell);
                column.remove_prefix(std::min(comma + 1, column.size()));
            }
        }
        return true;
    }

    bool ReadStep(const std::vector<std::string_view>& w, Step& step, const Recording& r) {
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
                return Error("unknown key '" + std::string(w[3]) + "'");
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
            return Error("unknown event '" + std::string(what) + "'");
        }
        if (!r.Steps.empty()) {
            const Step& last = r.Steps.back();
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
        if (!r.Steps.empty()) {
            const Step& last = r.Steps.back();
            if (e.Clock < last.Clock || e.Ticks < last.Ticks)
                return Error("the end comes before the last event");
        }
        if (e.Reason == EndReason::SwitchedOff &&
            (r.Steps.empty() || r.Steps.back().Input.Kind != InputKind::SwitchOff ||
             r.Steps.back().Kind != StepKind::Input)) {
            return Error(
                "the recording says the toy was switched off, but its last event is not that");
        }
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int lineNo_ = 0;
    std::string error_;
    std::uint64_t lastHeld_ = 0;
};

}  // namespace

const std::vector<std::string_view>& SnapshotNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> n;
        for (const NamedField& f : kFields) n.push_back(f.Name);
        return n;
    }();
    return names;
}

ToySnapshot TakeSnapshot(const TForm1& form) {
    ToySnapshot s;
    for (const NamedField& f : kFields) {
        std::visit(
            [&](auto member) { s.Values.push_back(static_cast<std::int64_t>(form.G.*member)); },
            f.Member);
    }
    for (TTimer* t : const_cast<TForm1&>(form).Timers()) s.Intervals.push_back(t->Interval());
    for (int c = LabyrinthGrid::Low; c <= LabyrinthGrid::High; ++c) {
        for (int r = LabyrinthColumn::Low; r <= LabyrinthColumn::High; ++r) {
            s.Labyrinth.push_back(form.G.Labyrinth[c][r]);
        }
    }
    return s;
}

void RestoreSnapshot(TForm1& form, const ToySnapshot& s) {
    for (std::size_t i = 0; i < std::size(kFields) && i < s.Values.size(); ++i) {
        const std::int64_t v = s.Values[i];
        std::visit(
            [&](auto member) {
                using T = std::remove_reference_t<decltype(form.G.*member)>;
                form.G.*member = static_cast<T>(v);
            },
            kFields[i].Member);
    }
    const auto timers = form.Timers();
    for (std::size_t i = 0; i < timers.size() && i < s.Intervals.size(); ++i) {
        timers[i]->SetInterval(s.Intervals[i]);
    }
    std::size_t at = 0;
    for (int c = LabyrinthGrid::Low; c <= LabyrinthGrid::High; ++c) {
        for (int r = LabyrinthColumn::Low; r <= LabyrinthColumn::High; ++r, ++at) {
            form.G.Labyrinth[c][r] = at < s.Labyrinth.size() ? s.Labyrinth[at] : 0;
        }
    }
    // The speed button's picture follows the button, as its key handlers keep it.
    form.Puls_Speed->SetVisible(!form.G.SpeedButtonDown);
}

ReadResult ReadRecording(std::string_view text) {
    return Reader(text).Read();
}

ReadResult ReadRecordingFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {std::nullopt, "cannot open " + path};
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return {std::nullopt, "cannot read " + path};
    if (static_cast<std::uint64_t>(size) > kFileLimit)
        return {std::nullopt, path + " is too large for a recording"};
    in.seekg(0);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size())))
        return {std::nullopt, "cannot read " + path};
    return ReadRecording(text);
}

std::string HeaderText(const Recording& h) {
    std::ostringstream out;
    out << kRecordingMagic << ' ' << kRecordingVersion << '\n';
    out << "program " << h.Program << '\n';
    out << "date " << h.Date << '\n';
    out << "system " << h.System << '\n';
    out << "state";
    const auto& names = SnapshotNames();
    for (std::size_t i = 0; i < names.size() && i < h.Start.Values.size(); ++i) {
        out << ' ' << names[i] << '=' << h.Start.Values[i];
    }
    out << "\nintervals";
    for (unsigned interval : h.Start.Intervals) out << ' ' << interval;
    out << "\nlabyrinth";
    for (std::size_t at = 0; at < h.Start.Labyrinth.size(); ++at) {
        out << (at % kLabyrinthRows == 0 ? ' ' : ',') << h.Start.Labyrinth[at];
    }
    out << "\n# clock ticks event\n";
    return out.str();
}

std::string StepText(const Step& s) {
    std::string line = std::to_string(s.Clock) + ' ' + std::to_string(s.Ticks) + ' ';
    if (s.Kind == StepKind::HeldUp) return line + "held " + std::to_string(s.HeldUpFrom) + '\n';
    switch (s.Input.Kind) {
        case InputKind::KeyDown:
            return line + "key-down " + KeyText(s.Input.Key) + '\n';
        case InputKind::KeyUp:
            return line + "key-up " + KeyText(s.Input.Key) + '\n';
        case InputKind::SwitchOn:
            return line + "switch-on\n";
        case InputKind::SwitchOff:
            return line + "switch-off\n";
    }
    return line + '\n';
}

std::string EndText(const RecordingEnd& e) {
    return "end " + std::string(EndReasonName(e.Reason)) + " clock=" + std::to_string(e.Clock) +
           " ticks=" + std::to_string(e.Ticks) + " score=" + std::to_string(e.Score) +
           " cycles=" + std::to_string(e.Cycles) + '\n';
}

std::string_view EndReasonName(EndReason reason) {
    return kEndReasons[static_cast<std::size_t>(reason)];
}

std::int64_t TotalScore(const TForm1& form) {
    return std::int64_t{form.G.ScoreWraps} * 2000 + form.G.Score;
}

}  // namespace zarq
