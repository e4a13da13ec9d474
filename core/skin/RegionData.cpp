// Reading and writing the stored window outline. Every length is checked against the bytes
// actually present before anything is read, so no input reads past its buffer.
#include "core/skin/RegionData.h"

#include <algorithm>

namespace zarq {

namespace {

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::int32_t ReadI32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::int32_t>(ReadU32(bytes, at));
}

RegionRect ReadRect(std::span<const std::uint8_t> bytes, std::size_t at) {
    return {ReadI32(bytes, at), ReadI32(bytes, at + 4), ReadI32(bytes, at + 8),
            ReadI32(bytes, at + 12)};
}

void WriteU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void WriteI32(std::vector<std::uint8_t>& out, std::int32_t value) {
    WriteU32(out, static_cast<std::uint32_t>(value));
}

void WriteRect(std::vector<std::uint8_t>& out, const RegionRect& r) {
    WriteI32(out, r.Left);
    WriteI32(out, r.Top);
    WriteI32(out, r.Right);
    WriteI32(out, r.Bottom);
}

RegionRect Union(std::span<const RegionRect> rects) {
    if (rects.empty()) return {};
    RegionRect bound = rects.front();
    for (const RegionRect& r : rects) {
        bound.Left = std::min(bound.Left, r.Left);
        bound.Top = std::min(bound.Top, r.Top);
        bound.Right = std::max(bound.Right, r.Right);
        bound.Bottom = std::max(bound.Bottom, r.Bottom);
    }
    return bound;
}

DecodedRegion Fail(RegionError error) {
    return {error, {}};
}

}  // namespace

DecodedRegion DecodeRgnData(std::span<const std::uint8_t> data) {
    if (data.size() < kRgnHeaderSize) return Fail(RegionError::Truncated);
    if (ReadU32(data, 0) != kRgnHeaderSize) return Fail(RegionError::BadHeaderSize);
    if (ReadU32(data, 4) != kRgnTypeRectangles) return Fail(RegionError::BadType);

    // The count is compared with what the bytes can hold before it is multiplied, so a huge
    // count cannot wrap around into a small byte size.
    const std::uint32_t count = ReadU32(data, 8);
    const std::size_t room = (data.size() - kRgnHeaderSize) / kRgnRectSize;
    if (count == 0 || count > room) return Fail(RegionError::BadCount);
    const std::size_t rectBytes = std::size_t{count} * kRgnRectSize;
    if (ReadU32(data, 12) != rectBytes) return Fail(RegionError::BadRectSize);
    if (data.size() != kRgnHeaderSize + rectBytes) return Fail(RegionError::BadLength);

    DecodedRegion decoded;
    decoded.Region.Bound = ReadRect(data, 16);
    decoded.Region.Rects.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const RegionRect r = ReadRect(data, kRgnHeaderSize + i * kRgnRectSize);
        if (r.Left >= r.Right || r.Top >= r.Bottom) return Fail(RegionError::BadRect);
        decoded.Region.Rects.push_back(r);
    }
    if (decoded.Region.Bound != Union(decoded.Region.Rects)) return Fail(RegionError::BadBound);
    return decoded;
}

DecodedRegion DecodeMask2(std::span<const std::uint8_t> value) {
    if (value.size() < 4) return Fail(RegionError::Truncated);
    const std::int32_t length = ReadI32(value, 0);
    if (length == 0) return Fail(RegionError::Empty);
    if (length < 0) return Fail(RegionError::BadLength);
    const std::size_t n = static_cast<std::size_t>(length);
    if (n > value.size() - 4) return Fail(RegionError::Truncated);
    if (n < value.size() - 4) return Fail(RegionError::BadLength);
    return DecodeRgnData(value.subspan(4, n));
}

std::vector<std::uint8_t> EncodeRgnData(std::span<const RegionRect> rects) {
    std::vector<std::uint8_t> out;
    out.reserve(kRgnHeaderSize + rects.size() * kRgnRectSize);
    WriteU32(out, kRgnHeaderSize);
    WriteU32(out, kRgnTypeRectangles);
    WriteU32(out, static_cast<std::uint32_t>(rects.size()));
    WriteU32(out, static_cast<std::uint32_t>(rects.size() * kRgnRectSize));
    WriteRect(out, Union(rects));
    for (const RegionRect& r : rects) WriteRect(out, r);
    return out;
}

std::vector<std::uint8_t> EncodeMask2(std::span<const RegionRect> rects) {
    std::vector<std::uint8_t> out;
    if (rects.empty()) {
        WriteI32(out, 0);
        return out;
    }
    const std::vector<std::uint8_t> data = EncodeRgnData(rects);
    WriteI32(out, static_cast<std::int32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

const char* Describe(RegionError error) {
    switch (error) {
        case RegionError::None:
            return "region read";
        case RegionError::Empty:
            return "no region stored";
        case RegionError::Truncated:
            return "region data cut short";
        case RegionError::BadLength:
            return "region data length does not match";
        case RegionError::BadHeaderSize:
            return "region header size is not 32";
        case RegionError::BadType:
            return "region data is not a rectangle list";
        case RegionError::BadCount:
            return "rectangle count does not fit the data";
        case RegionError::BadRectSize:
            return "rectangle byte count does not match the count";
        case RegionError::BadRect:
            return "empty or inverted rectangle";
        case RegionError::BadBound:
            return "bounding box is not the union of the rectangles";
    }
    return "unknown region error";
}

}  // namespace zarq
