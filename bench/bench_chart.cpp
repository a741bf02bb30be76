// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// What the chart and the cell statistics cost, in-process and offscreen,
// with the virtual controller at line rate (bytes at line pace, no gap):
// the window's CPU time with both closed, then with both open, and how often
// the chart was painted. Not a test: prints one key=value line that
// bench/run-bench turns into a row of its table.
//
//     bench_chart [--seconds N]
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/PaintCounter.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/ChartView.h"
#include "ui/ChartWindow.h"
#include "ui/ControlIds.h"

namespace {
constexpr int kDefaultSeconds = 20;
constexpr int kSettleMs = 2000;
constexpr double kPercent = 100.0;
constexpr int kMsPerSecond = 1000;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void RunEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Percent of a core the process used over `seconds` of the event loop.
double CpuPercentOver(int seconds) {
    const double before = CpuSeconds();
    RunEventLoopFor(seconds * kMsPerSecond);
    return (CpuSeconds() - before) / seconds * kPercent;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int seconds = kDefaultSeconds;
    if (argc == 3 && std::strcmp(argv[1], "--seconds") == 0) seconds = std::atoi(argv[2]);
    SimProcess sim({QStringLiteral("--gap"), QStringLiteral("0"), QStringLiteral("--bytewise")});
    WindowFixture window;
    if (!sim.Start() || !window.OpenLinkedTo(sim.PortPath().toStdString())) {
        std::fprintf(stderr, "bench_chart: no link to the virtual controller\n");
        return 1;
    }
    RunEventLoopFor(kSettleMs);
    const double closed = CpuPercentOver(seconds);

    window.dlg->Command(CommandId::kShowChart)->trigger();
    window.dlg->Command(CommandId::kShowCells)->trigger();
    PaintCounter counter;
    window.dlg->Chart()->View()->installEventFilter(&counter);
    RunEventLoopFor(kSettleMs);
    counter.Reset();
    const double open = CpuPercentOver(seconds);
    std::printf("chart seconds=%d closed_percent=%.2f open_percent=%.2f paints_per_second=%.1f\n",
                seconds, closed, open, double(counter.Total()) / seconds);
    return 0;
}
