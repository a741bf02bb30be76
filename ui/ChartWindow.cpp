// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/ChartWindow.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/ChartView.h"
#include "ui/UiTexts.h"
#include "ui/WindowFonts.h"

ChartWindow::ChartWindow(const UiTexts& texts, QWidget* parent)
    : QDialog(parent), view_(new ChartView(this)) {
    setObjectName(QStringLiteral("chartWindow"));
    setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));
    setModal(false);
    auto* spans = new QButtonGroup(this);
    auto* buttons = new QHBoxLayout;
    for (std::size_t i = 0; i < spanButtons_.size(); ++i) {
        const int seconds = ChartView::kSpansSeconds[i];
        QPushButton* button = new QPushButton(QStringLiteral("%1 s").arg(seconds), this);
        button->setCheckable(true);
        button->setAutoDefault(false);
        // Space belongs to the chart (pause), not to a button with focus.
        button->setFocusPolicy(Qt::NoFocus);
        spans->addButton(button);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, view_,
                [this, seconds] { view_->SetSpanSeconds(seconds); });
        spanButtons_[i] = button;
    }
    buttons->addStretch();
    spanButtons_[0]->setChecked(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(view_, 1);
    view_->setFocus();
    SetLanguage(texts);
}

void ChartWindow::SetLanguage(const UiTexts& texts) {
    const AnalysisTexts& analysis = texts.analysis;
    setWindowTitle(QString::fromUtf8(analysis.chartCaption));
    std::array<QString, ChartView::kStrips> traces;
    for (std::size_t i = 0; i < traces.size(); ++i) {
        traces[i] = QString::fromUtf8(analysis.traces[i]);
    }
    view_->SetTexts(traces, QString::fromUtf8(analysis.paused));
    std::array<QString, ChartView::kObdTraces> obdTraces;
    for (std::size_t i = 0; i < obdTraces.size(); ++i) {
        obdTraces[i] = QString::fromUtf8(analysis.obdTraces[i]);
    }
    view_->SetObdTexts(obdTraces);
}
