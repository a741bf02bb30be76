// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// dx470ctl run as a user runs it, against the virtual controller linked as
// COM3: read, write with store and verify within the pacing floor, a
// controller that does not echo, bad files, no port, a port another program
// holds, SIGTERM in the middle of a write, a log and its CSV read by Python.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ctl/ExitCodes.h"
#include "tests/support/SimProcess.h"

namespace {
const QString kControllerParams =
    QStringLiteral("10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160");
constexpr int kRunTimeoutMs = 60000;
// Sixteen values, one frame every 300 ms, and a second for the rest.
constexpr double kWriteFloorSeconds = 16 * 0.3 + 1;

struct Finished {
    int code = -1;
    QString out;
    QString err;
};

QByteArray SetBytes(const std::vector<int>& values) {
    QByteArray bytes;
    for (const int value : values) {
        for (int shift = 0; shift < 32; shift += 8) bytes.append(char((value >> shift) & 0xFF));
    }
    return bytes;
}
}  // namespace

class TestDx470Ctl : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(home_.isValid());
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("HOME"), home_.path());
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
        environment_.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
    }

    void cleanup() { sim_.reset(); }

    void readPrintsAndSavesTheValues() {
        StartSim();
        const Finished read = Run({"read", "--port", "COM3", "-o", Path("car")});
        QCOMPARE(read.code, ExitCode::kDone);
        QVERIFY2(read.out.contains("parameters 10 20 30 40 50 60 70 80 90 100 110 120 130 140 "
                                   "150 160"),
                 qPrintable(read.out));
        QCOMPARE(QFileInfo(Path("car.tq4")).size(), 64);
        const Finished json = Run({"read", "--port", "COM3", "--json"});
        QCOMPARE(json.code, ExitCode::kDone);
        QVERIFY2(json.out.contains("\"parameters\":[10,20,30,40,50,60,70,80,90,100,110,120,130,140,"
                                   "150,160]"),
                 qPrintable(json.out));
        QVERIFY(sim_->LinesStartingWith("rx ").isEmpty());
    }

    // Sixteen changed values, paced, lowest first, stored and read back, in
    // at most the pacing floor and a second after the link came up.
    void writeStoresAndVerifiesWithinThePacingFloor() {
        StartSim();
        std::vector<int> values;
        for (int k = 0; k < 16; ++k) values.push_back(10 * (k + 1) + 1);
        QVERIFY(WriteFile("all.tq4", SetBytes(values)));
        const Finished write =
            Run({"write", Path("all.tq4"), "--port", "COM3", "--store", "--verify"});
        QCOMPARE(write.code, ExitCode::kDone);
        QStringList expected;
        for (int k = 0; k < 16; ++k)
            expected << QStringLiteral("rx set %1 %2").arg(k).arg(values[k]);
        expected << QStringLiteral("rx store");
        QCOMPARE(sim_->ReceivedOnce(), expected);
        QVERIFY2(write.out.contains("stored") && write.out.contains("verified"),
                 qPrintable(write.out));
        const QRegularExpressionMatch took =
            QRegularExpression(QStringLiteral("done in ([0-9.]+) s")).match(write.out);
        QVERIFY(took.hasMatch());
        QVERIFY2(took.captured(1).toDouble() <= kWriteFloorSeconds, qPrintable(took.captured(1)));
    }

    void aControllerThatDoesNotEchoIsRefused() {
        StartSim({"--noecho"});
        QVERIFY(WriteFile("one.tq4", SetBytes({10, 21, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120,
                                               130, 140, 150, 160})));
        const Finished write = Run({"write", Path("one.tq4"), "--port", "COM3"});
        QCOMPARE(write.code, ExitCode::kNotEchoed);
        QVERIFY2(write.err.contains("not echoed by the controller: 1=21"), qPrintable(write.err));
    }

    // Refused before any port is opened, with the reason.
    void badFilesAreRefused() {
        QVERIFY(WriteFile("short.tq4", QByteArray(10, '\0')));
        QVERIFY(
            WriteFile("wide.tq4", SetBytes({300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})));
        const struct {
            QString file;
            QString says;
        } cases[] = {
            {Path("short.tq4"), "not a parameter set (10 bytes, not 64)"},
            {Path("wide.tq4"), "parameter 0 is 300, outside 0..255"},
            {Path("missing.tq4"), "cannot be read"},
        };
        for (const auto& bad : cases) {
            const Finished write = Run({"write", bad.file, "--port", "COM3"});
            QCOMPARE(write.code, ExitCode::kBadFile);
            QVERIFY2(write.err.contains(bad.says), qPrintable(write.err));
        }
        const Finished convert = Run({"convert", Path("short.tq4"), "--csv"});
        QCOMPARE(convert.code, ExitCode::kBadFile);
        QCOMPARE(Run({"write"}).code, ExitCode::kUsage);
    }

    void noPortAndABusyPort() {
        QVERIFY(QDir().mkpath(Path("config/dx470/ports")));
        QVERIFY(QFile::link(Path("nothing-here"), Path("config/dx470/ports/COM9")));
        const Finished absent = Run({"read", "--port", "COM9", "-t", "3"});
        QCOMPARE(absent.code, ExitCode::kNoPort);

        StartSim();
        QProcess holder;
        holder.setProcessEnvironment(environment_);
        holder.start(QStringLiteral(DX470_CTL_PATH), {"monitor", "--port", "COM3"});
        QVERIFY(QTest::qWaitFor([&] { return holder.canReadLine(); }, 10000));
        const Finished busy = Run({"read", "--port", "COM3", "-t", "3"});
        holder.terminate();
        QVERIFY(holder.waitForFinished());
        QCOMPARE(holder.exitCode(), ExitCode::kDone);
        QCOMPARE(busy.code, ExitCode::kNoPort);
        QVERIFY2(busy.err.contains("in use"), qPrintable(busy.err));
        const Finished ports = Run({"ports"});
        QCOMPARE(ports.code, ExitCode::kDone);
        QVERIFY2(
            ports.out.contains(QRegularExpression(QStringLiteral("COM3\t/dev/pts/\\d+\t-\tfree"))),
            qPrintable(ports.out));
    }

    // The frames already begun go out whole; the tool says what was sent.
    void aTerminatedWriteLeavesWholeFramesAndSaysWhatWasSent() {
        StartSim();
        std::vector<int> values;
        for (int k = 0; k < 16; ++k) values.push_back(200 + k);
        QVERIFY(WriteFile("all.tq4", SetBytes(values)));
        QProcess write;
        write.setProcessEnvironment(environment_);
        write.start(QStringLiteral(DX470_CTL_PATH), {"write", Path("all.tq4"), "--port", "COM3"});
        QVERIFY(
            QTest::qWaitFor([&] { return sim_->LinesStartingWith("rx set").size() >= 3; }, 15000));
        write.terminate();
        QVERIFY(write.waitForFinished(10000));
        QCOMPARE(write.exitCode(), ExitCode::kInterrupted);
        const QString err = QString::fromUtf8(write.readAllStandardError());
        const QRegularExpressionMatch said =
            QRegularExpression(QStringLiteral("interrupted: sent ([0-9= ]+); not sent: ([0-9, ]+)"))
                .match(err);
        QVERIFY2(said.hasMatch(), qPrintable(err));
        QTest::qWait(500);
        const QStringList received = sim_->ReceivedOnce();
        QCOMPARE(received.size(), said.captured(1).split(' ').size());
        for (const QString& line : sim_->LinesStartingWith("rx ")) {
            QVERIFY2(line.startsWith("rx set "), qPrintable(line));
        }
    }

    // A log recorded by the tool, as the window writes them, converted to
    // CSV and read by Python's csv module as a spreadsheet would read it.
    void aLogAndItsCsv() {
        StartSim();
        const Finished log =
            Run({"log", "--port", "COM3", "--seconds", "2", "-o", Path("run.msl")});
        QCOMPARE(log.code, ExitCode::kDone);
        QVERIFY2(QFileInfo(Path("run.msl")).size() > 0, qPrintable(log.err));
        const Finished convert =
            Run({"convert", Path("run.msl"), "--csv", "--separator", ";", "-o", Path("run.csv")});
        QCOMPARE(convert.code, ExitCode::kDone);
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {"-c",
                      "import csv, sys\n"
                      "rows = list(csv.reader(open(sys.argv[1], newline=''), delimiter=';'))\n"
                      "assert rows[0][:5] == ['Time (s)', 'Cell', 'Petrol (ms)', 'Gas (ms)', "
                      "'Lambda (V)'], rows[0]\n"
                      "assert all(len(row) == 9 for row in rows)\n"
                      "frames = [row for row in rows[1:] if row[0]]\n"
                      "assert len(frames) > 50 and 0 <= float(frames[-1][4]) <= 5\n"
                      "print(len(frames))\n",
                      Path("run.csv")});
        if (!python.waitForStarted()) QSKIP("python3 is not installed");
        QVERIFY(python.waitForFinished());
        QCOMPARE(python.exitCode(), 0);
    }

private:
    QString Path(const QString& name) const { return QDir(home_.path()).filePath(name); }

    void StartSim(const QStringList& more = {}) {
        sim_ = std::make_unique<SimProcess>(
            QStringList{"--link", "COM3", "--params", kControllerParams} + more, environment_);
        QVERIFY(sim_->Start());
    }

    bool WriteFile(const QString& name, const QByteArray& bytes) {
        QFile file(Path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    Finished Run(const QStringList& arguments) {
        QProcess ctl;
        ctl.setProcessEnvironment(environment_);
        ctl.start(QStringLiteral(DX470_CTL_PATH), arguments);
        Finished finished;
        if (!ctl.waitForFinished(kRunTimeoutMs)) return finished;
        finished.code = ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
        finished.out = QString::fromUtf8(ctl.readAllStandardOutput());
        finished.err = QString::fromUtf8(ctl.readAllStandardError());
        return finished;
    }

    QTemporaryDir home_;
    QProcessEnvironment environment_;
    std::unique_ptr<SimProcess> sim_;
};

QTEST_GUILESS_MAIN(TestDx470Ctl)
#include "tst_dx470ctl.moc"
