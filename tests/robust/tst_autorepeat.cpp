// AUTO chosen twenty times in a row, so that many discovery workers overlap:
// during the start-up search, while the link is up, and spread over the find,
// the take-over and the link coming up. After the last AUTO the link comes up
// exactly once, on the controller's port, without a box, and every worker
// ends and goes.
#include <QAction>
#include <QTest>
#include <memory>

#include "link/PortCommands.h"
#include "serial/PortProbeThread.h"
#include "serial/PortSearch.h"
#include "serial/SerialChannel.h"
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
    PortTable ports_;
    std::unique_ptr<CCalibDlg> dlg_;
    bool wasUp_ = false;
    int upsSinceLastAuto_ = 0;

    void CountUpTransitions() {
        if (dlg_->State().linkUp && !wasUp_) ++upsSinceLastAuto_;
        wasUp_ = dlg_->State().linkUp;
    }

    void ChooseAuto() {
        dlg_->Command(CommandId::kPortAuto)->trigger();
        wasUp_ = dlg_->State().linkUp;
        upsSinceLastAuto_ = 0;
    }

private slots:
    void init() {}
    void cleanup() { dlg_.reset(); }

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
        ports_.Set(kSilentPort, silent.SlavePath());
        ports_.Set(kControllerPort, sim.PortPath().toStdString());
        ModalCloser closer(3 * kLinkTimeoutMs);
        dlg_ = std::make_unique<CCalibDlg>(ports_.Resolver());
        connect(dlg_->Timer(TimerId::kSupervision), &QTimer::timeout, this,
                [this] { CountUpTransitions(); });
        dlg_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg_.get()));
        if (afterLinkUp) QTRY_VERIFY_WITH_TIMEOUT(dlg_->State().linkUp, kLinkTimeoutMs);

        int mostWorkers = 0;
        int mostWorkerThreads = 0;
        for (int i = 0; i < kAutoCount; ++i) {
            ChooseAuto();
            mostWorkers = std::max(mostWorkers, dlg_->Search().RunningCount());
            mostWorkerThreads =
                std::max(mostWorkerThreads, ProcessFigures::ThreadsNamed(kWorkerThread));
            QTest::qWait(spacingMs);
        }
        QVERIFY2(mostWorkers > 1, "the workers did not overlap");
        QVERIFY(mostWorkerThreads > 1);
        QTRY_VERIFY_WITH_TIMEOUT(dlg_->State().linkUp, kLinkTimeoutMs);
        QVERIFY(WaitForSearchToEnd(*dlg_));
        QTest::qWait(kSteadyMs);

        QCOMPARE(upsSinceLastAuto_, 1);
        QVERIFY(dlg_->State().linkUp);
        QCOMPARE(int(dlg_->Channel()->PortNumber()), kControllerPort);
        QCOMPARE(dlg_->Channel()->DevicePath(), sim.PortPath());
        QCOMPARE(dlg_->Menu()->PortRadioMark(),
                 MenuBar::PortPosition({WindowOps::PortChoice::Kind::Auto}));
        QVERIFY(dlg_->StatusBar()->PaneText(kStatusPane).startsWith(QStringLiteral("COM OK.")));
        for (const auto& box : closer.seen) QFAIL(qPrintable(box.text));
        QTRY_COMPARE_WITH_TIMEOUT(ProcessFigures::ThreadsNamed(kWorkerThread), 0, 2000);
    }
};

QTEST_MAIN(TestAutoRepeat)
#include "tst_autorepeat.moc"
