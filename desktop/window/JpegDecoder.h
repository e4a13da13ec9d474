// Decoding of the panel's JPEG photographs with libjpeg. Plain C++: a corrupt or truncated
// file is reported as an error text, never by ending the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zarq {

struct RgbPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb;  // Width * Height * 3 bytes, rows top to bottom
};

// The largest picture accepted, so that a hostile header cannot ask for gigabytes.
inline constexpr int kMaxJpegSide = 4096;

// Decodes a baseline or progressive JPEG (grey or colour) into 8-bit RGB. On failure returns
// false and leaves libjpeg's reason (or ours) in `error`; `out` is then unspecified.
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, RgbPicture& out, std::string& error);

}  // namespace zarq
