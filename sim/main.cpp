// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// dx470-sim: a virtual DX470 controller on a pseudo-terminal, for tests and demonstrations.

#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "sim/EventLog.h"
#include "sim/SignalPipe.h"
#include "sim/SimOptions.h"
#include "sim/VirtualController.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kStdoutFd = 1;

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const SimOptions::ParseResult parsed = SimOptions::parse(args);
    if (parsed.helpRequested) {
        std::cout << SimOptions::usage();
        return 0;
    }
    if (!parsed.error.empty()) {
        std::cerr << "dx470-sim: " << parsed.error << "\nTry 'dx470-sim --help'.\n";
        return kExitUsage;
    }
    try {
        SignalPipe signals({SIGINT, SIGTERM, SIGHUP});
        const EventLog log(kStdoutFd);
        VirtualController controller(parsed.options, log, signals);
        return controller.run();
    } catch (const std::exception& error) {
        std::cerr << "dx470-sim: " << error.what() << '\n';
        return kExitFailure;
    }
}
