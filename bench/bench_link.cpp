// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Link figures of the calibration window, in-process and offscreen, against a
// controller played on a pseudo-terminal at line pace (not a test: prints
// key=value lines that bench/run-bench turns into its table):
//  - frames shown per frames sent at inter-frame gaps of 0, 2, 5, 10 and 20 ms,
//    counted as changes of the petrol readout (every frame carries a new
//    petrol time), with each frame's bytes written at once and again one by
//    one at line pace; a change to a petrol time the controller never sent
//    is a frame read across two frames' bytes, counted apart;
//  - a click on a spin's up arrow to its set-parameter frame at the controller;
//  - sixteen changed parameters set at once, as a file load does, to the last
//    of their frames at the controller.
// The window runs in a real event loop, as under exec(): QTest::qWait would
// sleep between its rounds of events and lose frames of its own.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>
#include <vector>

#include "bench/PacedController.h"
#include "link/LinkState.h"
#include "tests/support/PtyPair.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/SpinButton.h"

namespace {
using Clock = PacedController::Clock;
using std::chrono::milliseconds;

constexpr int kGapsMs[] = {0, 2, 5, 10, 20};
constexpr int kDefaultCountSeconds = 5;
constexpr int kSettleMs = 500;
// The gap for the click and file figures: a controller that is not flooding.
constexpr int kCommandGapMs = 10;
constexpr int kClicks = 10;
// Longer than the 300 ms between two frames, so every click finds the sender free.
constexpr int kQuietWireMs = 400;
// Clicks land at spread phases of the 100 ms send timer, as a user's would.
constexpr int kSendTickMs = 100;
constexpr int kClickTimeoutMs = 3000;
constexpr int kFileTimeoutMs = 15000;
constexpr int kLinkUpTimeoutMs = 20000;
constexpr int kPollMs = 2;
// A petrol readout this many frames behind the controller is still one it sent.
constexpr int kRecentFrames = 64;
constexpr int kUsPerPetrolUnit = 4;
constexpr int kControllerPort = 1;
constexpr int kFirstParam = 100;

// Changes of the petrol readout, and those showing a frame the controller sent.
struct ReadoutCount {
    long shown = 0;
    long intact = 0;
};

bool IsRecentPetrol(QString text, std::uint16_t lastSent) {
    bool ok = false;
    const int us = text.remove(QLatin1Char(',')).toInt(&ok);
    if (!ok || us % kUsPerPetrolUnit != 0) return false;
    const int petrol = us / kUsPerPetrolUnit;
    const int steps = PacedController::kPetrolSteps;
    return petrol < steps && (lastSent - petrol + steps) % steps < kRecentFrames;
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

const char* DeliveryName(PacedController::Delivery delivery) {
    return delivery == PacedController::Delivery::WholeFrames ? "whole" : "bytes";
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void RunEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool RunEventLoopUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(kPollMs);
    loop.exec();
    return done();
}

// Until no command frame has reached the controller for kQuietWireMs.
void WaitForQuietWire(const PacedController& controller) {
    while (true) {
        RunEventLoopFor(kQuietWireMs);
        if (controller.ArrivalsSince(Clock::now() - milliseconds(kQuietWireMs)).empty()) return;
    }
}

std::optional<Clock::time_point> ArrivalOf(const PacedController& controller,
                                           Clock::time_point since,
                                           const PacedController::Frame& frame) {
    for (const auto& arrival : controller.ArrivalsSince(since)) {
        if (arrival.frame == frame) return arrival.at;
    }
    return std::nullopt;
}

void MeasureFramesShown(CCalibDlg& dlg, PacedController& controller, const ReadoutCount& count,
                        PacedController::Delivery delivery, int gapMs, int seconds) {
    controller.SetDelivery(delivery);
    controller.SetGap(milliseconds(gapMs));
    RunEventLoopFor(kSettleMs);
    const long sentBefore = controller.FramesSent();
    const ReadoutCount before = count;
    const double cpuBefore = ThreadCpuMs();
    RunEventLoopFor(seconds * 1000);
    const double cpuMs = ThreadCpuMs() - cpuBefore;
    const bool linkUp = dlg.Session().Record().linkUp;
    const long shown = count.shown - before.shown;
    std::printf(
        "frames delivery=%s gap_ms=%d sent=%ld shown=%ld intact=%ld link_up=%d "
        "window_thread_cpu_percent=%.1f\n",
        DeliveryName(delivery), gapMs, controller.FramesSent() - sentBefore, shown,
        count.intact - before.intact, linkUp ? 1 : 0, cpuMs / (seconds * 10.0));
    std::fflush(stdout);
}

bool MeasureClicks(CCalibDlg& dlg, PacedController& controller) {
    controller.SetGap(milliseconds(kCommandGapMs));
    std::vector<double> latencies;
    const auto start = Clock::now();
    for (int i = 0; i < kClicks; ++i) {
        const int k = (i * 5) % kParamCount;
        const int expected = dlg.Spin(k)->Position() + 1;
        WaitForQuietWire(controller);
        RunEventLoopFor(i * kSendTickMs / kClicks);
        const auto clicked = Clock::now();
        QTest::mouseClick(dlg.Spin(k)->UpArrow(), Qt::LeftButton);
        const auto frame = PacedController::SetFrame(k, expected);
        if (!RunEventLoopUntil([&] { return ArrivalOf(controller, clicked, frame).has_value(); },
                               kClickTimeoutMs)) {
            std::fprintf(stderr, "no frame for the click on spin %d\n", k);
            return false;
        }
        latencies.push_back(Ms(*ArrivalOf(controller, clicked, frame) - clicked));
    }
    WaitForQuietWire(controller);
    std::sort(latencies.begin(), latencies.end());
    std::printf("click n=%d median_ms=%.1f min_ms=%.1f max_ms=%.1f frames=%zu\n", kClicks,
                (latencies[kClicks / 2 - 1] + latencies[kClicks / 2]) / 2, latencies.front(),
                latencies.back(), controller.ArrivalsSince(start).size());
    std::fflush(stdout);
    return true;
}

bool MeasureFileSend(CCalibDlg& dlg, PacedController& controller) {
    controller.SetGap(milliseconds(kCommandGapMs));
    WaitForQuietWire(controller);
    const auto held = controller.CurrentParams();
    std::vector<PacedController::Frame> wanted;
    for (int k = 0; k < kParamCount; ++k) {
        wanted.push_back(PacedController::SetFrame(k, (held[k] + 37 + k) % 256));
    }
    const auto loaded = Clock::now();
    for (int k = 0; k < kParamCount; ++k) dlg.ShowParameter(k, wanted[k][4]);
    const auto allArrived = [&] {
        return std::all_of(wanted.begin(), wanted.end(), [&](const auto& frame) {
            return ArrivalOf(controller, loaded, frame).has_value();
        });
    };
    if (!RunEventLoopUntil(allArrived, kFileTimeoutMs)) {
        std::fprintf(stderr, "not all sixteen frames of the file arrived\n");
        return false;
    }
    std::vector<Clock::time_point> times;
    for (const auto& frame : wanted) times.push_back(*ArrivalOf(controller, loaded, frame));
    const bool inOrder = std::is_sorted(times.begin(), times.end());
    const auto arrivals = controller.ArrivalsSince(loaded);
    double minGap = 1e9;
    double maxGap = 0;
    for (std::size_t i = 1; i < arrivals.size() && arrivals[i].at <= times.back(); ++i) {
        const double gap = Ms(arrivals[i].at - arrivals[i - 1].at);
        minGap = std::min(minGap, gap);
        maxGap = std::max(maxGap, gap);
    }
    const long framesToLast =
        std::count_if(arrivals.begin(), arrivals.end(),
                      [&](const auto& arrival) { return arrival.at <= times.back(); });
    std::printf(
        "file load_to_first_ms=%.1f load_to_last_ms=%.1f frames=%ld in_order=%d "
        "min_interval_ms=%.1f max_interval_ms=%.1f\n",
        Ms(times.front() - loaded), Ms(times.back() - loaded), framesToLast, inOrder ? 1 : 0,
        minGap, maxGap);
    std::fflush(stdout);
    return true;
}

int CountSeconds(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) == "--seconds") return std::max(1, std::atoi(argv[i + 1]));
    }
    return kDefaultCountSeconds;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int seconds = CountSeconds(argc, argv);

    PtyPair pty;
    PacedController::Params params{};
    for (int k = 0; k < kParamCount; ++k) params[k] = static_cast<std::uint8_t>(kFirstParam + k);
    PacedController controller(pty.MasterFd(), params, milliseconds(kCommandGapMs));
    const std::string device = pty.SlavePath();
    // A data folder of its own: what the run leaves unstored is no one's to
    // recover, and no earlier run's record is offered.
    const QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    CalibrationSession session(
        [&](int port) { return port == kControllerPort ? device : std::string(); });
    CCalibDlg dlg(session);
    dlg.show();
    if (!RunEventLoopUntil([&dlg] { return dlg.Session().Record().linkUp; }, kLinkUpTimeoutMs)) {
        std::fprintf(stderr, "the link did not come up\n");
        return EXIT_FAILURE;
    }

    ReadoutCount count;
    // Counted as the window takes each frame in; painting follows at most
    // once per screen refresh.
    QObject::connect(&dlg.Session(), &CalibrationSession::readoutsShown,
                     [&](const WindowOps::Readouts& readouts) {
                         const QString text = QString::fromStdString(readouts.petrolText);
                         ++count.shown;
                         if (IsRecentPetrol(text, controller.LastPetrol())) ++count.intact;
                     });
    for (const auto delivery :
         {PacedController::Delivery::WholeFrames, PacedController::Delivery::BytesAtLinePace}) {
        for (const int gap : kGapsMs)
            MeasureFramesShown(dlg, controller, count, delivery, gap, seconds);
    }
    controller.SetDelivery(PacedController::Delivery::WholeFrames);

    const bool ok = MeasureClicks(dlg, controller) && MeasureFileSend(dlg, controller);
    std::fflush(stdout);
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
