// Names: a strict UTF-8 decoder and the characters a name may not hold.
#include "server/Names.h"

#include <array>
#include <cstdint>
#include <utility>

namespace zarq::scoreboard {

namespace {

// Unicode's format characters (general category Cf), the line and paragraph separators and
// the invisible characters that change how text around them is shown.
constexpr std::array<std::pair<char32_t, char32_t>, 24> kRefused{{
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F}, {0x034F, 0x034F},   {0x115F, 0x1160},   {0x3164, 0x3164},
}};

bool Refused(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;                    // control characters
    if ((c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE) return true;  // noncharacters
    for (const auto& [first, last] : kRefused) {
        if (c >= first && c <= last) return true;
    }
    return false;
}

// The next code point of `text` from `at`, or -1 for a byte sequence that is not UTF-8
// (overlong forms, surrogates and values past U+10FFFF included).
std::int32_t Next(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int more = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1, c = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2, c = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3, c = lead & 0x07u, least = 0x10000;
    } else {
        return -1;
    }
    if (text.size() - at <= static_cast<std::size_t>(more)) return -1;
    for (int i = 1; i <= more; ++i) {
        const unsigned char b = byte(at + static_cast<std::size_t>(i));
        if ((b & 0xC0) != 0x80) return -1;
        c = (c << 6) | (b & 0x3Fu);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
    at += static_cast<std::size_t>(more) + 1;
    return static_cast<std::int32_t>(c);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string NameProblem(std::string_view name) {
    if (name.empty()) return "a name is needed";
    // Longer than 24 four-byte characters cannot be a name: not decoded any further.
    if (name.size() > kNameLongest * 4) return "a name has at most 24 characters";
    std::size_t count = 0;
    for (std::size_t at = 0; at < name.size();) {
        const std::int32_t c = Next(name, at);
        if (c < 0) return "a name must be valid UTF-8 text";
        if (Refused(static_cast<char32_t>(c)))
            return "a name may not hold control, format or direction characters";
        ++count;
    }
    if (count > kNameLongest) return "a name has at most 24 characters";
    if (name.front() == ' ' || name.back() == ' ')
        return "a name may not begin or end with a space";
    return {};
}

bool DecodeQueryValue(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%') {
            if (i + 2 >= text.size()) return false;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0) return false;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return true;
}

bool QueryValue(std::string_view query, std::string_view key, std::string& out) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        const std::size_t eq = pair.find('=');
        if (pair.substr(0, eq) != key) continue;
        return DecodeQueryValue(
            eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1), out);
    }
    return false;
}

}  // namespace zarq::scoreboard
