// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Changes the controller has not stored, against the virtual controller: the
// marks follow the stored set, and every way out and every port or file
// command asks before such changes could be lost.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <memory>

#include "log/LogFormat.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ReplayLogs.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/SpinButton.h"

namespace {
const QString kParams = QStringLiteral("10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160");
constexpr int kWireTimeoutMs = 5000;

struct WayOut {
    const char* name;
    std::function<void(CCalibDlg&)> take;
};
const WayOut kWaysOut[] = {
    {"Exit button",
     [](CCalibDlg& dlg) {
         QTest::mouseClick(dlg.Control(ControlId::kExitButton), Qt::LeftButton);
     }},
    {"File > Exit", [](CCalibDlg& dlg) { dlg.Command(CommandId::kFileExit)->trigger(); }},
    {"Escape", [](CCalibDlg& dlg) { QTest::keyClick(dlg.ParamEdit(8), Qt::Key_Escape); }},
    {"close box", [](CCalibDlg& dlg) { dlg.close(); }},
    {"Enter in an edit", [](CCalibDlg& dlg) { QTest::keyClick(dlg.ParamEdit(8), Qt::Key_Return); }},
};

QList<int> Marked(const CCalibDlg& dlg) {
    QList<int> marked;
    for (int k = 0; k < kParamCount; ++k) {
        if (!dlg.UnstoredMark(k)->isHidden()) marked << k;
    }
    return marked;
}
}  // namespace

class TestUnstored : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        window_.Close();
        sim_.reset();
    }

    void marksFollowTheStoredSet() {
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *window_.dlg;
        const QString caption = dlg.windowTitle();
        const bool writeBold = dlg.Control(ControlId::kWriteButton)->font().bold();
        Step(dlg, 3, true);
        QCOMPARE(Marked(dlg), QList<int>{3});
        QCOMPARE(dlg.windowTitle(), QStringLiteral("*") + caption);
        QVERIFY(dlg.Control(ControlId::kWriteButton)->font().bold() != writeBold);

        QTest::mouseClick(dlg.Control(ControlId::kWriteButton), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Marked(dlg), QList<int>{}, kWireTimeoutMs);
        QTRY_COMPARE(sim_->ReceivedOnce(), QStringList({"rx set 3 41", "rx store"}));
        QCOMPARE(dlg.windowTitle(), caption);
        QCOMPARE(dlg.Control(ControlId::kWriteButton)->font().bold(), writeBold);

        Step(dlg, 5, true);
        dlg.Command(CommandId::kEnglish)->trigger();
        QCOMPARE(Marked(dlg), QList<int>{5});
        QCOMPARE(dlg.windowTitle(), QStringLiteral("*DX470 Model Set"));
        Step(dlg, 5, false);
        QCOMPARE(Marked(dlg), QList<int>{});
        QCOMPARE(dlg.windowTitle(), QStringLiteral("DX470 Model Set"));
        // Nothing unstored: the program ends at once, as without a change.
        ModalDriver driver;
        QTest::mouseClick(dlg.Control(ControlId::kExitButton), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QVERIFY(driver.seen.isEmpty());
    }

    void eachWayOutAsksWhileChangesAreUnstored_data() {
        QTest::addColumn<int>("way");
        for (int way = 0; way < int(std::size(kWaysOut)); ++way) {
            QTest::newRow(kWaysOut[way].name) << way;
        }
    }

    // Cancel keeps the program and the change; "Write and continue" puts
    // the store on the wire after the change, then ends the program.
    void eachWayOutAsksWhileChangesAreUnstored() {
        QFETCH(int, way);
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *window_.dlg;
        Step(dlg, 3, true);
        ModalDriver driver;
        driver.Press(QMessageBox::Cancel).Press(QMessageBox::Save);
        kWaysOut[way].take(dlg);
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(driver.seen.at(0).text.contains(QStringLiteral(" 1 ")));
        QCOMPARE(driver.seen.at(0).buttons,
                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.panelParams[3], 41);

        kWaysOut[way].take(dlg);
        QVERIFY(!dlg.isVisible());
        QTRY_COMPARE(sim_->ReceivedOnce(), QStringList({"rx set 3 41", "rx store"}));
    }

    // A replay holds the link; writing takes it back first, so the store
    // really goes out before the program ends.
    void writeAndContinueDuringAReplayWrites() {
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *window_.dlg;
        Step(dlg, 3, true);
        std::string text = LogHeader();
        for (const std::int64_t timeUs : {0, 1'000'000}) {
            AppendFrameRow(text, {timeUs, 3, 800, 3400, 30000, 100, 0});
        }
        QVERIFY(QDir().mkpath(window_.DocumentsFolder()));
        QFile log(QDir(window_.DocumentsFolder()).filePath(QStringLiteral("held.msl")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(text.data(), qint64(text.size()));
        log.close();
        QVERIFY(PlayLog(dlg, log.fileName()));

        ModalDriver driver;
        driver.Press(QMessageBox::Save);
        QTest::mouseClick(dlg.Control(ControlId::kExitButton), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(sim_->ReceivedOnce(), QStringList({"rx set 3 41", "rx store"}),
                                  kWireTimeoutMs);
    }

    void portAndFileCommandsAsk_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("statusAfter");
        QTest::newRow("AUTO") << CommandId::kPortAuto << QStringLiteral("COM Searching...");
        QTest::newRow("COM3") << CommandId::SelectPort(WindowFixture::kControllerPort)
                              << QStringLiteral("COM Waiting...");
        QTest::newRow("OFFLINE") << CommandId::kPortOffline << QStringLiteral("COM Stop");
        QTest::newRow("File > Open") << CommandId::kFileOpen << QString();
    }

    void portAndFileCommandsAsk() {
        QFETCH(int, command);
        QFETCH(QString, statusAfter);
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *window_.dlg;
        Step(dlg, 3, true);
        ModalDriver driver;
        driver.Press(QMessageBox::Cancel).Press(QMessageBox::Save).Cancel();
        dlg.Command(command)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(dlg.State().linkUp);
        QVERIFY(window_.LinkStatusText().startsWith(QStringLiteral("COM OK.")));

        dlg.Command(command)->trigger();
        QTRY_COMPARE(sim_->ReceivedOnce(), QStringList({"rx set 3 41", "rx store"}));
        if (statusAfter.isEmpty()) {
            QCOMPARE(driver.seen.size(), 3);
            QVERIFY(driver.seen.at(2).IsFileDialog());
        } else {
            QCOMPARE(driver.seen.size(), 2);
            QCOMPARE(window_.LinkStatusText(), statusAfter);
        }
    }

    // Offline, nothing can be written: the box says so and offers to go on
    // or to stay.
    void withTheLinkDownOnlyContinueOrCancel() {
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *window_.dlg;
        Step(dlg, 3, true);
        ModalDriver driver;
        driver.Press(QMessageBox::Discard).Press(QMessageBox::Discard);
        dlg.Command(CommandId::kPortOffline)->trigger();
        QCOMPARE(Marked(dlg), QList<int>{3});
        QTest::mouseClick(dlg.Control(ControlId::kExitButton), Qt::LeftButton);
        QCOMPARE(driver.seen.size(), 2);
        QCOMPARE(driver.seen.at(1).buttons, QMessageBox::Discard | QMessageBox::Cancel);
        QVERIFY(driver.seen.at(1).text.contains(QStringLiteral("无法写入")));
        QVERIFY(!dlg.isVisible());
        QVERIFY(sim_->LinesStartingWith(QStringLiteral("rx store")).isEmpty());
    }

private:
    bool StartLinkedWindow() {
        sim_ = std::make_unique<SimProcess>(QStringList{QStringLiteral("--params"), kParams});
        return sim_->Start() && window_.OpenLinkedTo(sim_->PortPath().toStdString());
    }

    // One click on spin k's arrow, and its frame sent.
    void Step(CCalibDlg& dlg, int k, bool up) {
        SpinButton* spin = dlg.Spin(k);
        QTest::mouseClick(up ? spin->UpArrow() : spin->DownArrow(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(int(dlg.State().deviceParams[k]), dlg.panelParams[k],
                                  kWireTimeoutMs);
    }

    std::unique_ptr<SimProcess> sim_;
    WindowFixture window_;
};

QTEST_MAIN(TestUnstored)
#include "tst_unstored.moc"
