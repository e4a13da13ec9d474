// Fuzz target for the stored outline's codec: any bytes either decode into a region that
// encodes back to exactly the same bytes, or are rejected; nothing is read past the input.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "core/skin/RegionData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    const zarq::DecodedRegion value = zarq::DecodeMask2(input);
    if (value.Ok()) {
        // Only canonical data is taken, so it must come back byte for byte.
        if (zarq::EncodeMask2(value.Region.Rects) != std::vector<std::uint8_t>(data, data + size)) {
            std::abort();
        }
    }
    const zarq::DecodedRegion block = zarq::DecodeRgnData(input);
    if (block.Ok() &&
        zarq::EncodeRgnData(block.Region.Rects) != std::vector<std::uint8_t>(data, data + size)) {
        std::abort();
    }
    return 0;
}
