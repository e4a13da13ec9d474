// The toy's state as a recording holds it: the values named in kRecordedState (beside the game
// state), the timers' intervals and the labyrinth's memory.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace zarq {

class TForm1;

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

// The final score as the toy counts it: each marker bar is 2000 points.
std::int64_t TotalScore(const TForm1& form);

}  // namespace zarq
