// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The chart of a replayed log: every frame reaches it, it looks as its
// reference does, and Space holds it still while frames go on arriving.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <string>

#include "log/LogFormat.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/ReplayLogs.h"
#include "tests/support/WindowFixture.h"
#include "ui/ChartView.h"
#include "ui/ChartWindow.h"
#include "ui/ControlIds.h"
#include "ui/ReplayPanel.h"

namespace {
// Ten seconds at line rate.
constexpr int kFrames = 1600;
constexpr std::int64_t kFrameUs = 6250;
constexpr int kMarkedFrame = 800;
const QSize kChartSize(640, 400);
const QString kReference = QStringLiteral(DX470_UI_REFERENCES "/chart-replay.png");

SessionFrame SweepFrame(int i) {
    const std::int32_t petrol = (i * 3) % 4096;
    return {.timeUs = i * kFrameUs,
            .cell = petrol / 256,
            .petrolRaw = petrol,
            .gasTimeUs = petrol * 4 + 1400,
            .lambdaRaw = (i * 997) % 65536,
            .param = 100,
            .mark = i == kMarkedFrame ? 1 : 0};
}

// A log with petrol sweeping, lambda swinging and a parameter sent half way.
bool WriteLog(const QString& path) {
    std::string text = LogHeader();
    for (int i = 0; i < kFrames; ++i) {
        if (i == kMarkedFrame) {
            AppendEventRow(
                text,
                {.kind = SessionEvent::Kind::ParameterSent, .number = 1, .index = 5, .value = 103});
        }
        AppendFrameRow(text, SweepFrame(i));
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), qint64(text.size())) == qint64(text.size());
}

QImage Shown(ChartView& view) {
    return ReferencePicture::Grabbed(view);
}
}  // namespace

class TestChart : public QObject {
    Q_OBJECT

private slots:
    void replayedLogLooksAsItsReference() {
        QVERIFY(window_.Open());
        CCalibDlg& dlg = *window_.dlg;
        const QString log = QDir(window_.DocumentsFolder()).filePath(QStringLiteral("sweep.msl"));
        QVERIFY(QDir().mkpath(window_.DocumentsFolder()));
        QVERIFY(WriteLog(log));
        dlg.Command(CommandId::kShowChart)->trigger();
        ChartView& view = *dlg.Chart()->View();
        view.setFixedSize(kChartSize);

        QVERIFY(PlayLog(dlg, log));
        dlg.Replay()->SetSpeed(ReplayPanel::kFast);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Replay()->Speed() == ReplayPanel::kPaused, 10000);
        QCOMPARE(view.History().Size(), std::size_t(kFrames));
        const QImage shown = Shown(view);
        QVERIFY(ReferencePicture::Matches(shown, kReference));

        // Paused, new frames change nothing shown; going on, they do.
        QTest::keyClick(&view, Qt::Key_Space);
        QVERIFY(view.Paused());
        const QImage paused = Shown(view);
        for (int i = kFrames; i < kFrames + 100; ++i) view.AddFrame(SweepFrame(i));
        QCOMPARE(Shown(view), paused);
        QTest::keyClick(&view, Qt::Key_Space);
        const QImage going = Shown(view);
        QVERIFY(going != shown);
        // The mouse over the chart reads the values there.
        const QPointF within(view.width() * 0.8, view.height() / 2);
        QMouseEvent move(QEvent::MouseMove, within, view.mapToGlobal(within), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
        QVERIFY(Shown(view) != going);
        // A longer span shows the same frames narrower.
        const QImage thirty = Shown(view);
        QTest::mouseClick(dlg.Chart()->SpanButton(2), Qt::LeftButton);
        QCOMPARE(view.SpanSeconds(), 120);
        QVERIFY(Shown(view) != thirty);

        // The open window follows the language.
        dlg.Command(CommandId::kEnglish)->trigger();
        QCOMPARE(dlg.Chart()->windowTitle(), QStringLiteral("DX470 chart"));
    }

private:
    WindowFixture window_;
};

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
