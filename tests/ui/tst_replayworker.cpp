// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The worker that reads a log for a replay, on its own beside a plain
// widget: its hand-over to the window's thread, its stop, and its end when
// deleted mid-read. Under ThreadSanitizer too, so nothing is painted: Qt
// paints large images in its thread pool, whose hand-overs the tool cannot
// see in Qt's uninstrumented libraries.
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <limits>

#include "tests/support/ReplayLogs.h"
#include "ui/ReplayLoad.h"
#include "ui/UiTexts.h"

namespace {
constexpr qint64 kLogBytes = qint64{24} << 20;
constexpr std::uint64_t kLimit = std::uint64_t{256} << 20;
constexpr int kReadingMs = 60'000;
// One piece of the reading, on a slow machine under a sanitizer.
constexpr int kStopsWithinMs = 1000;

// The reading, hidden: it would show itself after a moment and be painted.
ReplayLoad* Load(const QString& path, QWidget& window) {
    auto* load = new ReplayLoad(path, kLimit, kEnglishTexts.log, &window);
    load->Progress()->setMinimumDuration(std::numeric_limits<int>::max());
    return load;
}
}  // namespace

class TestReplayWorker : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        path_ = folder_.filePath(QStringLiteral("log.msl"));
        QVERIFY(WriteLongLog(path_, kLogBytes));
    }

    void readsTheLogAndHandsItOverOnce() {
        QWidget window;
        ReplayLoad* load = Load(path_, window);
        QSignalSpy read(load, &ReplayLoad::read);
        QVERIFY(read.wait(kReadingMs));
        const LogFileRead result = load->TakeRead();
        QCOMPARE(result.outcome, LogFileRead::Outcome::Read);
        QVERIFY(result.log.frames.size() > 500'000);
        QCOMPARE(result.log.skipped.Total(), std::size_t{0});
        QTest::qWait(100);
        QCOMPARE(read.size(), 1);
    }

    void cancelledItHandsOverNothingAndGoes() {
        QWidget window;
        const QPointer<ReplayLoad> load = Load(path_, window);
        QSignalSpy read(load, &ReplayLoad::read);
        load->Cancel();
        QTRY_VERIFY_WITH_TIMEOUT(load.isNull(), kStopsWithinMs);
        QCOMPARE(read.size(), 0);
    }

    void deletedWhileReadingItStopsAtOnce() {
        QWidget window;
        ReplayLoad* load = Load(path_, window);
        QTest::qWait(20);
        QElapsedTimer clock;
        clock.start();
        delete load;
        QVERIFY2(clock.elapsed() < kStopsWithinMs, qPrintable(QString::number(clock.elapsed())));
    }

private:
    QTemporaryDir folder_;
    QString path_;
};

QTEST_MAIN(TestReplayWorker)
#include "tst_replayworker.moc"
