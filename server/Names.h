// The names players give their entries: short, printable text that the page shows as text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zarq::scoreboard {

inline constexpr std::size_t kNameLongest = 24;  // characters (code points), not bytes

// Empty when `name` may stand on the board, otherwise why not (one sentence, no full stop):
// 1 to 24 characters of valid UTF-8, no control, format, line-separator, direction-override or
// noncharacter, and no space at either end.
std::string NameProblem(std::string_view name);

// Decodes a query string's value (percent escapes, '+' for a space); false when an escape is
// malformed.
bool DecodeQueryValue(std::string_view text, std::string& out);
// The value of `key` in a query string ("a=1&name=x"), decoded; false when absent or malformed.
bool QueryValue(std::string_view query, std::string_view key, std::string& out);

}  // namespace zarq::scoreboard
