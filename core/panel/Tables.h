// Index tables with the toy's own bounds (1-based, or -3 .. 11 for the labyrinth).
// An index outside the bounds never reaches memory: it lands on a spare slot, and the
// table counts the fault so that tests can insist there was none.
#pragma once

#include <array>
#include <cstddef>

namespace zarq {

template <typename T, int Lo, int Hi>
class Table {
    static_assert(Lo <= Hi);

  public:
    static constexpr int Low = Lo;
    static constexpr int High = Hi;
    static constexpr bool InRange(int i) { return i >= Lo && i <= Hi; }

    T& operator[](int i) {
        if (!InRange(i)) return Fault();
        return items_[static_cast<std::size_t>(i - Lo)];
    }
    const T& operator[](int i) const {
        if (!InRange(i)) return Fault();
        return items_[static_cast<std::size_t>(i - Lo)];
    }

    // Sets every slot, the spare one included.
    void Fill(const T& value) {
        items_.fill(value);
        spare_ = value;
    }
    // What an out-of-range index reaches: reset to `value` at every fault.
    void SetSpare(const T& value) { spareValue_ = value; }

    int Faults() const { return faults_; }

  private:
    T& Fault() const {
        ++faults_;
        spare_ = spareValue_;
        return spare_;
    }

    std::array<T, static_cast<std::size_t>(Hi - Lo + 1)> items_{};
    mutable T spare_{};
    T spareValue_{};
    mutable int faults_ = 0;
};

// Faults of a two-level table: its own plus those of every row.
template <typename Row, int Lo, int Hi>
int TotalFaults(const Table<Row, Lo, Hi>& table) {
    int total = table.Faults();
    for (int i = Lo; i <= Hi; ++i) total += table[i].Faults();
    return total;
}

}  // namespace zarq
