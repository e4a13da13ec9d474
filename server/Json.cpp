// JSON writing.
#include "server/Json.h"

#include <cstdio>

namespace zarq::scoreboard {

namespace {

void Escaped(std::string& out, char32_t c) {
    char hex[16];
    if (c >= 0x10000) {
        const char32_t v = c - 0x10000;
        std::snprintf(hex, sizeof hex, "\\u%04x\\u%04x", static_cast<unsigned>(0xD800 + (v >> 10)),
                      static_cast<unsigned>(0xDC00 + (v & 0x3FF)));
    } else {
        std::snprintf(hex, sizeof hex, "\\u%04x", static_cast<unsigned>(c));
    }
    out += hex;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            if (b == '"' || b == '\\') {
                out += '\\';
                out += static_cast<char>(b);
            } else if (b < 0x20 || b == 0x7F || b == '<' || b == '>' || b == '&') {
                Escaped(out, b);
            } else {
                out += static_cast<char>(b);
            }
            ++i;
            continue;
        }
        // A multi-byte sequence, decoded strictly; anything else is one replacement character.
        int more = b >= 0xF0 && b <= 0xF4   ? 3
                   : b >= 0xE0 && b <= 0xEF ? 2
                   : b >= 0xC2 && b <= 0xDF ? 1
                                            : 0;
        char32_t c = b & (more == 3 ? 0x07u : more == 2 ? 0x0Fu : 0x1Fu);
        bool valid = more > 0;
        for (int k = 1; valid && k <= more; ++k) {
            if (i + static_cast<std::size_t>(k) >= text.size()) {
                valid = false;
                break;
            }
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) valid = false;
            c = (c << 6) | (next & 0x3Fu);
        }
        const char32_t least = more == 3 ? 0x10000 : more == 2 ? 0x800 : 0x80;
        if (!valid || c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            Escaped(out, 0xFFFD);
            ++i;
            continue;
        }
        Escaped(out, c);
        i += static_cast<std::size_t>(more) + 1;
    }
    return out + '"';
}

void Json::Key(std::string_view key) {
    if (text_.size() > 1) text_ += ',';
    text_ += JsonString(key);
    text_ += ':';
}

Json& Json::Add(std::string_view key, std::string_view value) {
    Key(key);
    text_ += JsonString(value);
    return *this;
}

Json& Json::Add(std::string_view key, std::int64_t value) {
    Key(key);
    text_ += std::to_string(value);
    return *this;
}

Json& Json::Add(std::string_view key, bool value) {
    Key(key);
    text_ += value ? "true" : "false";
    return *this;
}

Json& Json::AddRaw(std::string_view key, std::string_view json) {
    Key(key);
    text_ += json;
    return *this;
}

}  // namespace zarq::scoreboard
