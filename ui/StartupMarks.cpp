// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/StartupMarks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace StartupMarks {

void Mark(const char* what) {
    using Clock = std::chrono::steady_clock;
    static const bool wanted = std::getenv("DX470_STARTUP_MARKS") != nullptr;
    static const Clock::time_point first = Clock::now();
    if (!wanted) return;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - first).count();
    std::fprintf(stderr, "startup %7.2f ms  %s\n", ms, what);
}

}  // namespace StartupMarks
