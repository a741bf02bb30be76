// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/TrimTable.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/CellTable.h"
#include "ui/UiTexts.h"

namespace {
constexpr int kColumns = TrimTable::kApplyColumn + 1;
constexpr int kTrimDecimals = 1;

// Decimal commas, as on the readouts; a sign always, so lean and rich read
// at a glance.
QString SignedPercent(double percent) {
    const QString number = QString::number(percent, 'f', kTrimDecimals);
    return (percent >= 0 ? QStringLiteral("+") : QString()) +
           QString(number).replace(QLatin1Char('.'), QLatin1Char(','));
}
}  // namespace

TrimTable::TrimTable(QWidget* parent)
    : QWidget(parent),
      title_(new QLabel(this)),
      status_(new QLabel(this)),
      table_(new QTableWidget(TrimStatistics::kCells, kColumns, this)) {
    setObjectName(QStringLiteral("trimTable"));
    status_->setObjectName(QStringLiteral("obdStatus"));
    table_->setObjectName(QStringLiteral("trimsTable"));
    // Refreshed twice a second only while shown, and only sixteen rows.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    applyButtons_ = BuildCellTable(table_, kSuggestionColumn, [this](int cell) {
        const TrimSuggestion& suggestion = shown_[std::size_t(cell)];
        if (suggestion.steps != 0) emit applyRequested(cell, suggestion.steps);
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title_);
    layout->addWidget(status_);
    layout->addWidget(table_);
}

void TrimTable::SetLanguage(const UiTexts& texts) {
    texts_ = &texts;
    title_->setText(QString::fromUtf8(texts.obd.trimsTitle));
    QStringList headers;
    for (const char* column : texts.obd.columns) headers << QString::fromUtf8(column);
    headers << QString();
    table_->setHorizontalHeaderLabels(headers);
    for (QPushButton* apply : applyButtons_)
        apply->setText(QString::fromUtf8(texts.analysis.apply));
    Refresh();
}

void TrimTable::SetStatus(const QString& link, const QString& fuel) {
    const QString text = link + QStringLiteral(" · ") + fuel;
    if (status_->text() != text) status_->setText(text);
}

QString TrimTable::StatusText() const {
    return status_->text();
}

QString TrimTable::TrimText(const FuelTrims& trims) const {
    if (trims.samples == 0) return {};
    return QString::fromUtf8(texts_->obd.trimValue)
        .arg(SignedPercent(trims.meanPercent))
        .arg(trims.samples);
}

QString TrimTable::SuggestionText(const TrimSuggestion& suggestion) const {
    const AnalysisTexts& texts = texts_->analysis;
    switch (suggestion.kind) {
        case TrimSuggestion::Kind::TooFewSamples:
            return QString::fromUtf8(texts.tooFewSamples);
        case TrimSuggestion::Kind::Balanced:
            return QString::fromUtf8(texts.balanced);
        case TrimSuggestion::Kind::Richer:
            return QString::fromUtf8(texts.richer).arg(QStringLiteral("+%1").arg(suggestion.steps));
        case TrimSuggestion::Kind::Leaner:
            return QString::fromUtf8(texts.leaner).arg(suggestion.steps);
    }
    return {};
}

void TrimTable::Refresh() {
    if (trims_ == nullptr || texts_ == nullptr) return;
    for (int cell = 0; cell < TrimStatistics::kCells; ++cell) {
        const CellTrims trims = trims_->Summary(cell);
        const QString texts[] = {
            TrimText(trims.petrol),
            TrimText(trims.gas),
            trims.gas.samples > 1 ? SignedPercent(trims.gas.spreadPercent).mid(1) : QString(),
            SuggestionText(trims.suggestion),
        };
        for (int column = 1; column < kApplyColumn; ++column) {
            QTableWidgetItem* item = table_->item(cell, column);
            if (item->text() != texts[column - 1]) item->setText(texts[column - 1]);
        }
        shown_[std::size_t(cell)] = trims.suggestion;
        applyButtons_[std::size_t(cell)]->setEnabled(trims.suggestion.steps != 0 &&
                                                     (!applyAllowed_ || applyAllowed_(cell)));
    }
}
