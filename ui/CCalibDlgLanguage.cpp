// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Switching the window's texts between Chinese and English.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <utility>

#include "ui/AccessibleNames.h"
#include "ui/AnalysisViews.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/CurveEditing.h"
#include "ui/HelpWindow.h"
#include "ui/HistoryWindow.h"
#include "ui/LinkHealthPanel.h"
#include "ui/MenuBar.h"
#include "ui/ObdCommands.h"
#include "ui/QtTexts.h"
#include "ui/ReplayViews.h"
#include "ui/UiTexts.h"
#include "ui/UnstoredMarks.h"

const UiTexts& CCalibDlg::Texts() const {
    return englishUi_ ? kEnglishTexts : kChineseTexts;
}

void CCalibDlg::ApplyChineseTexts() {
    ApplyTexts(kChineseTexts, false);
}

void CCalibDlg::ApplyEnglishTexts() {
    ApplyTexts(kEnglishTexts, true);
}

// Both languages take the same steps in the same order. Menu items are
// renamed in place, so titles keep their menus, items keep their ids, and
// the port submenu keeps its radio mark.
void CCalibDlg::ApplyTexts(const UiTexts& texts, bool english) {
    QMenu* languageMenu = menuBar_->LanguageMenu();
    MenuBar::ItemAt(languageMenu, MenuBar::kChinesePosition)->setChecked(!english);
    MenuBar::ItemAt(languageMenu, MenuBar::kEnglishPosition)->setChecked(english);

    writeButton_->setText(Text(texts.writeButton));
    exitButton_->setText(Text(texts.exitButton));

    for (int position = MenuBar::kFileTitle; position <= MenuBar::kHelpTitle; ++position) {
        menuBar_->Title(position)->setText(Text(texts.menuTitles[position]));
    }
    QMenu* settingsMenu = menuBar_->SettingsMenu();
    MenuBar::ItemAt(settingsMenu, MenuBar::kPortSubmenu)->setText(Text(texts.portSubmenu));
    MenuBar::ItemAt(settingsMenu, MenuBar::kLanguageSubmenu)->setText(Text(texts.languageSubmenu));

    // A renamed File item comes back enabled; Open and Save are greyed again
    // below while there is no link.
    const std::pair<int, const char*> fileItems[] = {{CommandId::kFileOpen, texts.fileOpen},
                                                     {CommandId::kFileSave, texts.fileSave},
                                                     {CommandId::kFileExit, texts.fileExit}};
    for (const auto& [commandId, text] : fileItems) {
        Command(commandId)->setText(Text(text));
        Command(commandId)->setEnabled(true);
    }
    Command(CommandId::kHelp)->setText(Text(texts.helpManual));
    Command(CommandId::kHelpAbout)->setText(Text(texts.helpAbout));
    if (helpWindow_ != nullptr) helpWindow_->SetLanguage(texts);
    Command(CommandId::kReplayLog)->setText(Text(texts.log.replayItem));
    Command(CommandId::kAddMark)->setText(Text(texts.log.markItem));
    Command(CommandId::kOpenLogFolder)->setText(Text(texts.log.folderItem));
    Command(CommandId::kRecordLogs)->setText(Text(texts.log.recordItem));
    replay_->SetLanguage(texts);
    Command(CommandId::kShowChart)->setText(Text(texts.analysis.chartItem));
    Command(CommandId::kShowCells)->setText(Text(texts.analysis.cellsItem));
    analysis_->SetLanguage(texts);
    obdCommands_->SetLanguage(texts);
    Command(CommandId::kUndo)->setText(Text(texts.curve.undoItem));
    Command(CommandId::kRedo)->setText(Text(texts.curve.redoItem));
    Command(CommandId::kShowCurve)->setText(Text(texts.curve.curveItem));
    curveEditing_->SetLanguage(texts);
    Command(CommandId::kShowHistory)->setText(Text(texts.history.historyItem));
    if (historyWindow_ != nullptr) historyWindow_->SetLanguage(texts);
    Command(CommandId::kShowLinkHealth)->setText(Text(texts.linkHealth.healthItem));
    if (linkHealthPanel_ != nullptr) linkHealthPanel_->SetLanguage(texts);

    const char* const labelTexts[] = {texts.petrolLabel, texts.gasLabel, texts.lambdaLabel,
                                      texts.paramRowLabel};
    for (std::size_t i = 0; i < labels_.size(); ++i) labels_[i]->setText(Text(labelTexts[i]));
    AccessibleNames::Apply(controls_, *menuBar_, *statusBar_, texts.accessible);
    unstoredMarks_->Name(texts.unstored);

    SetCaption(Text(texts.caption));
    englishUi_ = english;
    // A replay holds editing off as a lost link does.
    if (!session_.Editing() || session_.Replaying()) {
        Command(CommandId::kFileOpen)->setEnabled(false);
        Command(CommandId::kFileSave)->setEnabled(false);
    }

    // The background picture follows englishUi; show it now, not on the next
    // pass of the event loop.
    menuBar_->update();
    repaint();
}
