// Walks the chunks of a RIFF/WAVE image; every length read is checked against what is left.
#include "desktop/sound/WaveCheck.h"

#include <cstring>

namespace zarq {

namespace {

std::uint32_t ReadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool Is(const std::uint8_t* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

}  // namespace

bool IsCompleteWave(std::span<const std::uint8_t> bytes) {
    const std::uint64_t size = bytes.size();
    if (size < 12 || !Is(bytes.data(), "RIFF") || !Is(bytes.data() + 8, "WAVE")) return false;
    bool haveFormat = false;
    std::uint64_t pos = 12;
    while (pos + 8 <= size) {
        const std::uint8_t* header = bytes.data() + pos;
        const std::uint64_t length = ReadLe32(header + 4);
        const std::uint64_t body = pos + 8;
        if (body + length > size) return false;  // a chunk cut short
        if (Is(header, "fmt ")) {
            if (length < 16) return false;
            haveFormat = true;
        } else if (Is(header, "data")) {
            // The samples must follow their format, and there must be some.
            return haveFormat && length > 0;
        }
        pos = body + length + (length & 1);  // chunks are padded to an even length
    }
    return false;
}

}  // namespace zarq
