// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The tune history on disk: a controller's points survive a restart and a
// store, a second controller has its own, damaged or missing files are told
// and skipped while nothing is overwritten, the oldest points go beyond the
// limit, and a writer killed at any moment leaves only whole points.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "session/TuneHistory.h"

namespace {
// The writer this test starts of itself, to be killed.
constexpr char kWriterArgument[] = "--write-points";
constexpr int kKills = 12;

PanelParams SetOf(int base) {
    PanelParams set{};
    for (int k = 0; k < kParamCount; ++k) set[k] = (base + 7 * k) % 256;
    return set;
}

bool Add(TuneHistory& history, RestoreCause cause, int base) {
    QString reason;
    return history.AddPoint(cause, SetOf(base), SetOf(base + 1), reason);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Adds points as fast as it can until killed.
int WritePointsForever(const QString& folder) {
    TuneHistory history(folder);
    history.OpenController(SetOf(1));
    for (int i = 0;; ++i) {
        if (!Add(history, RestoreCause::Store, i)) return 1;
    }
}
}  // namespace

class TestTuneHistory : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir_.isValid()); }

    void aControllerKeepsItsHistoryOverARestartAndAStore() {
        {
            TuneHistory history(Folder());
            history.OpenController(SetOf(1));
            QVERIFY(Add(history, RestoreCause::LinkUp, 10));
            QVERIFY(Add(history, RestoreCause::FileLoad, 20));
            history.NoteStored(SetOf(99));
        }
        TuneHistory history(Folder());
        // Known by the set it stored last.
        history.OpenController(SetOf(99));
        const QString first = history.CurrentController();
        TuneHistory::Listing listing = history.Points(first);
        QVERIFY(listing.problems.empty());
        QCOMPARE(listing.points.size(), std::size_t(2));
        QCOMPARE(listing.points.at(0).point.cause, RestoreCause::FileLoad);
        QCOMPARE(listing.points.at(0).panel, SetOf(20));
        QCOMPARE(listing.points.at(1).stored, SetOf(11));

        // Another controller has a history of its own.
        history.OpenController(SetOf(50));
        QVERIFY(history.CurrentController() != first);
        QVERIFY(history.Points(history.CurrentController()).points.empty());
        QVERIFY(Add(history, RestoreCause::LinkUp, 30));
        QCOMPARE(history.Points(history.CurrentController()).points.size(), std::size_t(1));
        QCOMPARE(history.Points(first).points.size(), std::size_t(2));
        QCOMPARE(history.AllPoints().points.size(), std::size_t(3));
        QCOMPARE(history.Controllers().size(), 2);
    }

    void notesAreKeptAndGoBesideASavedSet() {
        TuneHistory history(Folder());
        history.OpenController(SetOf(1));
        QVERIFY(Add(history, RestoreCause::LinkUp, 10));
        QString reason;
        const QString note = QStringLiteral("Golf 1.6, BRC kit\n\tinjectors 2 Ω");
        QVERIFY(history.SetControllerNote(history.CurrentController(), note, reason));
        QVERIFY(history.SetPointNote(history.CurrentController(), 1, note, reason));
        QCOMPARE(history.ControllerNote(history.CurrentController()), note);
        QCOMPARE(QString::fromStdString(
                     history.Points(history.CurrentController()).points.at(0).point.note),
                 note);
        const QString set = QDir(dir_.path()).filePath(QStringLiteral("golf.tq4"));
        QVERIFY(history.WriteSidecar(set, reason));
        QCOMPARE(QString::fromUtf8(ReadAll(TuneHistory::SidecarPath(set))), note);
        QVERIFY(!QFile::exists(set));
    }

    // A damaged line and a missing set are told by name and skipped; the
    // damaged index is kept aside before the next point rewrites it.
    void damageIsToldAndSkippedAndNothingIsOverwritten() {
        TuneHistory history(Folder());
        history.OpenController(SetOf(1));
        for (int i = 0; i < 3; ++i) QVERIFY(Add(history, RestoreCause::Store, i));
        const QDir folder(QDir(Folder()).filePath(history.CurrentController()));
        const QString index = folder.filePath(QStringLiteral("index.txt"));
        QByteArray text = ReadAll(index);
        text.replace("\n2\t", "\nx\t");
        QFile damaged(index);
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(text);
        damaged.close();
        QVERIFY(QFile::remove(folder.filePath(QStringLiteral("000003-stored.tq4"))));

        TuneHistory::Listing listing = history.Points(history.CurrentController());
        QCOMPARE(listing.points.size(), std::size_t(1));
        QCOMPARE(listing.points.at(0).point.number, std::uint64_t(1));
        QCOMPARE(listing.problems.size(), std::size_t(2));
        QCOMPARE(listing.problems.at(0).kind, TuneHistory::Problem::Kind::DamagedLine);
        QCOMPARE(listing.problems.at(0).line, 3);
        QCOMPARE(listing.problems.at(1).kind, TuneHistory::Problem::Kind::Missing);

        QVERIFY(Add(history, RestoreCause::Store, 9));
        const QStringList aside =
            folder.entryList({QStringLiteral("index-damaged-*.txt")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(ReadAll(folder.filePath(aside.at(0))), text);
        // The damaged point's sets stay; the new one takes a number of its own.
        QVERIFY(folder.exists(QStringLiteral("000002-panel.tq4")));
        QCOMPARE(history.Points(history.CurrentController()).points.at(0).point.number,
                 std::uint64_t(4));
    }

    void theOldestPointsGoBeyondTheLimit() {
        TuneHistory history(Folder());
        history.OpenController(SetOf(1));
        const int count = int(TuneHistory::kPointsPerController) + 3;
        for (int i = 0; i < count; ++i) QVERIFY(Add(history, RestoreCause::Store, i));
        const TuneHistory::Listing listing = history.Points(history.CurrentController());
        QCOMPARE(listing.points.size(), TuneHistory::kPointsPerController);
        QCOMPARE(listing.points.back().point.number, std::uint64_t(4));
        const QDir folder(QDir(Folder()).filePath(history.CurrentController()));
        QVERIFY(!folder.exists(QStringLiteral("000003-panel.tq4")));
        QCOMPARE(folder.entryList({QStringLiteral("*.tq4")}, QDir::Files).size(),
                 int(2 * TuneHistory::kPointsPerController));
    }

    // Killed at any moment, the writer leaves a history whose every listed
    // point is whole and nothing told as damaged.
    void aKilledWriterLeavesOnlyWholePoints() {
        QRandomGenerator random(20261208);
        std::size_t points = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(),
                         {QString::fromLatin1(kWriterArgument), Folder()});
            QVERIFY(writer.waitForStarted());
            QTest::qWait(int(random.bounded(20, 250)));
            writer.kill();
            QVERIFY(writer.waitForFinished());
            QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

            TuneHistory history(Folder());
            history.OpenController(SetOf(1));
            const TuneHistory::Listing listing = history.Points(history.CurrentController());
            QVERIFY(listing.problems.empty());
            QVERIFY(listing.points.size() >= points);
            for (const TuneHistory::Point& point : listing.points) {
                const int base = point.panel[0];
                QCOMPARE(point.panel, SetOf(base));
                QCOMPARE(point.stored, SetOf(base + 1));
            }
            points = listing.points.size();
        }
        QVERIFY(points > 0);
    }

private:
    // A history of each test's own.
    QString Folder() const {
        return QDir(dir_.path()).filePath(QString::fromLatin1(QTest::currentTestFunction()));
    }

    QTemporaryDir dir_;
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == kWriterArgument) {
        return WritePointsForever(QString::fromLocal8Bit(argv[2]));
    }
    TestTuneHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tunehistory.moc"
