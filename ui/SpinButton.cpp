// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/SpinButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

namespace {
// More digits than any position can have: such a text is out of range anyway,
// and stopping here keeps the conversion from overflowing.
constexpr qsizetype kMaxDigits = 9;

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
}  // namespace

SpinButton::SpinButton(QWidget* parent)
    : QWidget(parent),
      up_(MakeArrow(this, Qt::UpArrow, "up")),
      down_(MakeArrow(this, Qt::DownArrow, "down")) {
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void SpinButton::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
}

void SpinButton::SetBuddy(QLineEdit* buddy) {
    if (buddy_ != nullptr) buddy_->removeEventFilter(this);
    buddy_ = buddy;
    if (buddy_ != nullptr) buddy_->installEventFilter(this);
}

void SpinButton::SetPosition(int position) {
    position_ = std::clamp(position, lower_, upper_);
    WriteBuddy();
}

std::int32_t SpinButton::QueryPosition() {
    int value = 0;
    if (!ReadBuddy(value)) return kQueryFailed + position_;
    position_ = value;
    return position_;
}

void SpinButton::Step(int delta) {
    if (!isEnabled()) return;
    QueryPosition();
    const int next = std::clamp(position_ + delta, lower_, upper_);
    if (next == position_) return;
    position_ = next;
    WriteBuddy();
}

bool SpinButton::ReadBuddy(int& value) const {
    if (buddy_ == nullptr) return false;
    const QString text = buddy_->text();
    if (text.isEmpty() || text.size() > kMaxDigits) return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    }
    value = text.toInt();
    return value >= lower_ && value <= upper_;
}

void SpinButton::WriteBuddy() {
    if (buddy_ != nullptr) buddy_->setText(QString::number(position_));
}

bool SpinButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched != buddy_ || event->type() != QEvent::KeyPress || !isEnabled()) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up) {
        Step(1);
        return true;
    }
    if (key == Qt::Key_Down) {
        Step(-1);
        return true;
    }
    return false;
}

void SpinButton::resizeEvent(QResizeEvent* /*event*/) {
    const int upperHalf = height() / 2;
    up_->setGeometry(0, 0, width(), upperHalf);
    down_->setGeometry(0, upperHalf, width(), height() - upperHalf);
}
