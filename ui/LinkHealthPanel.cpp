// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/LinkHealthPanel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/LinkHealth.h"
#include "link/TickCount.h"
#include "session/CalibrationSession.h"
#include "ui/QtTexts.h"
#include "ui/UiTexts.h"
#include "ui/WindowFonts.h"

namespace {
constexpr double kUsPerMs = 1'000;
constexpr double kUsPerSecond = 1'000'000;

QString Milliseconds(std::int64_t us) {
    return QString::number(static_cast<double>(us) / kUsPerMs, 'f', 1);
}

QString HintText(const LinkHealthTexts& texts, LinkHint hint, const LinkFigures& figures,
                 std::optional<int> latencyMs) {
    const QString text = Text(texts.hints[static_cast<std::size_t>(hint)]);
    switch (hint) {
        case LinkHint::AdapterLatency:
            return text.arg(latencyMs.value_or(0));
        case LinkHint::BytesWithoutFrames:
            return text.arg(static_cast<double>(figures.unframedUs) / kUsPerSecond, 0, 'f', 0);
        case LinkHint::PortBusy:
        case LinkHint::PortDenied:
            break;
    }
    return text;
}
}  // namespace

LinkHealthPanel::LinkHealthPanel(CalibrationSession& session, const UiTexts& texts, QWidget* parent)
    : QDialog(parent),
      session_(session),
      texts_(&texts),
      hintsTitle_(new QLabel(this)),
      hints_(new QLabel(this)),
      close_(new QPushButton(this)) {
    setObjectName(QStringLiteral("linkHealthPanel"));
    setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));
    setModal(false);
    auto* form = new QFormLayout;
    for (int row = 0; row < kRowCount; ++row) {
        names_[row] = new QLabel(this);
        values_[row] = new QLabel(this);
        values_[row]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(names_[row], values_[row]);
    }
    hints_->setObjectName(QStringLiteral("linkHealthHints"));
    hints_->setWordWrap(true);
    hints_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hintsTitle_);
    layout->addWidget(hints_);
    layout->addStretch();
    layout->addLayout(buttons);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, &LinkHealthPanel::Refresh);
    SetLanguage(texts);
}

void LinkHealthPanel::SetLanguage(const UiTexts& texts) {
    texts_ = &texts;
    const LinkHealthTexts& health = texts.linkHealth;
    setWindowTitle(Text(health.caption));
    const char* const names[] = {health.framesPerSecond, health.bytesRead,  health.framesTaken,
                                 health.bytesDiscarded,  health.linkLosses, health.resends,
                                 health.echoLatency};
    for (int row = 0; row < kRowCount; ++row) names_[row]->setText(Text(names[row]));
    hintsTitle_->setText(Text(health.hintsTitle));
    close_->setText(Text(health.closeButton));
    if (isVisible()) Refresh();
}

void LinkHealthPanel::Refresh() {
    const LinkHealthTexts& texts = texts_->linkHealth;
    const LinkFigures figures = session_.Health().Figures(SteadyMicros());
    values_[kFramesPerSecond]->setText(QString::number(figures.framesPerSecond, 'f', 1));
    const std::pair<Row, std::uint64_t> counts[] = {{kBytesRead, figures.bytesRead},
                                                    {kFramesTaken, figures.framesTaken},
                                                    {kBytesDiscarded, figures.bytesDiscarded},
                                                    {kLinkLosses, figures.linkLosses},
                                                    {kResends, figures.resends}};
    for (const auto& [row, count] : counts) {
        values_[row]->setText(QString::number(static_cast<qulonglong>(count)));
    }
    values_[kEchoLatency]->setText(
        figures.medianEchoUs
            ? Text(texts.latencyValue)
                  .arg(Milliseconds(*figures.medianEchoUs), Milliseconds(*figures.worstEchoUs))
            : Text(texts.noEcho));

    const std::optional<int> latencyMs = session_.AdapterLatencyMs();
    QStringList lines;
    for (const LinkHint hint : session_.HealthHints(figures)) {
        lines << HintText(texts, hint, figures, latencyMs);
    }
    hints_->setText(lines.isEmpty() ? Text(texts.noHint) : lines.join(QLatin1Char('\n')));
}

// Read at once, then once a second until hidden.
void LinkHealthPanel::showEvent(QShowEvent* event) {
    Refresh();
    timer_.start();
    QDialog::showEvent(event);
}

void LinkHealthPanel::hideEvent(QHideEvent* event) {
    timer_.stop();
    QDialog::hideEvent(event);
}
