// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// A log read for a replay off the window's thread: refused by its size,
// cancelled with nothing shown, given up for another; a replay
// whose length does not fit a millisecond count in an int; and the line that
// says which rows of a log were skipped and why.
#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

#include "tests/support/ModalDriver.h"
#include "tests/support/ReplayLogs.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/ReplayLoad.h"
#include "ui/ReplayPanel.h"
#include "ui/StatusPanes.h"
#include "ui/UiTexts.h"

namespace {
constexpr std::int64_t kUsPerDay = 86'400'000'000;
// Long enough that its reading is still going on when a test acts.
constexpr qint64 kLongLogBytes = qint64{40} << 20;
// Past the window's limit of 256 MiB.
constexpr qint64 kOverTheLimit = qint64{300} << 20;
// A cancelled or abandoned reading stops at its next piece, in milliseconds.
// (tst_replaylarge holds it to a tighter bound on a longer log, and closes
// the window during a reading.)
constexpr int kStopsWithinMs = 1000;
// What a whole reading of the long log takes on a slow machine, with room.
constexpr int kWholeReadingMs = 3000;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}
}  // namespace

class TestReplayLoad : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(folder_.isValid());
        QVERIFY(window_.Open());
    }
    void cleanup() { window_.Close(); }

    // The size decides before any byte is read (a sparse file here).
    void aLogOverTheLimitIsRefused() {
        const QString path = folder_.filePath(QStringLiteral("big.msl"));
        QFile big(path);
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(kOverTheLimit));
        big.close();
        ModalDriver driver;
        driver.Press(QMessageBox::Ok);

        window_.dlg->StartReplay(path);

        QTRY_COMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen[0].text,
                 Text(kChineseTexts.log.replayRefused)
                     .arg(QStringLiteral("big.msl"), Text(kChineseTexts.log.tooLarge)));
        QVERIFY(window_.dlg->Replay() == nullptr);
        QVERIFY(window_.dlg->ReplayBeingRead() == nullptr);
    }

    // Cancel stops the worker at its next piece; nothing it read is shown,
    // and the window goes on as it was.
    void aCancelledReadingShowsNothing() {
        const QString path = LongLog();
        CCalibDlg& dlg = *window_.dlg;
        const QString statusBefore = ShownPaneText(dlg, kStatusPane);
        ModalDriver driver;
        dlg.StartReplay(path);
        const QPointer<ReplayLoad> load = dlg.ReplayBeingRead();
        QVERIFY(load != nullptr);
        QVERIFY(load->Progress()->windowTitle().endsWith(QStringLiteral("long.msl")));

        QElapsedTimer clock;
        clock.start();
        load->Progress()->findChild<QPushButton*>()->click();

        QTRY_VERIFY_WITH_TIMEOUT(load.isNull(), kStopsWithinMs);
        QTest::qWait(kWholeReadingMs - int(clock.elapsed()));
        QVERIFY(dlg.Replay() == nullptr);
        QVERIFY(driver.seen.isEmpty());
        QCOMPARE(ShownPaneText(dlg, kStatusPane), statusBefore);
        // Another log is read afterwards as if none had been cancelled.
        QVERIFY(PlayLog(dlg, ShortLog({0, 1'000'000})));
    }

    // A second log chosen while the first is read replaces it.
    void aSecondLogGivesUpTheFirst() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.StartReplay(LongLog());
        const QPointer<ReplayLoad> first = dlg.ReplayBeingRead();
        QVERIFY(PlayLog(dlg, ShortLog({0, 2'000'000})));
        QCOMPARE(dlg.Replay()->Duration(), 2'000'000);
        QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), kStopsWithinMs);
        QTest::qWait(kWholeReadingMs);
        QCOMPARE(dlg.Replay()->Duration(), 2'000'000);
    }

    // 35 days do not fit a millisecond count in an int: End on the slider
    // still goes to the last frame, Home back to the first.
    void aLogOfWeeksEndsAtItsLastFrame() {
        CCalibDlg& dlg = *window_.dlg;
        const std::int64_t length = 35 * kUsPerDay;
        QVERIFY(PlayLog(dlg, ShortLog({0, length / 2, length})));
        ReplayPanel& replay = *dlg.Replay();
        replay.SetSpeed(ReplayPanel::kPaused);
        QCOMPARE(replay.Duration(), length);
        QList<std::int64_t> shown;
        connect(&dlg.Session(), &CalibrationSession::frameShown, this,
                [&shown](const SessionFrame& frame) { shown << frame.timeUs; });

        QTest::keyClick(replay.Slider(), Qt::Key_End);
        QCOMPARE(replay.Position(), length);
        QCOMPARE(shown, QList<std::int64_t>{length});
        QTest::keyClick(replay.Slider(), Qt::Key_Home);
        QCOMPARE(replay.Position(), 0);
        QCOMPARE(shown.last(), 0);
    }

    // The latest time a log can hold: played from just before it, the
    // replay reaches its end and stops there, nothing overflowing.
    void aLogReachingTheEndOf64BitsPlaysToItsEnd() {
        CCalibDlg& dlg = *window_.dlg;
        const std::int64_t last = std::numeric_limits<std::int64_t>::max() / 1000 * 1000;
        QVERIFY(PlayLog(dlg, ShortLog({0, last})));
        ReplayPanel& replay = *dlg.Replay();
        QCOMPARE(replay.Duration(), last);
        replay.SeekTo(last - 1);
        replay.SetSpeed(ReplayPanel::kFast);
        QTRY_COMPARE(replay.Speed(), ReplayPanel::kPaused);
        QCOMPARE(replay.Position(), last);
        QCOMPARE(replay.Slider()->value(), replay.Slider()->maximum());
    }

    // Times running backwards leave one frame to play; the replay window
    // says how many rows were skipped and why, in the language shown.
    void skippedRowsAreCountedWithTheirReason() {
        std::vector<SessionFrame> backwards;
        for (std::int64_t i = 2000; i > 0; --i) backwards.push_back(LogFrameAt(i * 16'000));
        CCalibDlg& dlg = *window_.dlg;
        QVERIFY(PlayLog(dlg, ShortLog(backwards)));
        QLabel* line = dlg.Replay()->SkippedLine();
        QVERIFY(line->isVisible());
        QCOMPARE(line->text(), Text(kChineseTexts.log.skippedBackwards).arg(1999));
        dlg.Command(CommandId::kEnglish)->trigger();
        QCOMPARE(line->text(), QStringLiteral("Rows skipped (time runs backwards): 1999"));

        QVERIFY(PlayLog(dlg, ShortLog({0, 1'000})));
        QVERIFY(!dlg.Replay()->SkippedLine()->isVisible());
    }

private:
    QString ShortLog(const std::vector<std::int64_t>& times) {
        std::vector<SessionFrame> frames;
        for (const std::int64_t time : times) frames.push_back(LogFrameAt(time));
        return ShortLog(frames);
    }
    QString ShortLog(const std::vector<SessionFrame>& frames) {
        const QString path = folder_.filePath(QStringLiteral("short%1.msl").arg(++logs_));
        return WriteLog(path, frames) ? path : QString();
    }
    // Written once for the tests that need it.
    QString LongLog() {
        const QString path = folder_.filePath(QStringLiteral("long.msl"));
        if (!QFile::exists(path) && !WriteLongLog(path, kLongLogBytes)) return {};
        return path;
    }

    QTemporaryDir folder_;
    WindowFixture window_;
    int logs_ = 0;
};

QTEST_MAIN(TestReplayLoad)
#include "tst_replayload.moc"
