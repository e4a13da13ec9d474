// Which byte images pass as complete wave files before decoding.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/sound/WaveCheck.h"

namespace zarq::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutChunk(Bytes& out, const char* tag, const Bytes& body) {
    out.insert(out.end(), tag, tag + 4);
    Put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 == 1) out.push_back(0);
}
const Bytes kFormat = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0};

Bytes Wave(std::initializer_list<std::pair<const char*, Bytes>> chunks) {
    Bytes body = {'W', 'A', 'V', 'E'};
    for (const auto& [tag, content] : chunks) PutChunk(body, tag, content);
    Bytes out = {'R', 'I', 'F', 'F'};
    Put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

TEST(WaveCheck, AFormatThenSamplesIsComplete) {
    EXPECT_TRUE(IsCompleteWave(Wave({{"fmt ", kFormat}, {"data", Bytes(100, 7)}})));
    // Other chunks, odd-sized ones with their padding, may come before or after.
    EXPECT_TRUE(IsCompleteWave(Wave({{"LIST", Bytes(5, 1)},
                                     {"fmt ", kFormat},
                                     {"fact", Bytes(3, 0)},
                                     {"data", Bytes(100, 7)},
                                     {"smpl", Bytes(9, 2)}})));
}

TEST(WaveCheck, EveryFileCutShortIsTurnedAway) {
    const Bytes whole = Wave({{"LIST", Bytes(5, 1)}, {"fmt ", kFormat}, {"data", Bytes(64, 7)}});
    ASSERT_TRUE(IsCompleteWave(whole));
    for (std::size_t size = 0; size < whole.size(); ++size) {
        EXPECT_FALSE(IsCompleteWave(std::span(whole.data(), size))) << size << " bytes";
    }
}

TEST(WaveCheck, ForeignOrMalformedImagesAreTurnedAway) {
    Bytes notRiff = Wave({{"fmt ", kFormat}, {"data", Bytes(10, 1)}});
    std::memcpy(notRiff.data(), "RIFX", 4);
    EXPECT_FALSE(IsCompleteWave(notRiff));

    Bytes notWave = Wave({{"fmt ", kFormat}, {"data", Bytes(10, 1)}});
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    EXPECT_FALSE(IsCompleteWave(notWave));

    EXPECT_FALSE(IsCompleteWave(Wave({{"data", Bytes(10, 1)}, {"fmt ", kFormat}})));
    EXPECT_FALSE(IsCompleteWave(Wave({{"fmt ", Bytes(14, 1)}, {"data", Bytes(10, 1)}})));
    EXPECT_FALSE(IsCompleteWave(Wave({{"fmt ", kFormat}, {"data", {}}})));
    EXPECT_FALSE(IsCompleteWave(Wave({{"fmt ", kFormat}})));

    // A data chunk claiming four gigabytes.
    Bytes huge = Wave({{"fmt ", kFormat}, {"data", Bytes(10, 1)}});
    std::memset(huge.data() + 12 + 8 + 16 + 4, 0xFF, 4);
    EXPECT_FALSE(IsCompleteWave(huge));

    const Bytes text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!'};
    EXPECT_FALSE(IsCompleteWave(text));
}

}  // namespace
}  // namespace zarq::test
