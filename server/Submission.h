// The submission of a play, before anything is stored: the name, the size of the recording and
// the replay that proves its score, each refused with the status and one sentence for the
// player.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "server/Store.h"

namespace zarq::scoreboard {

inline constexpr std::size_t kRecordingLargest = 256 * 1024;  // bytes of a submitted recording

struct CheckLimits {
    std::int64_t LongestPlay = 4 * 3'600'000;  // ms of play
    std::chrono::milliseconds LongestCheck{2000};
};

struct Refusal {
    int Status = 400;     // 400 a bad name, 413 too large, 422 a play that does not verify
    std::string Message;  // one sentence
};

// The recording's SHA-256 in lowercase hex.
std::string Digest(std::string_view bytes);

// Empty when the query's name may stand on the board (and then `name` holds it decoded).
std::optional<Refusal> CheckName(std::string_view query, std::string& name);

// Replays `recording`: the entry it makes (without id, rank or time taken) or why it makes none.
// `seconds` receives the time the replay took.
std::variant<NewPlay, Refusal> CheckPlay(const std::string& name, std::string_view recording,
                                         const CheckLimits& limits, double* seconds = nullptr);

}  // namespace zarq::scoreboard
