// The toy's state taken for a recording and put back for its replay, value by value as
// kRecordedState lists them.
#include "core/record/RecordingState.h"

#include <iterator>
#include <type_traits>
#include <variant>

#include "core/panel/Unit1.h"

namespace zarq {

const std::vector<std::string_view>& SnapshotNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> n;
        for (const RecordedValue& v : kRecordedState) n.push_back(v.Name);
        return n;
    }();
    return names;
}

ToySnapshot TakeSnapshot(const TForm1& form) {
    ToySnapshot s;
    for (const RecordedValue& f : kRecordedState) {
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
    for (std::size_t i = 0; i < std::size(kRecordedState) && i < s.Values.size(); ++i) {
        const std::int64_t v = s.Values[i];
        std::visit(
            [&](auto member) {
                using T = std::remove_reference_t<decltype(form.G.*member)>;
                form.G.*member = static_cast<T>(v);
            },
            kRecordedState[i].Member);
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

std::int64_t TotalScore(const TForm1& form) {
    return std::int64_t{form.G.ScoreWraps} * 2000 + form.G.Score;
}

}  // namespace zarq
