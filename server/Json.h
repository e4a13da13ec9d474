// The JSON the server writes: strings escaped so that the text is plain ASCII and safe to place
// inside a page (no '<', '>', '&' or line separators), numbers as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zarq::scoreboard {

// `text` (UTF-8) as a JSON string with its quotes; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

// One object, written as it is filled: Json().Add("id", 3).Add("name", n).Text().
class Json {
  public:
    Json& Add(std::string_view key, std::string_view value);
    Json& Add(std::string_view key, const char* value) { return Add(key, std::string_view(value)); }
    Json& Add(std::string_view key, std::int64_t value);
    Json& Add(std::string_view key, int value) { return Add(key, std::int64_t{value}); }
    Json& Add(std::string_view key, bool value);
    // `json` already written (an object or an array).
    Json& AddRaw(std::string_view key, std::string_view json);
    std::string Text() const { return text_ + '}'; }

  private:
    void Key(std::string_view key);
    std::string text_ = "{";
};

}  // namespace zarq::scoreboard
