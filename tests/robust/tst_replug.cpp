// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The remembered adapter pulled out and plugged in again, twenty times, each
// time under another device name and beside two adapters of the same make
// (one with another serial number, one with none). While it is away the
// window waits in "COM Waiting..." with the processor idle; once it is back
// the link comes up again by itself within 1.5 s, as after a loss on the
// same port: the panel is not reloaded, and the one change it holds unstored,
// which the controller forgot as it was switched off meanwhile, is sent back
// to it, nothing else. No box, and no descriptor or memory left behind.
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "ports/RememberedAdapter.h"
#include "ports/SerialChannel.h"
#include "tests/robust/ProcessFigures.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PtyPair.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"

namespace {
constexpr int kReplugs = 20;
constexpr qint64 kRelinkLimitMs = 1500;
// Twelve silent ticks of 200 ms, with room for a loaded machine.
constexpr int kLossTimeoutMs = 5000;
constexpr int kSendTimeoutMs = 3000;
// After the value went back: long enough for anything else to follow it.
constexpr int kQuietAfterSendMs = 600;
constexpr int kIdleWindowMs = 1000;
// Of one core, the whole process while the window looks for the adapter.
constexpr double kIdleCpuShare = 0.005;
// Boxes are looked for less often than usual, so the looking is measured
// rather than the test's own polling.
constexpr int kBoxPollMs = 250;
// Resident memory wanders by some tens of KiB (the test keeps the
// simulator's log); a port or a worker left behind on every cycle would pass
// this within twenty.
constexpr long kMemorySlackKiB = 256;

const std::string kSerial = "A50285BI";
constexpr int kChangedParameter = 3;
// The panel's unstored value of that parameter; the controller stored 100.
constexpr int kUnstoredValue = 101;
const QString kSentBack = QStringLiteral("rx set 3 101");
}  // namespace

class TestReplug : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimProcess> sim_;
    WindowFixture window_;
    double idleCpuMs_ = 0;
    double worstIdleShare_ = 0;
    qint64 slowestRelinkMs_ = 0;

    CCalibDlg& Dlg() { return *window_.dlg; }

    // Away until the loss has been declared; the window looks, idle.
    void PullOut() {
        sim_->Command(QStringLiteral("unplug"));
        window_.adapters->Unplug(MadeUpFtdi("", kSerial));
        QTRY_COMPARE_WITH_TIMEOUT(ShownPaneText(Dlg(), kStatusPane),
                                  QStringLiteral("COM Waiting..."), kLossTimeoutMs);
        QVERIFY(Dlg().Session().Adapter().IsLooking());
        // A plain event loop: QTest::qWait would wake the process every 10 ms.
        QEventLoop idle;
        QTimer::singleShot(kIdleWindowMs, &idle, &QEventLoop::quit);
        const double before = ProcessFigures::CpuMs();
        idle.exec();
        const double used = ProcessFigures::CpuMs() - before;
        idleCpuMs_ += used;
        worstIdleShare_ = std::max(worstIdleShare_, used / kIdleWindowMs);
        QCOMPARE(ShownPaneText(Dlg(), kStatusPane), QStringLiteral("COM Waiting..."));
    }

    void PlugBackIn(int cycle) {
        sim_->Command(QStringLiteral("restart"));
        const QString away = sim_->PortPath();
        const qsizetype received = sim_->LinesStartingWith(QStringLiteral("rx ")).size();
        sim_->Command(QStringLiteral("plug"));
        const QString device = sim_->WaitForNewPort();
        QVERIFY(!device.isEmpty() && device != away);
        QElapsedTimer sinceReturn;
        sinceReturn.start();
        window_.adapters->Plug(MadeUpFtdi(device.toStdString(), kSerial));
        QTRY_VERIFY_WITH_TIMEOUT(Dlg().Session().Record().linkUp, kRelinkLimitMs + 1000);
        slowestRelinkMs_ = std::max(slowestRelinkMs_, sinceReturn.elapsed());
        QVERIFY2(sinceReturn.elapsed() <= kRelinkLimitMs,
                 qPrintable(QStringLiteral("linked %1 ms after return %2")
                                .arg(sinceReturn.elapsed())
                                .arg(cycle)));
        QCOMPARE(Dlg().Session().Channel().DevicePath(), device);

        QTRY_VERIFY_WITH_TIMEOUT(sim_->LinesStartingWith(QStringLiteral("rx ")).size() > received,
                                 kSendTimeoutMs);
        QTest::qWait(kQuietAfterSendMs);
        const QStringList sent = sim_->LinesStartingWith(QStringLiteral("rx ")).mid(received);
        for (const QString& line : sent) QCOMPARE(line, kSentBack);
        QCOMPARE(Dlg().Spin(kChangedParameter)->QueryPosition(), kUnstoredValue);
    }

private slots:
    void replugTwentyTimes() {
        sim_ = StartedSim();
        QVERIFY(sim_);
        PtyPair twin;
        PtyPair withoutSerial;
        window_.adapters = std::make_shared<MadeUpAdapters>();
        window_.adapters->Plug(MadeUpFtdi(twin.SlavePath(), "B7734C01", "1-1.3"));
        window_.adapters->Plug(MadeUpFtdi(withoutSerial.SlavePath(), "", "1-1.4"));
        window_.adapters->Plug(MadeUpFtdi(sim_->PortPath().toStdString(), kSerial));
        ModalCloser closer(kReplugs * 10000, kBoxPollMs);
        QVERIFY(window_.Open());
        QVERIFY(window_.WaitForLinkUp());
        QVERIFY(window_.WaitForSearchToEnd());
        QTest::mouseClick(Dlg().Spin(kChangedParameter)->UpArrow(), Qt::LeftButton);
        QTRY_COMPARE(sim_->LinesStartingWith(QStringLiteral("rx ")), QStringList{kSentBack});

        int firstFds = 0;
        int mostFds = 0;
        long firstKiB = 0;
        for (int cycle = 0; cycle < kReplugs; ++cycle) {
            PullOut();
            if (QTest::currentTestFailed()) return;
            PlugBackIn(cycle);
            if (QTest::currentTestFailed()) return;
            // Counted at the same point of every cycle, from the first one on,
            // after whatever is made once has been made.
            const int fds = ProcessFigures::OpenFileDescriptors();
            if (cycle == 0) {
                firstFds = fds;
                firstKiB = ProcessFigures::ResidentKiB();
            }
            mostFds = std::max(mostFds, fds);
        }

        const long lastKiB = ProcessFigures::ResidentKiB();
        const double idleShare = idleCpuMs_ / (kReplugs * kIdleWindowMs);
        qInfo(
            "%d replugs: linked again at most %lld ms after the return; CPU while looking %.2f%% "
            "of a core (worst second %.2f%%); descriptors %d, at most %d; resident %ld KiB after "
            "the first, %ld after the last",
            kReplugs, slowestRelinkMs_, idleShare * 100, worstIdleShare_ * 100, firstFds, mostFds,
            firstKiB, lastKiB);
        QVERIFY(idleShare < kIdleCpuShare);
        QCOMPARE(mostFds, firstFds);
        QCOMPARE(ProcessFigures::OpenFileDescriptors(), firstFds);
        QVERIFY(lastKiB - firstKiB < kMemorySlackKiB);
        for (const auto& box : closer.seen) QFAIL(qPrintable(box.text));
    }

    void cleanup() {
        window_.Close();
        sim_.reset();
    }
};

QTEST_MAIN(TestReplug)
#include "tst_replug.moc"
