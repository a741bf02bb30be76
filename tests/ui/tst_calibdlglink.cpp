// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The calibration window talking to a device on a real pseudo-terminal: the
// link comes up and loads the panel, changes and Write reach the wire, text
// that is no number sends nothing wrong, silence brings the link down, and
// every way out closes the port.
#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <memory>

#include "ports/SerialChannel.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/WindowFixture.h"
#include "tests/ui/PtyDevice.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/LiveBar.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"

namespace {
constexpr int kPort = 3;
// One send tick is 100 ms; the rest is room for a busy machine.
constexpr qint64 kOneTickWithSlackMs = 250;
constexpr int kLinkTimeoutMs = 10000;
}  // namespace

class TestCalibDlgLink : public QObject {
    Q_OBJECT

private slots:
    void init() {
        pty_ = std::make_unique<PtyPair>();
        device_ = std::make_unique<PtyDevice>(*pty_);
        for (int k = 0; k < kParamCount; ++k)
            device_->params[k] = static_cast<std::uint8_t>(100 + k);
        // Every other COM name leads nowhere, so the start-up search is harmless.
        window_.ports.Set(kPort, pty_->SlavePath());
        QVERIFY(window_.Open());
        // The search listens on the pty while it is quiet, then gives up.
        QVERIFY(WaitForSearchToEnd(*window_.dlg));
        QVERIFY(!window_.dlg->Session().Record().probeFound);
        window_.dlg->Command(CommandId::SelectPort(kPort))->trigger();
        QVERIFY(window_.dlg->Session().Channel().IsOpen());
        device_->StartTalking();
        QTRY_VERIFY_WITH_TIMEOUT(window_.dlg->Session().Record().linkUp, kLinkTimeoutMs);
    }

    void cleanup() {
        window_.Close();
        device_.reset();
        pty_.reset();
    }

    void linkUpLoadsThePanelAndShowsLiveValues() {
        CCalibDlg& dlg = *window_.dlg;
        for (int k = 0; k < kParamCount; ++k) {
            QCOMPARE(dlg.Session().Panel()[k], 100 + k);
            QCOMPARE(dlg.ParamEdit(k)->text(), QString::number(100 + k));
            QVERIFY(dlg.Spin(k)->isEnabled());
        }
        QVERIFY(dlg.Control(ControlId::kWriteButton)->isEnabled());
        QVERIFY(dlg.Command(CommandId::kFileSave)->isEnabled());
        // Petrol 0x0A3C is 10,480 ms in cell 10; lambda 0x5A00 is 1,75 V.
        QTRY_COMPARE(dlg.Control(ControlId::kPetrolReadout)->property("text").toString(),
                     QStringLiteral("10,480"));
        QCOMPARE(dlg.Control(ControlId::kLambdaReadout)->property("text").toString(),
                 QStringLiteral("1,75"));
        QCOMPARE(dlg.Bar(ControlId::kPetrolBar)->Position(), 0x0A3C);
        QCOMPARE(dlg.Bar(ControlId::kLambdaBar)->Position(), 0x5A);
        for (int k = 0; k < kParamCount; ++k) {
            QCOMPARE(dlg.Control(ControlId::CellMarker(k))->isHidden(), k != 10);
        }
        QTRY_VERIFY(ShownPaneText(dlg, 1).startsWith(QStringLiteral("COM OK.")));
        QTRY_VERIFY(ShownPaneText(dlg, 2).startsWith(QStringLiteral("Time:00:0")));
        QVERIFY(device_->received.empty());
    }

    void aSpinStepReachesTheWireWithinATick() {
        CCalibDlg& dlg = *window_.dlg;
        const qint64 clicked = device_->clock.elapsed();
        QTest::mouseClick(dlg.Spin(2)->UpArrow(), Qt::LeftButton);
        QCOMPARE(dlg.Session().Panel()[2], 103);
        QTRY_COMPARE_WITH_TIMEOUT(device_->received.size(), std::size_t{1}, 2000);
        QCOMPARE(device_->received.at(0), PtyDevice::SetFrame(2, 103));
        QVERIFY2(device_->receivedAt.at(0) - clicked <= kOneTickWithSlackMs,
                 qPrintable(QString::number(device_->receivedAt.at(0) - clicked)));
        // Once the echo confirms it, sending stops. (An echo of the old value
        // that was already on its way may cause one repeat of the same frame.)
        QTRY_COMPARE(int(window_.dlg->Session().Record().deviceParams[2]), 103);
        QTest::qWait(500);
        const std::size_t sent = device_->received.size();
        QTest::qWait(500);
        QCOMPARE(device_->received.size(), sent);
        for (const PtyDevice::Frame& frame : device_->received) {
            QCOMPARE(frame, PtyDevice::SetFrame(2, 103));
        }
    }

    void writeSendsTheStoreFrame() {
        QTest::mouseClick(window_.dlg->Control(ControlId::kWriteButton), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(device_->received.size(), std::size_t{1}, 2000);
        QCOMPARE(device_->received.at(0), PtyDevice::kStoreFrame);
    }

    // The mended fault: pasted "300" would have sent its low byte, 44, every
    // 300 ms and held up every parameter above it.
    void pastedNumberOutOfRangeSendsNothingWrong() {
        CCalibDlg& dlg = *window_.dlg;
        QGuiApplication::clipboard()->setText(QStringLiteral("300"));
        dlg.ParamEdit(3)->selectAll();
        QTest::keyClick(dlg.ParamEdit(3), Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(dlg.ParamEdit(3)->text(), QStringLiteral("300"));
        QCOMPARE(dlg.Session().Panel()[3], 103);
        QTest::mouseClick(dlg.Spin(5)->DownArrow(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(device_->received.size(), std::size_t{1}, 2000);
        QCOMPARE(device_->received.at(0), PtyDevice::SetFrame(5, 104));
        QTest::qWait(700);
        for (const PtyDevice::Frame& frame : device_->received) QVERIFY(frame[3] != 3);
        QCOMPARE(int(device_->params[3]), 103);
    }

    void linkIsLostOnTheTwelfthSilentTick() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.Session().Timer(TimerId::kSupervision)->stop();
        // A frame accepted after the last timer tick starts the count at 0.
        QTRY_COMPARE(int(window_.dlg->Session().Record().silenceTicks), 0);
        device_->StopTalking();
        QTest::qWait(100);
        for (int tick = 1; tick <= 11; ++tick) {
            dlg.Session().OnTimer(TimerId::kSupervision);
            QVERIFY2(window_.dlg->Session().Record().linkUp,
                     qPrintable(QStringLiteral("silent tick %1").arg(tick)));
            QVERIFY(ShownPaneText(dlg, 1).startsWith(QStringLiteral("COM OK.")));
        }
        dlg.Session().OnTimer(TimerId::kSupervision);
        QVERIFY(!window_.dlg->Session().Record().linkUp);
        QCOMPARE(ShownPaneText(dlg, 1), QStringLiteral("COM Waiting..."));
        QCOMPARE(ShownStatusColour(dlg), QColor(255, 0, 0));
        QVERIFY(!dlg.Spin(0)->isEnabled());
        QVERIFY(!dlg.Control(ControlId::kWriteButton)->isEnabled());
        QCOMPARE(dlg.Control(ControlId::kGasReadout)->property("text").toString(), QString());
        // The panel was loaded: the edits keep the controller's values.
        QCOMPARE(dlg.ParamEdit(7)->text(), QStringLiteral("107"));
        dlg.Session().OnTimer(TimerId::kSupervision);
        QCOMPARE(ShownPaneText(dlg, 2), QStringLiteral("Time:"));
    }

    void escapeStopsTheTimersAndClosesThePort() {
        CCalibDlg& dlg = *window_.dlg;
        QTest::keyClick(dlg.ParamEdit(8), Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.Session().Channel().IsOpen());
        QVERIFY(!dlg.Session().Timer(TimerId::kSupervision)->isActive());
        QVERIFY(!dlg.Session().Timer(TimerId::kSend)->isActive());
    }

    void aChannelErrorIsShownInABox_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("says");
        QTest::newRow("Chinese") << false << QStringLiteral("无法打开");
        QTest::newRow("English") << true << QStringLiteral("Cannot open");
    }

    // A port held elsewhere: the failed open is reported in a stop box in the
    // window's language, and the status says the port could not be opened.
    void aChannelErrorIsShownInABox() {
        QFETCH(bool, english);
        QFETCH(QString, says);
        CalibrationSession otherSession(
            [this](int port) { return port == kPort ? pty_->SlavePath() : std::string(); },
            kFastSearch);
        CCalibDlg other(otherSession);
        // Neither window's search may hold the port at that moment.
        QVERIFY(WaitForSearchToEnd(*window_.dlg));
        QVERIFY(WaitForSearchToEnd(other));
        if (english) other.Command(CommandId::kEnglish)->trigger();
        ModalCloser closer;
        other.Command(CommandId::SelectPort(kPort))->trigger();
        QCOMPARE(closer.seen.size(), 1);
        QCOMPARE(closer.seen.at(0).icon, QMessageBox::Critical);
        QVERIFY2(closer.seen.at(0).text.startsWith(says), qPrintable(closer.seen.at(0).text));
        QVERIFY(!other.Session().Channel().IsOpen());
        QCOMPARE(ShownPaneText(other, 1), QStringLiteral("COM Open Failed!"));
    }

private:
    std::unique_ptr<PtyPair> pty_;
    std::unique_ptr<PtyDevice> device_;
    WindowFixture window_;
};

QTEST_MAIN(TestCalibDlgLink)
#include "tst_calibdlglink.moc"
