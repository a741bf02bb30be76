// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// What the session log costs per frame, formatting and writing included:
// ten minutes of frames at line rate written as the window writes them (a
// flush a second) into a log in a temporary folder, on the process's CPU clock.
// Prints "log frames=N us_per_frame=X percent_of_core=Y".
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "log/SessionLog.h"

namespace {
constexpr int kFramesPerSecond = 160;  // a 9600-baud line without pauses
constexpr int kSeconds = 600;
constexpr std::int64_t kFrameUs = 1'000'000 / kFramesPerSecond;

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}
}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("dx470_bench_log_" + std::to_string(getpid()));
    PanelParams panel{};
    panel.fill(100);
    std::tm start{};
    start.tm_year = 126;
    start.tm_mday = 1;
    SessionLog log;
    if (const auto failure = log.Begin(folder.string(), start, 0, panel)) {
        std::fprintf(stderr, "%s: %s\n", failure->path.c_str(), failure->reason.c_str());
        return 1;
    }
    const int frames = kFramesPerSecond * kSeconds;
    const double before = CpuSeconds();
    for (int i = 0; i < frames; ++i) {
        // Readings that move like the simulator's sweep.
        const std::int32_t petrol = (i * 8) % 4096;
        log.AddFrame(
            {i * kFrameUs, petrol >> 8, petrol, petrol * 4 + 1400, (i * 512) % 65536, 100, 0});
        if ((i + 1) % kFramesPerSecond == 0) log.Flush();
    }
    const bool failed = log.End(panel).has_value();
    const double used = CpuSeconds() - before;
    fs::remove_all(folder);
    if (failed) return 1;
    const double perFrameUs = used / frames * 1e6;
    std::printf("log frames=%d us_per_frame=%.3f percent_of_core=%.4f\n", frames, perFrameUs,
                perFrameUs * kFramesPerSecond / 1e4);
    return 0;
}
