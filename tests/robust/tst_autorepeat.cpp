// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// AUTO chosen twenty times in a row, so that many discovery workers overlap:
// during the start-up search, while the link is up, and spread over the find,
// the take-over and the link coming up. After the last AUTO the link comes up
// exactly once, on the controller's port, without a box, and every worker
// ends and goes.
#include <QAction>
#include <QTest>
#include <memory>

#include "link/PortCommands.h"
#include "ports/PortProbeThread.h"
#include "ports/PortSearch.h"
#include "ports/SerialChannel.h"
#include "tests/robust/ProcessFigures.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/PtyPair.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/MenuBar.h"
#include "ui/StatusPanes.h"

namespace {
const QByteArray kWorkerThread = PortProbeThread::staticMetaObject.className();
constexpr int kSilentPort = 1;
constexpr int kControllerPort = 3;
constexpr int kAutoCount = 20;
constexpr int kLinkTimeoutMs = 15000;
// Long enough for a second up-transition to show if there were one.
constexpr int kSteadyMs = 1000;
}  // namespace

class TestAutoRepeat : public QObject {
    Q_OBJECT

private:
    WindowFixture window_;
    bool wasUp_ = false;
    int upsSinceLastAuto_ = 0;

    void CountUpTransitions() {
        if (window_.dlg->Session().Record().linkUp && !wasUp_) ++upsSinceLastAuto_;
        wasUp_ = window_.dlg->Session().Record().linkUp;
    }

    void ChooseAuto() {
        window_.dlg->Command(CommandId::kPortAuto)->trigger();
        wasUp_ = window_.dlg->Session().Record().linkUp;
        upsSinceLastAuto_ = 0;
    }

private slots:
    void init() {}
    void cleanup() { window_.Close(); }

    void autoTwentyTimes_data() {
        QTest::addColumn<bool>("afterLinkUp");
        QTest::addColumn<int>("spacingMs");
        QTest::newRow("during the start-up search") << false << 15;
        QTest::newRow("while linked") << true << 15;
        QTest::newRow("spread over find and link-up") << false << 100;
    }
    void autoTwentyTimes() {
        QFETCH(bool, afterLinkUp);
        QFETCH(int, spacingMs);
        PtyPair silent;
        SimProcess sim;
        QVERIFY(sim.Start());
        window_.ports.Set(kSilentPort, silent.SlavePath());
        window_.ports.Set(kControllerPort, sim.PortPath().toStdString());
        ModalCloser closer(3 * kLinkTimeoutMs);
        QVERIFY(window_.Open(ProbeTimings{}));
        connect(window_.dlg->Session().Timer(TimerId::kSupervision), &QTimer::timeout, this,
                [this] { CountUpTransitions(); });
        if (afterLinkUp)
            QTRY_VERIFY_WITH_TIMEOUT(window_.dlg->Session().Record().linkUp, kLinkTimeoutMs);

        int mostWorkers = 0;
        int mostWorkerThreads = 0;
        // A worker's thread takes its name once it runs, a moment after it
        // was launched, and a stopped worker wakes and ends at once: its
        // threads are counted again after each wait, and one seen is enough
        // (the overlap shows in the workers still running).
        const auto countThreads = [&] {
            mostWorkerThreads =
                std::max(mostWorkerThreads, ProcessFigures::ThreadsNamed(kWorkerThread));
        };
        for (int i = 0; i < kAutoCount; ++i) {
            ChooseAuto();
            mostWorkers = std::max(mostWorkers, window_.dlg->Session().Search().RunningCount());
            countThreads();
            QTest::qWait(spacingMs);
            countThreads();
        }
        QVERIFY2(mostWorkers > 1, "the workers did not overlap");
        QVERIFY(mostWorkerThreads >= 1);
        QTRY_VERIFY_WITH_TIMEOUT(window_.dlg->Session().Record().linkUp, kLinkTimeoutMs);
        QVERIFY(WaitForSearchToEnd(*window_.dlg));
        QTest::qWait(kSteadyMs);

        QCOMPARE(upsSinceLastAuto_, 1);
        QVERIFY(window_.dlg->Session().Record().linkUp);
        QCOMPARE(int(window_.dlg->Session().Channel().PortNumber()), kControllerPort);
        QCOMPARE(window_.dlg->Session().Channel().DevicePath(), sim.PortPath());
        QCOMPARE(window_.dlg->Menu()->PortRadioMark(),
                 MenuBar::PortPosition({WindowOps::PortChoice::Kind::Auto}));
        QVERIFY(ShownPaneText(*window_.dlg, kStatusPane).startsWith(QStringLiteral("COM OK.")));
        for (const auto& box : closer.seen) QFAIL(qPrintable(box.text));
        QTRY_COMPARE_WITH_TIMEOUT(ProcessFigures::ThreadsNamed(kWorkerThread), 0, 2000);
    }
};

QTEST_MAIN(TestAutoRepeat)
#include "tst_autorepeat.moc"
