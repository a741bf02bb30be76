// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// The built dx470-sim as a child process with pipes on stdin and stdout, for the tests of
// the program itself (no Qt here, unlike the helper the serial tests use).
class SimChild {
public:
    using Env = std::vector<std::pair<std::string, std::string>>;

    SimChild(const std::vector<std::string>& args, const Env& extraEnv = {});
    ~SimChild();
    SimChild(const SimChild&) = delete;
    SimChild& operator=(const SimChild&) = delete;

    // Waits for the next stdout line starting with prefix, skipping others; nullopt on
    // time-out or end of output.
    std::optional<std::string> waitForLine(const std::string& prefix,
                                           std::chrono::milliseconds timeout);
    // Every line read so far.
    const std::vector<std::string>& lines() const { return lines_; }

    void command(const std::string& line);
    void closeStdin();
    void signal(int signal);
    // Exit code once the program has ended; nullopt on time-out or death by signal.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool running();

private:
    bool readMore(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    std::string partial_;
    std::vector<std::string> lines_;
    std::size_t nextUnseen_ = 0;
    std::optional<int> status_;
};

// Path of the program under test, given by the build.
std::string simProgramPath();
