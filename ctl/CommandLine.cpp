// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ctl/CommandLine.h"

#include <array>
#include <charconv>
#include <string_view>

#include "ctl/ExitCodes.h"

namespace {
struct Entry {
    const char* term;
    const char* description;
};

constexpr char kSummary[] =
    "Read, program and watch a DX470 gas-injection controller over its serial line.";

constexpr std::array kCommands = {
    Entry{"ports",
          "List the ports a search tries (COM1 to COM20), with their devices and adapters, and "
          "whether each can be opened; if not, why: absent, busy or not permitted."},
    Entry{"read [-o FILE.tq4] [--json]",
          "Link, wait until every value has been reported twice alike, print the sixteen "
          "parameters and the stored set, and save them as a parameter set if asked."},
    Entry{"write FILE.tq4 [--store] [--verify]",
          "Send the parameters of FILE that differ from the controller's, one frame at a time, "
          "lowest first, until each is echoed; --store then stores them, --verify reads them back "
          "and compares. Interrupted, it ends after a whole frame and says what was sent."},
    Entry{"log [-o FILE.msl] [--seconds N]",
          "Record a session log, as the window writes them, until N seconds have passed or the "
          "tool is interrupted."},
    Entry{"monitor", "Show the live values and the link's health once a second until interrupted."},
    Entry{"convert LOG.msl --csv [--separator ,|;] [-o FILE.csv]",
          "Write a session log as CSV, with each column's unit in the header, to FILE or to "
          "standard output."},
};

constexpr std::array kOptions = {
    Entry{"-p, --port COMn|auto",
          "The controller's port. auto (the default) searches as the window does, the remembered "
          "adapter first. A port another program holds is reported busy and never shared."},
    Entry{"-o, --output FILE", "Where read, log and convert write."},
    Entry{"--json", "read: print the values as JSON."},
    Entry{"--store", "write: store the values in the controller once all are echoed."},
    Entry{"--verify", "write: read the values back and compare them with the file."},
    Entry{"--seconds N", "log: stop after N seconds."},
    Entry{"--separator , or ;", "convert: the field separator (default ,)."},
    Entry{"-t, --timeout SECONDS", "How long to wait for the link (default 15)."},
    Entry{"-h, --help", "Show this help and exit."},
    Entry{"-V, --version", "Show the version and exit."},
};

constexpr std::array kExitCodes = {
    Entry{"0", "done"},
    Entry{"1", "the command line is wrong"},
    Entry{"2", "no port: none found, or the port is absent, busy or not permitted"},
    Entry{"3", "no link: the port opened but no controller spoke in time"},
    Entry{"4", "not echoed: the controller did not echo or store a value in time"},
    Entry{"5", "bad file: a parameter set or log that cannot be used"},
    Entry{"6", "verify failed: the values read back differ from the file"},
    Entry{"130", "interrupted by Ctrl+C or SIGTERM (log and monitor end so with 0)"},
};

static_assert(ExitCode::kVerifyFailed == 6 && ExitCode::kInterrupted == 130);

constexpr std::size_t kTermWidth = 30;
// Exit codes are short: their texts start closer.
constexpr std::size_t kCodeWidth = 8;
constexpr std::size_t kLineWidth = 79;

// Words wrapped to the line, each line after the first indented.
void AppendWrapped(std::string& text, std::string_view words, std::size_t indent) {
    std::size_t column = indent;
    bool first = true;
    while (!words.empty()) {
        const std::size_t end = std::min(words.find(' '), words.size());
        const std::string_view word = words.substr(0, end);
        words = end < words.size() ? words.substr(end + 1) : std::string_view();
        if (!first && column + 1 + word.size() > kLineWidth) {
            text += '\n' + std::string(indent, ' ');
            column = indent;
        } else if (!first) {
            text += ' ';
            ++column;
        }
        text += word;
        column += word.size();
        first = false;
    }
    text += '\n';
}

template <std::size_t N>
void AppendSection(std::string& text, const char* title, const std::array<Entry, N>& entries,
                   std::size_t termWidth = kTermWidth) {
    text += std::string("\n") + title + ":\n";
    for (const Entry& entry : entries) {
        std::string term = std::string("  ") + entry.term;
        if (term.size() + 2 > termWidth) {
            text += term + '\n' + std::string(termWidth, ' ');
        } else {
            text += term + std::string(termWidth - term.size(), ' ');
        }
        AppendWrapped(text, entry.description, termWidth);
    }
}

// Backslashes and leading dots and quotes mean something to roff.
std::string Roff(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\')
            escaped += "\\e";
        else if (c == '-')
            escaped += "\\-";
        else
            escaped += c;
    }
    if (!escaped.empty() && (escaped.front() == '.' || escaped.front() == '\'')) {
        escaped.insert(0, "\\&");
    }
    return escaped;
}

template <std::size_t N>
void AppendManSection(std::string& text, const char* title, const std::array<Entry, N>& entries) {
    text += std::string(".SH ") + title + "\n";
    for (const Entry& entry : entries) {
        text += ".TP\n.B " + Roff(entry.term) + "\n" + Roff(entry.description) + "\n";
    }
}

std::optional<int> Number(std::string_view text, int lowest, int highest) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < lowest || value > highest) return std::nullopt;
    return value;
}

// "auto" is 0; "COM3" or "com3" is 3.
std::optional<int> PortNumber(std::string_view text) {
    if (text == "auto") return 0;
    if (text.size() < 4 || (text.substr(0, 3) != "COM" && text.substr(0, 3) != "com")) {
        return std::nullopt;
    }
    return Number(text.substr(3), 1, kHighestComPort);
}

std::optional<CtlCommand::Kind> CommandNamed(std::string_view name) {
    using Kind = CtlCommand::Kind;
    constexpr std::array<std::pair<std::string_view, Kind>, 6> kNames = {{
        {"ports", Kind::Ports},
        {"read", Kind::Read},
        {"write", Kind::Write},
        {"log", Kind::Log},
        {"monitor", Kind::Monitor},
        {"convert", Kind::Convert},
    }};
    for (const auto& [known, kind] : kNames) {
        if (name == known) return kind;
    }
    return std::nullopt;
}

ParsedCommandLine Refused(const std::string& why) {
    return {std::nullopt, why};
}

// What each command needs and allows, once every option is read.
std::string Check(const CtlCommand& command) {
    using Kind = CtlCommand::Kind;
    const bool takesFile = command.kind == Kind::Write || command.kind == Kind::Convert;
    if (takesFile && command.file.empty()) return "which file?";
    if (!takesFile && !command.file.empty()) return "unexpected argument '" + command.file + "'";
    if (command.kind == Kind::Convert && !command.csv) return "convert wants --csv";
    if (command.kind != Kind::Write && (command.store || command.verify)) {
        return "--store and --verify are for write";
    }
    if (command.kind != Kind::Read && command.json) return "--json is for read";
    if (command.kind != Kind::Log && command.seconds != 0) return "--seconds is for log";
    if (command.kind != Kind::Convert && (command.csv || command.separator != ',')) {
        return "--csv and --separator are for convert";
    }
    const bool writes =
        command.kind == Kind::Read || command.kind == Kind::Log || command.kind == Kind::Convert;
    if (!writes && !command.output.empty()) return "-o is for read, log and convert";
    return {};
}
}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CtlCommand command;
    if (arguments.empty()) return Refused("which command? (dx470ctl --help lists them)");
    std::size_t i = 0;
    const std::string& first = arguments[0];
    if (first == "-h" || first == "--help") return {CtlCommand{}, {}};
    if (first == "-V" || first == "--version") {
        command.kind = CtlCommand::Kind::Version;
        return {command, {}};
    }
    const std::optional<CtlCommand::Kind> kind = CommandNamed(first);
    if (!kind) return Refused("unknown command '" + first + "'");
    command.kind = *kind;
    // The option's value, the next argument.
    auto value = [&]() -> std::optional<std::string> {
        if (i + 1 >= arguments.size()) return std::nullopt;
        return arguments[++i];
    };
    for (i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help") return {CtlCommand{}, {}};
        if (argument == "--json") {
            command.json = true;
        } else if (argument == "--store") {
            command.store = true;
        } else if (argument == "--verify") {
            command.verify = true;
        } else if (argument == "--csv") {
            command.csv = true;
        } else if (argument == "-p" || argument == "--port") {
            const std::optional<std::string> text = value();
            const std::optional<int> port = text ? PortNumber(*text) : std::nullopt;
            if (!port) return Refused(argument + " wants COM1 .. COM20 or auto");
            command.port = *port;
        } else if (argument == "-o" || argument == "--output") {
            const std::optional<std::string> text = value();
            if (!text || text->empty()) return Refused(argument + " wants a file name");
            command.output = *text;
        } else if (argument == "--seconds") {
            const std::optional<std::string> text = value();
            const std::optional<int> seconds =
                text ? Number(*text, 1, kLongestLogSeconds) : std::nullopt;
            if (!seconds) return Refused("--seconds wants 1 .. 86400");
            command.seconds = *seconds;
        } else if (argument == "-t" || argument == "--timeout") {
            const std::optional<std::string> text = value();
            const std::optional<int> seconds =
                text ? Number(*text, 1, kLongestTimeoutSeconds) : std::nullopt;
            if (!seconds) return Refused(argument + " wants 1 .. 600 seconds");
            command.timeoutSeconds = *seconds;
        } else if (argument == "--separator") {
            const std::optional<std::string> text = value();
            if (!text || (*text != "," && *text != ";")) return Refused("--separator wants , or ;");
            command.separator = (*text)[0];
        } else if (!argument.empty() && argument[0] == '-' && argument != "-") {
            return Refused("unknown option '" + argument + "'");
        } else if (command.file.empty()) {
            command.file = argument;
        } else {
            return Refused("unexpected argument '" + argument + "'");
        }
    }
    const std::string problem = Check(command);
    if (!problem.empty()) return Refused(problem);
    return {command, {}};
}

std::string HelpText() {
    std::string text = "Usage: dx470ctl COMMAND [OPTION]...\n";
    text += std::string(kSummary) + "\n";
    AppendSection(text, "Commands", kCommands);
    AppendSection(text, "Options", kOptions);
    AppendSection(text, "Exit status", kExitCodes, kCodeWidth);
    text +=
        "\nPorts are named as in the window: COMn is the device linked as\n"
        "~/.config/dx470/ports/COMn, or else the built-in table (COM1-4 /dev/ttyS0-3,\n"
        "COM5-12 /dev/ttyUSB0-7, COM13-20 /dev/ttyACM0-7).\n";
    return text;
}

std::string ManPage(const std::string& version) {
    std::string text = ".TH DX470CTL 1 \"\" \"dx470 " + Roff(version) + "\" \"User Commands\"\n";
    text += ".SH NAME\ndx470ctl \\- " + Roff(kSummary) + "\n";
    text += ".SH SYNOPSIS\n.B dx470ctl\n.I COMMAND\n[\\fIOPTION\\fR]...\n";
    text += ".SH DESCRIPTION\n" + Roff(kSummary) + "\n";
    AppendManSection(text, "COMMANDS", kCommands);
    AppendManSection(text, "OPTIONS", kOptions);
    AppendManSection(text, "EXIT STATUS", kExitCodes);
    text += ".SH SEE ALSO\n.BR dx470 (1)\n";
    return text;
}
