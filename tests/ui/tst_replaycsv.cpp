// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The replay window's Export CSV: the rows of the log being played, written
// where the user says, and a link to a device left as it is, the refusal told.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "log/LogFormat.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ReplayLogs.h"
#include "tests/support/WindowFixture.h"
#include "ui/ReplayPanel.h"
#include "ui/UiTexts.h"

namespace {
// A name with the separator in it: the event's field is quoted.
constexpr char kLogRows[] =
    "0.000\t2\t3.068\t3.079\t0.44923\t-1\t200\t0\n"
    "1.250\t10\t10.480\t12.028\t1.75784\t0\t120\t0\n"
    "MARK 1 - loaded file a,b.bin\n"
    "2.500\t15\t15.872\t16.222\t3.75006\t1\t50\t1\n";
constexpr char kCsv[] =
    "Time (s),Cell,Petrol (ms),Gas (ms),Lambda (V),Band,Parameter,Mark,Events\r\n"
    "0.000,2,3.068,3.079,0.44923,-1,200,0,\r\n"
    "1.250,10,10.480,12.028,1.75784,0,120,0,\r\n"
    "2.500,15,15.872,16.222,3.75006,1,50,1,\"MARK 1 - loaded file a,b.bin\"\r\n";
// The numbers of /dev/null.
constexpr unsigned kNullMajor = 1;
constexpr unsigned kNullMinor = 3;
}  // namespace

class TestReplayCsv : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(folder_.isValid());
        QVERIFY(window_.Open());
        QFile log(folder_.filePath(QStringLiteral("run.msl")));
        QVERIFY(log.open(QIODevice::WriteOnly) && log.write(LogHeader().c_str()) > 0 &&
                log.write(kLogRows) > 0);
        log.close();
        QVERIFY(PlayLog(*window_.dlg, log.fileName()));
    }
    void cleanup() { window_.Close(); }

    // The dialog starts beside the log with its name, and adds the suffix.
    void exportWritesTheRowsOfTheLog() {
        ModalDriver driver;
        driver.TypeName(folder_.filePath(QStringLiteral("out")));
        window_.dlg->Replay()->ExportButton()->click();
        QFile csv(folder_.filePath(QStringLiteral("out.csv")));
        QTRY_VERIFY(csv.exists());
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(), QByteArray(kCsv));
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen[0].fileName, QStringLiteral("run.csv"));
        QCOMPARE(driver.seen[0].acceptMode, QFileDialog::AcceptSave);
        QVERIFY(driver.seen[0].options.testFlag(QFileDialog::DontUseNativeDialog));
        QCOMPARE(driver.seen[0].nameFilters,
                 QStringList{QString::fromUtf8(kChineseTexts.log.csvFilter)});
    }

    // The node is a copy made with mknod in the test's folder, so only root
    // can run this.
    void aLinkToADeviceIsNotWrittenThrough() {
        const QString node = folder_.filePath(QStringLiteral("null"));
        if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666,
                    makedev(kNullMajor, kNullMinor)) != 0) {
            QSKIP("making a device node needs root");
        }
        const QString link = folder_.filePath(QStringLiteral("null.csv"));
        QVERIFY(QFile::link(node, link));
        ModalDriver driver;
        driver.TypeName(link).Press(QMessageBox::Yes).Press(QMessageBox::Ok);
        window_.dlg->Replay()->ExportButton()->click();
        QTRY_COMPARE(driver.seen.size(), 3);
        QVERIFY(driver.seen[2].text.startsWith(
            QString::fromUtf8(kChineseTexts.log.csvNotWritten).arg(link)));
        QVERIFY(QFileInfo(link).isSymLink());
        struct stat status {};
        QVERIFY(::stat(QFile::encodeName(node).constData(), &status) == 0 &&
                S_ISCHR(status.st_mode));
    }

private:
    QTemporaryDir folder_;
    WindowFixture window_;
};

QTEST_MAIN(TestReplayCsv)
#include "tst_replaycsv.moc"
