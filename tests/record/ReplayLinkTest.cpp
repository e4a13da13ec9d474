// Replay links: bot plays travel through a link and come back byte for byte and verified; the
// decoder reads what zlib (and so a browser) writes; broken text, cut streams and a stream that
// would inflate to a gigabyte are refused with their reason.
#include <gtest/gtest.h>

#include <iostream>

#include "core/record/Recorder.h"
#include "core/record/ReplayLink.h"
#include "core/record/Verify.h"
#include "tests/harness/Harness.h"
#include "tests/harness/PlayBot.h"
#include "tests/record/RecordingProbe.h"

namespace zarq::test {
namespace {

// A seeded bot play of `length` ms, restarting after each game over, recorded whole.
std::string BotPlay(Millis length, unsigned seed) {
    Toy toy;
    InputPath input(toy.F());
    PlayBot bot(toy.F(), input, toy.Clock, seed);
    TempFile file("zarq-link");
    Recorder recorder(toy.F(), input, toy.Clock.Scheduler(), {"test", 1, false});
    EXPECT_TRUE(recorder.Start(file.Path())) << recorder.Error();
    input.SwitchOn();
    bot.Play(toy.Now() + length, true);
    recorder.Stop();
    return file.Read();
}

TEST(ReplayLink, BotPlaysComeBackByteForByteAndVerify) {
    for (const auto& [name, length] :
         {std::pair{"one minute", 60'000}, std::pair{"ten minutes", 600'000},
          std::pair{"one hour", 3'600'000}}) {
        SCOPED_TRACE(name);
        const std::string recording = BotPlay(length, 11);
        const std::string link = EncodeReplayLink(recording);
        std::cout << "[ link     ] " << name << ": " << recording.size() << " bytes, link "
                  << link.size() << " characters\n";
        EXPECT_EQ(link.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                         "0123456789-_"),
                  std::string::npos);
        EXPECT_LT(link.size() * 2, recording.size()) << "the recording hardly compressed";
        const LinkResult back = DecodeReplayLink(link);
        ASSERT_TRUE(back.Value) << back.Error;
        ASSERT_EQ(*back.Value, recording);
        const ReadResult read = ReadRecording(*back.Value);
        ASSERT_TRUE(read.Value) << read.Error;
        EXPECT_EQ(VerifyRecording(*read.Value).Exit, kVerifyMatch);
    }
}

// Written by Python's zlib (raw deflate, as CompressionStream("deflate-raw") writes it): one
// stream of each block kind.
TEST(ReplayLink, ReadsStoredFixedAndDynamicBlocksAsZlibWritesThem) {
    std::string lines;
    for (int i = 0; i < 40; ++i) {
        lines += "step " + std::to_string(i * 37 % 1000) + " key " + std::to_string(37 + i % 4) +
                 (i % 2 ? " down\n" : " up\n");
    }
    const std::pair<const char*, std::string> streams[] = {
        {"AQ4A8f9lbmQgZ2FtZS1vdmVyCg", "end game-over\n"},
        {"Ky5JLVAwNDJQyE6tVDA0V0jJL8_jKgYJGpnABUsLIELGZqjqAA",
         "step 120 key 17 down\nstep 240 key 17 up\nstep 360 key 17 down\n"},
        {"bdFbCgIxDIXhd1fRJTS3JtmPPgk6MIq4e3UGRHvyVg7hp_Ctt9PSejufnk283ZfD-hnez22Jdrw-Lvvmum_"
         "5vSKibd"
         "L-c0Yac43CMMfMc48tscc54Hci2BPvc0-7Y09V554GYc8o5p6ZYc-S597gxN4YY-55F-"
         "y5goZ7wREEHmGFRwR4JBce"
         "OcAjs_AQ4PBCgwg0SAsNCtBgLjTYQIOz0BABDRmFhnbQUP3XeAE",
         lines},
    };
    for (const auto& [link, text] : streams) {
        const LinkResult read = DecodeReplayLink(link);
        ASSERT_TRUE(read.Value) << read.Error;
        EXPECT_EQ(*read.Value, text);
    }
}

TEST(ReplayLink, BrokenTextIsRefusedNamingWhatIsWrong) {
    const std::pair<std::string, std::string> cases[] = {
        {"AQ4A8f9lbmQgZ2FtZS1vdmVyCg==", "'=' at position 27"},
        {"AQ4A8f9l+mQgZ2FtZS1vdmVyCg", "'+' at position 9"},
        {"AQ4A8f9l mQgZ2FtZS1vdmVyCg", "byte 32 at position 9"},
        {"AQ4A8f9lbmQgZ2FtZS1vdmVyCgAAA", "29 characters"},
        {"AQ4A8f9lbmQgZ2FtZS1vdmVyCh", "stray bits"},
        {"", "cut short"},
        {Base64UrlEncode(DeflateRaw("end game-over\n") + "\n"), "goes on after the end"},
        {"_w", "unknown kind"},
    };
    for (const auto& [link, reason] : cases) {
        const LinkResult read = DecodeReplayLink(link);
        EXPECT_FALSE(read.Value) << link;
        EXPECT_NE(read.Error.find(reason), std::string::npos) << link << ": " << read.Error;
    }
}

TEST(ReplayLink, EveryCutOfAStreamIsRefusedAsCutShort) {
    const std::string stream = DeflateRaw(BotPlay(20'000, 3));
    ASSERT_GT(stream.size(), 100u);
    for (std::size_t size = 0; size < stream.size(); ++size) {
        const LinkResult read = InflateRaw(stream.substr(0, size));
        ASSERT_FALSE(read.Value) << "cut at " << size;
        ASSERT_NE(read.Error.find("cut short"), std::string::npos) << size << ": " << read.Error;
    }
}

// A dynamic block whose only codes are a 258-byte match one byte back and the block's end, each
// one bit long: two bits of stream stand for 258 bytes.
std::string Bomb(std::size_t matches) {
    std::string out = {'\x00', '\x01', '\x00', '\xFE', '\xFF', 'z'};  // a stored block: "z"
    std::uint32_t held = 0;
    unsigned fill = 0;
    const auto put = [&](std::uint32_t bits, unsigned count) {
        held |= bits << fill;
        for (fill += count; fill >= 8; fill -= 8, held >>= 8) out.push_back(char(held & 0xFF));
    };
    put(1, 1), put(2, 2);               // the last block, dynamic
    put(29, 5), put(0, 5), put(14, 4);  // 286 literal/length codes, 1 distance code, 18 listed
    for (const int symbol : {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1}) {
        put(symbol == 18 || symbol == 1 ? 1 : 0, 3);  // lengths 1 and 18 get codes "0" and "1"
    }
    put(1, 1), put(127, 7), put(1, 1), put(107, 7);  // 138 + 118 zeros
    put(0, 1);                                       // 256: one bit
    put(1, 1), put(17, 7);                           // 28 zeros
    put(0, 1), put(0, 1);                            // 285 and the distance code 0: one bit each
    for (std::size_t i = 0; i < matches; ++i) put(1, 1), put(0, 1);
    put(0, 1);
    put(0, 7);
    return out;
}

TEST(ReplayLink, AStreamThatWouldInflateToAGigabyteIsRefusedAtTheLimit) {
    const LinkResult small = DecodeReplayLink(Base64UrlEncode(Bomb(100)));
    ASSERT_TRUE(small.Value) << small.Error;
    EXPECT_EQ(*small.Value, std::string(1 + 258 * 100, 'z'));

    const std::string link = Base64UrlEncode(Bomb(4'200'000));  // 1.08 GB from 1 MB
    const LinkResult big = DecodeReplayLink(link);
    EXPECT_FALSE(big.Value);
    EXPECT_EQ(big.Error, "The link's recording would be larger than 32 MB.");
    // Just under the limit it still inflates.
    const LinkResult most = InflateRaw(Bomb((kLinkRecordingLimit - 1) / 258), kLinkRecordingLimit);
    ASSERT_TRUE(most.Value) << most.Error;
    EXPECT_EQ(most.Value->size(), 1 + (kLinkRecordingLimit - 1) / 258 * 258);
}

}  // namespace
}  // namespace zarq::test
