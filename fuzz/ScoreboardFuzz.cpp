// libFuzzer target: the scoreboard's submission path. The input's first line is the query
// string's name value (percent escapes and all), the rest the recording sent. Whatever comes,
// the answer is a refusal with a status the API knows and one printable sentence, or an entry
// whose name is one the board allows; the JSON written for any bytes is printable ASCII that
// cannot end its string early or open markup.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "server/Json.h"
#include "server/Names.h"
#include "server/Submission.h"

namespace {

void Sentence(const std::string& text) {
    if (text.empty() || text.back() != '.') std::abort();
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E) std::abort();
    }
}

void PlainJson(std::string_view bytes) {
    const std::string json = zarq::scoreboard::JsonString(bytes);
    if (json.size() < 2 || json.front() != '"' || json.back() != '"') std::abort();
    for (std::size_t i = 1; i + 1 < json.size(); ++i) {
        const char c = json[i];
        if (c < 0x20 || c > 0x7E || c == '<' || c == '>' || c == '&') std::abort();
        if (c == '\\') {
            ++i;  // the escaped character
        } else if (c == '"') {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view value = input.substr(0, newline);
    const std::string_view recording =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
    PlainJson(input);

    std::string name;
    const std::string query = "board=all&name=" + std::string(value);
    if (const auto refusal = zarq::scoreboard::CheckName(query, name)) {
        if (refusal->Status != 400) std::abort();
        Sentence(refusal->Message);
        return 0;
    }
    if (!zarq::scoreboard::NameProblem(name).empty() || name.empty()) std::abort();
    PlainJson(name);

    // Short plays only, so that each input stays quick; the time limit is a guard.
    zarq::scoreboard::CheckLimits limits;
    limits.LongestPlay = 120'000;
    const auto checked = zarq::scoreboard::CheckPlay(name, recording, limits);
    if (const auto* refusal = std::get_if<zarq::scoreboard::Refusal>(&checked)) {
        if (refusal->Status != 413 && refusal->Status != 422) std::abort();
        if (refusal->Status == 413 && recording.size() <= zarq::scoreboard::kRecordingLargest)
            std::abort();
        Sentence(refusal->Message);
        return 0;
    }
    const auto& play = std::get<zarq::scoreboard::NewPlay>(checked);
    if (play.Entry.Name != name || play.Entry.Score <= 0 || play.Digest.size() != 64 ||
        play.Recording != recording)
        std::abort();
    return 0;
}
