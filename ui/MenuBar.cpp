// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/MenuBar.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>

#include "ports/core/PortLabel.h"
#include "ui/ControlIds.h"
#include "ui/QtTexts.h"
#include "ui/UiTexts.h"

MenuBar::MenuBar(const UiTexts& texts, QWidget* parent)
    : QMenuBar(parent), portGroup_(new QActionGroup(this)) {
    setObjectName(QStringLiteral("menuBar"));
    fileMenu_ = addMenu(Text(texts.menuTitles[kFileTitle]));
    AddCommand(fileMenu_, CommandId::kFileOpen, Text(texts.fileOpen));
    AddCommand(fileMenu_, CommandId::kFileSave, Text(texts.fileSave));
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, CommandId::kReplayLog, Text(texts.log.replayItem));
    // The item's text names the key already, so the menu does not add it again.
    AddCommand(fileMenu_, CommandId::kAddMark, Text(texts.log.markItem))
        ->setShortcut(QKeySequence(Qt::Key_F2));
    AddCommand(fileMenu_, CommandId::kOpenLogFolder, Text(texts.log.folderItem));
    AddCommand(fileMenu_, CommandId::kRecordLogs, Text(texts.log.recordItem))->setCheckable(true);
    AddCommand(fileMenu_, CommandId::kShowChart, Text(texts.analysis.chartItem));
    AddCommand(fileMenu_, CommandId::kShowCells, Text(texts.analysis.cellsItem));
    fileMenu_->addSeparator();
    AddHistoryCommands(texts.curve);
    AddCommand(fileMenu_, CommandId::kShowCurve, Text(texts.curve.curveItem));
    AddCommand(fileMenu_, CommandId::kShowHistory, Text(texts.history.historyItem));
    AddCommand(fileMenu_, CommandId::kShowLinkHealth, Text(texts.linkHealth.healthItem));
    obdMenu_ = fileMenu_->addMenu(Text(texts.obd.submenu));
    BuildObdMenu(texts.obd);
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, CommandId::kFileExit, Text(texts.fileExit));

    settingsMenu_ = addMenu(Text(texts.menuTitles[kSettingsTitle]));
    portMenu_ = settingsMenu_->addMenu(Text(texts.portSubmenu));
    BuildPortMenu();
    languageMenu_ = settingsMenu_->addMenu(Text(texts.languageSubmenu));
    AddCommand(languageMenu_, CommandId::kChinese, Text(kChineseItem))->setCheckable(true);
    AddCommand(languageMenu_, CommandId::kEnglish, Text(kEnglishItem))->setCheckable(true);
    Command(CommandId::kChinese)->setChecked(true);

    helpMenu_ = addMenu(Text(texts.menuTitles[kHelpTitle]));
    // The item's text names the key already, so the menu does not add it again.
    AddCommand(helpMenu_, CommandId::kHelp, Text(texts.helpManual))
        ->setShortcut(QKeySequence(Qt::Key_F1));
    AddCommand(helpMenu_, CommandId::kHelpAbout, Text(texts.helpAbout));

    fileMenu_->setObjectName(QStringLiteral("fileMenu"));
    settingsMenu_->setObjectName(QStringLiteral("settingsMenu"));
    portMenu_->setObjectName(QStringLiteral("portMenu"));
    languageMenu_->setObjectName(QStringLiteral("languageMenu"));
    obdMenu_->setObjectName(QStringLiteral("obdMenu"));
    helpMenu_->setObjectName(QStringLiteral("helpMenu"));
}

// The keys act in every window of the program, the curve editor's too; an
// edit with the focus hands them over (see CCalibDlg::eventFilter).
void MenuBar::AddHistoryCommands(const CurveTexts& texts) {
    QAction* undo = AddCommand(fileMenu_, CommandId::kUndo, Text(texts.undoItem));
    undo->setShortcuts(QKeySequence::Undo);
    QAction* redo = AddCommand(fileMenu_, CommandId::kRedo, Text(texts.redoItem));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* action : {undo, redo}) {
        action->setShortcutContext(Qt::ApplicationShortcut);
        action->setEnabled(false);
    }
}

void MenuBar::BuildPortMenu() {
    portGroup_->setExclusive(true);
    auto addPortItem = [this](int commandId, const QString& text) {
        QAction* action = AddCommand(portMenu_, commandId, text);
        action->setCheckable(true);
        portGroup_->addAction(action);
    };
    addPortItem(CommandId::kPortAuto, QStringLiteral("AUTO"));
    addPortItem(CommandId::kPortOffline, QStringLiteral("OFFLINE"));
    portMenu_->addSeparator();
    for (int port = CommandId::kFirstHandPort; port <= CommandId::kLastHandPort; ++port) {
        addPortItem(CommandId::SelectPort(port), QStringLiteral("COM%1").arg(port));
    }
}

// The ports by their COM names only: the controller's submenu names the
// adapters.
void MenuBar::BuildObdMenu(const ObdTexts& texts) {
    auto* ports = new QActionGroup(this);
    auto* fuels = new QActionGroup(this);
    auto addItem = [this](QActionGroup* group, int commandId, const QString& text) {
        QAction* action = AddCommand(obdMenu_, commandId, text);
        action->setCheckable(true);
        group->addAction(action);
    };
    addItem(ports, CommandId::kObdNone, Text(texts.offItem));
    obdMenu_->addSeparator();
    for (int port = CommandId::kFirstHandPort; port <= CommandId::kLastHandPort; ++port) {
        addItem(ports, CommandId::ObdPort(port), QStringLiteral("COM%1").arg(port));
    }
    obdMenu_->addSeparator();
    addItem(fuels, CommandId::kFuelPetrol, Text(texts.petrolItem));
    addItem(fuels, CommandId::kFuelGas, Text(texts.gasItem));
    MarkObdPort(0);
    MarkFuel(false);
}

void MenuBar::SetObdTexts(const ObdTexts& texts) {
    obdMenu_->setTitle(Text(texts.submenu));
    Command(CommandId::kObdNone)->setText(Text(texts.offItem));
    Command(CommandId::kFuelPetrol)->setText(Text(texts.petrolItem));
    Command(CommandId::kFuelGas)->setText(Text(texts.gasItem));
}

void MenuBar::MarkObdPort(int port) {
    QAction* item = Command(port == 0 ? CommandId::kObdNone : CommandId::ObdPort(port));
    if (item != nullptr) item->setChecked(true);
}

void MenuBar::MarkFuel(bool petrol) {
    Command(petrol ? CommandId::kFuelPetrol : CommandId::kFuelGas)->setChecked(true);
}

QAction* MenuBar::AddCommand(QMenu* menu, int commandId, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setData(commandId);
    commands_.insert(commandId, action);
    return action;
}

void MenuBar::ShowPortLabels(const std::vector<PortEntry>& ports) {
    QHash<int, QString> labels;
    for (const PortEntry& port : ports) {
        if (!labels.contains(port.comPort))
            labels.insert(port.comPort, QString::fromStdString(PortLabel(port)));
    }
    for (int port = CommandId::kFirstHandPort; port <= CommandId::kLastHandPort; ++port) {
        SetPortLabel(port, labels.value(port, QStringLiteral("COM%1").arg(port)));
    }
}

QAction* MenuBar::Title(int position) const {
    const QList<QAction*> titles = actions();
    return position >= 0 && position < titles.size() ? titles.at(position) : nullptr;
}

QAction* MenuBar::ItemAt(const QMenu* menu, int position) {
    const QList<QAction*> items = menu->actions();
    return position >= 0 && position < items.size() ? items.at(position) : nullptr;
}

int MenuBar::PortPosition(WindowOps::PortChoice choice) {
    using Kind = WindowOps::PortChoice::Kind;
    constexpr int kAutoPosition = 0;
    constexpr int kOfflinePosition = 1;
    constexpr int kPositionsBeforeCom1 = 2;
    if (choice.kind == Kind::Auto) return kAutoPosition;
    if (choice.kind == Kind::Offline) return kOfflinePosition;
    return choice.port + kPositionsBeforeCom1;
}

void MenuBar::SetPortLabel(int port, const QString& label) {
    QAction* item = ItemAt(portMenu_, PortPosition({WindowOps::PortChoice::Kind::Port, port}));
    if (item != nullptr) item->setText(label);
}

void MenuBar::SetPortRadioMark(int position) {
    QAction* item = ItemAt(portMenu_, position);
    if (item != nullptr && item->isCheckable()) item->setChecked(true);
}

int MenuBar::PortRadioMark() const {
    const QList<QAction*> items = portMenu_->actions();
    for (int position = 0; position < items.size(); ++position) {
        if (items.at(position)->isChecked()) return position;
    }
    return -1;
}
