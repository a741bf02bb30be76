// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The petrol ECU's trims through the real window, against the virtual
// controller and its OBD adapter: three cells of the gas map in error, the
// engine held in each of them and in a right one on petrol and on gas; the
// trims' suggestions say the direction of each erring cell and nothing for
// the right one, and applied they bring the ECU's trims within 2 %. And the
// adapter misbehaving leaves the controller's link and the panel alone.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "analysis/TrimStatistics.h"
#include "obd/ObdLink.h"
#include "session/SessionLogger.h"
#include "tests/support/LinkedWindow.h"
#include "ui/CellsPanel.h"
#include "ui/ControlIds.h"
#include "ui/TrimTable.h"

namespace {
constexpr int kObdPort = 5;
// Long enough for a dozen rounds.
constexpr qint64 kPacedWatchMs = 3000;
// Settling, the reply delay and ten samples, with room for a slow machine.
constexpr int kVisitMs = 15000;
constexpr int kStateMs = 10000;
constexpr int kRightCell = 8;

struct ErringCell {
    int cell;
    const char* error;
    TrimSuggestion::Kind kind;
};
const ErringCell kErring[] = {{3, "3:6", TrimSuggestion::Kind::Richer},
                              {6, "6:-5", TrimSuggestion::Kind::Leaner},
                              {10, "10:4", TrimSuggestion::Kind::Richer}};

// The middle of a cell, in 4 us steps.
QString MiddleOf(int cell) {
    return QString::number(cell * 256 + 128);
}

// "obd /dev/pts/N": the adapter's side of the simulator.
QString ObdPath(SimProcess& sim) {
    const QStringList lines = sim.LinesStartingWith(QStringLiteral("obd /dev/"));
    return lines.isEmpty() ? QString() : lines.last().section(QLatin1Char(' '), 1);
}

// The ECU's total trims per cell now, as the simulator tells them.
QList<double> SimulatorTrims(SimProcess& sim) {
    const int before = sim.LinesStartingWith(QStringLiteral("trims ")).size();
    sim.Command(QStringLiteral("trims"));
    QList<double> trims;
    if (!QTest::qWaitFor(
            [&] { return sim.LinesStartingWith(QStringLiteral("trims ")).size() > before; }, 3000))
        return trims;
    const QStringList lines = sim.LinesStartingWith(QStringLiteral("trims "));
    if (lines.size() <= before) return trims;
    for (const QString& value : lines.last().split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(1))
        trims << value.toDouble();
    return trims;
}
}  // namespace

class TestObdTrims : public QObject {
    Q_OBJECT

private:
    LinkedWindow linked_;

    CalibrationSession& Session() { return linked_.Dlg().Session(); }
    bool StartWithObd(QStringList arguments) {
        arguments << QStringLiteral("--obd") << QStringLiteral("--obd-delay")
                  << QStringLiteral("5");
        if (!linked_.Start(arguments)) return false;
        const QString path = ObdPath(*linked_.sim);
        if (path.isEmpty()) return false;
        linked_.window.ports.Set(kObdPort, path.toStdString());
        linked_.Dlg().Command(CommandId::ObdPort(kObdPort))->trigger();
        return QTest::qWaitFor(
            [this] { return Session().Obd().GetState() == ObdLink::State::Reading; }, kStateMs);
    }
    void Fuel(bool petrol) {
        linked_.sim->Command(petrol ? QStringLiteral("fuel petrol") : QStringLiteral("fuel gas"));
        linked_.Dlg().Command(petrol ? CommandId::kFuelPetrol : CommandId::kFuelGas)->trigger();
    }
    // Holds the engine in the cell until it has enough samples on the fuel.
    bool Visit(int cell, bool petrol) {
        linked_.sim->Command(QStringLiteral("petrol ") + MiddleOf(cell));
        return QTest::qWaitFor(
            [&] {
                const CellTrims trims = Session().Trims().Summary(cell);
                return (petrol ? trims.petrol : trims.gas).samples >= TrimRules{}.fewestSamples;
            },
            kVisitMs);
    }

private slots:
    void cleanup() { linked_.Close(); }

    void suggestionsFromTheTrimsBringTheErringCellsRight() {
        QStringList arguments{QStringLiteral("--petrol"), MiddleOf(kRightCell)};
        for (const ErringCell& erring : kErring)
            arguments << QStringLiteral("--trim-error") << QString::fromLatin1(erring.error);
        QVERIFY(StartWithObd(arguments));
        const QList<int> visited = {kErring[0].cell, kErring[1].cell, kRightCell, kErring[2].cell};
        for (const bool petrol : {true, false}) {
            Fuel(petrol);
            for (const int cell : visited)
                QVERIFY2(Visit(cell, petrol), qPrintable(MiddleOf(cell)));
        }
        QCOMPARE(Session().Trims().Summary(kRightCell).suggestion.kind,
                 TrimSuggestion::Kind::Balanced);
        // Reading is all the OBD side did: nothing went to the controller.
        QVERIFY(linked_.sim->LinesStartingWith(QStringLiteral("rx set")).isEmpty());
        // The log begun at the link-up ended when the adapter was chosen; the
        // one after it has the readings' columns, and the fuel changes.
        QFile log(Session().Logger().Path());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray logged = log.readAll();
        QVERIFY(logged.startsWith("Time\tCell\tPetrol\tGas\tLambda\tBand\tParam\tMark\tSTFT"));
        QVERIFY(logged.contains(" - fuel petrol\n") && logged.contains(" - fuel gas\n"));

        linked_.Dlg().Command(CommandId::kShowCells)->trigger();
        TrimTable* table = linked_.Dlg().Cells()->Trims();
        QVERIFY(table->isVisible());
        QVERIFY(!table->ApplyButton(kRightCell)->isEnabled());
        for (const ErringCell& erring : kErring) {
            const TrimSuggestion suggestion = Session().Trims().Summary(erring.cell).suggestion;
            QCOMPARE(suggestion.kind, erring.kind);
            QVERIFY(suggestion.againstPetrol);
            const int before = Session().Panel()[erring.cell];
            table->Refresh();
            QTest::mouseClick(table->ApplyButton(erring.cell), Qt::LeftButton);
            QCOMPARE(Session().Panel()[erring.cell], before + suggestion.steps);
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            Session().Record().unechoedMask == 0 && linked_.sim->ReceivedOnce().size() == 3,
            LinkedWindow::kWireTimeoutMs);
        const QList<double> trims = SimulatorTrims(*linked_.sim);
        QCOMPARE(trims.size(), 16);
        for (const ErringCell& erring : kErring)
            QVERIFY2(std::abs(trims[erring.cell]) <= 2.0,
                     qPrintable(QString::number(trims[erring.cell])));
    }

    // A quick adapter is asked no faster than a round each quarter second.
    void roundsArePacedEvenWithAQuickAdapter() {
        QVERIFY(StartWithObd({}));
        const qint64 before = Session().Obd().Rounds();
        QTest::qWait(kPacedWatchMs);
        const qint64 rounds = Session().Obd().Rounds() - before;
        const qint64 most = kPacedWatchMs / ObdLink::kShortestRound.count() + 1;
        QVERIFY2(rounds <= most && rounds >= most / 2, qPrintable(QString::number(rounds)));
    }

    // Garbage, NO DATA and a pulled adapter, each told above the trims; the
    // controller's link stays up and the panel as it was throughout.
    void aMisbehavingAdapterLeavesTheControllerAlone() {
        QVERIFY(StartWithObd({}));
        const PanelParams panel = Session().Panel();
        linked_.Dlg().Command(CommandId::kEnglish)->trigger();
        linked_.Dlg().Command(CommandId::kShowCells)->trigger();
        TrimTable* table = linked_.Dlg().Cells()->Trims();
        QTRY_VERIFY(table->StatusText().contains(QStringLiteral("reading")));
        struct Misdeed {
            const char* command;
            ObdLink::State state;
            const char* told;
        };
        for (const Misdeed& misdeed :
             {Misdeed{"obd nodata", ObdLink::State::NoData, "no data from the ECU"},
              Misdeed{"obd garbage", ObdLink::State::Garbled, "no adapter sends"},
              Misdeed{"obd unplug", ObdLink::State::Lost, "has gone"}}) {
            linked_.sim->Command(QString::fromLatin1(misdeed.command));
            QTRY_COMPARE_WITH_TIMEOUT(Session().Obd().GetState(), misdeed.state, kStateMs);
            QTRY_VERIFY(table->StatusText().contains(QString::fromLatin1(misdeed.told)));
            QVERIFY(Session().IsUp());
            QCOMPARE(Session().Panel(), panel);
        }
        const QString unplugged = ObdPath(*linked_.sim);
        linked_.sim->Command(QStringLiteral("obd talk"));
        linked_.sim->Command(QStringLiteral("obd plug"));
        QTRY_VERIFY(ObdPath(*linked_.sim) != unplugged);
        linked_.window.ports.Set(kObdPort, ObdPath(*linked_.sim).toStdString());
        QTRY_COMPARE_WITH_TIMEOUT(Session().Obd().GetState(), ObdLink::State::Reading, kStateMs);
        QVERIFY(linked_.sim->LinesStartingWith(QStringLiteral("rx ")).isEmpty());
        QVERIFY(Session().IsUp());
    }

    // The controller's port is never the adapter's.
    void theControllersPortIsRefused() {
        QVERIFY(linked_.Start());
        linked_.Dlg().Command(CommandId::kEnglish)->trigger();
        QCOMPARE(Session().SetObdPort(WindowFixture::kControllerPort),
                 CalibrationSession::ObdPortOutcome::ControllersPort);
        QCOMPARE(Session().ObdPort(), 0);
        QVERIFY(Session().IsUp());
    }
};

QTEST_MAIN(TestObdTrims)
#include "tst_obdtrims.moc"
