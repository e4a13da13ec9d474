// A structural check of a RIFF/WAVE image before it is handed to the decoder: a file cut
// short or not a wave at all is turned away here, so a truncated sample never plays part
// of itself and a garbage file never reaches the decoder. Plain C++: no SDL here.
#pragma once

#include <cstdint>
#include <span>

namespace zarq {

// True when `bytes` hold "RIFF" .. "WAVE" with a format chunk of at least 16 bytes followed
// by a non-empty data chunk, each lying wholly inside the image.
bool IsCompleteWave(std::span<const std::uint8_t> bytes);

}  // namespace zarq
