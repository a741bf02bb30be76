// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The cell statistics against a virtual controller whose cell 5 runs lean:
// the panel suggests richer for that cell alone, Apply moves the spin and
// the change goes out only as the send scheduler sends it, and the applied
// suggestions bring the cell back to switching evenly.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/CellsPanel.h"
#include "ui/ControlIds.h"

namespace {
constexpr int kLeanCell = 5;
// Within cell 5 (1280..1535); lambda swings through all bands two or three
// times a second, frames at line rate.
const QStringList kLeanEngine = {"--petrol", "1400", "--lambda-step", "2048",
                                 "--gap",    "0",    "--lambda-bias", "5:+8000"};
constexpr int kStart = 100;
constexpr int kMostApplies = 6;
constexpr int kJudgedMs = 15000;
}  // namespace

class TestCellsPanel : public QObject {
    Q_OBJECT

private slots:
    void appliedSuggestionsCloseTheLoop() {
        SimProcess sim(kLeanEngine);
        QVERIFY(sim.Start());
        QVERIFY(window_.OpenLinkedTo(sim.PortPath().toStdString()));
        CCalibDlg& dlg = *window_.dlg;
        dlg.Command(CommandId::kShowCells)->trigger();
        CellsPanel& panel = *dlg.Cells();
        QVERIFY(panel.isVisible());

        QTRY_COMPARE_WITH_TIMEOUT(Suggested(panel).kind, Suggestion::Kind::Richer, kJudgedMs);
        for (int cell = 0; cell < CellStatistics::kCells; ++cell) {
            if (cell == kLeanCell) continue;
            QCOMPARE(panel.Statistics().Summary(cell).suggestion.steps, 0);
            QVERIFY(!panel.ApplyButton(cell)->isEnabled());
        }
        // Offered only while the spin can move (not while editing is off).
        dlg.SetEditingEnabled(false);
        panel.Refresh();
        QVERIFY(!panel.ApplyButton(kLeanCell)->isEnabled());
        dlg.SetEditingEnabled(true);
        panel.Refresh();
        QVERIFY(panel.ApplyButton(kLeanCell)->isEnabled());
        // A suggestion alone sends nothing.
        QCOMPARE(sim.LinesStartingWith(QStringLiteral("rx set")), QStringList());

        int applies = 0;
        for (; Suggested(panel).kind == Suggestion::Kind::Richer && applies < kMostApplies;
             ++applies) {
            const int steps = Suggested(panel).steps;
            const int value = dlg.Session().Panel()[kLeanCell] + steps;
            QTest::mouseClick(panel.ApplyButton(kLeanCell), Qt::LeftButton);
            QCOMPARE(dlg.ParamEdit(kLeanCell)->text(), QString::number(value));
            QCOMPARE(dlg.Session().Panel()[kLeanCell], value);
            // Not sent yet: only the next free send tick sends it.
            QVERIFY(int(dlg.Session().Record().deviceParams[kLeanCell]) != value);
            QTRY_VERIFY_WITH_TIMEOUT(sim.LinesStartingWith(QStringLiteral("rx set"))
                                         .contains(QStringLiteral("rx set 5 %1").arg(value)),
                                     5000);
            QTRY_VERIFY_WITH_TIMEOUT(Suggested(panel).kind != Suggestion::Kind::TooFewSamples,
                                     kJudgedMs);
        }
        QVERIFY(applies > 0);
        QCOMPARE(Suggested(panel).kind, Suggestion::Kind::Balanced);
        QVERIFY(!panel.ApplyButton(kLeanCell)->isEnabled());
        // The lean offset (2.5 steps of the controller) is mostly taken
        // back, and nothing else was sent.
        QVERIFY2(dlg.Session().Panel()[kLeanCell] - kStart >= 2,
                 qPrintable(QString::number(dlg.Session().Panel()[kLeanCell])));
        for (const QString& line : sim.LinesStartingWith(QStringLiteral("rx "))) {
            QVERIFY2(line.startsWith(QStringLiteral("rx set 5 ")), qPrintable(line));
        }
        // Each Apply is one step of the panel's history.
        for (int i = 0; i < applies; ++i) dlg.Session().Undo();
        QCOMPARE(dlg.Session().Panel()[kLeanCell], kStart);
        QVERIFY(!dlg.Session().CanUndo());
    }

private:
    // What the panel shows for the lean cell now.
    static Suggestion Suggested(CellsPanel& panel) {
        panel.Refresh();
        return panel.Statistics().Summary(kLeanCell).suggestion;
    }

    WindowFixture window_;
};

QTEST_MAIN(TestCellsPanel)
#include "tst_cellspanel.moc"
