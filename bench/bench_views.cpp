// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// What each later view costs, in-process and offscreen, with the virtual
// controller at line rate (bytes at line pace, no gap): the window's CPU time
// with every view closed and with one view open (or the OBD-II link on), in
// turns, the view closed again before the next. Not a test: prints one key=value line
// per view that bench/run-bench turns into rows of its table.
//
//     bench_views [--seconds N] [--only VIEW]
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <vector>

#include "obd/ObdLink.h"
#include "tests/support/PaintCounter.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/ChartView.h"
#include "ui/ChartWindow.h"
#include "ui/ControlIds.h"

namespace {
constexpr int kDefaultSeconds = 20;
constexpr int kSettleMs = 2000;
// A view's first drawing and a closed view's last are not what it costs.
constexpr int kViewSettleMs = 1000;
constexpr int kObdReadingMs = 20000;
constexpr double kPercent = 100.0;
constexpr int kMsPerSecond = 1000;
constexpr int kObdPort = 5;
constexpr int kSlices = 4;

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
double CpuPercentOver(double seconds) {
    const double before = CpuSeconds();
    RunEventLoopFor(static_cast<int>(seconds * kMsPerSecond));
    return (CpuSeconds() - before) / seconds * kPercent;
}

std::set<QWidget*> VisibleWindows() {
    std::set<QWidget*> shown;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible()) shown.insert(widget);
    return shown;
}

// Opens a view with its menu commands and closes the windows that opened.
class WindowsOf {
public:
    WindowsOf(CCalibDlg& dlg, std::vector<int> commands) : dlg_(dlg), commands_(commands) {}
    void Open() {
        const std::set<QWidget*> before = VisibleWindows();
        for (int command : commands_) dlg_.Command(command)->trigger();
        for (QWidget* widget : VisibleWindows())
            if (!before.count(widget)) opened_.push_back(widget);
    }
    void Close() {
        for (QWidget* widget : opened_) widget->close();
        opened_.clear();
    }

private:
    CCalibDlg& dlg_;
    std::vector<int> commands_;
    std::vector<QWidget*> opened_;
};

struct View {
    const char* name;
    std::function<bool()> open;
    std::function<void()> close;
};

QString ObdPath(SimProcess& sim) {
    const QStringList lines = sim.LinesStartingWith(QStringLiteral("obd /dev/"));
    return lines.isEmpty() ? QString() : lines.last().section(QLatin1Char(' '), 1, 1);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        RunEventLoopFor(50);
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int seconds = kDefaultSeconds;
    const char* only = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
    }
    SimProcess sim({QStringLiteral("--gap"), QStringLiteral("0"), QStringLiteral("--bytewise"),
                    QStringLiteral("--obd")});
    WindowFixture window;
    if (!sim.Start() || !window.OpenLinkedTo(sim.PortPath().toStdString())) {
        std::fprintf(stderr, "bench_views: no link to the virtual controller\n");
        return 1;
    }
    CCalibDlg& dlg = *window.dlg;
    WindowsOf chart(dlg, {CommandId::kShowChart});
    WindowsOf cells(dlg, {CommandId::kShowCells});
    WindowsOf both(dlg, {CommandId::kShowChart, CommandId::kShowCells});
    WindowsOf curve(dlg, {CommandId::kShowCurve});
    WindowsOf health(dlg, {CommandId::kShowLinkHealth});
    PaintCounter chartPaints;
    auto opener = [](WindowsOf& windows) {
        return [&windows] {
            windows.Open();
            return true;
        };
    };
    auto closer = [](WindowsOf& windows) { return [&windows] { windows.Close(); }; };
    const std::vector<View> views = {
        {"chart", opener(chart), closer(chart)},
        {"cells", opener(cells), closer(cells)},
        {"chart_and_cells",
         [&] {
             both.Open();
             dlg.Chart()->View()->installEventFilter(&chartPaints);
             return true;
         },
         closer(both)},
        {"curve", opener(curve), closer(curve)},
        {"link_health", opener(health), closer(health)},
        {"obd_link",
         [&] {
             window.ports.Set(kObdPort, ObdPath(sim).toStdString());
             dlg.Command(CommandId::ObdPort(kObdPort))->trigger();
             return WaitFor(
                 [&] { return window.session->Obd().GetState() == ObdLink::State::Reading; },
                 kObdReadingMs);
         },
         [&] { dlg.Command(CommandId::kObdNone)->trigger(); }},
    };

    RunEventLoopFor(kSettleMs);
    for (const View& view : views) {
        if (only != nullptr && std::strcmp(view.name, only) != 0) continue;
        // Closed and open in turns, so that what else the machine does in
        // the meantime falls on both alike.
        double closed = 0;
        double open = 0;
        double paints = 0;
        for (int slice = 0; slice < kSlices; ++slice) {
            closed += CpuPercentOver(double(seconds) / kSlices) / kSlices;
            if (!view.open()) {
                std::fprintf(stderr, "bench_views: %s did not open\n", view.name);
                return 1;
            }
            RunEventLoopFor(kViewSettleMs);
            chartPaints.Reset();
            open += CpuPercentOver(double(seconds) / kSlices) / kSlices;
            paints += double(chartPaints.Total()) / seconds;
            view.close();
            RunEventLoopFor(kViewSettleMs);
        }
        const bool countsPaints = std::strcmp(view.name, "chart_and_cells") == 0;
        std::printf(
            "view name=%s seconds=%d closed_percent=%.2f open_percent=%.2f "
            "chart_paints_per_second=%.1f\n",
            view.name, seconds, closed, open, countsPaints ? paints : 0.0);
        std::fflush(stdout);
    }
    return 0;
}
