// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The window finding its controller: the start-up search and its take-over,
// the port commands of the menu, and a device that goes away, on real
// pseudo-terminals with the virtual controller.
#include <QAction>
#include <QSet>
#include <QTest>
#include <memory>

#include "link/PortCommands.h"
#include "ports/PortSearch.h"
#include "ports/SerialChannel.h"
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
constexpr int kLinkTimeoutMs = 15000;
constexpr qint64 kTakeOverLimitMs = 100;
// A timer tick may come a little late on a loaded machine.
constexpr qint64 kTimerSlackMs = 30;
// Long enough for the link to come up and the status to animate twice.
constexpr qint64 kBoxWatchMs = 5000;
}  // namespace

class TestPortDiscovery : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> window_;

    void Open(ProbeTimings timings = kFastSearch) { QVERIFY(window_->Open(timings)); }
    QString Status() const { return ShownPaneText(*window_->dlg, kStatusPane); }
    void Choose(int commandId) { window_->dlg->Command(commandId)->trigger(); }

private slots:
    void init() { window_ = std::make_unique<WindowFixture>(); }
    void cleanup() { window_.reset(); }

    void findIsOpenedWithin100Ms() {
        auto sim = StartedSim();
        QVERIFY(sim);
        window_->ports.Set(3, sim->PortPath().toStdString());
        Open();
        QElapsedTimer clock;
        clock.start();
        qint64 foundAt = -1;
        while (!window_->dlg->Session().Channel().IsOpen() && clock.elapsed() < kLinkTimeoutMs) {
            if (foundAt < 0 && window_->dlg->Session().Record().probeFound)
                foundAt = clock.elapsed();
            QTest::qWait(1);
        }
        const qint64 openedAt = clock.elapsed();
        QVERIFY2(foundAt >= 0, "the find was never seen");
        QVERIFY2(openedAt - foundAt <= kTakeOverLimitMs + kTimerSlackMs,
                 qPrintable(QStringLiteral("take-over after %1 ms").arg(openedAt - foundAt)));
        QCOMPARE(int(window_->dlg->Session().Channel().PortNumber()), 3);
        QCOMPARE(Status(), QStringLiteral("COM Searching..."));
        QTRY_VERIFY_WITH_TIMEOUT(window_->dlg->Session().Record().linkUp, kLinkTimeoutMs);
        QVERIFY(Status().startsWith(QStringLiteral("COM OK.")));
    }

    // The first search waits for the window's first paint; a window never
    // drawn searches all the same, a moment later.
    void aWindowNeverShownStillFindsItsController() {
        auto sim = StartedSim();
        QVERIFY(sim);
        window_->ports.Set(3, sim->PortPath().toStdString());
        QVERIFY(window_->OpenHidden());
        QCOMPARE(Status(), QStringLiteral("COM Searching..."));
        QTRY_VERIFY_WITH_TIMEOUT(window_->State().linkUp, kLinkTimeoutMs);
        QVERIFY(!window_->dlg->isVisible());
        QCOMPARE(int(window_->dlg->Session().Channel().PortNumber()), 3);
    }

    void noPortAnsweringKeepsSearching() {
        PtyPair silent;
        window_->ports.Set(1, silent.SlavePath());
        Open();
        QVERIFY(WaitForSearchToEnd(*window_->dlg));
        QTest::qWait(250);
        QCOMPARE(Status(), QStringLiteral("COM Searching..."));
        QVERIFY(!window_->dlg->Session().Channel().IsOpen());
    }

    void offlineDuringProbeDropsTheFind() {
        auto sim = StartedSim();
        QVERIFY(sim);
        window_->ports.Set(1, sim->PortPath().toStdString());
        Open(ProbeTimings{});  // a whole listening window to choose OFFLINE in
        QTRY_VERIFY(window_->dlg->Session().Search().IsListeningOn(sim->PortPath()));
        Choose(CommandId::kPortOffline);
        QVERIFY(WaitForSearchToEnd(*window_->dlg));
        QTest::qWait(250);
        QVERIFY2(!window_->dlg->Session().Channel().IsOpen(), "OFFLINE must stay offline");
        QCOMPARE(Status(), QStringLiteral("COM Stop"));
        QCOMPARE(window_->dlg->Menu()->PortRadioMark(),
                 MenuBar::PortPosition({WindowOps::PortChoice::Kind::Offline}));
    }

    // COM2 chosen by hand while the search goes on; the search then finds the
    // controller on COM4, which cannot be opened beside COM2.
    void findWhileHandChosenPortIsOpenIsReportedOnce() {
        PtyPair com2, com3;
        auto sim = StartedSim();
        QVERIFY(sim);
        window_->ports.Set(2, com2.SlavePath());
        window_->ports.Set(3, com3.SlavePath());
        window_->ports.Set(4, sim->PortPath().toStdString());
        ModalCloser closer(15000);
        Open(ProbeTimings{});  // a whole listening window to choose COM2 in
        QTRY_VERIFY(window_->dlg->Session().Search().IsListeningOn(
            QString::fromStdString(com3.SlavePath())));
        Choose(CommandId::SelectPort(2));
        QVERIFY(window_->dlg->Session().Channel().IsOpen());
        QVERIFY(WaitForSearchToEnd(*window_->dlg));
        QTRY_COMPARE_WITH_TIMEOUT(closer.seen.size(), 1, 2000);
        QTest::qWait(500);
        QCOMPARE(closer.seen.size(), 1);
        QCOMPARE(closer.seen[0].text, QStringLiteral("COM4端口打开失败!"));
        QCOMPARE(closer.seen[0].title, QStringLiteral("端口错误"));
        QCOMPARE(closer.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(window_->dlg->Session().Channel().DevicePath(),
                 QString::fromStdString(com2.SlavePath()));
    }

    // AUTO while linked on COM1 finds another controller on COM2, which cannot
    // be opened beside COM1: the box that says so comes from a supervision
    // tick, and supervision goes on behind it: the link comes back up and the
    // status animates while the box is open.
    void ticksGoOnBehindThePortErrorBox() {
        auto linked = StartedSim();
        auto other = StartedSim();
        QVERIFY(linked && other);
        window_->ports.Set(1, linked->PortPath().toStdString());
        window_->ports.Set(2, other->PortPath().toStdString());
        Open();
        QTRY_VERIFY_WITH_TIMEOUT(window_->dlg->Session().Record().linkUp, kLinkTimeoutMs);
        QSet<QString> statusBehindBox;
        bool upBehindBox = false;
        ModalCloser closer(kLinkTimeoutMs);
        QElapsedTimer open;
        closer.onBox = [&](QWidget*) {
            if (!open.isValid()) open.start();
            upBehindBox = upBehindBox || window_->dlg->Session().Record().linkUp;
            if (window_->dlg->Session().Record().linkUp) statusBehindBox.insert(Status());
            return statusBehindBox.size() >= 2 || open.elapsed() > kBoxWatchMs;
        };
        Choose(CommandId::kPortAuto);
        QVERIFY(!window_->dlg->Session().Record().linkUp);
        QTRY_COMPARE_WITH_TIMEOUT(closer.seen.size(), 1, kLinkTimeoutMs);
        QCOMPARE(closer.seen[0].text, QStringLiteral("COM2端口打开失败!"));
        QVERIFY(upBehindBox);
        QVERIFY2(statusBehindBox.size() >= 2, "the status did not animate behind the box");
    }

    void everyPortCommandRow_data() {
        QTest::addColumn<int>("commandId");
        QTest::addColumn<int>("markPosition");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("status");
        QTest::newRow("AUTO") << 32788 << 0 << 0 << "COM Searching...";
        QTest::newRow("OFFLINE") << 32789 << 1 << 0 << "COM Stop";
        const int ids[] = {32777, 32778, 32785, 32779, 32780, 32781, 32782, 32783,
                           32784, 32790, 32791, 32792, 32793, 32794, 32795, 32796};
        // No port opens here: each says so, and COM8 alone in a box too.
        for (int n = 1; n <= 16; ++n) {
            QTest::newRow(qPrintable(QStringLiteral("COM%1").arg(n)))
                << ids[n - 1] << n + 2 << n << "COM Open Failed!";
        }
    }
    void everyPortCommandRow() {
        QFETCH(int, commandId);
        QFETCH(int, markPosition);
        QFETCH(int, port);
        QFETCH(QString, status);
        Open();  // no device anywhere: every open finds nothing
        ModalCloser closer(3000);
        Choose(commandId);
        QCOMPARE(window_->dlg->Menu()->PortRadioMark(), markPosition);
        QCOMPARE(Status(), status);
        if (port > 0) QCOMPARE(int(window_->dlg->Session().Channel().PortNumber()), port);
        QTest::qWait(300);  // one supervision tick
        const QString expectedBox = port == 8 ? QStringLiteral("COM8端口打开失败!") : QString();
        QCOMPARE(closer.seen.size(), port == 8 ? 1 : 0);
        if (port == 8) QCOMPARE(closer.seen[0].text, expectedBox);
    }

    void autoTenTimesWithOverlappingWorkers() {
        auto sim = StartedSim();
        QVERIFY(sim);
        window_->ports.Set(3, sim->PortPath().toStdString());
        ModalCloser closer(kLinkTimeoutMs);
        Open();
        for (int i = 0; i < 10; ++i) {
            Choose(CommandId::kPortAuto);
            QTest::qWait(15);
        }
        QTRY_VERIFY_WITH_TIMEOUT(window_->dlg->Session().Record().linkUp, kLinkTimeoutMs);
        QVERIFY(WaitForSearchToEnd(*window_->dlg));
        QTest::qWait(300);
        QVERIFY(window_->dlg->Session().Record().linkUp);
        QCOMPARE(int(window_->dlg->Session().Channel().PortNumber()), 3);
        QCOMPARE(window_->dlg->Menu()->PortRadioMark(),
                 MenuBar::PortPosition({WindowOps::PortChoice::Kind::Auto}));
        QVERIFY(Status().startsWith(QStringLiteral("COM OK.")));
        for (const auto& box : closer.seen) QFAIL(qPrintable(box.text));
    }

    // A USB adapter pulled out while open: the channel closes itself, nothing
    // is shown but the link loss, and AUTO finds the controller once back.
    void vanishedDeviceIsLostAndFoundAgain() {
        auto sim = StartedSim();
        QVERIFY(sim);
        window_->ports.Set(3, sim->PortPath().toStdString());
        ModalCloser closer(20000);
        Open();
        QTRY_VERIFY_WITH_TIMEOUT(window_->dlg->Session().Record().linkUp, kLinkTimeoutMs);
        sim->Command(QStringLiteral("hangup"));
        QTRY_VERIFY_WITH_TIMEOUT(!window_->dlg->Session().Channel().IsOpen(), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("COM Waiting..."), 4000);
        QVERIFY(!window_->dlg->Session().Record().linkUp);
        QVERIFY(closer.seen.isEmpty());

        auto back = StartedSim();
        QVERIFY(back);
        window_->ports.Set(3, back->PortPath().toStdString());
        Choose(CommandId::kPortAuto);
        QTRY_VERIFY_WITH_TIMEOUT(window_->dlg->Session().Record().linkUp, kLinkTimeoutMs);
        QVERIFY(window_->dlg->Session().Channel().IsOpen());
        QVERIFY(closer.seen.isEmpty());
    }
};

QTEST_MAIN(TestPortDiscovery)
#include "tst_portdiscovery.moc"
