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
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <memory>

#include "files/ParamFile.h"
#include "log/LogFormat.h"
#include "tests/support/LinkedWindow.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ReplayLogs.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/SpinButton.h"

namespace {
const QString kParams = QStringLiteral("10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160");
constexpr int kWireTimeoutMs = LinkedWindow::kWireTimeoutMs;

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

}  // namespace

class TestUnstored : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { linked_.Close(); }

    void marksFollowTheStoredSet() {
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *linked_.window.dlg;
        const QString caption = dlg.windowTitle();
        const bool writeBold = dlg.Control(ControlId::kWriteButton)->font().bold();
        QVERIFY(linked_.Step(3, true));
        QCOMPARE(linked_.Marked(), QList<int>{3});
        QCOMPARE(dlg.windowTitle(), QStringLiteral("*") + caption);
        QVERIFY(dlg.Control(ControlId::kWriteButton)->font().bold() != writeBold);

        QTest::mouseClick(dlg.Control(ControlId::kWriteButton), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(linked_.Marked(), QList<int>{}, kWireTimeoutMs);
        QTRY_COMPARE(linked_.sim->ReceivedOnce(), QStringList({"rx set 3 41", "rx store"}));
        QCOMPARE(dlg.windowTitle(), caption);
        QCOMPARE(dlg.Control(ControlId::kWriteButton)->font().bold(), writeBold);

        QVERIFY(linked_.Step(5, true));
        dlg.Command(CommandId::kEnglish)->trigger();
        QCOMPARE(linked_.Marked(), QList<int>{5});
        QCOMPARE(dlg.windowTitle(), QStringLiteral("*DX470 Model Set"));
        QVERIFY(linked_.Step(5, false));
        QCOMPARE(linked_.Marked(), QList<int>{});
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
        CCalibDlg& dlg = *linked_.window.dlg;
        QVERIFY(linked_.Step(3, true));
        ModalDriver driver;
        driver.Press(QMessageBox::Cancel).Press(QMessageBox::Save);
        kWaysOut[way].take(dlg);
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(driver.seen.at(0).text.contains(QStringLiteral(" 1 ")));
        QCOMPARE(driver.seen.at(0).buttons,
                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.Session().Panel()[3], 41);

        kWaysOut[way].take(dlg);
        QVERIFY(!dlg.isVisible());
        QTRY_COMPARE(linked_.sim->ReceivedOnce(), QStringList({"rx set 3 41", "rx store"}));
    }

    // A pasted 300, Enter, then Cancel: the panel keeps its values, nothing
    // of the 300 (its low byte 44) goes out, and "Write and continue" later
    // stores what the panel shows.
    void enterThenCancelChangesNothing() {
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *linked_.window.dlg;
        QVERIFY(linked_.Step(3, true));
        dlg.ParamEdit(5)->setText(QStringLiteral("300"));
        ModalDriver driver;
        driver.Press(QMessageBox::Cancel).Press(QMessageBox::Save);
        QTest::keyClick(dlg.ParamEdit(5), Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.Session().Panel()[5], 60);
        QCOMPARE(linked_.Marked(), QList<int>{3});

        QTest::keyClick(dlg.ParamEdit(5), Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(driver.seen.size(), 2);
        QTRY_COMPARE(linked_.sim->ReceivedOnce(), QStringList({"rx set 3 41", "rx store"}));
    }

    // A replay holds the link; writing takes it back first, so the store
    // really goes out before the program ends.
    void writeAndContinueDuringAReplayWrites() {
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *linked_.window.dlg;
        QVERIFY(linked_.Step(3, true));
        std::string text = LogHeader();
        for (const std::int64_t timeUs : {0, 1'000'000}) {
            AppendFrameRow(text, {timeUs, 3, 800, 3400, 30000, 100, 0});
        }
        QVERIFY(QDir().mkpath(linked_.window.DocumentsFolder()));
        QFile log(QDir(linked_.window.DocumentsFolder()).filePath(QStringLiteral("held.msl")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(text.data(), qint64(text.size()));
        log.close();
        QVERIFY(PlayLog(dlg, log.fileName()));

        ModalDriver driver;
        driver.Press(QMessageBox::Save);
        QTest::mouseClick(dlg.Control(ControlId::kExitButton), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(linked_.sim->ReceivedOnce(),
                                  QStringList({"rx set 3 41", "rx store"}), kWireTimeoutMs);
    }

    void portCommandsAsk_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("statusAfter");
        QTest::newRow("AUTO") << CommandId::kPortAuto << QStringLiteral("COM Searching...");
        QTest::newRow("COM3") << CommandId::SelectPort(WindowFixture::kControllerPort)
                              << QStringLiteral("COM Waiting...");
        QTest::newRow("OFFLINE") << CommandId::kPortOffline << QStringLiteral("COM Stop");
    }

    void portCommandsAsk() {
        QFETCH(int, command);
        QFETCH(QString, statusAfter);
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *linked_.window.dlg;
        QVERIFY(linked_.Step(3, true));
        ModalDriver driver;
        driver.Press(QMessageBox::Cancel).Press(QMessageBox::Save);
        dlg.Command(command)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(dlg.Session().Record().linkUp);
        QVERIFY(linked_.window.LinkStatusText().startsWith(QStringLiteral("COM OK.")));

        dlg.Command(command)->trigger();
        QTRY_COMPARE(linked_.sim->ReceivedOnce(), QStringList({"rx set 3 41", "rx store"}));
        QCOMPARE(driver.seen.size(), 2);
        QCOMPARE(linked_.window.LinkStatusText(), statusAfter);
    }

    // File > Open asks once a file was chosen and read: a cancelled dialog or
    // a file that is no set neither stores nor loads; Cancel in the question
    // keeps the panel; "Write and continue" stores, then loads.
    void fileOpenAsksOnlyOnceAFileIsChosen() {
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *linked_.window.dlg;
        QVERIFY(linked_.Step(3, true));
        QTemporaryDir folder;
        PanelParams fileSet{};
        fileSet.fill(77);
        const ParamFileBytes bytes = EncodeParamFile(fileSet);
        const QString set = folder.filePath(QStringLiteral("set.tq4"));
        const QString notASet = folder.filePath(QStringLiteral("big.tq4"));
        for (const auto& [path, size] : {std::pair{set, 64}, std::pair{notASet, 65}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(reinterpret_cast<const char*>(bytes.data()), 64));
            if (size > 64) file.write("x");
        }
        ModalDriver driver;
        driver.Cancel()
            .TypeName(notASet)
            .Press(QMessageBox::Ok)
            .TypeName(set)
            .Press(QMessageBox::Cancel);
        for (int i = 0; i < 3; ++i) dlg.Command(CommandId::kFileOpen)->trigger();
        QCOMPARE(driver.seen.size(), 5);
        QVERIFY(driver.seen.at(0).IsFileDialog());
        QCOMPARE(driver.seen.at(2).icon, QMessageBox::Warning);
        QCOMPARE(driver.seen.at(4).buttons,
                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        QCOMPARE(dlg.Session().Panel()[3], 41);
        QCOMPARE(dlg.Session().Panel()[0], 10);

        driver.TypeName(set).Press(QMessageBox::Save);
        dlg.Command(CommandId::kFileOpen)->trigger();
        QCOMPARE(dlg.Session().Panel()[0], 77);
        QTRY_COMPARE_WITH_TIMEOUT(linked_.sim->ReceivedOnce().mid(0, 3),
                                  QStringList({"rx set 3 41", "rx store", "rx set 0 77"}),
                                  kWireTimeoutMs);
    }

    // Offline, nothing can be written: the box says so and offers to go on
    // or to stay.
    void withTheLinkDownOnlyContinueOrCancel() {
        QVERIFY(StartLinkedWindow());
        CCalibDlg& dlg = *linked_.window.dlg;
        QVERIFY(linked_.Step(3, true));
        ModalDriver driver;
        driver.Press(QMessageBox::Discard).Press(QMessageBox::Discard);
        dlg.Command(CommandId::kPortOffline)->trigger();
        QCOMPARE(linked_.Marked(), QList<int>{3});
        QTest::mouseClick(dlg.Control(ControlId::kExitButton), Qt::LeftButton);
        QCOMPARE(driver.seen.size(), 2);
        QCOMPARE(driver.seen.at(1).buttons, QMessageBox::Discard | QMessageBox::Cancel);
        QVERIFY(driver.seen.at(1).text.contains(QStringLiteral("无法写入")));
        QVERIFY(!dlg.isVisible());
        QVERIFY(linked_.sim->LinesStartingWith(QStringLiteral("rx store")).isEmpty());
    }

private:
    bool StartLinkedWindow() { return linked_.Start({QStringLiteral("--params"), kParams}); }

    LinkedWindow linked_;
};

QTEST_MAIN(TestUnstored)
#include "tst_unstored.moc"
