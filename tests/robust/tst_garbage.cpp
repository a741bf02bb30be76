// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The window against a controller that sends nothing but random bytes, for a
// minute (DX470_ROBUST_SECONDS shortens it): half of it at full line rate,
// where no cut into frames ever convinces and so nothing may be taken, and
// half in six-byte groups with pauses, which mark each group as a frame. Every byte
// passes through a relay that keeps a copy, and a witness checks after each
// event of the window that the controller's parameters changed only through a
// frame with an index byte 0..15 that was really on the line, or through the
// send scheduler. The witness runs after the window's own handlers, from
// connections made right after the window's: the window cannot receive
// anything before its first send tick opens the port.
#include <QAction>
#include <QTest>

#include "ports/SerialChannel.h"
#include "tests/robust/ByteRelay.h"
#include "tests/robust/FrameWitness.h"
#include "tests/robust/LatencyProbe.h"
#include "tests/robust/ProcessFigures.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/StatusPanes.h"

namespace {
constexpr int kPort = 3;
constexpr int kDefaultSeconds = 60;
constexpr int kOpenTimeoutMs = 10000;
// Lateness of a 10 ms timer: what a window that keeps up stays within, with
// room for a loaded machine.
constexpr qint64 kTypicalLatenessLimitMs = 100;
constexpr qint64 kWorstLatenessLimitMs = 1000;
}  // namespace

class TestGarbage : public QObject {
    Q_OBJECT

private slots:
    void init() {}

    void randomBytesChangeOnlyWhatValidFramesCarry_data() {
        QTest::addColumn<QString>("gap");
        QTest::addColumn<bool>("framesExpected");
        QTest::newRow("line rate") << QStringLiteral("0") << false;
        QTest::newRow("paused groups") << QStringLiteral("5") << true;
    }

    void randomBytesChangeOnlyWhatValidFramesCarry() {
        QFETCH(QString, gap);
        QFETCH(bool, framesExpected);
        const int seconds =
            ProcessFigures::SecondsFromEnvironment("DX470_ROBUST_SECONDS", kDefaultSeconds) / 2;
        SimProcess sim({QStringLiteral("--garbage"), QStringLiteral("--gap"), gap});
        QVERIFY(sim.Start());
        ByteRelay relay(sim.PortPath().toStdString());
        QVERIFY(relay.IsRunning());
        ModalCloser closer(seconds * 1000 + kOpenTimeoutMs);

        WindowFixture window;
        window.ports.Set(kPort, relay.WindowPath());
        QVERIFY(window.Open(ProbeTimings{}));
        CCalibDlg& dlg = *window.dlg;
        FrameWitness witness(relay, dlg.Session().Record());
        connect(&dlg.Session().Channel(), &SerialChannel::bytesReceived, this,
                [&] { witness.AfterReceive(); });
        connect(dlg.Session().Timer(TimerId::kSend), &QTimer::timeout, this,
                [&] { witness.AfterSendTick(dlg.Session().Panel()); });
        connect(dlg.Session().Timer(TimerId::kSupervision), &QTimer::timeout, this,
                [&] { witness.AfterSupervisionTick(); });
        // Any byte is enough for the search to take the port.
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Session().Channel().IsOpen(), kOpenTimeoutMs);

        LatencyProbe latency;
        latency.Start();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < seconds * 1000 && witness.Violations().isEmpty()) {
            QTest::qWait(100);
        }
        latency.Stop();

        qInfo(
            "%d s: %zu bytes on the line, %d frames stored, %d receive events changed nothing, "
            "%d parameters sent, link up %d times; timer lateness 99%% <= %lld ms, worst %lld ms",
            seconds, relay.ForwardedCount(), witness.AcceptedFrames(), witness.UnchangedEvents(),
            witness.SentParameters(), witness.LinkUps(), latency.PercentileMs(0.99),
            latency.WorstMs());
        for (const QString& violation : witness.Violations()) qWarning("%s", qPrintable(violation));
        QVERIFY(witness.Violations().isEmpty());
        if (framesExpected) {
            QVERIFY2(witness.AcceptedFrames() > 0, "no frame with a valid index was ever stored");
            QVERIFY2(witness.UnchangedEvents() > witness.AcceptedFrames(),
                     "frames with an index above 15 should be the most");
        }
        QVERIFY(dlg.Session().Channel().IsOpen());
        QVERIFY(latency.PercentileMs(0.99) <= kTypicalLatenessLimitMs);
        QVERIFY(latency.WorstMs() <= kWorstLatenessLimitMs);
        for (const auto& box : closer.seen) QFAIL(qPrintable(box.text));

        // Still answering the user at once.
        dlg.Command(CommandId::kPortOffline)->trigger();
        QCOMPARE(ShownPaneText(dlg, kStatusPane), QStringLiteral("COM Stop"));
        QVERIFY(!dlg.Session().Channel().IsOpen());
    }
};

QTEST_MAIN(TestGarbage)
#include "tst_garbage.moc"
