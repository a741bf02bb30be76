// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "analysis/TrimStatistics.h"

class QLabel;
class QPushButton;
class QTableWidget;
struct UiTexts;

// The petrol ECU's fuel trims per cell, under the lambda statistics: the
// OBD link's state and the fuel, then per cell the mean trims on petrol and
// on gas with their samples, the spread on gas, and what they suggest with
// an Apply button. Apply only asks for the spin to be stepped, as the
// lambda suggestions do; nothing is sent from here. Shown only while an OBD
// adapter is chosen or trims have been counted.
class TrimTable : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSuggestionColumn = 4;
    static constexpr int kApplyColumn = 5;

    explicit TrimTable(QWidget* parent = nullptr);

    void SetLanguage(const UiTexts& texts);
    void SetSource(const TrimStatistics* trims) { trims_ = trims; }
    bool HasRounds() const { return trims_ != nullptr && trims_->Rounds() > 0; }
    void SetApplyAllowed(std::function<bool(int)> allowed) { applyAllowed_ = std::move(allowed); }
    // The OBD link's state and the fuel, as the window words them.
    void SetStatus(const QString& link, const QString& fuel);
    QTableWidget* Table() const { return table_; }
    QPushButton* ApplyButton(int cell) const { return applyButtons_.at(std::size_t(cell)); }
    QString StatusText() const;
    void Refresh();

signals:
    void applyRequested(int cell, int steps);

private:
    QString TrimText(const FuelTrims& trims) const;
    QString SuggestionText(const TrimSuggestion& suggestion) const;

    const TrimStatistics* trims_ = nullptr;
    QLabel* title_;
    QLabel* status_;
    QTableWidget* table_;
    std::array<QPushButton*, TrimStatistics::kCells> applyButtons_{};
    std::array<TrimSuggestion, TrimStatistics::kCells> shown_{};
    const UiTexts* texts_ = nullptr;
    std::function<bool(int)> applyAllowed_;
};
