// The program's command line, read in plain C++ before Qt starts, so that --help, --version
// and a mistyped option answer at once and need no display. The options are rows of one
// table: a new option adds a field to CommandLine and a row to the table in CommandLine.cpp.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zarq {

// What the command line asks for. No argument at all leaves every field at its default, and
// the program starts as it always has.
struct CommandLine {
    bool ShowHelp = false;
    bool ShowVersion = false;
    std::string Record;      // --record: the file the play is written to
    std::string Playback;    // --playback: the recording shown in the panel
    std::string Verify;      // --verify: the recording checked without a window
    std::string WebAddress;  // --web-address: the web edition's page or a scoreboard, stored
};

// One option. `Value` names the option's argument in the help ("FILE"); empty for a switch.
// A value is given as the next argument or after '=' ("--record FILE", "--record=FILE").
struct OptionRow {
    std::string_view Name;   // "--version"
    std::string_view Short;  // "-v", or empty
    std::string_view Value;  // "FILE", or empty
    std::string_view Help;   // one line
    void (*Apply)(CommandLine& line, std::string_view value);
};

// The program's own options, in the order the help lists them.
std::span<const OptionRow> ProgramOptions();

struct ParsedCommandLine {
    CommandLine Line;
    std::string Error;  // one line without the program's name; empty when all was understood
};

// `args` are the arguments after the program's name.
ParsedCommandLine ParseCommandLine(std::span<const char* const> args,
                                   std::span<const OptionRow> options = ProgramOptions());

// Why `address` is not the address of a web page replay links can begin with (one sentence
// without the program's name), or empty when it is: an http or https URL with a host, without
// spaces or control characters; a fragment ("#...") is dropped when a link is made.
std::string WebAddressError(std::string_view address);

// "Zarq (Keldo) Simulator <version>".
std::string VersionText();

// The usage, one line per option, and where the program's data was found (empty: not found).
std::string HelpText(std::string_view program, std::string_view dataFolder,
                     std::span<const OptionRow> options = ProgramOptions());

// What happens before any window: the help or the version on `out` (exit code 0), or the
// error as one line on `err` (exit code 2). Nothing (and nothing printed) when the program is
// to start. `dataFolder` is asked for only when the help is shown.
std::optional<int> AnswerBeforeStart(const ParsedCommandLine& parsed, std::string_view program,
                                     const std::function<std::string()>& dataFolder,
                                     std::ostream& out, std::ostream& err);

// Why the toolkit would find no display to open windows on, as one line without the program's
// name: its platform not chosen (`platform`, QT_QPA_PLATFORM, empty or unset) or chosen as
// X11, and neither `display` (DISPLAY) nor `waylandDisplay` (WAYLAND_DISPLAY) set. Empty when
// a display may be there; the program then ends with exit code 2 instead of the toolkit's abort.
std::string MissingDisplay(const char* platform, const char* display, const char* waylandDisplay);

// The manual program (zarq-simulator-manual) reads its command line the same way, before Qt
// starts: --help and --version answer without a display, a mistake ends with exit code 2.
std::span<const OptionRow> ManualOptions();

// "Zarq (Keldo) Manual <version>".
std::string ManualVersionText();

// The manual's usage and its options.
std::string ManualHelpText(std::string_view program,
                           std::span<const OptionRow> options = ManualOptions());

// As AnswerBeforeStart, for the manual program.
std::optional<int> AnswerManualBeforeStart(const ParsedCommandLine& parsed,
                                           std::string_view program, std::ostream& out,
                                           std::ostream& err);

}  // namespace zarq
