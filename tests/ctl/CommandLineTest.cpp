// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include <sstream>

#include "ctl/CommandLine.h"
#include "ctl/ExitCodes.h"

namespace {
std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

using Kind = CtlCommand::Kind;

TEST(CommandLine, ReadsEachCommandWithItsOptions) {
    const ParsedCommandLine read =
        ParseCommandLine(Words("read --port com7 -o car.tq4 --json -t 30"));
    ASSERT_TRUE(read.command) << read.error;
    EXPECT_EQ(read.command->kind, Kind::Read);
    EXPECT_EQ(read.command->port, 7);
    EXPECT_EQ(read.command->output, "car.tq4");
    EXPECT_TRUE(read.command->json);
    EXPECT_EQ(read.command->timeoutSeconds, 30);

    const ParsedCommandLine write =
        ParseCommandLine(Words("write set.tq4 --store --verify -p auto"));
    ASSERT_TRUE(write.command) << write.error;
    EXPECT_EQ(write.command->kind, Kind::Write);
    EXPECT_EQ(write.command->file, "set.tq4");
    EXPECT_TRUE(write.command->store && write.command->verify);
    EXPECT_EQ(write.command->port, 0);

    const ParsedCommandLine convert =
        ParseCommandLine(Words("convert a.msl --csv --separator ; -o a.csv"));
    ASSERT_TRUE(convert.command) << convert.error;
    EXPECT_EQ(convert.command->separator, ';');

    const ParsedCommandLine log = ParseCommandLine(Words("log --seconds 5"));
    ASSERT_TRUE(log.command) << log.error;
    EXPECT_EQ(log.command->seconds, 5);
    EXPECT_EQ(ParseCommandLine(Words("monitor --help")).command->kind, Kind::Help);
    EXPECT_EQ(ParseCommandLine(Words("-V")).command->kind, Kind::Version);
}

TEST(CommandLine, RefusesWhatACommandDoesNotTake) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"", "which command? (dx470ctl --help lists them)"},
        {"flash", "unknown command 'flash'"},
        {"read --port COM21", "--port wants COM1 .. COM20 or auto"},
        {"read --port COM0", "--port wants COM1 .. COM20 or auto"},
        {"read --port", "--port wants COM1 .. COM20 or auto"},
        {"write", "which file?"},
        {"write a.tq4 b.tq4", "unexpected argument 'b.tq4'"},
        {"read a.tq4", "unexpected argument 'a.tq4'"},
        {"convert a.msl", "convert wants --csv"},
        {"read --store", "--store and --verify are for write"},
        {"write a.tq4 --json", "--json is for read"},
        {"log --seconds 0", "--seconds wants 1 .. 86400"},
        {"log --seconds 5s", "--seconds wants 1 .. 86400"},
        {"monitor -o x", "-o is for read, log and convert"},
        {"convert a.msl --csv --separator :", "--separator wants , or ;"},
        {"read -t 601", "-t wants 1 .. 600 seconds"},
        {"read --fast", "unknown option '--fast'"},
    };
    for (const auto& refused : cases) {
        const ParsedCommandLine parsed = ParseCommandLine(Words(refused.line));
        EXPECT_FALSE(parsed.command) << refused.line;
        EXPECT_EQ(parsed.error, refused.error) << refused.line;
    }
}

// The help and the manual page list every exit status the tool gives.
TEST(CommandLine, HelpAndManualPageListTheExitStatus) {
    const std::string help = HelpText();
    const std::string man = ManPage("2");
    for (const int code : {ExitCode::kDone, ExitCode::kUsage, ExitCode::kNoPort, ExitCode::kNoLink,
                           ExitCode::kNotEchoed, ExitCode::kBadFile, ExitCode::kVerifyFailed,
                           ExitCode::kInterrupted}) {
        EXPECT_NE(help.find("\n  " + std::to_string(code) + " "), std::string::npos) << code;
        EXPECT_NE(man.find(".B " + std::to_string(code) + "\n"), std::string::npos) << code;
    }
    for (const char* command : {"ports", "read", "write", "log", "monitor", "convert"}) {
        EXPECT_NE(help.find(std::string("\n  ") + command), std::string::npos) << command;
    }
    EXPECT_EQ(man.rfind(".TH DX470CTL 1", 0), 0u);
    // No line of the help runs past the terminal's usual width.
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
}
}  // namespace
