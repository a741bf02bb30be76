// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Time from the window's start to the link being up with the controller on
// COMk, behind k-1 present but silent ports, for k = 1, 5 and 10. Each silent
// port costs at least its 0.32 s of listening and reading.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "tests/support/PtyPair.h"
#include "ui/CCalibDlg.h"

namespace {
constexpr int kRuns = 3;
constexpr double kSilentPortFloorS = 0.32;
constexpr int kTimeoutMs = 20000;

// dx470-sim as the controller; its first line names its port.
class Controller {
public:
    Controller() {
        process_.start(QStringLiteral(DX470_SIM_PATH),
                       {QStringLiteral("--gap"), QStringLiteral("10")});
        process_.waitForReadyRead(5000);
        path_ = QString::fromUtf8(process_.readLine()).trimmed().mid(5).toStdString();
    }
    ~Controller() {
        process_.terminate();
        process_.waitForFinished(2000);
    }
    const std::string& Path() const { return path_; }

private:
    QProcess process_;
    std::string path_;
};

double SecondsToLinkUp(int controllerPort) {
    std::vector<std::unique_ptr<PtyPair>> silent;
    for (int n = 1; n < controllerPort; ++n) silent.push_back(std::make_unique<PtyPair>());
    Controller controller;
    QElapsedTimer clock;
    clock.start();
    CalibrationSession session([&](int port) {
        if (port == controllerPort) return controller.Path();
        return port < controllerPort ? silent[port - 1]->SlavePath() : std::string();
    });
    CCalibDlg dlg(session);
    dlg.show();
    while (!dlg.Session().Record().linkUp && clock.elapsed() < kTimeoutMs) QTest::qWait(1);
    return clock.elapsed() / 1000.0;
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("| controller on | silent ports before | link up after (median of %d) | floor |\n",
                kRuns);
    std::printf("|---|---|---|---|\n");
    for (int port : {1, 5, 10}) {
        std::vector<double> runs;
        for (int i = 0; i < kRuns; ++i) runs.push_back(SecondsToLinkUp(port));
        std::sort(runs.begin(), runs.end());
        std::printf("| COM%d | %d | %.2f s | %.2f s |\n", port, port - 1, runs[kRuns / 2],
                    kSilentPortFloorS * (port - 1));
        std::fflush(stdout);
    }
    return 0;
}
