// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// A 250 MB log read for a replay: the window keeps painting and answering
// while it is read, its progress shows, and Cancel or closing the window
// stops the reading at once. Seconds of reading, so not in the working loop.
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/Liveliness.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ReplayLogs.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ReplayLoad.h"
#include "ui/ReplayPanel.h"

namespace {
constexpr qint64 kLogBytes = 250'000'000;
// The window is asked to repaint this often while the log is read...
constexpr int kRepaintMs = 20;
// ...and never goes longer than this without its event loop running.
constexpr qint64 kLongestStallMs = 250;
// The reading on this machine takes seconds: room for a slow one.
constexpr int kReadingMs = 60'000;
// A cancelled or abandoned reading stops at its next piece.
constexpr qint64 kStopsWithinMs = 500;
}  // namespace

class TestReplayLarge : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        path_ = folder_.filePath(QStringLiteral("large.msl"));
        QVERIFY(WriteLongLog(path_, kLogBytes));
    }
    void init() { QVERIFY(window_.Open()); }
    void cleanup() { window_.Close(); }

    void theWindowPaintsWhileALargeLogIsRead() {
        CCalibDlg& dlg = *window_.dlg;
        QElapsedTimer clock;
        clock.start();
        const Liveliness liveliness(dlg, kRepaintMs);
        dlg.StartReplay(path_);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.ReplayBeingRead()->Progress()->isVisible(), kReadingMs);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Replay() != nullptr, kReadingMs);
        const qint64 readingMs = clock.elapsed();

        qInfo("read in %lld ms, %d paints, event loop still at most %lld ms", readingMs,
              liveliness.Paints(), liveliness.LongestStallMs());
        QVERIFY(liveliness.Paints() >= readingMs / kLongestStallMs);
        QVERIFY(liveliness.LongestStallMs() <= kLongestStallMs);
        QVERIFY(dlg.Replay()->Duration() > 0);
    }

    void cancelStopsTheReadingAtOnce() {
        CCalibDlg& dlg = *window_.dlg;
        ModalDriver driver;
        dlg.StartReplay(path_);
        const QPointer<ReplayLoad> load = dlg.ReplayBeingRead();
        QTRY_VERIFY_WITH_TIMEOUT(load->Progress()->isVisible(), kReadingMs);
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(load->Progress()->findChild<QPushButton*>(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(load.isNull(), int(kStopsWithinMs));
        qInfo("cancelled in %lld ms", clock.elapsed());
        QVERIFY(clock.elapsed() <= kStopsWithinMs);
        // Long after the reading would have ended, still nothing of it.
        QTest::qWait(3000);
        QVERIFY(dlg.Replay() == nullptr);
        QVERIFY(driver.seen.isEmpty());
    }

    void closingTheWindowWhileReadingEndsAtOnce() {
        window_.dlg->StartReplay(path_);
        QTRY_VERIFY_WITH_TIMEOUT(window_.dlg->ReplayBeingRead()->Progress()->isVisible(),
                                 kReadingMs);
        QElapsedTimer clock;
        clock.start();
        window_.Close();
        qInfo("closed in %lld ms", clock.elapsed());
        QVERIFY(clock.elapsed() <= kStopsWithinMs);
    }

private:
    QTemporaryDir folder_;
    QString path_;
    WindowFixture window_;
};

QTEST_MAIN(TestReplayLarge)
#include "tst_replaylarge.moc"
