// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/LiveBar.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kBorder = 1;
constexpr int kSegmentGap = 2;
// Segments are two thirds as wide as the bar is high, as on the classic bar.
int SegmentWidth(int innerHeight) {
    return std::max(2, innerHeight * 2 / 3);
}
}  // namespace

LiveBar::LiveBar(Fill fill, QWidget* parent)
    : QWidget(parent),
      fill_(fill),
      barColour_(Qt::blue),
      backgroundColour_(Qt::black),
      borderColour_(Qt::gray) {
    // Every pixel is painted here, so nothing behind needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LiveBar::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = std::max(lower, upper);
    position_ = std::clamp(position_, lower_, upper_);
    update();
}

void LiveBar::SetPosition(int position) {
    const int clamped = std::clamp(position, lower_, upper_);
    if (clamped == position_) return;
    const int before = FilledWidth();
    position_ = clamped;
    const int after = FilledWidth();
    // Only the strip between the old and the new end changes colour.
    if (after != before)
        update(kBorder + std::min(before, after), kBorder, std::abs(after - before),
               std::max(0, height() - 2 * kBorder));
}

void LiveBar::SetBarColour(const QColor& colour) {
    if (colour == barColour_) return;
    barColour_ = colour;
    update();
}

void LiveBar::SetBackgroundColour(const QColor& colour) {
    if (colour == backgroundColour_) return;
    backgroundColour_ = colour;
    update();
}

int LiveBar::FilledWidth() const {
    return FilledWidthAt(position_);
}

int LiveBar::FilledWidthAt(int position) const {
    const int inner = std::max(0, width() - 2 * kBorder);
    const long long span = upper_ - lower_;
    if (span <= 0) return 0;
    return static_cast<int>(inner * static_cast<long long>(position - lower_) / span);
}

void LiveBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect inner = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
    painter.fillRect(rect(), borderColour_);
    painter.fillRect(inner, backgroundColour_);
    const int filled = FilledWidth();
    if (filled <= 0) return;
    if (fill_ == Fill::Smooth) {
        painter.fillRect(inner.x(), inner.y(), filled, inner.height(), barColour_);
        return;
    }
    const int segment = SegmentWidth(inner.height());
    for (int x = 0; x < filled; x += segment + kSegmentGap) {
        const int w = std::min(segment, filled - x);
        painter.fillRect(inner.x() + x, inner.y(), w, inner.height(), barColour_);
    }
}
