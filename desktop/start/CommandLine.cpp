// Parsing the command line against the option table, and the answers given before start-up.
#include "desktop/start/CommandLine.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <ostream>

namespace zarq {

namespace {

constexpr std::array kOptions = {
    OptionRow{"--help", "-h", "", "show this help and exit",
              [](CommandLine& line, std::string_view) { line.ShowHelp = true; }},
    OptionRow{"--version", "", "", "show the program's name and version and exit",
              [](CommandLine& line, std::string_view) { line.ShowVersion = true; }},
    OptionRow{"--record", "", "FILE", "play as usual and write the play to FILE",
              [](CommandLine& line, std::string_view file) { line.Record = file; }},
    OptionRow{"--playback", "", "FILE", "show the play recorded in FILE (or a replay LINK)",
              [](CommandLine& line, std::string_view file) { line.Playback = file; }},
    OptionRow{"--verify", "", "FILE", "replay FILE (or a LINK) without a window, check its score",
              [](CommandLine& line, std::string_view file) { line.Verify = file; }},
    OptionRow{"--web-address", "", "URL", "store the web edition's or scoreboard's address",
              [](CommandLine& line, std::string_view url) { line.WebAddress = url; }},
};

// The manual shows a window and nothing else: the first two rows of the program's table.
constexpr std::span<const OptionRow> kManualOptions(kOptions.data(), 2);

const OptionRow* FindOption(std::span<const OptionRow> options, std::string_view name) {
    const auto row = std::find_if(options.begin(), options.end(), [name](const OptionRow& o) {
        return o.Name == name || (!o.Short.empty() && o.Short == name);
    });
    return row == options.end() ? nullptr : &*row;
}

}  // namespace

std::span<const OptionRow> ProgramOptions() {
    return kOptions;
}

ParsedCommandLine ParseCommandLine(std::span<const char* const> args,
                                   std::span<const OptionRow> options) {
    ParsedCommandLine parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        // "--name=value" carries its value; only long options take that form.
        const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
        const std::string_view name = arg.substr(0, equals);
        const OptionRow* option = arg.starts_with('-') ? FindOption(options, name) : nullptr;
        if (option == nullptr) {
            parsed.Error = arg.starts_with('-') ? "unknown option '" + std::string(name) + "'"
                                                : "unexpected argument '" + std::string(arg) + "'";
            parsed.Error += " (try --help)";
            return parsed;
        }
        std::string_view value;
        if (option->Value.empty()) {
            if (equals != std::string_view::npos) {
                parsed.Error = "option '" + std::string(name) + "' takes no value";
                return parsed;
            }
        } else if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            parsed.Error =
                "option '" + std::string(name) + "' needs a " + std::string(option->Value);
            return parsed;
        }
        // An empty name is a mistake (an unset shell variable), never "option not given".
        if (!option->Value.empty() && value.empty()) {
            parsed.Error = "option '" + std::string(name) + "' needs a " +
                           std::string(option->Value) + ", not an empty name";
            return parsed;
        }
        option->Apply(parsed.Line, value);
    }
    if (const std::string error = WebAddressError(parsed.Line.WebAddress);
        !parsed.Line.WebAddress.empty() && !error.empty()) {
        parsed.Error = "--web-address: " + error;
    }
    return parsed;
}

std::string WebAddressError(std::string_view address) {
    if (address.empty()) return "no address is given";
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) return "the address holds a space or a control character";
    }
    std::string lower(address.substr(0, std::min<std::size_t>(address.size(), 8)));
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::size_t rest = 0;
    if (lower.starts_with("http://")) {
        rest = 7;
    } else if (lower.starts_with("https://")) {
        rest = 8;
    } else {
        return "'" + std::string(address.substr(0, 40)) +
               "' is not a web address (it must begin with http:// or https://)";
    }
    const std::string_view host = address.substr(rest, address.find_first_of("/?#", rest) - rest);
    if (host.empty() || host.starts_with(':') || host.starts_with('@'))
        return "the address names no host (such as https://example.org/zarq/)";
    return {};
}

std::string VersionText() {
    return "Zarq (Keldo) Simulator " ZARQ_VERSION;
}

namespace {

// "Options:" and one line per option.
std::string OptionLines(std::span<const OptionRow> options) {
    std::string text = "Options:\n";
    for (const OptionRow& option : options) {
        // Long names line up whether or not a short one stands before them.
        std::string names =
            option.Short.empty() ? "      " : "  " + std::string(option.Short) + ", ";
        names += option.Name;
        if (!option.Value.empty()) names += " " + std::string(option.Value);
        names.resize(std::max<std::size_t>(names.size() + 2, 28), ' ');
        text += names + std::string(option.Help) + "\n";
    }
    return text;
}

std::optional<int> Answer(const ParsedCommandLine& parsed, std::string_view program,
                          const std::function<std::string()>& help, const std::string& version,
                          std::ostream& out, std::ostream& err) {
    if (!parsed.Error.empty()) {
        err << program << ": " << parsed.Error << '\n';
        return 2;
    }
    if (parsed.Line.ShowHelp) {
        out << help();
        return 0;
    }
    if (parsed.Line.ShowVersion) {
        out << version << '\n';
        return 0;
    }
    return std::nullopt;
}

}  // namespace

std::string HelpText(std::string_view program, std::string_view dataFolder,
                     std::span<const OptionRow> options) {
    std::string text = "Usage: " + std::string(program) + " [OPTION]...\n";
    text += "A simulator of a tabletop electronic game toy with a segment display.\n";
    text += "Without options the toy's window opens with its options dialog.\n\n";
    text += OptionLines(options);
    text += "\nSound files, documents and manual: ";
    text += dataFolder.empty() ? "not found (reinstall the program)" : std::string(dataFolder);
    text += "\n";
    return text;
}

std::string MissingDisplay(const char* platform, const char* display, const char* waylandDisplay) {
    const auto unset = [](const char* value) { return value == nullptr || *value == '\0'; };
    const std::string_view chosen = unset(platform) ? "" : platform;
    if (chosen.starts_with("xcb") && unset(display)) {
        return "no X display: DISPLAY is not set";
    }
    if (chosen.empty() && unset(display) && unset(waylandDisplay)) {
        return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
    }
    return {};
}

std::optional<int> AnswerBeforeStart(const ParsedCommandLine& parsed, std::string_view program,
                                     const std::function<std::string()>& dataFolder,
                                     std::ostream& out, std::ostream& err) {
    return Answer(
        parsed, program, [&] { return HelpText(program, dataFolder()); }, VersionText(), out, err);
}

std::span<const OptionRow> ManualOptions() {
    return kManualOptions;
}

std::string ManualVersionText() {
    return "Zarq (Keldo) Manual " ZARQ_VERSION;
}

std::string ManualHelpText(std::string_view program, std::span<const OptionRow> options) {
    std::string text = "Usage: " + std::string(program) + " [OPTION]...\n";
    text += "The illustrated manual of the Zarq (Keldo) Simulator: the toy's controls and its\n";
    text += "three games, with pictures of the toy's screen in play.\n\n";
    return text + OptionLines(options);
}

std::optional<int> AnswerManualBeforeStart(const ParsedCommandLine& parsed,
                                           std::string_view program, std::ostream& out,
                                           std::ostream& err) {
    return Answer(
        parsed, program, [&] { return ManualHelpText(program); }, ManualVersionText(), out, err);
}

}  // namespace zarq
