// The packing of a recording's steps: 24 bytes each, in blocks.
#include "core/record/StepList.h"

namespace zarq {

StepList& StepList::operator=(const StepList& other) {
    if (this == &other) return *this;
    blocks_.clear();
    size_ = 0;
    for (const Step step : other) push_back(step);
    return *this;
}

namespace {
constexpr int kWideBits = 44;
constexpr std::uint64_t kWideMask = (std::uint64_t{1} << kWideBits) - 1;
constexpr int kLineLowBits = 20;
constexpr std::uint64_t kLineLowMask = (std::uint64_t{1} << kLineLowBits) - 1;
constexpr int kKindShift = kWideBits + 12;
}  // namespace

void StepList::push_back(const Step& step) {
    if (size_ % kBlock == 0) blocks_.push_back(std::make_unique<Packed[]>(kBlock));
    const auto line = static_cast<std::uint32_t>(step.Line);
    Packed& p = blocks_[size_ / kBlock][size_ % kBlock];
    p.ClockAndLine = (static_cast<std::uint64_t>(step.Clock) & kWideMask) |
                     (std::uint64_t{line & kLineLowMask} << kWideBits);
    p.TicksAndKind =
        (step.Ticks & kWideMask) | (std::uint64_t{line >> kLineLowBits} << kWideBits) |
        (std::uint64_t{static_cast<std::uint8_t>(step.Kind)} << kKindShift) |
        (std::uint64_t{static_cast<std::uint8_t>(step.Input.Kind)} << (kKindShift + 1));
    p.KeyOrFrom = step.Kind == StepKind::HeldUp ? step.HeldUpFrom : step.Input.Key;
    ++size_;
}

Step StepList::operator[](std::size_t i) const {
    const Packed& p = blocks_[i / kBlock][i % kBlock];
    Step step;
    step.Clock = static_cast<Millis>(p.ClockAndLine & kWideMask);
    step.Ticks = p.TicksAndKind & kWideMask;
    step.Line = static_cast<int>((p.ClockAndLine >> kWideBits) |
                                 (((p.TicksAndKind >> kWideBits) & 0xFFF) << kLineLowBits));
    step.Kind = static_cast<StepKind>((p.TicksAndKind >> kKindShift) & 1);
    step.Input.Kind = static_cast<InputKind>((p.TicksAndKind >> (kKindShift + 1)) & 3);
    if (step.Kind == StepKind::HeldUp) {
        step.HeldUpFrom = p.KeyOrFrom;
    } else {
        step.Input.Key = static_cast<int>(p.KeyOrFrom);
    }
    return step;
}

}  // namespace zarq
