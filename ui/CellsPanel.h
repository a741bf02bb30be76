// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <functional>
#include <utility>

#include "analysis/CellStatistics.h"
#include "log/SessionRecord.h"

class QPushButton;
class QTableWidget;
class TrimTable;
struct UiTexts;

// The sixteen cells' lambda statistics in a window of their own: samples,
// share of time, mean voltage, the three bands' shares, and a suggestion with
// an Apply button; under them, with an OBD adapter, the petrol ECU's trims. Apply only asks the
// window to step that parameter's spin, as a click would; nothing is sent from here. Made when
// first asked for and then kept, gathering frames while hidden; the table follows twice a second
// while shown.
class CellsPanel : public QDialog {
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 500;
    static constexpr int kSuggestionColumn = 7;
    static constexpr int kApplyColumn = 8;

    CellsPanel(const UiTexts& texts, QWidget* parent);

    void SetLanguage(const UiTexts& texts);
    const CellStatistics& Statistics() const { return statistics_; }
    QTableWidget* Table() const { return table_; }
    QPushButton* ApplyButton(int cell) const { return applyButtons_.at(std::size_t(cell)); }
    // The OBD trims under the table, shown while they can say something.
    TrimTable* Trims() const { return trims_; }
    void ShowTrims(bool shown);
    // The table shows the statistics as they are now.
    void Refresh();
    // The panel's value of a cell's parameter changed: what was read before
    // no longer says anything about it.
    void RestartCell(int cell);
    // Whether a cell's value can be changed now (its spin is on): Apply is
    // offered only then.
    void SetApplyAllowed(std::function<bool(int)> allowed);

signals:
    // Apply: step the spin of parameter `cell` by `steps`.
    void applyRequested(int cell, int steps);

public slots:
    void AddFrame(const SessionFrame& frame) { statistics_.AddFrame(frame); }
    void AddEvent(const SessionEvent& event) { statistics_.AddEvent(event); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QString SuggestionText(const Suggestion& suggestion) const;
    // Each column as wide as its header or its widest text can be.
    void FitColumns(const QStringList& headers);

    CellStatistics statistics_;
    QTableWidget* table_;
    TrimTable* trims_;
    std::array<QPushButton*, CellStatistics::kCells> applyButtons_{};
    // What the table shows, so Apply does what its row says.
    std::array<Suggestion, CellStatistics::kCells> shown_{};
    QTimer refreshTimer_;
    const UiTexts* texts_;
    std::function<bool(int)> applyAllowed_;
};
