// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The session log against the virtual controller: a log per link holding
// every frame shown, marks and events, a full disk that stops logging but not
// the link, and a replay that shows what was shown and sends nothing.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QToolButton>
#include <cstring>
#include <memory>

#include "link/Telemetry.h"
#include "log/LogFormat.h"
#include "session/SessionLogger.h"
#include "sim/ControllerModel.h"
#include "sim/SimOptions.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ReplayLogs.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/ReplayPanel.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"
#include "ui/UiTexts.h"

namespace {
constexpr int kPort = 3;
constexpr int kFirstLinkMs = 10'000;
constexpr int kRecordMs = 2'500;
// Frames one replay tick may be late by on a busy machine.
constexpr qint64 kReplayLatenessMs = 150;
// Frames of one read of the port that may come between link-up and a test's
// watch: a screen refresh's worth at line rate, with room.
constexpr qsizetype kFramesBeforeWatch = 8;
// The sweep repeats itself after more frames than this.
constexpr int kSweepSearch = 1024;

QStringList Logs(const WindowFixture& window) {
    QDir folder(window.DocumentsFolder() + QStringLiteral("/DX470 logs"));
    QStringList logs;
    for (const QString& name : folder.entryList({QStringLiteral("*.msl")}, QDir::Files, QDir::Name))
        logs << folder.filePath(name);
    return logs;
}

ParsedLog ReadLog(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray text = file.readAll();
    return ParseLog(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

// What the window shows for a frame of a controller with the simulator's
// parameters (all alike).
SessionFrame ShownFor(const ControllerModel::Frame& frame) {
    std::array<std::uint8_t, 17> params{};
    params.fill(SimOptions::kDefaultParameter);
    params[16] = 0;
    SessionFrame shown;
    shown.cell = frame[1] & 0x0F;
    shown.petrolRaw = frame[1] * 256 + frame[2];
    shown.lambdaRaw = frame[3] * 256 + frame[4];
    shown.gasTimeUs = ComputeGasTime(shown.cell, shown.petrolRaw, params);
    shown.param = SimOptions::kDefaultParameter;
    return shown;
}

bool SameReadings(SessionFrame logged, const SessionFrame& expected) {
    logged.timeUs = 0;
    logged.mark = 0;
    return logged == expected;
}

}  // namespace

class TestSessionLog : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { window_.Close(); }

    // Link, ten seconds, hang-up, link again: two logs, in a documents
    // folder with a Chinese name. The first holds one row per frame the
    // controller sent from the row it starts with, in order, as sent.
    void aLogPerLinkWithEveryFrameShown() {
        window_.SetDocumentsName(QStringLiteral("文档"));
        SimProcess first;
        QVERIFY(first.Start());
        QVERIFY(window_.OpenLinkedTo(first.PortPath().toStdString()));
        QTest::qWait(kFirstLinkMs);
        first.Command(QStringLiteral("silent"));
        QTest::qWait(300);
        first.Command(QStringLiteral("count"));
        QTRY_COMPARE(first.LinesStartingWith(QStringLiteral("sent ")).size(), 1);
        const int sent = first.LinesStartingWith(QStringLiteral("sent ")).first().mid(5).toInt();
        first.Command(QStringLiteral("hangup"));
        QTRY_VERIFY_WITH_TIMEOUT(!window_.State().linkUp, 5000);

        SimProcess second;
        QVERIFY(second.Start());
        window_.ports.Set(kPort, second.PortPath().toStdString());
        window_.Choose(CommandId::SelectPort(kPort));
        QVERIFY(window_.WaitForLinkUp());
        CCalibDlg& dlg = *window_.dlg;
        QTest::keyClick(&dlg, Qt::Key_F2);
        QCOMPARE(ShownPaneText(dlg, kMessagePane), QStringLiteral("已添加标记 1"));
        QTest::mouseClick(dlg.Spin(3)->UpArrow(), Qt::LeftButton);
        QTRY_VERIFY(!second.LinesStartingWith(QStringLiteral("rx set 3 101")).isEmpty());
        QTest::qWait(200);
        dlg.OnCancel();

        const QStringList logs = Logs(window_);
        QCOMPARE(logs.size(), 2);
        const ParsedLog log = ReadLog(logs[0]);
        QVERIFY(log.recognised);
        QCOMPARE(log.skipped.Total(), std::size_t{0});
        QVERIFY(!log.frames.empty());
        ControllerModel model(SimOptions::defaultParameters(), {});
        std::vector<SessionFrame> sweep;
        for (int k = 0; k < sent + kSweepSearch; ++k)
            sweep.push_back(ShownFor(model.nextTelemetryFrame()));
        int firstRow = 0;
        while (firstRow < kSweepSearch && !SameReadings(log.frames[0], sweep[firstRow])) ++firstRow;
        QVERIFY2(firstRow < kSweepSearch, "the first row is no frame of the controller's");
        QCOMPARE(int(log.frames.size()), sent - firstRow);
        for (std::size_t i = 0; i < log.frames.size(); ++i) {
            QVERIFY2(SameReadings(log.frames[i], sweep[firstRow + i]),
                     qPrintable(QString::number(i)));
            if (i > 0) QVERIFY(log.frames[i].timeUs > log.frames[i - 1].timeUs);
        }

        // The mark, then the change it came before, each numbered on the
        // frame that follows it.
        const ParsedLog secondLog = ReadLog(logs[1]);
        QVERIFY(secondLog.events.size() >= 2);
        QCOMPARE(secondLog.events[0].second.kind, SessionEvent::Kind::Mark);
        QCOMPARE(secondLog.events[1].second.kind, SessionEvent::Kind::ParameterSent);
        QCOMPARE(secondLog.events[1].second.index, 3);
        QCOMPARE(secondLog.events[1].second.value, 101);
        QCOMPARE(secondLog.frames.at(secondLog.events[0].first).mark, 1);
        QVERIFY(QFileInfo::exists(QString(logs[1]).replace(".msl", "_end.tq4")));
    }

    // The disk fills up: logging stops with its message, the link goes on.
    void aFullDiskStopsLoggingNotTheLink() {
        SimProcess sim;
        QVERIFY(sim.Start());
        QVERIFY(window_.OpenLinkedTo(sim.PortPath().toStdString()));
        CCalibDlg& dlg = *window_.dlg;
        QTRY_VERIFY(dlg.Session().Logger().Recording());
        const QString path = dlg.Session().Logger().Path();
        {
            const FileSizeLimit limit(QFileInfo(path).size() + 512);
            QVERIFY(limit.Set());
            QTRY_VERIFY_WITH_TIMEOUT(!dlg.Session().Logger().Recording(), 5000);
        }
        QCOMPARE(
            ShownPaneText(dlg, kMessagePane),
            QString::fromUtf8(kChineseTexts.log.stopped)
                .arg(QFileInfo(path).fileName(), QString::fromLocal8Bit(std::strerror(EFBIG))));
        int shown = 0;
        connect(&dlg.Session(), &CalibrationSession::readoutsShown, this, [&shown] { ++shown; });
        QTest::qWait(1000);
        QVERIFY(dlg.Session().Record().linkUp);
        QVERIFY(shown > 30);
    }

    // A log played back shows what was shown live, at the moments it was
    // shown, and nothing goes to the controller meanwhile, though a change
    // is waiting to be sent. The live link takes the window back afterwards.
    void replayShowsWhatWasShownAndSendsNothing() {
        SimProcess sim({QStringLiteral("--noecho")});
        QVERIFY(sim.Start());
        QVERIFY(window_.OpenLinkedTo(sim.PortPath().toStdString()));
        CCalibDlg& dlg = *window_.dlg;
        QList<WindowOps::Readouts> live;
        auto watch = connect(&dlg.Session(), &CalibrationSession::readoutsShown, this,
                             [&](const WindowOps::Readouts& readouts) {
                                 if (dlg.Session().Logger().Recording()) live << readouts;
                             });
        QTRY_VERIFY(dlg.Session().Logger().Recording());
        const QString path = dlg.Session().Logger().Path();
        QTest::qWait(kRecordMs);
        // Turned off, the log ends; the link stays.
        dlg.Command(CommandId::kRecordLogs)->trigger();
        QVERIFY(!dlg.Session().Logger().Recording());
        disconnect(watch);

        QTest::mouseClick(dlg.Spin(3)->UpArrow(), Qt::LeftButton);
        QTRY_VERIFY(!sim.LinesStartingWith(QStringLiteral("rx set")).isEmpty());
        QList<WindowOps::Readouts> replayed;
        QList<qint64> shownAt;
        QElapsedTimer clock;
        // The log is read on a worker: frames shown meanwhile are live ones.
        connect(&dlg.Session(), &CalibrationSession::readoutsShown, this,
                [&](const WindowOps::Readouts& readouts) {
                    if (dlg.Replay() == nullptr) return;
                    replayed << readouts;
                    shownAt << clock.elapsed();
                });
        clock.start();
        QVERIFY(PlayLog(dlg, path));
        QCOMPARE(ShownPaneText(dlg, kStatusPane), QStringLiteral("Replay"));
        QTest::qWait(200);  // a frame written just before may still be on its way
        const int sentBefore = sim.LinesStartingWith(QStringLiteral("rx ")).size();
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Replay()->Speed() == ReplayPanel::kPaused, kRecordMs + 3000);
        QCOMPARE(sim.LinesStartingWith(QStringLiteral("rx ")).size(), sentBefore);

        // The log began at link-up, a moment before the watch above: the
        // replay shows those first frames too, then exactly what was watched.
        const auto missed = replayed.size() - live.size();
        QVERIFY2(missed >= 0 && missed <= kFramesBeforeWatch, qPrintable(QString::number(missed)));
        QCOMPARE(replayed.mid(missed), live);
        const ParsedLog log = ReadLog(path);
        QCOMPARE(int(log.frames.size()), replayed.size());
        for (int i = 0; i < replayed.size(); ++i) {
            const qint64 due = (log.frames[i].timeUs - log.frames[0].timeUs) / 1000;
            QVERIFY2(qAbs(shownAt[i] - shownAt[0] - due) <= kReplayLatenessMs,
                     qPrintable(QStringLiteral("frame %1 due at %2 ms, shown at %3 ms")
                                    .arg(i)
                                    .arg(due)
                                    .arg(shownAt[i] - shownAt[0])));
        }

        // Four times as fast, from the start again.
        clock.restart();
        dlg.Replay()->SetSpeed(ReplayPanel::kFast);
        QTRY_VERIFY(dlg.Replay()->Speed() == ReplayPanel::kPaused);
        const qint64 quarter = dlg.Replay()->Duration() / 4000;
        QVERIFY(qAbs(clock.elapsed() - quarter) <= kReplayLatenessMs);

        dlg.EndReplay();
        QVERIFY(ShownPaneText(dlg, kStatusPane).startsWith(QStringLiteral("COM OK")));
        QTRY_VERIFY(sim.LinesStartingWith(QStringLiteral("rx ")).size() > sentBefore);
        // Logging stays off over a new link.
        const QStringList logs = Logs(window_);
        // The value raised above is not stored: go on without writing it.
        ModalDriver driver;
        driver.Press(QMessageBox::Discard);
        window_.Choose(CommandId::kPortAuto);
        QCOMPARE(driver.Unanswered(), 0);
        QVERIFY(window_.WaitForLinkUp());
        QCOMPARE(Logs(window_), logs);
    }

private:
    WindowFixture window_;
};

QTEST_MAIN(TestSessionLog)
#include "tst_sessionlog.moc"
