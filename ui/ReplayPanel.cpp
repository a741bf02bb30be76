// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/ReplayPanel.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <utility>

#include "session/ReplayPlayer.h"
#include "ui/QtTexts.h"
#include "ui/UiTexts.h"
#include "ui/WindowFonts.h"

namespace {
constexpr std::int64_t kUsPerMs = 1000;
constexpr std::int64_t kSliderPageUs = 10'000'000;
constexpr int kSecondsPerMinute = 60;
constexpr int kMsPerSecond = 1000;

// A millisecond a step, or as many as make the log's length fit the slider's
// int: a millisecond count of more than 24.8 days does not.
std::int64_t SliderStepUs(std::int64_t durationUs) {
    return std::max(kUsPerMs, durationUs / std::numeric_limits<int>::max() + 1);
}

// One line a reason, for the reasons there are.
QString SkippedText(const SkippedRows& skipped, const LogTexts& texts) {
    QStringList lines;
    const std::pair<std::size_t, const char*> reasons[] = {
        {skipped.backwards, texts.skippedBackwards},
        {skipped.tooLong, texts.skippedTooLong},
        {skipped.unreadable, texts.skippedUnreadable},
    };
    for (const auto& [count, text] : reasons) {
        if (count > 0) lines << Text(text).arg(count);
    }
    return lines.join(QLatin1Char('\n'));
}

// "mm:ss", minutes not cut at an hour.
QString Clock(std::int64_t us) {
    const std::int64_t seconds = us / kUsPerMs / kMsPerSecond;
    return QStringLiteral("%1:%2")
        .arg(seconds / kSecondsPerMinute, 2, 10, QLatin1Char('0'))
        .arg(seconds % kSecondsPerMinute, 2, 10, QLatin1Char('0'));
}
}  // namespace

ReplayPanel::ReplayPanel(ReplayPlayer& player, const QString& fileName, const UiTexts& texts,
                         QWidget* parent)
    : QDialog(parent),
      player_(player),
      sliderStepUs_(SliderStepUs(player.Duration())),
      fileName_(fileName),
      positionLabel_(new QLabel(this)),
      skippedLabel_(new QLabel(this)),
      slider_(new QSlider(Qt::Horizontal, this)),
      normalButton_(new QPushButton(this)),
      fastButton_(new QPushButton(this)),
      pauseButton_(new QPushButton(this)),
      exportButton_(new QPushButton(this)),
      endButton_(new QPushButton(this)) {
    setObjectName(QStringLiteral("replayPanel"));
    setFont(WindowFonts::SongFont(WindowFonts::kWindowPoints));
    setModal(false);
    slider_->setObjectName(QStringLiteral("replaySlider"));
    slider_->setRange(0, static_cast<int>(player_.Duration() / sliderStepUs_));
    slider_->setPageStep(
        static_cast<int>(std::max<std::int64_t>(1, kSliderPageUs / sliderStepUs_)));
    skippedLabel_->setObjectName(QStringLiteral("replaySkipped"));
    skippedLabel_->setVisible(player_.Skipped().Total() > 0);
    auto* speeds = new QButtonGroup(this);
    for (QPushButton* button : {normalButton_, fastButton_, pauseButton_}) {
        button->setCheckable(true);
        button->setAutoDefault(false);
        speeds->addButton(button);
    }
    exportButton_->setObjectName(QStringLiteral("replayExportCsv"));
    exportButton_->setAutoDefault(false);
    endButton_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button :
         {normalButton_, fastButton_, pauseButton_, exportButton_, endButton_}) {
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(positionLabel_);
    layout->addWidget(skippedLabel_);
    layout->addWidget(slider_);
    layout->addLayout(buttons);

    connect(normalButton_, &QPushButton::clicked, this, [this] { SetSpeed(kNormal); });
    connect(fastButton_, &QPushButton::clicked, this, [this] { SetSpeed(kFast); });
    connect(pauseButton_, &QPushButton::clicked, this, [this] { SetSpeed(kPaused); });
    connect(exportButton_, &QPushButton::clicked, this, &ReplayPanel::exportCsvAsked);
    connect(endButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(slider_, &QSlider::valueChanged, this, &ReplayPanel::SeekToSlider);
    connect(&player_, &ReplayPlayer::positionChanged, this, &ReplayPanel::ShowPosition);
    connect(&player_, &ReplayPlayer::speedChanged, this, &ReplayPanel::ShowSpeed);

    SetLanguage(texts);
    ShowSpeed(player_.Speed());
    ShowPosition(player_.Position());
}

void ReplayPanel::SetLanguage(const UiTexts& texts) {
    setWindowTitle(Text(texts.log.replayCaption) + QStringLiteral(" - ") + fileName_);
    normalButton_->setText(Text(texts.log.normalSpeed));
    fastButton_->setText(Text(texts.log.fastSpeed));
    pauseButton_->setText(Text(texts.log.pause));
    exportButton_->setText(Text(texts.log.exportCsv));
    endButton_->setText(Text(texts.log.endReplay));
    skippedLabel_->setText(SkippedText(player_.Skipped(), texts.log));
}

QAbstractButton* ReplayPanel::SpeedButton(int speed) const {
    if (speed == kNormal) return normalButton_;
    if (speed == kFast) return fastButton_;
    return pauseButton_;
}

QAbstractButton* ReplayPanel::ExportButton() const {
    return exportButton_;
}

void ReplayPanel::SetSpeed(int speed) {
    player_.SetSpeed(speed);
}

int ReplayPanel::Speed() const {
    return player_.Speed();
}

void ReplayPanel::SeekTo(std::int64_t positionUs) {
    player_.SeekTo(positionUs);
}

std::int64_t ReplayPanel::Position() const {
    return player_.Position();
}

std::int64_t ReplayPanel::Duration() const {
    return player_.Duration();
}

// The slider's last step is the log's end, wherever its steps fall.
void ReplayPanel::SeekToSlider(int value) {
    SeekTo(value == slider_->maximum() ? player_.Duration() : value * sliderStepUs_);
}

void ReplayPanel::ShowPosition(std::int64_t positionUs) {
    positionLabel_->setText(Clock(positionUs) + QStringLiteral(" / ") + Clock(player_.Duration()));
    const QSignalBlocker quiet(slider_);
    slider_->setValue(static_cast<int>(positionUs / sliderStepUs_));
}

void ReplayPanel::ShowSpeed(int speed) {
    SpeedButton(speed)->setChecked(true);
}

void ReplayPanel::showEvent(QShowEvent* event) {
    PlaceBesideOwner();
    QDialog::showEvent(event);
}

// Beside the calibration window, not over it: the readouts it plays into
// stay in sight. Right of it, else below, else left, else above.
void ReplayPanel::PlaceBesideOwner() {
    const QWidget* owner = parentWidget();
    if (owner == nullptr || owner->screen() == nullptr) return;
    const QRect frame = owner->frameGeometry();
    const QRect screen = owner->screen()->availableGeometry();
    const QSize size = sizeHint();
    const QPoint places[] = {
        {frame.right() + 1, frame.top()},
        {frame.left(), frame.bottom() + 1},
        {frame.left() - size.width(), frame.top()},
        {frame.left(), frame.top() - size.height()},
    };
    for (const QPoint& place : places) {
        if (screen.contains(QRect(place, size))) {
            move(place);
            return;
        }
    }
}

// Escape, the close box and End all end the replay.
void ReplayPanel::done(int result) {
    QDialog::done(result);
    emit ended();
}
