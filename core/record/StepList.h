// The body of a recording: one step per line, an input or a hold-up, and the packed list the
// reader keeps them in.
#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "core/panel/InputPath.h"
#include "core/panel/Timers.h"

namespace zarq {

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

}  // namespace zarq
