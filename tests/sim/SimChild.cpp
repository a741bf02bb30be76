// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/sim/SimChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::vector<std::string> mergedEnvironment(const SimChild::Env& extra) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool overridden = false;
        for (const auto& [name, value] : extra) {
            overridden = overridden || text.rfind(name + "=", 0) == 0;
        }
        if (!overridden) result.push_back(text);
    }
    for (const auto& [name, value] : extra) result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

SimChild::SimChild(const std::vector<std::string>& args, const Env& extraEnv) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) < 0 || ::pipe2(out, O_CLOEXEC) < 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);

    std::vector<std::string> argv = {simProgramPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = mergedEnvironment(extraEnv);
    auto argvPointers = pointers(argv);
    auto envPointers = pointers(env);
    const int error = ::posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, argvPointers.data(),
                                    envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    if (error != 0) throw std::runtime_error(std::string("spawn: ") + std::strerror(error));
}

SimChild::~SimChild() {
    if (running()) {
        signal(SIGKILL);
        waitForExit(5s);
    }
    if (stdin_ >= 0) ::close(stdin_);
    ::close(stdout_);
}

bool SimChild::readMore(std::chrono::milliseconds timeout) {
    pollfd fd = {stdout_, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(timeout.count())) <= 0) return false;
    char buffer[512];
    const ssize_t count = ::read(stdout_, buffer, sizeof buffer);
    if (count <= 0) return false;
    partial_.append(buffer, static_cast<std::size_t>(count));
    for (std::size_t end; (end = partial_.find('\n')) != std::string::npos;) {
        lines_.push_back(partial_.substr(0, end));
        partial_.erase(0, end + 1);
    }
    return true;
}

std::optional<std::string> SimChild::waitForLine(const std::string& prefix,
                                                 std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        for (; nextUnseen_ < lines_.size(); ++nextUnseen_) {
            if (lines_[nextUnseen_].rfind(prefix, 0) == 0) return lines_[nextUnseen_++];
        }
        if (Clock::now() >= deadline) return std::nullopt;
        if (!readMore(std::chrono::milliseconds(remainingMs(deadline))) && !running()) {
            if (!readMore(0ms)) return std::nullopt;
        }
    }
}

void SimChild::command(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t written = ::write(stdin_, text.data(), text.size());
}

void SimChild::closeStdin() {
    ::close(stdin_);
    stdin_ = -1;
}

void SimChild::signal(int signal) {
    if (!status_) ::kill(pid_, signal);
}

bool SimChild::running() {
    if (status_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return !status_;
}

std::optional<int> SimChild::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (running() && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
    if (!status_ || !WIFEXITED(*status_)) return std::nullopt;
    return WEXITSTATUS(*status_);
}

std::string simProgramPath() {
    return DX470_SIM_BINARY;
}
