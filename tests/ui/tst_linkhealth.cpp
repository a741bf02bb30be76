// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The link health figures against the virtual controller, sending byte by
// byte without pauses as a real one: frames taken as it sends them, an echo
// timed, a resend while it does not apply what it gets, a loss after
// silence, discarded bytes and their hint after garbage; and the window that
// shows them, in both languages, while it is open only.
#include <QAction>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include "link/TickCount.h"
#include "tests/support/LinkedWindow.h"
#include "ui/ControlIds.h"
#include "ui/LinkHealthPanel.h"
#include "ui/SpinButton.h"

namespace {
constexpr int kAnswerMs = 3000;
// At 9600 baud the simulator sends 160 frames a second: those on their way
// and those of a read not yet handed on (a tenth of a second) are not taken.
constexpr long kFramesInFlight = 16;
// Longer than bytes come without a controller's frame before their hint.
constexpr int kGarbageMs = 6000;
}  // namespace

class TestLinkHealth : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { linked_.Close(); }

    void figuresFollowTheSimulator() {
        QVERIFY(linked_.Start({"--bytewise", "--gap", "0"}));
        CCalibDlg& dlg = linked_.Dlg();
        CalibrationSession& session = dlg.Session();
        SimProcess& sim = *linked_.sim;
        const auto figures = [&session] { return session.Health().Figures(SteadyMicros()); };
        QCOMPARE(session.AdapterLatencyMs(), std::nullopt);
        dlg.Command(CommandId::kEnglish)->trigger();
        QCOMPARE(dlg.HealthPanel(), nullptr);
        dlg.Command(CommandId::kShowLinkHealth)->trigger();
        LinkHealthPanel* panel = dlg.HealthPanel();
        QVERIFY(panel != nullptr && panel->isVisible() && panel->RefreshTimer().isActive());
        QCOMPARE(panel->Name(LinkHealthPanel::kResends)->text(), QStringLiteral("Resends"));
        QCOMPARE(panel->Hints()->text(), QStringLiteral("None."));

        const long sentBefore = sim.SentCount();
        const long takenBefore = long(figures().framesTaken);
        const QString shownBefore = panel->Value(LinkHealthPanel::kFramesTaken)->text();
        QTest::qWait(1500);
        const long sent = sim.SentCount() - sentBefore;
        const long taken = long(figures().framesTaken) - takenBefore;
        QVERIFY(std::abs(taken - sent) <= kFramesInFlight);
        // Once a whole second has gone by since the first frame.
        QTRY_VERIFY(figures().framesPerSecond > 120 && figures().framesPerSecond < 200);
        QVERIFY(panel->Value(LinkHealthPanel::kFramesTaken)->text() != shownBefore);

        QVERIFY(linked_.Step(5, true));
        QTRY_COMPARE_WITH_TIMEOUT(figures().echoes, 1u, kAnswerMs);
        QVERIFY(*figures().medianEchoUs > 0 && *figures().medianEchoUs < 1'000'000);

        const std::uint64_t resends = figures().resends;
        sim.Command(QStringLiteral("noecho"));
        QTRY_VERIFY(sim.Lines().contains(QStringLiteral("mode noecho")));
        QTest::mouseClick(dlg.Spin(6)->UpArrow(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(figures().resends > resends, kAnswerMs);
        sim.Command(QStringLiteral("echo"));
        QTRY_COMPARE_WITH_TIMEOUT(figures().echoes, 2u, kAnswerMs);

        QCOMPARE(figures().linkLosses, 0u);
        QVERIFY(linked_.Silence());
        QCOMPARE(figures().linkLosses, 1u);
        sim.Command(QStringLiteral("talk"));
        QVERIFY(linked_.window.WaitForLinkUp());
        QCOMPARE(figures().linkLosses, 1u);

        // Garbage: the frame reader gives the lock on the content up and
        // discards what follows, until a pause on the line, if one comes,
        // cuts frames from the garbage again.
        const LinkFigures before = figures();
        sim.Command(QStringLiteral("garbage"));
        QTRY_VERIFY_WITH_TIMEOUT(
            session.HealthHints(figures()) == std::vector<LinkHint>{LinkHint::BytesWithoutFrames},
            kGarbageMs);
        QVERIFY(figures().bytesDiscarded > before.bytesDiscarded);
        QTRY_VERIFY_WITH_TIMEOUT(panel->Hints()->text().startsWith("Bytes have come for"),
                                 2 * LinkHealthPanel::kRefreshMs);
        dlg.Command(CommandId::kChinese)->trigger();
        QCOMPARE(panel->windowTitle(), QStringLiteral("链路状况"));
        QVERIFY(panel->Hints()->text().startsWith(QStringLiteral("已收到")));

        // Closed, it reads nothing.
        panel->close();
        QVERIFY(!panel->RefreshTimer().isActive());
    }

private:
    LinkedWindow linked_;
};

QTEST_MAIN(TestLinkHealth)
#include "tst_linkhealth.moc"
