// The command line as a user meets it: no argument starts the toy as always, --help and
// --version answer on stdout and end the program with 0, and every mistake is one line on
// stderr and exit code 2, before anything else happens.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "desktop/start/CommandLine.h"

namespace zarq::test {
namespace {

struct Answer {
    std::optional<int> ExitCode;
    std::string Out;
    std::string Err;
    int DataFolderAsked = 0;
};

Answer Ask(std::vector<const char*> args, std::span<const OptionRow> options = ProgramOptions()) {
    Answer answer;
    std::ostringstream out;
    std::ostringstream err;
    answer.ExitCode = AnswerBeforeStart(
        ParseCommandLine(args, options), "zarq-simulator",
        [&answer] {
            ++answer.DataFolderAsked;
            return std::string("/usr/share/games/zarq-simulator");
        },
        out, err);
    answer.Out = out.str();
    answer.Err = err.str();
    return answer;
}

TEST(CommandLine, WithoutArgumentsTheToyStartsAsAlways) {
    const Answer answer = Ask({});
    EXPECT_FALSE(answer.ExitCode.has_value());
    EXPECT_EQ(answer.Out + answer.Err, "");
    EXPECT_EQ(answer.DataFolderAsked, 0);
}

TEST(CommandLine, VersionAndHelpAnswerAndEnd) {
    const Answer version = Ask({"--version"});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out, "Zarq (Keldo) Simulator " ZARQ_VERSION "\n");
    EXPECT_EQ(version.Err, "");

    for (const char* asked : {"--help", "-h"}) {
        const Answer help = Ask({asked, "--version"});
        EXPECT_EQ(help.ExitCode, 0) << asked;
        EXPECT_EQ(help.Err, "") << asked;
        EXPECT_TRUE(help.Out.starts_with("Usage: zarq-simulator [OPTION]...\n")) << help.Out;
        // Every option of the table is listed, so a new row documents itself.
        for (const OptionRow& option : ProgramOptions()) {
            EXPECT_NE(help.Out.find(std::string(option.Name) + " "), std::string::npos)
                << option.Name;
            EXPECT_NE(help.Out.find(option.Help), std::string::npos) << option.Name;
        }
        EXPECT_NE(help.Out.find("manual: /usr/share/games/zarq-simulator\n"), std::string::npos);
        EXPECT_EQ(help.DataFolderAsked, 1);
    }
}

// A row taking a value, as later options (a recording's file) will.
std::string given;
constexpr OptionRow kWithValue[] = {
    {"--version", "", "", "version",
     [](CommandLine& line, std::string_view) { line.ShowVersion = true; }},
    {"--record", "", "FILE", "record into FILE",
     [](CommandLine&, std::string_view value) { given = value; }},
};

TEST(CommandLine, AValueComesAsTheNextArgumentOrAfterEquals) {
    given.clear();
    EXPECT_EQ(ParseCommandLine(std::vector<const char*>{"--record", "a b.rec"}, kWithValue).Error,
              "");
    EXPECT_EQ(given, "a b.rec");
    EXPECT_EQ(ParseCommandLine(std::vector<const char*>{"--record=x=y"}, kWithValue).Error, "");
    EXPECT_EQ(given, "x=y");
    EXPECT_NE(HelpText("p", "", kWithValue).find("--record FILE"), std::string::npos);
}

TEST(CommandLine, EveryMistakeIsOneLineOnStderrAndExitCode2) {
    const std::vector<std::vector<const char*>> mistakes = {{"--bogus"},
                                                            {"-x"},
                                                            {"stray"},
                                                            {"--version=1"},
                                                            {"--version", "--bogus"},
                                                            {"--record"},
                                                            {"--record", ""},
                                                            {"--record="},
                                                            {"--version", "extra"}};
    for (const auto& args : mistakes) {
        const Answer answer = Ask(args, kWithValue);
        EXPECT_EQ(answer.ExitCode, 2) << args.front();
        EXPECT_EQ(answer.Out, "") << args.front();
        ASSERT_TRUE(answer.Err.starts_with("zarq-simulator: ")) << answer.Err;
        EXPECT_EQ(answer.Err.find('\n'), answer.Err.size() - 1) << answer.Err;
    }
    EXPECT_NE(Ask({"--bogus"}).Err.find("'--bogus'"), std::string::npos);
    EXPECT_NE(Ask({"--record"}, kWithValue).Err.find("needs a FILE"), std::string::npos);
    for (const auto& empty : std::vector<std::vector<const char*>>{
             {"--verify", ""}, {"--verify="}, {"--record", ""}, {"--playback", ""}}) {
        EXPECT_NE(Ask(empty).Err.find("not an empty name"), std::string::npos) << empty.front();
    }
}

// The manual program: help and version only; the simulator's options are mistakes there.
TEST(CommandLine, TheManualAnswersHelpAndVersionAndRefusesTheRest) {
    const auto ask = [](std::vector<const char*> args) {
        Answer answer;
        std::ostringstream out;
        std::ostringstream err;
        answer.ExitCode = AnswerManualBeforeStart(ParseCommandLine(args, ManualOptions()),
                                                  "zarq-simulator-manual", out, err);
        answer.Out = out.str();
        answer.Err = err.str();
        return answer;
    };
    EXPECT_FALSE(ask({}).ExitCode.has_value());
    EXPECT_EQ(ask({"--version"}).Out, "Zarq (Keldo) Manual " ZARQ_VERSION "\n");
    const Answer help = ask({"-h"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.starts_with("Usage: zarq-simulator-manual [OPTION]...\n")) << help.Out;
    EXPECT_NE(help.Out.find("  -h, --help "), std::string::npos) << help.Out;
    EXPECT_NE(help.Out.find("      --version "), std::string::npos) << help.Out;
    EXPECT_EQ(help.Out.find("--record"), std::string::npos) << help.Out;
    for (const char* mistake : {"--record", "--verify", "--bogus"}) {
        const Answer answer = ask({mistake, "x"});
        EXPECT_EQ(answer.ExitCode, 2) << mistake;
        EXPECT_EQ(answer.Err, "zarq-simulator-manual: unknown option '" + std::string(mistake) +
                                  "' (try --help)\n");
    }
}

}  // namespace
}  // namespace zarq::test
