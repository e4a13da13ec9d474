// Damaged and foreign files are refused with the line at fault, and a recording whose end
// does not follow from its play fails verification: never a crash, never a false "verified".
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "RecordingProbe.h"
#include "harness/Harness.h"
#include "harness/PlayBot.h"
#include "record/Recorder.h"
#include "record/Verify.h"

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

    Verdict VerifyText(const std::string& t) {
        file.Write(t);
        std::ostringstream out, err;
        Verdict v;
        v.Exit = static_cast<VerifyExit>(VerifyFile(file.Path(), out, err));
        v.Message = err.str();
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

TEST_F(DamagedFile, ACutShortFileIsUnreadableAtItsEnd) {
    // Cut in the middle of the last event line and before the end line.
    const std::size_t endLine = text.rfind("end ");
    const std::string cut = text.substr(0, endLine - 3);
    const int lines = static_cast<int>(std::count(cut.begin(), cut.end(), '\n')) + 1;
    const Verdict v = VerifyText(cut);
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("line " + std::to_string(lines) + ":"), std::string::npos)
        << v.Message;
    // Without the end line, a complete body is still a cut-short recording.
    const Verdict noEnd = VerifyText(text.substr(0, endLine));
    EXPECT_EQ(noEnd.Exit, kVerifyUnreadable);
    EXPECT_NE(noEnd.Message.find("no 'end' line"), std::string::npos) << noEnd.Message;
    // Cut inside the header.
    EXPECT_EQ(VerifyText(text.substr(0, text.find("intervals"))).Exit, kVerifyUnreadable);
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
    const Verdict v = VerifyText(reordered);
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("line " + std::to_string(i + 2) + ": the time goes back"),
              std::string::npos)
        << v.Message;
}

TEST_F(DamagedFile, UnknownEventsAndKeysAreNamed) {
    const int line = LineOf(" switch-on");
    Verdict v = VerifyText(Replace("switch-on", "switch-sideways"));
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("line " + std::to_string(line) + ": unknown event 'switch-sideways'"),
              std::string::npos)
        << v.Message;
    v = VerifyText(Replace("key-down ctrl", "key-down shift"));
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("unknown key 'shift'"), std::string::npos) << v.Message;
}

TEST_F(DamagedFile, AnotherVersionOrAnotherKindOfFileIsRefusedAtLineOne) {
    Verdict v = VerifyText(Replace("zarq-recording 1", "zarq-recording 2"));
    EXPECT_EQ(v.Exit, kVerifyUnreadable);
    EXPECT_NE(v.Message.find("line 1: format version 2 is not one this program reads"),
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
    Verdict v = VerifyText(Replace(score, "score=" + std::to_string(claimed + 5)));
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
