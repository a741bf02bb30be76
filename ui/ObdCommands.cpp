// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/ObdCommands.h"

#include <QAction>
#include <QMessageBox>

#include "obd/ObdLink.h"
#include "session/CalibrationSession.h"
#include "ui/ControlIds.h"
#include "ui/MenuBar.h"
#include "ui/UiTexts.h"

namespace {
QString ComName(int port) {
    return QStringLiteral("COM%1").arg(port);
}
}  // namespace

ObdCommands::ObdCommands(QWidget* window, MenuBar& menu, CalibrationSession& session,
                         const UiTexts& texts)
    : QObject(window), window_(window), menu_(menu), session_(session), texts_(&texts) {
    connect(menu_.Command(CommandId::kObdNone), &QAction::triggered, this,
            [this] { ChoosePort(0); });
    for (int port = CommandId::kFirstHandPort; port <= CommandId::kLastHandPort; ++port) {
        connect(menu_.Command(CommandId::ObdPort(port)), &QAction::triggered, this,
                [this, port] { ChoosePort(port); });
    }
    connect(menu_.Command(CommandId::kFuelPetrol), &QAction::triggered, this,
            [this] { session_.SetFuel(Fuel::Petrol); });
    connect(menu_.Command(CommandId::kFuelGas), &QAction::triggered, this,
            [this] { session_.SetFuel(Fuel::Gas); });
    connect(&session_, &CalibrationSession::obdPortMarked, this,
            [this](int port) { menu_.MarkObdPort(port); });
    connect(&session_, &CalibrationSession::fuelMarked, this,
            [this](Fuel fuel) { menu_.MarkFuel(fuel == Fuel::Petrol); });
    menu_.MarkObdPort(session_.ObdPort());
    menu_.MarkFuel(session_.CurrentFuel() == Fuel::Petrol);
}

void ObdCommands::SetLanguage(const UiTexts& texts) {
    texts_ = &texts;
    menu_.SetObdTexts(texts.obd);
}

// The menu's mark goes back to the port in use when the choice is refused.
void ObdCommands::ChoosePort(int port) {
    if (session_.SetObdPort(port) == CalibrationSession::ObdPortOutcome::Set) return;
    menu_.MarkObdPort(session_.ObdPort());
    QMessageBox::warning(window_, QString::fromUtf8(texts_->obd.submenu),
                         QString::fromUtf8(texts_->obd.controllersPort).arg(ComName(port)));
}

QString ObdCommands::StateText(const UiTexts& texts, const CalibrationSession& session) {
    const ObdLink& obd = session.Obd();
    const auto state = static_cast<std::size_t>(obd.GetState());
    const QString text = QString::fromUtf8(texts.obd.states.at(state));
    if (text.contains(QStringLiteral("%2")))
        return text.arg(ComName(obd.Port()), obd.AdapterName());
    if (text.contains(QStringLiteral("%1"))) return text.arg(ComName(obd.Port()));
    return text;
}

QString ObdCommands::FuelText(const UiTexts& texts, const CalibrationSession& session) {
    return QString::fromUtf8(session.CurrentFuel() == Fuel::Petrol ? texts.obd.onPetrol
                                                                   : texts.obd.onGas);
}
