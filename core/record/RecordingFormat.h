// The words and bounds of the recording's text that its reader and writer share. Private to
// record/: the rest of the program goes through Recording.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/panel/GameState.h"
#include "core/panel/Unit1.h"
#include "core/record/Recording.h"

namespace zarq::format {

// Counters stay far inside these bounds in any play; a value outside is damage.
inline constexpr std::int64_t kIntLimit = 1'000'000'000;
inline constexpr unsigned kIntervalLimit = 10'000;      // the toy's longest is 4 s
inline constexpr Millis kClockLimit = Millis{1} << 42;  // about 139 years
inline constexpr std::uint64_t kTicksLimit = std::uint64_t{1} << 42;
inline constexpr std::size_t kFileLimit = 256u << 20;
inline constexpr std::int32_t kCellLimit = 3;  // both segments of a lattice point lit

inline constexpr int kLabyrinthColumns = LabyrinthGrid::High - LabyrinthGrid::Low + 1;
inline constexpr int kLabyrinthRows = LabyrinthColumn::High - LabyrinthColumn::Low + 1;

struct KeyName {
    int Code;
    std::string_view Name;
};
inline constexpr KeyName kKeyNames[] = {
    {VK_CONTROL, "ctrl"}, {VK_LEFT, "left"}, {VK_UP, "up"},
    {VK_RIGHT, "right"},  {VK_DOWN, "down"}, {0, "other"},
};
inline constexpr int kKeyCodeLimit = 255;

// A key as the body names it: the toy's five keys by name, any other by its code.
inline std::string KeyText(int code) {
    for (const KeyName& k : kKeyNames) {
        if (k.Code == code) return std::string(k.Name);
    }
    return std::to_string(code);
}

inline constexpr std::string_view kEndReasons[] = {"game-over", "switched-off", "closed"};

}  // namespace zarq::format
