// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Unstored changes outlive a killed program: a first run (this program again,
// in a process of its own) changes two parameters and is killed with SIGKILL;
// the next run, linked to the controller restarted with what it had stored,
// offers the two changes once.
#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "files/ParamFile.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/SpinButton.h"

namespace {
// Set for the first run: the controller's device.
constexpr char kFirstRunDevice[] = "DX470_TEST_FIRST_RUN_DEVICE";
constexpr char kKeptLine[] = "kept";
constexpr int kFirstRunTimeoutMs = 20000;
constexpr int kQuietMs = 1000;
const QString kParams = QStringLiteral("10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160");
const QStringList kRestoredFrames = {"rx set 3 41", "rx set 9 101"};

// The first run: one step up on parameters 9 and 3; once the panel is kept on
// disk it says so, and waits to be killed.
int ChangeTwoAndWait(const QString& device) {
    WindowFixture window;
    window.dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!window.OpenLinkedTo(device.toStdString())) return EXIT_FAILURE;
    CCalibDlg& dlg = *window.dlg;
    QTest::mouseClick(dlg.Spin(9)->UpArrow(), Qt::LeftButton);
    QTest::mouseClick(dlg.Spin(3)->UpArrow(), Qt::LeftButton);
    const ParamFileBytes bytes = EncodeParamFile(dlg.Session().Panel());
    const QByteArray panel(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QFile kept(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
               QStringLiteral("/unstored-panel.tq4"));
    const bool written = QTest::qWaitFor([&] {
        const bool same = kept.open(QIODevice::ReadOnly) && kept.readAll() == panel;
        kept.close();
        return same;
    });
    if (!written) return EXIT_FAILURE;
    std::puts(kKeptLine);
    std::fflush(stdout);
    return QCoreApplication::exec();
}

bool WaitForLine(QProcess& process, const QByteArray& line, int timeoutMs) {
    return QTest::qWaitFor(
        [&] {
            process.waitForReadyRead(10);
            return process.readAllStandardOutput().contains(line);
        },
        timeoutMs);
}
}  // namespace

class TestUnstoredRecovery : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { window_.Close(); }

    void offeredOnceAfterAKill_data() {
        QTest::addColumn<bool>("restore");
        QTest::newRow("restored") << true;
        QTest::newRow("discarded") << false;
    }

    void offeredOnceAfterAKill() {
        QFETCH(bool, restore);
        QTemporaryDir data;
        QVERIFY(KillAfterTwoChanges(data.path()));

        SimProcess sim({QStringLiteral("--params"), kParams});
        QVERIFY(sim.Start());
        window_.dataHome = data.path();
        ModalDriver driver;
        driver.Press(restore ? QMessageBox::Yes : QMessageBox::No);
        QVERIFY(window_.OpenLinkedTo(sim.PortPath().toStdString()));
        QTRY_COMPARE(driver.seen.size(), 1);
        QVERIFY2(driver.seen.at(0).text.contains(QStringLiteral("的 2 项修改")),
                 qPrintable(driver.seen.at(0).text));
        if (restore) {
            QTRY_COMPARE(sim.ReceivedOnce(), kRestoredFrames);
            QTest::qWait(kQuietMs);
            QCOMPARE(sim.ReceivedOnce(), kRestoredFrames);
            return;
        }
        QTest::qWait(kQuietMs);
        QCOMPARE(sim.LinesStartingWith(QStringLiteral("rx ")), QStringList());
        window_.Close();
        ModalDriver again;
        QVERIFY(window_.OpenLinkedTo(sim.PortPath().toStdString()));
        QTest::qWait(kQuietMs);
        QCOMPARE(again.seen.size(), 0);
    }

private:
    // The first run, against its own controller, until it is killed.
    static bool KillAfterTwoChanges(const QString& dataHome) {
        SimProcess sim({QStringLiteral("--params"), kParams});
        if (!sim.Start()) return false;
        QProcess firstRun;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        environment.insert(QString::fromLatin1(kFirstRunDevice), sim.PortPath());
        firstRun.setProcessEnvironment(environment);
        firstRun.start(QCoreApplication::applicationFilePath(), QStringList());
        const bool kept = WaitForLine(firstRun, kKeptLine, kFirstRunTimeoutMs);
        ::kill(pid_t(firstRun.processId()), SIGKILL);
        firstRun.waitForFinished();
        return kept && firstRun.exitStatus() == QProcess::CrashExit;
    }

    WindowFixture window_;
};

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    const QString device = qEnvironmentVariable(kFirstRunDevice);
    if (!device.isEmpty()) return ChangeTwoAndWait(device);
    TestUnstoredRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unstoredrecovery.moc"
