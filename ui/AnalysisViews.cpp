// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/AnalysisViews.h"

#include "session/CalibrationSession.h"
#include "ui/CellsPanel.h"
#include "ui/ChartView.h"
#include "ui/ChartWindow.h"
#include "ui/ObdCommands.h"
#include "ui/ShowInFront.h"
#include "ui/SpinButton.h"
#include "ui/TrimTable.h"

AnalysisViews::AnalysisViews(QWidget* window, CalibrationSession& session,
                             const std::array<SpinButton*, kParamCount>& spins)
    : QObject(window), window_(window), session_(session), spins_(spins) {}

void AnalysisViews::ShowChart(const UiTexts& texts) {
    if (chart_ == nullptr) {
        chart_ = new ChartWindow(texts, window_);
        connect(&session_, &CalibrationSession::frameShown, chart_->View(), &ChartView::AddFrame);
        connect(&session_, &CalibrationSession::eventNoted, chart_->View(), &ChartView::AddEvent);
    }
    ShowInFront(chart_);
}

// Each showing of the statistics begins a new run of Applies.
void AnalysisViews::ShowCells(const UiTexts& texts) {
    session_.EndCellsApplyRun();
    if (cells_ == nullptr) {
        cells_ = new CellsPanel(texts, window_);
        connect(&session_, &CalibrationSession::frameShown, cells_, &CellsPanel::AddFrame);
        connect(&session_, &CalibrationSession::eventNoted, cells_, &CellsPanel::AddEvent);
        connect(cells_, &CellsPanel::applyRequested, this, &AnalysisViews::ApplySuggestion);
        // No link, or a replay: the spins are off and Apply would do nothing.
        cells_->SetApplyAllowed([this](int cell) { return spins_.at(cell)->isEnabled(); });
        cells_->Trims()->SetSource(&session_.Trims());
        connect(&session_, &CalibrationSession::obdStateChanged, this, &AnalysisViews::ShowTrims);
        connect(&session_, &CalibrationSession::obdPortMarked, this, &AnalysisViews::ShowTrims);
        connect(&session_, &CalibrationSession::fuelMarked, this, &AnalysisViews::ShowTrims);
        connect(&session_, &CalibrationSession::replayEnded, this, &AnalysisViews::ShowTrims);
    }
    texts_ = &texts;
    ShowTrims();
    ShowInFront(cells_);
}

void AnalysisViews::SetLanguage(const UiTexts& texts) {
    if (chart_ != nullptr) chart_->SetLanguage(texts);
    texts_ = &texts;
    if (cells_ != nullptr) {
        cells_->SetLanguage(texts);
        ShowTrims();
    }
}

void AnalysisViews::ShowTrims() {
    if (cells_ == nullptr || texts_ == nullptr) return;
    cells_->Trims()->SetStatus(ObdCommands::StateText(*texts_, session_),
                               ObdCommands::FuelText(*texts_, session_));
    cells_->ShowTrims(session_.ObdPort() != 0 || session_.Trims().Rounds() > 0);
}

// The spin does what a click does: the panel's value changes and the session
// sends it in its own time. A spin that is off (no link, a replay) does not
// move, and then nothing changed.
void AnalysisViews::ApplySuggestion(int cell, int steps) {
    SpinButton* spin = spins_.at(static_cast<std::size_t>(cell));
    const int before = spin->Position();
    if (spin->isEnabled()) session_.BeforeCellsApply();
    spin->Step(steps);
    if (spin->Position() != before) cells_->RestartCell(cell);
}
