// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <optional>
#include <string>
#include <vector>

// dx470ctl's command line, without Qt: what to do and with which options,
// and the help text and manual page made from the same table of commands,
// options and exit codes.
struct CtlCommand {
    enum class Kind { Help, Version, Ports, Read, Write, Log, Monitor, Convert };
    Kind kind = Kind::Help;
    // 0 for "auto": the search the window makes, remembered adapter first.
    int port = 0;
    std::string file;
    std::string output;
    bool json = false;
    bool store = false;
    bool verify = false;
    bool csv = false;
    // 0: until interrupted.
    int seconds = 0;
    char separator = ',';
    int timeoutSeconds = 15;
};

struct ParsedCommandLine {
    std::optional<CtlCommand> command;
    // Why the line was refused, as the tool says it.
    std::string error;
};

// The arguments after the program's name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string HelpText();
// The same text as a manual page (man(7) macros).
std::string ManPage(const std::string& version);

inline constexpr int kHighestComPort = 20;
inline constexpr int kLongestTimeoutSeconds = 600;
inline constexpr int kLongestLogSeconds = 24 * 3600;
