// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/CellsPanel.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/CellTable.h"
#include "ui/TrimTable.h"
#include "ui/UiTexts.h"
#include "ui/WindowFonts.h"

namespace {
constexpr int kColumns = CellsPanel::kApplyColumn + 1;
constexpr int kPercent = 100;
constexpr int kVoltDecimals = 2;
// Half a day at line rate.
constexpr int kWidestSampleCount = 9'999'999;
constexpr double kWidestVolts = 5.0;
constexpr int kColumnPadding = 12;

QString Percent(double share) {
    return QStringLiteral("%1 %").arg(std::lround(share * kPercent));
}

// Decimal commas, as on the readouts.
QString Volts(double volts) {
    return QString::number(volts, 'f', kVoltDecimals).replace(QLatin1Char('.'), QLatin1Char(','));
}
}  // namespace

CellsPanel::CellsPanel(const UiTexts& texts, QWidget* parent)
    : QDialog(parent),
      table_(new QTableWidget(CellStatistics::kCells, kColumns, this)),
      trims_(new TrimTable(this)) {
    setObjectName(QStringLiteral("cellsPanel"));
    setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));
    setModal(false);
    table_->setObjectName(QStringLiteral("cellsTable"));
    // Widths set once per language: measuring the columns at every refresh
    // would cost more than all the rest of the panel.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    applyButtons_ = BuildCellTable(table_, kSuggestionColumn, [this](int cell) {
        const Suggestion& suggestion = shown_[std::size_t(cell)];
        if (suggestion.steps != 0) emit applyRequested(cell, suggestion.steps);
    });
    trims_->hide();
    connect(trims_, &TrimTable::applyRequested, this, &CellsPanel::applyRequested);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(trims_);
    refreshTimer_.setInterval(kRefreshMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &CellsPanel::Refresh);
    SetLanguage(texts);
}

void CellsPanel::SetLanguage(const UiTexts& texts) {
    texts_ = &texts;
    const AnalysisTexts& analysis = texts.analysis;
    setWindowTitle(QString::fromUtf8(analysis.cellsCaption));
    QStringList headers;
    for (const char* column : analysis.columns) headers << QString::fromUtf8(column);
    headers << QString();
    table_->setHorizontalHeaderLabels(headers);
    for (QPushButton* apply : applyButtons_) apply->setText(QString::fromUtf8(analysis.apply));
    trims_->SetLanguage(texts);
    Refresh();
    FitColumns(headers);
}

void CellsPanel::FitColumns(const QStringList& headers) {
    const AnalysisTexts& texts = texts_->analysis;
    const QStringList share = {Percent(1.0)};
    const std::array<QStringList, kApplyColumn> widest = {{
        {QString::number(CellStatistics::kCells - 1)},
        {QString::number(kWidestSampleCount)},
        share,
        {Volts(kWidestVolts)},
        share,
        share,
        share,
        {QString::fromUtf8(texts.tooFewSamples), QString::fromUtf8(texts.notSwitching),
         QString::fromUtf8(texts.balanced),
         SuggestionText({Suggestion::Kind::Richer, Suggestion::kMostSteps}),
         SuggestionText({Suggestion::Kind::Leaner, -Suggestion::kMostSteps})},
    }};
    const QFontMetrics metrics(table_->font());
    for (int column = 0; column < kApplyColumn; ++column) {
        int width = metrics.horizontalAdvance(headers[column]);
        for (const QString& text : widest[std::size_t(column)]) {
            width = std::max(width, metrics.horizontalAdvance(text));
        }
        table_->setColumnWidth(column, width + kColumnPadding);
    }
    table_->setColumnWidth(kApplyColumn, applyButtons_[0]->sizeHint().width());
    if (isVisible()) adjustSize();
}

void CellsPanel::SetApplyAllowed(std::function<bool(int)> allowed) {
    applyAllowed_ = allowed;
    trims_->SetApplyAllowed(std::move(allowed));
}

void CellsPanel::ShowTrims(bool shown) {
    if (shown == trims_->isVisibleTo(this)) return;
    trims_->setVisible(shown);
    if (shown) trims_->Refresh();
    if (isVisible()) adjustSize();
}

void CellsPanel::RestartCell(int cell) {
    statistics_.ParameterChanged(cell);
    Refresh();
}

QString CellsPanel::SuggestionText(const Suggestion& suggestion) const {
    const AnalysisTexts& texts = texts_->analysis;
    switch (suggestion.kind) {
        case Suggestion::Kind::TooFewSamples:
            return QString::fromUtf8(texts.tooFewSamples);
        case Suggestion::Kind::SensorNotSwitching:
            return QString::fromUtf8(texts.notSwitching);
        case Suggestion::Kind::Balanced:
            return QString::fromUtf8(texts.balanced);
        case Suggestion::Kind::Richer:
            return QString::fromUtf8(texts.richer).arg(QStringLiteral("+%1").arg(suggestion.steps));
        case Suggestion::Kind::Leaner:
            return QString::fromUtf8(texts.leaner).arg(suggestion.steps);
    }
    return {};
}

void CellsPanel::Refresh() {
    for (int cell = 0; cell < CellStatistics::kCells; ++cell) {
        const CellSummary summary = statistics_.Summary(cell);
        const bool hasSamples = summary.samples > 0;
        const QString texts[] = {
            QString::number(summary.samples),
            hasSamples ? Percent(summary.shareOfTime) : QString(),
            hasSamples ? Volts(summary.meanVolts) : QString(),
            hasSamples ? Percent(summary.leanShare) : QString(),
            hasSamples ? Percent(summary.middleShare) : QString(),
            hasSamples ? Percent(summary.richShare) : QString(),
            SuggestionText(summary.suggestion),
        };
        // A cell with too few samples is greyed: its shares say little.
        const QColor colour = palette().color(
            summary.tooFewSamples ? QPalette::Disabled : QPalette::Active, QPalette::Text);
        // Only what changed: each change repaints its cell.
        for (int column = 1; column < kApplyColumn; ++column) {
            QTableWidgetItem* item = table_->item(cell, column);
            if (item->text() != texts[column - 1]) item->setText(texts[column - 1]);
            if (item->foreground().color() != colour) item->setForeground(colour);
        }
        shown_[std::size_t(cell)] = summary.suggestion;
        applyButtons_[std::size_t(cell)]->setEnabled(summary.suggestion.steps != 0 &&
                                                     (!applyAllowed_ || applyAllowed_(cell)));
    }
    // A replay of a log with trims brings them without an adapter.
    if (trims_->HasRounds()) ShowTrims(true);
    if (trims_->isVisibleTo(this)) trims_->Refresh();
}

void CellsPanel::showEvent(QShowEvent* event) {
    Refresh();
    refreshTimer_.start();
    QDialog::showEvent(event);
}

void CellsPanel::hideEvent(QHideEvent* event) {
    refreshTimer_.stop();
    QDialog::hideEvent(event);
}
