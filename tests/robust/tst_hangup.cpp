// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The controller's pseudo-terminal hung up in the middle of the stream, fifty
// times over: each time the channel closes itself once, the process neither
// spins (the read-error loop of some Qt versions) nor keeps a descriptor, the
// loss is reported, and the link comes back as soon as a new controller
// appears, found by AUTO or chosen by hand. The full "COM Waiting..." report
// takes 2.4 s, so it is waited for on every tenth hang-up only; the others
// check the closing and the idle process.
#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "link/PortCommands.h"
#include "ports/PortProbeThread.h"
#include "ports/PortSearch.h"
#include "ports/SerialChannel.h"
#include "tests/robust/ProcessFigures.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"

namespace {
const QByteArray kWorkerThread = PortProbeThread::staticMetaObject.className();
constexpr int kPort = 3;
constexpr int kHangUps = 50;
constexpr int kFullReportEvery = 10;
constexpr int kLinkTimeoutMs = 15000;
constexpr int kCloseTimeoutMs = 3000;
// Twelve silent ticks of 200 ms, with room for a loaded machine.
constexpr int kReportTimeoutMs = 5000;
constexpr int kIdleWindowMs = 500;
// Of one core: the window's own timers need far less, a read-error loop all.
constexpr double kIdleCpuShare = 0.05;
}  // namespace

class TestHangUp : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimProcess> sim_;
    WindowFixture window_;
    double worstIdleShare_ = 0;

    QString Status() const { return ShownPaneText(*window_.dlg, kStatusPane); }

    // A new controller on COM3, taken by AUTO on even cycles and by the COM3
    // command on odd ones.
    void LinkNewController(int cycle) {
        sim_ = StartedSim();
        QVERIFY(sim_);
        window_.ports.Set(kPort, sim_->PortPath().toStdString());
        const int command = cycle % 2 == 0 ? CommandId::kPortAuto : CommandId::SelectPort(kPort);
        window_.dlg->Command(command)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(window_.dlg->Session().Record().linkUp, kLinkTimeoutMs);
        QCOMPARE(window_.dlg->Session().Channel().DevicePath(), sim_->PortPath());
    }

    void HangUp(int cycle, const QSignalSpy& lost) {
        sim_->Command(QStringLiteral("hangup"));
        QTRY_VERIFY_WITH_TIMEOUT(!window_.dlg->Session().Channel().IsOpen(), kCloseTimeoutMs);
        const double closedAt = ProcessFigures::CpuMs();
        QTest::qWait(kIdleWindowMs);
        const double share = (ProcessFigures::CpuMs() - closedAt) / kIdleWindowMs;
        worstIdleShare_ = std::max(worstIdleShare_, share);
        QVERIFY2(share < kIdleCpuShare, qPrintable(QStringLiteral("%1% of a core after hang-up %2")
                                                       .arg(share * 100, 0, 'f', 1)
                                                       .arg(cycle)));
        QCOMPARE(lost.count(), cycle + 1);
        if (cycle % kFullReportEvery == 0) ExpectLossReported();
    }

    void ExpectLossReported() {
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("COM Waiting..."), kReportTimeoutMs);
        QVERIFY(!window_.dlg->Session().Record().linkUp);
        QCOMPARE(window_.dlg->Session().Record().receivedMask, std::uint16_t{0});
        QVERIFY(!window_.dlg->Control(ControlId::kWriteButton)->isEnabled());
        QVERIFY(!window_.dlg->Spin(0)->isEnabled());
        QCOMPARE(window_.dlg->Control(ControlId::kPetrolReadout)->property("text").toString(),
                 QString());
        for (int k = 0; k < kParamCount; ++k) {
            QVERIFY(window_.dlg->Control(ControlId::CellMarker(k))->isHidden());
        }
    }

private slots:
    void init() {}

    void hangUpMidStreamFiftyTimes() {
        sim_ = StartedSim();
        QVERIFY(sim_);
        window_.ports.Set(kPort, sim_->PortPath().toStdString());
        ModalCloser closer(kHangUps * kLinkTimeoutMs);
        QVERIFY(window_.Open(ProbeTimings{}));
        QTRY_VERIFY_WITH_TIMEOUT(window_.dlg->Session().Record().linkUp, kLinkTimeoutMs);
        QVERIFY(WaitForSearchToEnd(*window_.dlg));
        QSignalSpy lost(&window_.session->Channel(), &SerialChannel::deviceLost);
        // Counted at the same point of every cycle: linked, no worker running.
        const int linkedFds = ProcessFigures::OpenFileDescriptors();
        int mostFds = linkedFds;

        for (int cycle = 0; cycle < kHangUps; ++cycle) {
            HangUp(cycle, lost);
            if (QTest::currentTestFailed()) return;
            LinkNewController(cycle);
            if (QTest::currentTestFailed()) return;
            QVERIFY(WaitForSearchToEnd(*window_.dlg));
            mostFds = std::max(mostFds, ProcessFigures::OpenFileDescriptors());
        }

        const int finalFds = ProcessFigures::OpenFileDescriptors();
        qInfo(
            "%d hang-ups: descriptors %d before, %d after, at most %d; worst CPU after a "
            "hang-up %.1f%% of a core",
            kHangUps, linkedFds, finalFds, mostFds, worstIdleShare_ * 100);
        QCOMPARE(finalFds, linkedFds);
        QCOMPARE(mostFds, linkedFds);
        QTRY_COMPARE_WITH_TIMEOUT(ProcessFigures::ThreadsNamed(kWorkerThread), 0, 2000);
        QCOMPARE(lost.count(), kHangUps);
        QVERIFY(Status().startsWith(QStringLiteral("COM OK.")));
        for (const auto& box : closer.seen) QFAIL(qPrintable(box.text));
    }

    void cleanup() {
        window_.Close();
        sim_.reset();
    }
};

QTEST_MAIN(TestHangUp)
#include "tst_hangup.moc"
