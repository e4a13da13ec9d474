// The stored outline "Mask2": what the codec writes, what it takes back, and what it refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/skin/RegionData.h"

namespace zarq {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32At(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Decodes from a heap buffer of exactly the data's size, so the sanitizers catch any read
// past its end.
DecodedRegion DecodeExact(const Bytes& bytes, std::size_t size) {
    auto buffer = std::make_unique<std::uint8_t[]>(size == 0 ? 1 : size);
    if (size > 0) std::memcpy(buffer.get(), bytes.data(), size);
    return DecodeMask2(std::span<const std::uint8_t>(buffer.get(), size));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::vector<RegionRect> kTwoBands = {{5, 0, 20, 3}, {-4, 3, 30, 9}};

TEST(RegionData, WritesTheLengthTheHeaderAndTheRectanglesLittleEndian) {
    const Bytes value = EncodeMask2(kTwoBands);
    ASSERT_EQ(value.size(), 4u + 32u + 2u * 16u);
    EXPECT_EQ(U32At(value, 0), 64u);                             // N
    EXPECT_EQ(U32At(value, 4), 32u);                             // header size
    EXPECT_EQ(U32At(value, 8), 1u);                              // rectangles
    EXPECT_EQ(U32At(value, 12), 2u);                             // count
    EXPECT_EQ(U32At(value, 16), 32u);                            // rectangle bytes
    EXPECT_EQ(static_cast<std::int32_t>(U32At(value, 20)), -4);  // bound: the union
    EXPECT_EQ(U32At(value, 24), 0u);
    EXPECT_EQ(U32At(value, 28), 30u);
    EXPECT_EQ(U32At(value, 32), 9u);
    EXPECT_EQ(U32At(value, 36), 5u);  // first rectangle
    EXPECT_EQ(U32At(value, 40), 0u);
    EXPECT_EQ(U32At(value, 44), 20u);
    EXPECT_EQ(U32At(value, 48), 3u);
    EXPECT_EQ(static_cast<std::int32_t>(U32At(value, 52)), -4);  // second, negative left
}

TEST(RegionData, RoundTripsRectanglesAndComputesTheirBound) {
    const DecodedRegion back = DecodeMask2(EncodeMask2(kTwoBands));
    ASSERT_TRUE(back.Ok()) << Describe(back.Error);
    EXPECT_EQ(back.Region.Rects, kTwoBands);
    EXPECT_EQ(back.Region.Bound, (RegionRect{-4, 0, 30, 9}));

    const DecodedRegion block = DecodeRgnData(EncodeRgnData(kTwoBands));
    ASSERT_TRUE(block.Ok());
    EXPECT_EQ(block.Region.Rects, kTwoBands);
}

TEST(RegionData, NoRectanglesAreStoredAsLengthZeroAndReadAsNoRegion) {
    const Bytes value = EncodeMask2({});
    EXPECT_EQ(value, (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(DecodeMask2(value).Error, RegionError::Empty);
}

class StoredOutline : public ::testing::Test {
  protected:
    Bytes value = ReadFile(ZARQ_SOURCE_DIR "/assets/Mask2.bin");
};

TEST_F(StoredOutline, IsThe2100ByteValueWith129BandsInsideTheBound) {
    ASSERT_EQ(value.size(), 2100u);
    EXPECT_EQ(U32At(value, 0), 2096u);
    const DecodedRegion outline = DecodeMask2(value);
    ASSERT_TRUE(outline.Ok()) << Describe(outline.Error);
    EXPECT_EQ(outline.Region.Rects.size(), 129u);
    EXPECT_EQ(outline.Region.Bound, (RegionRect{1, 0, 491, 580}));
}

TEST_F(StoredOutline, HasOneRectanglePerBandFromTopToBottomWithoutGaps) {
    const DecodedRegion outline = DecodeMask2(value);
    ASSERT_TRUE(outline.Ok());
    int nextTop = 0;
    const RegionRect* previous = nullptr;
    for (const RegionRect& r : outline.Region.Rects) {
        EXPECT_EQ(r.Top, nextTop);
        if (previous != nullptr) {
            // Neighbouring bands differ, or they would be one band.
            EXPECT_FALSE(r.Left == previous->Left && r.Right == previous->Right) << r.Top;
        }
        nextTop = r.Bottom;
        previous = &r;
    }
    EXPECT_EQ(nextTop, 580);
}

TEST_F(StoredOutline, HasTheRowsTheWindowIsKnownBy) {
    const DecodedRegion outline = DecodeMask2(value);
    ASSERT_TRUE(outline.Ok());
    const std::vector<RegionRect> telling = {
        {63, 0, 426, 1},      // the top edge
        {43, 91, 453, 136},   //
        {42, 205, 451, 267},  // beside the display
        {30, 344, 461, 352},  //
        {1, 554, 491, 562},   // the widest band
        {17, 578, 454, 579},  // the foot's rounded corners
        {43, 579, 429, 580},  // the bottom edge
    };
    for (const RegionRect& band : telling) {
        EXPECT_NE(std::find(outline.Region.Rects.begin(), outline.Region.Rects.end(), band),
                  outline.Region.Rects.end())
            << band.Left << "," << band.Top << "," << band.Right << "," << band.Bottom;
    }
}

TEST_F(StoredOutline, CutShortAtAnyLengthIsRefusedWithoutReadingPastTheBuffer) {
    for (std::size_t size = 0; size < value.size(); ++size) {
        const DecodedRegion cut = DecodeExact(value, size);
        EXPECT_FALSE(cut.Ok()) << size;
        if (size >= 4) {
            EXPECT_EQ(cut.Error, RegionError::Truncated) << size;
        }
    }
    EXPECT_TRUE(DecodeExact(value, value.size()).Ok());
}

TEST_F(StoredOutline, WithBytesLeftOverIsRefused) {
    value.push_back(0);
    EXPECT_EQ(DecodeExact(value, value.size()).Error, RegionError::BadLength);
}

// Offsets in the stored value: N, then the header fields.
constexpr std::size_t kN = 0, kHeaderSize = 4, kType = 8, kCount = 12, kRectBytes = 16;
constexpr std::size_t kFirstRect = 36;

TEST_F(StoredOutline, InconsistentHeadersAreRefused) {
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        RegionError expected;
    };
    const Case cases[] = {
        {"length zero", kN, 0, RegionError::Empty},
        {"negative length", kN, 0xFFFFFFF0u, RegionError::BadLength},
        {"length beyond the data", kN, 2097, RegionError::Truncated},
        {"header size 40", kHeaderSize, 40, RegionError::BadHeaderSize},
        {"header size 0", kHeaderSize, 0, RegionError::BadHeaderSize},
        {"not rectangles", kType, 2, RegionError::BadType},
        {"no rectangles", kCount, 0, RegionError::BadCount},
        {"one rectangle more than fits", kCount, 130, RegionError::BadCount},
        // 16 * 0x10000000 wraps to 0 in 32 bits; the count must still be refused.
        {"count that wraps", kCount, 0x10000000u, RegionError::BadCount},
        {"largest count", kCount, 0xFFFFFFFFu, RegionError::BadCount},
        {"rectangle bytes off", kRectBytes, 2048, RegionError::BadRectSize},
        {"rectangle bytes zero", kRectBytes, 0, RegionError::BadRectSize},
    };
    for (const Case& c : cases) {
        Bytes bad = value;
        PutU32(bad, c.at, c.value);
        EXPECT_EQ(DecodeExact(bad, bad.size()).Error, c.expected) << c.what;
    }
}

TEST_F(StoredOutline, FewerRectanglesThanTheDataHoldsLeaveBytesOver) {
    Bytes bad = value;
    PutU32(bad, kCount, 128);
    PutU32(bad, kRectBytes, 128 * 16);
    EXPECT_EQ(DecodeExact(bad, bad.size()).Error, RegionError::BadLength);
}

TEST_F(StoredOutline, EmptyOrInvertedRectanglesAndAWrongBoundAreRefused) {
    Bytes inverted = value;
    PutU32(inverted, kFirstRect + 8, 10);  // right 10 < left 63
    EXPECT_EQ(DecodeExact(inverted, inverted.size()).Error, RegionError::BadRect);

    Bytes flat = value;
    PutU32(flat, kFirstRect + 12, 0);  // bottom == top
    EXPECT_EQ(DecodeExact(flat, flat.size()).Error, RegionError::BadRect);

    Bytes bound = value;
    PutU32(bound, 20 + 8, 490);  // right of the bound short of the widest band
    EXPECT_EQ(DecodeExact(bound, bound.size()).Error, RegionError::BadBound);
}

TEST(RegionData, RefusesValuesTooShortForTheirLength) {
    EXPECT_EQ(DecodeExact({}, 0).Error, RegionError::Truncated);
    EXPECT_EQ(DecodeExact({1, 0, 0}, 3).Error, RegionError::Truncated);
    // A header cut short inside the block.
    const Bytes shortHeader = {8, 0, 0, 0, 32, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(DecodeExact(shortHeader, shortHeader.size()).Error, RegionError::Truncated);
}

}  // namespace
}  // namespace zarq
