// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Repaint of the whole calibration window while live values flow in from a
// pseudo-terminal, offscreen. Prints the mean time of a full repaint, the heap
// allocations per repaint, and those of the window's own background painting,
// which must be none once the painter is open.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "ui/CCalibDlg.h"

namespace {
std::atomic<long> allocations{0};

constexpr int kRepaints = 200;
constexpr int kWarmUpRepaints = 20;
constexpr int kPort = 3;
constexpr int kFramePeriodMs = 5;

// A pseudo-terminal whose master side plays a controller streaming frames.
struct Controller {
    int master = -1;
    int slave = -1;
    std::string slavePath;
    int index = 0;
    int petrol = 0;
    int lambda = 0;

    bool Open() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return false;
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        slavePath = name;
        return true;
    }

    void SendFrame() {
        petrol = (petrol + 37) % 4096;
        lambda = (lambda + 997) % 65536;
        const unsigned char frame[6] = {
            static_cast<unsigned char>(index),         static_cast<unsigned char>(petrol >> 8),
            static_cast<unsigned char>(petrol & 0xFF), static_cast<unsigned char>(lambda >> 8),
            static_cast<unsigned char>(lambda & 0xFF), static_cast<unsigned char>(100 + index)};
        index = (index + 1) % kParamCount;
        if (write(master, frame, sizeof frame) != sizeof frame) std::perror("write");
    }
};

// Counts the heap allocations made by the window's own painting (the
// background), apart from its controls'.
class CountingDlg : public CCalibDlg {
public:
    using CCalibDlg::CCalibDlg;
    bool counting = false;
    long ownPaints = 0;
    long ownPaintAllocations = 0;
    long painterAllocations = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        if (!counting) {
            CCalibDlg::paintEvent(event);
            return;
        }
        // What opening a painter costs by itself, to tell it apart.
        long before = allocations.load();
        { QPainter painter(this); }
        painterAllocations += allocations.load() - before;
        before = allocations.load();
        CCalibDlg::paintEvent(event);
        ownPaintAllocations += allocations.load() - before;
        ++ownPaints;
    }
};

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return condition();
}
}  // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Controller controller;
    if (!controller.Open()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return EXIT_FAILURE;
    }
    const std::string device = controller.slavePath;
    // COM3 is the controller; the start-up search finds it there.
    CalibrationSession session(
        [device](int port) { return port == kPort ? device : std::string(); });
    CountingDlg dialog(session);
    dialog.show();
    QTimer feeder;
    QObject::connect(&feeder, &QTimer::timeout, [&controller] { controller.SendFrame(); });
    feeder.start(kFramePeriodMs);
    if (!WaitFor([&session] { return session.IsUp(); }, 20000)) {
        std::fprintf(stderr, "the link did not come up\n");
        return EXIT_FAILURE;
    }

    // Warm-up: the first paint of each kind may set up caches.
    for (int i = 0; i < kWarmUpRepaints; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        dialog.repaint();
    }
    dialog.ownPaints = 0;
    dialog.ownPaintAllocations = 0;
    dialog.painterAllocations = 0;

    double totalMs = 0;
    long wholeAllocations = 0;
    for (int i = 0; i < kRepaints; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QElapsedTimer clock;
        const long before = allocations.load();
        dialog.counting = true;
        clock.start();
        dialog.repaint();
        totalMs += clock.nsecsElapsed() / 1e6;
        dialog.counting = false;
        wholeAllocations += allocations.load() - before;
    }

    const long ownBeyondPainter = dialog.ownPaintAllocations - dialog.painterAllocations;
    std::printf("full repaint: mean %.3f ms over %d repaints\n", totalMs / kRepaints, kRepaints);
    std::printf("heap allocations per full repaint, controls and Qt included: %.1f\n",
                static_cast<double>(wholeAllocations) / kRepaints);
    std::printf(
        "heap allocations of the window's background painting beyond opening its "
        "painter: %ld in %ld paints\n",
        ownBeyondPainter, dialog.ownPaints);
    std::fflush(stdout);
    return EXIT_SUCCESS;
}
