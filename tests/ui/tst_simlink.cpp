// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The real window against the virtual controller: the start-up search finds
// it, the link comes up, the readouts show what the controller sends, and a
// spin step is applied by the controller and echoed back.
#include <QAction>
#include <QHash>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "link/ControllerLink.h"
#include "link/LiveValues.h"
#include "link/Telemetry.h"
#include "ports/SerialChannel.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PaintCounter.h"
#include "tests/support/PortTable.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"

namespace {
constexpr int kPort = 3;
constexpr int kLinkTimeoutMs = 15000;
// Parameters 10, 20, ..., 160.
const QString kParams = QStringLiteral("10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160");

// What a control shows, changes waiting for the next refresh included.
QString Text(CCalibDlg& dlg, int controlId) {
    dlg.FlushDisplay();
    return dlg.Control(controlId)->property("text").toString();
}
constexpr int kPaintWatchMs = 2000;
constexpr int kRefreshMs = 16;
constexpr double kMostPaintsPerSecond = 60;
// The petrol time changes with every frame, so the readout keeps being painted.
constexpr double kFewestPaintsPerSecond = 20;

}  // namespace

class TestSimLink : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        window_.Close();
        sim_.reset();
    }

    // Petrol held at 2620 (10,480 ms, cell 10, step 60), lambda at 23040.
    void heldValuesShowExactlyAndASpinStepIsEchoed() {
        StartSim({QStringLiteral("--petrol"), QStringLiteral("2620"), QStringLiteral("--lambda"),
                  QStringLiteral("23040")});
        CCalibDlg& dlg = *window_.dlg;
        for (int k = 0; k < kParamCount; ++k) QCOMPARE(dlg.Session().Panel()[k], 10 * (k + 1));
        QTRY_COMPARE(Text(dlg, ControlId::kPetrolReadout), QStringLiteral("10,480"));
        // 10240 + 14 x 110 + ((14 x 10 + 1024) x 60) / 256 = 12052
        QCOMPARE(Text(dlg, ControlId::kGasReadout), QStringLiteral("12,052"));
        QCOMPARE(Text(dlg, ControlId::kLambdaReadout), QStringLiteral("1,75"));
        QVERIFY(!dlg.Control(ControlId::CellMarker(10))->isHidden());

        QTest::mouseClick(dlg.Spin(10)->UpArrow(), Qt::LeftButton);
        QCOMPARE(dlg.ParamEdit(10)->text(), QStringLiteral("111"));
        QTRY_VERIFY_WITH_TIMEOUT(sim_->LinesStartingWith(QStringLiteral("rx set"))
                                     .contains(QStringLiteral("rx set 10 111")),
                                 5000);
        // The echo: the controller now reports 111, and the gas time follows.
        QTRY_COMPARE(Text(dlg, ControlId::kGasReadout), QStringLiteral("12,063"));
        QCOMPARE(int(window_.dlg->Session().Record().deviceParams[10]), 111);
        QCOMPARE(dlg.Session().Panel()[10], 111);
        // Nothing else was sent (an old echo in flight may repeat the frame).
        for (const QString& line : sim_->LinesStartingWith(QStringLiteral("rx set"))) {
            QCOMPARE(line, QStringLiteral("rx set 10 111"));
        }

        QTest::mouseClick(dlg.Control(ControlId::kWriteButton), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(sim_->LinesStartingWith(QStringLiteral("rx store")).size(), 1,
                                  5000);
    }

    // Write pressed while two changes wait: the store keeps its place before
    // them, and a second store after them keeps what the window shows.
    void writeStoresWhatTheWindowShows() {
        StartSim({});
        CCalibDlg& dlg = *window_.dlg;
        QTest::mouseClick(dlg.Spin(3)->UpArrow(), Qt::LeftButton);
        QTest::mouseClick(dlg.Spin(7)->UpArrow(), Qt::LeftButton);
        QTest::mouseClick(dlg.Control(ControlId::kWriteButton), Qt::LeftButton);
        const QStringList expected = {"rx store", "rx set 3 41", "rx set 7 81", "rx store"};
        QTRY_COMPARE_WITH_TIMEOUT(sim_->LinesStartingWith(QStringLiteral("rx ")), expected, 5000);
        sim_->Command(QStringLiteral("dump"));
        QTRY_COMPARE(sim_->LinesStartingWith(QStringLiteral("stored ")),
                     QStringList{"stored 10 20 30 41 50 60 70 81 90 100 110 120 130 140 150 160"});
    }

    // A store asked for just before AUTO never reaches the controller the
    // search links to, even when it is the same one.
    void autoDropsAPendingStore() {
        StartSim({});
        CCalibDlg& dlg = *window_.dlg;
        QTest::mouseClick(dlg.Control(ControlId::kWriteButton), Qt::LeftButton);
        dlg.Command(CommandId::kPortAuto)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(window_.dlg->Session().Record().linkUp, kLinkTimeoutMs);
        QTest::qWait(1000);
        QCOMPARE(sim_->LinesStartingWith(QStringLiteral("rx ")), QStringList());
    }

    // At line rate the controller sends 160 frames a second; the readouts and
    // the bars are painted no more often than the screen refreshes, and still
    // follow the frames.
    void paintedAtMostOncePerRefresh() {
        StartSim({QStringLiteral("--gap"), QStringLiteral("0")});
        CCalibDlg& dlg = *window_.dlg;
        PaintCounter paints;
        for (const int id : {ControlId::kPetrolReadout, ControlId::kPetrolBar, ControlId::kGasBar,
                             ControlId::kLambdaBar}) {
            dlg.Control(id)->installEventFilter(&paints);
        }
        QTest::qWait(kPaintWatchMs);
        const double perSecond = paints.Most() * 1000.0 / kPaintWatchMs;
        QVERIFY2(perSecond <= kMostPaintsPerSecond, qPrintable(QString::number(perSecond)));
        QVERIFY2(perSecond >= kFewestPaintsPerSecond, qPrintable(QString::number(perSecond)));
    }

    // Once the frames are known from their content, a controller sending
    // byte by byte at line rate (960 bytes a second) reaches the window once
    // per screen refresh, and every frame still arrives.
    void readsOncePerRefreshOnceLocked() {
        StartSim({QStringLiteral("--gap"), QStringLiteral("0"), QStringLiteral("--bytewise")});
        QTRY_VERIFY_WITH_TIMEOUT(window_.dlg->Session().Link().Reader().LockedOnContent(),
                                 kLinkTimeoutMs);
        QTest::qWait(kRefreshMs);
        int reads = 0;
        long frames = 0;
        connect(&window_.session->Channel(), &SerialChannel::bytesReceived, [&] { ++reads; });
        connect(window_.session.get(), &CalibrationSession::readoutsShown, [&] { ++frames; });
        const long sentBefore = sim_->SentCount();
        QTest::qWait(kPaintWatchMs);
        const long sent = sim_->SentCount() - sentBefore;
        const double readsPerSecond = reads * 1000.0 / kPaintWatchMs;
        QVERIFY2(readsPerSecond <= 1000.0 / kRefreshMs + 2, qPrintable(QString::number(reads)));
        // The count's own answer takes a moment on either side.
        QVERIFY2(frames >= sent - sent / 10,
                 qPrintable(QStringLiteral("%1 of %2").arg(frames).arg(sent)));
    }

    // With the controller sweeping, every shown value follows from the last
    // frame it sent.
    void sweepingValuesAreConsistentWithTheLastFrame() {
        StartSim({});
        CCalibDlg& dlg = *window_.dlg;
        for (int sample = 0; sample < 20; ++sample) {
            QTest::qWait(37);
            QCOMPARE(Text(dlg, ControlId::kPetrolReadout),
                     QString::fromStdString(
                         FormatMilliseconds(window_.dlg->Session().Record().petrolRaw * 4)));
            const std::int32_t gas = ComputeGasTime(window_.dlg->Session().Record().cellIndex,
                                                    window_.dlg->Session().Record().petrolRaw,
                                                    window_.dlg->Session().Record().deviceParams);
            QCOMPARE(Text(dlg, ControlId::kGasReadout),
                     QString::fromStdString(FormatMilliseconds(gas)));
            QCOMPARE(Text(dlg, ControlId::kLambdaReadout),
                     QString::fromStdString(
                         FormatLambdaVolts(window_.dlg->Session().Record().lambdaRaw)));
            for (int k = 0; k < kParamCount; ++k) {
                QCOMPARE(dlg.Control(ControlId::CellMarker(k))->isHidden(),
                         k != window_.dlg->Session().Record().cellIndex);
            }
        }
        QVERIFY(ShownPaneText(dlg, 1).startsWith(QStringLiteral("COM OK.")));
    }

private:
    void StartSim(QStringList arguments) {
        arguments << QStringLiteral("--params") << kParams;
        sim_ = std::make_unique<SimProcess>(arguments);
        QVERIFY(sim_->Start());
        QVERIFY(window_.OpenLinkedTo(sim_->PortPath().toStdString(), kPort));
        QCOMPARE(int(window_.dlg->Session().Channel().PortNumber()), kPort);
        QVERIFY(ShownPaneText(*window_.dlg, 1).startsWith(QStringLiteral("COM OK.")));
    }

    std::unique_ptr<SimProcess> sim_;
    WindowFixture window_;
};

QTEST_MAIN(TestSimLink)
#include "tst_simlink.moc"
