// Damaged and foreign files are refused with the line at fault, and a recording whose end
// does not follow from its play fails verification: never a crash, never a false "verified".
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "core/record/Recorder.h"
#include "core/record/Verify.h"
#include "tests/harness/Harness.h"
#include "tests/harness/PlayBot.h"
#include "tests/record/RecordingProbe.h"

namespace zarq::test {
namespace {

class DamagedFile : public ::testing::Test {
  protected:
    // A short real play: switched on, some keys in the first race, switched off.
    void SetUp() override {
        Toy toy;
        InputPath input(toy.F());
        Recorder recorder(toy.F(), input, toy.Clock.Scheduler(), {"1.0.0", 0, true});
        ASSERT_TRUE(recorder.Start(file.Path()));
        input.SwitchOn();
        PlayBot bot(toy.F(), input, toy.Clock, 5);
        bot.Play(40'000, false);
        input.SwitchOff();
        text = file.Read();
        ASSERT_EQ(VerifyText(text).Exit, kVerifyMatch);
    }

    struct Result {
        VerifyExit Exit = kVerifyUnreadable;
        std::string Message;  // standard error
        std::string Out;
    };
    Result VerifyText(const std::string& t) {
        file.Write(t);
        std::ostringstream out, err;
        Result v;
        v.Exit = static_cast<VerifyExit>(VerifyFile(file.Path(), out, err));
        v.Message = err.str();
        v.Out = out.str();
        return v;
    }
    // The number of the first line holding `part`, counted from 1.
    int LineOf(const std::string& part) const {
        const std::size_t at = text.find(part);
        return at == std::string::npos
                   ? -1
                   : 1 + static_cast<int>(std::count(
                             text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    }
    std::string Replace(const std::string& from, const std::string& to) const {
        std::string t = text;
        const std::size_t at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? t : t.replace(at, from.size(), to);
    }

    TempFile file{"zarq-damaged"};
    std::string text;
};

// A program that dies while it records leaves no end line, perhaps half a line: what was
// played is verified up to the last whole line, reported, and still fails (exit 1).
TEST_F(DamagedFile, ACutShortFileIsVerifiedUpToItsLastWholeLine) {
    const std::size_t endLine = text.rfind("end ");
    const std::size_t lastEvent = text.rfind('\n', endLine - 2) + 1;
    const int wholeLines = static_cast<int>(
        std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(lastEvent), '\n'));
    const std::string upToLastEvent = text.substr(0, lastEvent);
    for (const std::string& cut : {text.substr(0, endLine - 3), upToLastEvent}) {
        const Result v = VerifyText(cut);
        EXPECT_EQ(v.Exit, kVerifyMismatch) << v.Message;
        EXPECT_NE(v.Message.find("cut short after line " + std::to_string(wholeLines) + " "),
                  std::string::npos)
            << v.Message;
        EXPECT_NE(v.Out.find(", cut short\n"), std::string::npos) << v.Out;
    }
    // It reaches the same play as the whole file does up to that line.
    const ReadResult whole = ReadRecording(text);
    const ReadResult cut = ReadRecording(text.substr(0, endLine - 3));
    ASSERT_TRUE(whole.Value && cut.Value) << cut.Error;
    EXPECT_TRUE(cut.Value->CutShort);
    ASSERT_EQ(cut.Value->Steps.size() + 1, whole.Value->Steps.size());
    EXPECT_EQ(cut.Value->End.Clock, cut.Value->Steps.back().Clock);
    // A damaged line is no cut, nor is anything after the end line: refused where they are.
    EXPECT_EQ(VerifyText(upToLastEvent + "12x\n").Exit, kVerifyUnreadable);
    EXPECT_EQ(VerifyText(text + "12").Exit, kVerifyUnreadable);
    // Cut inside the header, nothing can be replayed.
    EXPECT_EQ(VerifyText(text.substr(0, text.find("intervals"))).Exit, kVerifyUnreadable);
}

// A hand-made start the toy can never be in (on, at the barrier stage, a billion lives, its
// timers at 1 ms, an end 2^42 ms away) is refused before any replay.
TEST_F(DamagedFile, AStartNoRecordingCanHaveIsRefusedAtOnce) {
    std::string t = Replace("PowerOn=0", "PowerOn=1");
    Result v = VerifyText(t);
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("line 5: a recording begins with the toy off"), std::string::npos)
        << v.Message;
    EXPECT_EQ(VerifyText(Replace("ZarqLives=0", "ZarqLives=1000000000")).Exit, kVerifyUnreadable);
    EXPECT_EQ(VerifyText(Replace("SpeedLevel=1", "SpeedLevel=9")).Exit, kVerifyUnreadable);
    EXPECT_EQ(VerifyText(Replace("intervals 1 ", "intervals 86400000 ")).Exit, kVerifyUnreadable);
    EXPECT_EQ(VerifyText(Replace(",0,", ",7,")).Exit, kVerifyUnreadable);  // a lattice cell
}

// Only regular files are recordings; a FIFO that nobody writes must not hold the reader.
TEST_F(DamagedFile, WhatIsNotARegularFileIsNamedAndRefused) {
    const std::string fifo = file.Path() + ".fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct stat made {};
    if (::stat(fifo.c_str(), &made) != 0 || !S_ISFIFO(made.st_mode)) {
        ::unlink(fifo.c_str());
        GTEST_SKIP() << "this platform's file system makes no FIFOs (WebAssembly under node)";
    }
    const std::string dir = file.Path() + ".dir";
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    for (const auto& [path, kind] : std::vector<std::pair<std::string, std::string>>{
             {fifo, "a FIFO"}, {dir, "a directory"}, {"/dev/zero", "a character device"}}) {
        std::ostringstream out, err;
        EXPECT_EQ(VerifyFile(path, out, err), kVerifyUnreadable) << path;
        EXPECT_NE(err.str().find(path + " is " + kind + ", not a recording file"),
                  std::string::npos)
            << err.str();
    }
    ::unlink(fifo.c_str());
    ::rmdir(dir.c_str());
}

// Bytes from the file reach the terminal escaped: no escape sequence, no NUL.
TEST_F(DamagedFile, UnprintableBytesInAMessageAreEscaped) {
    Result v = VerifyText(Replace("key-down ctrl", std::string("key-down \x1b[2J\0x", 15)));
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("unknown key '\\x1b[2J\\x00x'"), std::string::npos) << v.Message;
    v = VerifyText(Replace("switch-on", "switch\x07\xff"));
    EXPECT_NE(v.Message.find("unknown event 'switch\\x07\\xff'"), std::string::npos) << v.Message;
}

TEST_F(DamagedFile, TimesGoingBackAreRefusedAtTheLineThatGoesBack) {
    std::istringstream lines(text);
    std::vector<std::string> all;
    for (std::string l; std::getline(lines, l);) all.push_back(l);
    // Two neighbouring events of different times, swapped: the second one goes back.
    const std::size_t body = static_cast<std::size_t>(LineOf(" switch-on")) - 1;
    std::size_t i = body;
    while (i + 2 < all.size() && std::stol(all[i]) == std::stol(all[i + 1])) ++i;
    ASSERT_LT(i + 2, all.size());
    std::swap(all[i], all[i + 1]);
    std::string reordered;
    for (const std::string& l : all) reordered += l + "\n";
    const Result v = VerifyText(reordered);
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("line " + std::to_string(i + 2) + ": the time goes back"),
              std::string::npos)
        << v.Message;
}

TEST_F(DamagedFile, UnknownEventsAndKeysAreNamed) {
    const int line = LineOf(" switch-on");
    Result v = VerifyText(Replace("switch-on", "switch-sideways"));
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("line " + std::to_string(line) + ": unknown event 'switch-sideways'"),
              std::string::npos)
        << v.Message;
    v = VerifyText(Replace("key-down ctrl", "key-down shift"));
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("unknown key 'shift'"), std::string::npos) << v.Message;
}

TEST_F(DamagedFile, AnotherVersionOrAnotherKindOfFileIsRefusedAtLineOne) {
    Result v = VerifyText(Replace("zarq-recording 1", "zarq-recording 3"));
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("line 1: format version 3 is not one this program reads"),
              std::string::npos)
        << v.Message;
    v = VerifyText("RIFF....WAVEfmt \n");
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("line 1: not a recording"), std::string::npos) << v.Message;
    v = VerifyText("");
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
}

TEST_F(DamagedFile, AChangedFinalScoreOrATamperedEventFailsVerification) {
    const std::size_t at = text.find("score=");
    const std::size_t stop = text.find(' ', at);
    const std::string score = text.substr(at, stop - at);
    const long claimed = std::stol(score.substr(6));
    ASSERT_GT(claimed, 0) << "the short play scored nothing";
    Result v = VerifyText(Replace(score, "score=" + std::to_string(claimed + 5)));
    EXPECT_EQ(v.Exit, kVerifyMismatch);
    EXPECT_NE(v.Message.find("claims score " + std::to_string(claimed + 5)), std::string::npos)
        << v.Message;
    // The switch-on taken out: the toy never starts, yet the file goes on with a play.
    v = VerifyText(Replace(text.substr(text.rfind('\n', text.find(" switch-on")) + 1,
                                       text.find('\n', text.find(" switch-on")) + 1 -
                                           text.rfind('\n', text.find(" switch-on")) - 1),
                           ""));
    EXPECT_EQ(v.Exit, kVerifyMismatch) << v.Message;
    EXPECT_NE(v.Message.find(": the play has come to a stop"), std::string::npos) << v.Message;
}

}  // namespace
}  // namespace zarq::test
