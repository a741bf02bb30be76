// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The chart of a replayed log: every frame reaches it, it looks as its
// reference does, and Space holds it still while frames go on arriving. A log
// with the petrol ECU's readings adds their strips, and only such a log.
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
const QString kObdReference = QStringLiteral(DX470_UI_REFERENCES "/chart-obd.png");
// A round of readings every 0.4 s, none from 2.5 s to 8 s: past the hold
// the traces stop. The fuel changes where the rounds come again.
constexpr int kRoundFrames = 64;
constexpr int kQuietFrom = 400;
constexpr int kQuietTo = 1280;
const QColor kShortTrimColour(0xD0, 0x30, 0x30);
const QColor kEngineSpeedColour(0xB0, 0x00, 0x60);
const QColor kReadoutGround(0xFF, 0xFF, 0xE1);

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

SessionFrame ObdFrame(int i) {
    SessionFrame frame = SweepFrame(i);
    if (i == kQuietTo) frame.mark = 2;
    if (i % kRoundFrames != 0 || (i >= kQuietFrom && i < kQuietTo)) return frame;
    const int round = i / kRoundFrames;
    frame.obd = ObdReadings{std::uint8_t(128 + (round % 9 - 4) * 6), std::uint8_t(136),
                            std::uint16_t(3200 + i * 8), std::uint8_t(100 + round),
                            std::uint8_t(60 + round * 5)};
    if (round % 5 == 3) frame.obd->longTrim.reset();
    return frame;
}

// A log with petrol sweeping, lambda swinging and a parameter sent half way;
// with OBD columns, the rounds of ObdFrame and a change of fuel.
bool WriteLog(const QString& path, bool withObd = false) {
    std::string text = LogHeader(withObd);
    for (int i = 0; i < kFrames; ++i) {
        if (i == kMarkedFrame) {
            AppendEventRow(
                text,
                {.kind = SessionEvent::Kind::ParameterSent, .number = 1, .index = 5, .value = 103});
        }
        if (withObd && i == kQuietTo) {
            AppendEventRow(text,
                           {.kind = SessionEvent::Kind::FuelChanged, .number = 2, .value = 1});
        }
        AppendFrameRow(text, withObd ? ObdFrame(i) : SweepFrame(i), withObd);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), qint64(text.size())) == qint64(text.size());
}

QImage Shown(ChartView& view) {
    return ReferencePicture::Grabbed(view);
}

bool HasColour(const QImage& image, const QRect& area, const QColor& colour) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == colour) return true;
        }
    }
    return false;
}

// From the first row of the readout's box to its last, in one column.
int ReadoutHeight(const QImage& image, int x) {
    int top = image.height();
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(x, y) != kReadoutGround) continue;
        top = std::min(top, y);
        bottom = y;
    }
    return bottom - top + 1;
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

    // The strips come with the readings of a replayed log, its trims and
    // engine drawn as the reference has them, and the readout has two lines
    // more; the history starting afresh takes them away.
    void obdReadingsAddTheirStrips() {
        QVERIFY(window_.Open());
        CCalibDlg& dlg = *window_.dlg;
        QVERIFY(QDir().mkpath(window_.DocumentsFolder()));
        const QString log = QDir(window_.DocumentsFolder()).filePath(QStringLiteral("obd.msl"));
        QVERIFY(WriteLog(log, true));
        dlg.Command(CommandId::kShowChart)->trigger();
        ChartView& view = *dlg.Chart()->View();
        view.setFixedSize(kChartSize);
        QVERIFY(!view.ShowsObd());

        QVERIFY(PlayLog(dlg, log));
        dlg.Replay()->SetSpeed(ReplayPanel::kFast);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Replay()->Speed() == ReplayPanel::kPaused, 10000);
        QVERIFY(view.ShowsObd());
        QCOMPARE(view.StripCount(), ChartView::kStrips + ChartView::kObdStrips);
        const QImage shown = Shown(view);
        QVERIFY(ReferencePicture::Matches(shown, kObdReference));
        QVERIFY(HasColour(shown, view.Strip(ChartView::kStrips), kShortTrimColour));
        QVERIFY(HasColour(shown, view.Strip(ChartView::kStrips + 1), kEngineSpeedColour));

        const QPointF within(view.width() * 0.8, view.height() / 2);
        QMouseEvent move(QEvent::MouseMove, within, view.mapToGlobal(within), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
        QVERIFY(ReadoutHeight(Shown(view), int(within.x()) + 10) >
                3 * QFontMetrics(view.font()).height());

        view.AddEvent({.kind = SessionEvent::Kind::ReplayStarted});
        for (int i = 0; i < kFrames; ++i) view.AddFrame(SweepFrame(i));
        QCOMPARE(view.StripCount(), ChartView::kStrips);
        QVERIFY(!HasColour(Shown(view), view.rect(), kEngineSpeedColour));
    }

    void cleanup() { window_.Close(); }

private:
    WindowFixture window_;
};

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
