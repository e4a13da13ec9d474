// The codec of the stored window outline "Mask2": a 4-byte little-endian length N, then N bytes
// of a Windows RGNDATA block (a 32-byte header, then the rectangles). Plain C++ without Qt, so
// it can be tested and fuzzed on its own; the Qt component turns the rectangles into a mask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zarq {

// One rectangle of a region; right and bottom are exclusive, as in a Windows RECT.
struct RegionRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    bool operator==(const RegionRect&) const = default;
};

struct RegionData {
    RegionRect Bound;  // the union of all rectangles
    std::vector<RegionRect> Rects;
};

// Why stored data gave no region. Only canonical data is taken (what the system's own
// region-data query writes); anything else leaves the window rectangular.
enum class RegionError {
    None,
    Empty,          // N = 0: the layout holds no outline
    Truncated,      // fewer bytes than the lengths promise
    BadLength,      // N negative, or bytes left over after the rectangles
    BadHeaderSize,  // the header does not say 32 bytes
    BadType,        // not a list of rectangles (type 1)
    BadCount,       // no rectangles, or more than the data can hold
    BadRectSize,    // the rectangle byte count is not 16 per rectangle
    BadRect,        // an empty or inverted rectangle
    BadBound,       // the bounding box is not the union of the rectangles
};

struct DecodedRegion {
    RegionError Error = RegionError::None;
    RegionData Region;
    bool Ok() const { return Error == RegionError::None; }
};

inline constexpr std::size_t kRgnHeaderSize = 32;
inline constexpr std::size_t kRgnRectSize = 16;
inline constexpr std::uint32_t kRgnTypeRectangles = 1;

// The RGNDATA block alone.
DecodedRegion DecodeRgnData(std::span<const std::uint8_t> data);
// The whole stored value: N, then exactly N bytes.
DecodedRegion DecodeMask2(std::span<const std::uint8_t> value);

// The RGNDATA block for `rects` (each non-empty), with the bound computed from them.
std::vector<std::uint8_t> EncodeRgnData(std::span<const RegionRect> rects);
// The stored value; no rectangles give the 4-byte value N = 0.
std::vector<std::uint8_t> EncodeMask2(std::span<const RegionRect> rects);

const char* Describe(RegionError error);

}  // namespace zarq
