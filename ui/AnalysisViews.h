// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>
#include <array>

#include "domain/Calibration.h"

class CalibrationSession;
class CellsPanel;
class ChartWindow;
class SpinButton;
class QWidget;
struct UiTexts;

// The session's views over time: the chart and the cell statistics. Each is
// made when first asked for, so a run that never opens them starts, runs and
// costs exactly as before; once made they follow every frame shown, live or
// replayed, and every event. A suggestion's Apply steps the parameter's spin
// as a click would.
class AnalysisViews : public QObject {
    Q_OBJECT

public:
    AnalysisViews(QWidget* window, CalibrationSession& session,
                  const std::array<SpinButton*, kParamCount>& spins);

    ChartWindow* Chart() const { return chart_; }
    CellsPanel* Cells() const { return cells_; }
    void ShowChart(const UiTexts& texts);
    void ShowCells(const UiTexts& texts);
    void SetLanguage(const UiTexts& texts);

private:
    void ApplySuggestion(int cell, int steps);
    // The trims under the statistics: shown while an OBD adapter is chosen
    // or trims were counted (a replay of a log that has them).
    void ShowTrims();

    QWidget* window_;
    CalibrationSession& session_;
    std::array<SpinButton*, kParamCount> spins_;
    ChartWindow* chart_ = nullptr;
    CellsPanel* cells_ = nullptr;
    const UiTexts* texts_ = nullptr;
};
