// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The window's views over time: the chart and the cell statistics. Both are
// made when first asked for, so a window that never opens them starts, runs
// and costs exactly as before; once made they follow every frame shown, live
// or replayed, and every event.
#include <QAction>

#include "ui/CCalibDlg.h"
#include "ui/CellsPanel.h"
#include "ui/ChartView.h"
#include "ui/ChartWindow.h"
#include "ui/ControlIds.h"
#include "ui/SpinButton.h"
#include "ui/UiTexts.h"

namespace {
void ShowInFront(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}
}  // namespace

void CCalibDlg::OnShowChart() {
    if (chartWindow_ == nullptr) {
        chartWindow_ = new ChartWindow(Texts(), this);
        connect(this, &CCalibDlg::frameShown, chartWindow_->View(), &ChartView::AddFrame);
        connect(this, &CCalibDlg::eventNoted, chartWindow_->View(), &ChartView::AddEvent);
    }
    ShowInFront(chartWindow_);
}

void CCalibDlg::OnShowCells() {
    if (cellsPanel_ == nullptr) {
        cellsPanel_ = new CellsPanel(Texts(), this);
        connect(this, &CCalibDlg::frameShown, cellsPanel_, &CellsPanel::AddFrame);
        connect(this, &CCalibDlg::eventNoted, cellsPanel_, &CellsPanel::AddEvent);
        connect(cellsPanel_, &CellsPanel::applyRequested, this, &CCalibDlg::ApplySuggestion);
        // No link, or a replay: the spins are off and Apply would do nothing.
        cellsPanel_->SetApplyAllowed([this](int cell) { return Spin(cell)->isEnabled(); });
    }
    ShowInFront(cellsPanel_);
}

// The spin does what a click does: the panel's value changes and the send
// scheduler sends it in its own time. A spin that is off (no link, a
// replay) does not move, and then nothing changed.
void CCalibDlg::ApplySuggestion(int cell, int steps) {
    SpinButton* spin = Spin(cell);
    const int before = spin->Position();
    spin->Step(steps);
    if (spin->Position() != before) cellsPanel_->RestartCell(cell);
}

void CCalibDlg::ApplyAnalysisTexts(const UiTexts& texts) {
    Command(CommandId::kShowChart)->setText(QString::fromUtf8(texts.analysis.chartItem));
    Command(CommandId::kShowCells)->setText(QString::fromUtf8(texts.analysis.cellsItem));
    if (chartWindow_ != nullptr) chartWindow_->SetLanguage(texts);
    if (cellsPanel_ != nullptr) cellsPanel_->SetLanguage(texts);
}
