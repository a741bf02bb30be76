// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The tune history against the virtual controller: a link, a file load, two
// Applies and a store leave their restore points; the report between the
// first and the last lists exactly what changed; a partial restore sends only
// the parameters ticked, paced, and the controller ends with them.
#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "session/TuneHistory.h"
#include "tests/support/LinkedWindow.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/SendWatch.h"
#include "tests/ui/ParamFileTestSupport.h"
#include "ui/CellsPanel.h"
#include "ui/ControlIds.h"
#include "ui/HistoryWindow.h"

namespace {
const QStringList kControllerParams{
    QStringLiteral("--params"),
    QStringLiteral("10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160")};

QList<RestoreCause> Causes(const HistoryWindow& window) {
    QList<RestoreCause> causes;
    for (const TuneHistory::Point& point : window.ShownPoints()) causes << point.point.cause;
    return causes;
}

QStringList Column(const QTableWidget& table, int column) {
    QStringList texts;
    for (int row = 0; row < table.rowCount(); ++row) texts << table.item(row, column)->text();
    return texts;
}
}  // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { linked_.Close(); }

    void pointsReportAndAPartialRestore() {
        QVERIFY(linked_.Start(kControllerParams));
        CCalibDlg& dlg = linked_.Dlg();
        SimProcess& sim = *linked_.sim;

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("set.tq4"));
        QVERIFY(ParamFileTest::WriteBytes(
            path, ParamFileTest::LittleEndian(
                      {10, 25, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 99, 160})));
        qsizetype from = SendWatch::Seen(sim);
        ModalDriver driver;
        driver.TypeName(path);
        dlg.Command(CommandId::kFileOpen)->trigger();
        QCOMPARE(SendWatch::Check(SendWatch::Watch(sim, from, 2),
                                  SendWatch::SetFrames({{1, 25}, {14, 99}})),
                 QString());

        dlg.Command(CommandId::kShowCells)->trigger();
        from = SendWatch::Seen(sim);
        emit dlg.Cells()->applyRequested(3, 2);
        emit dlg.Cells()->applyRequested(3, 1);
        QTRY_COMPARE(int(dlg.Session().Record().deviceParams[3]), 43);
        QTest::mouseClick(static_cast<QPushButton*>(dlg.Control(ControlId::kWriteButton)),
                          Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(sim.LinesStartingWith(QStringLiteral("rx store")).size() == 1,
                                 SendWatch::kTimeoutMs);

        dlg.Command(CommandId::kShowHistory)->trigger();
        HistoryWindow& window = *dlg.History();
        QCOMPARE(Causes(window),
                 QList<RestoreCause>({RestoreCause::Store, RestoreCause::CellsApply,
                                      RestoreCause::FileLoad, RestoreCause::LinkUp}));
        QVERIFY(window.Problems()->text().isEmpty());

        // The first point against the last: what the load and the Applies
        // changed, and nothing else.
        QTableWidget& points = *window.Points();
        points.selectRow(0);
        points.selectionModel()->select(points.model()->index(3, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTableWidget& report = *window.Report();
        QCOMPARE(Column(report, HistoryWindow::kParamColumn),
                 QStringList({QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("14")}));
        QCOMPARE(Column(report, HistoryWindow::kFromColumn),
                 QStringList({QStringLiteral("20"), QStringLiteral("40"), QStringLiteral("150")}));
        QCOMPARE(Column(report, HistoryWindow::kWithColumn),
                 QStringList({QStringLiteral("25"), QStringLiteral("43"), QStringLiteral("99")}));
        QCOMPARE(report.item(2, HistoryWindow::kDifferenceColumn)->text(), QStringLiteral("-51"));
        QCOMPARE(report.item(2, HistoryWindow::kPetrolColumn)->text(),
                 QStringLiteral("14.336–15.360 ms"));

        report.item(0, HistoryWindow::kParamColumn)->setCheckState(Qt::Checked);
        report.item(2, HistoryWindow::kParamColumn)->setCheckState(Qt::Checked);
        from = SendWatch::Seen(sim);
        window.RestoreChosenButton()->click();
        QCOMPARE(SendWatch::Check(SendWatch::Watch(sim, from, 2),
                                  SendWatch::SetFrames({{1, 20}, {14, 150}})),
                 QString());
        sim.Command(QStringLiteral("dump"));
        QTRY_VERIFY(!sim.LinesStartingWith(QStringLiteral("params ")).isEmpty());
        QCOMPARE(sim.LinesStartingWith(QStringLiteral("params ")).constLast(),
                 QStringLiteral("params 10 20 30 43 50 60 70 80 90 100 110 120 130 140 150 160"));
        // The restore kept the panel before it, and is undone as one step.
        QCOMPARE(Causes(window).constFirst(), RestoreCause::Restore);
        dlg.Session().Undo();
        QCOMPARE(dlg.Session().Panel()[1], 25);
        QCOMPARE(dlg.Session().Panel()[14], 99);
    }

private:
    LinkedWindow linked_;
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
