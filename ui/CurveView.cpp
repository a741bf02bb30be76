// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/CurveView.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "edit/SelectionOperations.h"
#include "ui/CurveAccessible.h"
#include "ui/QtTexts.h"
#include "ui/UiTexts.h"

namespace {
// Room for the axes' numbers and titles around the plot.
constexpr int kLeftMargin = 48;
constexpr int kRightMargin = 16;
constexpr int kTopMargin = 28;
constexpr int kBottomMargin = 40;
constexpr int kPointRadius = 5;
// How near to a point a press must be to take hold of it.
constexpr int kGrabDistance = 10;
constexpr int kValueGridStep = 64;
// Cell k starts at k x 1024 us of petrol time.
constexpr double kCellStartMs = 1.024;

const QColor kBackground(255, 255, 255);
const QColor kGrid(222, 222, 222);
const QColor kAxisText(80, 80, 80);
const QColor kPanelLine(10, 60, 245);
const QColor kStoredLine(160, 160, 160);
const QColor kFileLine(30, 150, 60);
const QColor kSelectedPoint(232, 96, 0);
const QColor kLiveCell(255, 0, 0, 40);

QString PetrolTimeText(int k) {
    return QString::number(k * kCellStartMs, 'f', 1);
}

// Cell k's petrol times, as its point's name tells them.
QString PetrolRangeText(int k) {
    return QStringLiteral("%1–%2 ms")
        .arg(k * kCellStartMs, 0, 'f', 3)
        .arg((k + 1) * kCellStartMs, 0, 'f', 3);
}
}  // namespace

CurveView::CurveView(const CurveTexts& texts, QWidget* parent) : QWidget(parent), texts_(&texts) {
    setObjectName(QStringLiteral("curveView"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QAccessible::installFactory(CurveAccessible::Create);
    SetTexts(texts);
}

void CurveView::SetTexts(const CurveTexts& texts) {
    texts_ = &texts;
    setAccessibleName(Text(texts.curveName));
    setAccessibleDescription(Text(texts.curveDescription));
    update();
}

void CurveView::SetValues(const PanelParams& values) {
    if (values == values_) return;
    values_ = values;
    update();
}

void CurveView::SetStored(const std::optional<PanelParams>& stored) {
    if (stored == stored_) return;
    stored_ = stored;
    update();
}

void CurveView::SetFileOverlay(const std::optional<PanelParams>& values, const QString& name) {
    file_ = values;
    fileName_ = name;
    update();
}

void CurveView::SetLiveCell(int k) {
    if (k < 0 || k >= kParamCount) k = -1;
    if (k == liveCell_) return;
    // The engine moves from cell to cell many times a second: only the two
    // shaded columns change.
    update(LiveCellRect(liveCell_));
    update(LiveCellRect(k));
    liveCell_ = k;
}

QRect CurveView::LiveCellRect(int k) const {
    if (k < 0) return {};
    const QRect plot = PlotRect();
    const int halfCell = plot.width() / (2 * (kParamCount - 1));
    return {XOf(k) - halfCell, plot.top(), 2 * halfCell, plot.height()};
}

// A drag in progress ends unsent when the panel can no longer be edited.
void CurveView::SetEditable(bool editable) {
    editable_ = editable;
    if (!editable) dragCell_ = -1;
    update();
}

void CurveView::SetSelection(ParamMask selection) {
    if (selection == 0) return;
    const int first = FirstSelected(selection);
    anchor_ = first;
    Select(selection, first);
}

QSize CurveView::sizeHint() const {
    return {720, 360};
}

QSize CurveView::minimumSizeHint() const {
    return {400, 220};
}

QRect CurveView::PlotRect() const {
    return rect().adjusted(kLeftMargin, kTopMargin, -kRightMargin, -kBottomMargin);
}

int CurveView::XOf(int k) const {
    const QRect plot = PlotRect();
    return plot.left() + plot.width() * k / (kParamCount - 1);
}

int CurveView::YOf(std::int32_t value) const {
    const QRect plot = PlotRect();
    return plot.bottom() - plot.height() * value / kHighestValue;
}

std::int32_t CurveView::ValueAt(int y) const {
    const QRect plot = PlotRect();
    const double value = double(plot.bottom() - y) * kHighestValue / std::max(1, plot.height());
    return std::clamp<std::int32_t>(static_cast<std::int32_t>(std::lround(value)), kLowestValue,
                                    kHighestValue);
}

int CurveView::CellAt(int x) const {
    const QRect plot = PlotRect();
    const double cell = double(x - plot.left()) * (kParamCount - 1) / std::max(1, plot.width());
    return std::clamp(static_cast<int>(std::lround(cell)), 0, kParamCount - 1);
}

std::int32_t CurveView::ShownValue(int k) const {
    return k == dragCell_ ? dragValue_ : values_[static_cast<std::size_t>(k)];
}

QPoint CurveView::PointOf(int k) const {
    return {XOf(k), YOf(ShownValue(k))};
}

QRect CurveView::PointRect(int k) const {
    const QPoint centre = PointOf(k);
    return {centre.x() - kGrabDistance, centre.y() - kGrabDistance, 2 * kGrabDistance + 1,
            2 * kGrabDistance + 1};
}

QString CurveView::PointName(int k) const {
    const char* text = IsSelected(selection_, k) ? texts_->selectedPoint : texts_->pointName;
    return Text(text).arg(k).arg(ShownValue(k)).arg(PetrolRangeText(k));
}

void CurveView::Select(ParamMask selection, int cursor) {
    cursor_ = cursor;
    if (selection == selection_) return;
    selection_ = selection;
    update();
    emit selectionChanged(selection_);
    QAccessibleEvent event(this, QAccessible::SelectionWithin);
    QAccessible::updateAccessibility(&event);
}

void CurveView::MoveCursor(int by, bool extend) {
    const int cursor = std::clamp(cursor_ + by, 0, kParamCount - 1);
    if (!extend) anchor_ = cursor;
    Select(CellRange(std::min(anchor_, cursor), std::max(anchor_, cursor)), cursor);
}

// --- painting

void CurveView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintGrid(painter);
    if (liveCell_ >= 0) painter.fillRect(LiveCellRect(liveCell_), kLiveCell);
    if (stored_) PaintSet(painter, *stored_, QPen(kStoredLine, 1, Qt::DashLine));
    if (file_) PaintSet(painter, *file_, QPen(kFileLine, 1.5, Qt::DashDotLine));
    PanelParams shown = values_;
    if (dragCell_ >= 0) shown[static_cast<std::size_t>(dragCell_)] = dragValue_;
    PaintSet(painter, shown, QPen(kPanelLine, 2));
    PaintPoints(painter);
    PaintLegend(painter);
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void CurveView::PaintGrid(QPainter& painter) const {
    const QRect plot = PlotRect();
    const QFontMetrics metrics(font());
    painter.setPen(kGrid);
    for (int k = 0; k < kParamCount; ++k)
        painter.drawLine(XOf(k), plot.top(), XOf(k), plot.bottom());
    for (int value = 0; value <= kHighestValue; value += kValueGridStep) {
        painter.drawLine(plot.left(), YOf(value), plot.right(), YOf(value));
    }
    painter.setPen(kAxisText);
    for (int value = 0; value <= kHighestValue; value += kValueGridStep) {
        const QRect box(0, YOf(value) - metrics.height() / 2, kLeftMargin - 6, metrics.height());
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, QString::number(value));
    }
    for (int k = 0; k < kParamCount; k += 2) {
        const QRect box(XOf(k) - 20, plot.bottom() + 4, 40, metrics.height());
        painter.drawText(box, Qt::AlignCenter, PetrolTimeText(k));
    }
    const QRect axisTitle(plot.left(), plot.bottom() + 4 + metrics.height(), plot.width(),
                          metrics.height());
    painter.drawText(axisTitle, Qt::AlignCenter, Text(texts_->petrolAxis));
    painter.drawText(QRect(4, 4, kLeftMargin + 100, metrics.height()), Qt::AlignLeft,
                     Text(texts_->valueAxis));
}

void CurveView::PaintSet(QPainter& painter, const PanelParams& values, const QPen& pen) const {
    QPainterPath path(QPointF(XOf(0), YOf(values[0])));
    for (int k = 1; k < kParamCount; ++k) {
        path.lineTo(XOf(k), YOf(values[static_cast<std::size_t>(k)]));
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void CurveView::PaintPoints(QPainter& painter) const {
    for (int k = 0; k < kParamCount; ++k) {
        const bool selected = IsSelected(selection_, k);
        painter.setPen(QPen(selected ? kSelectedPoint : kPanelLine, selected ? 2 : 1));
        painter.setBrush(selected ? kSelectedPoint : kBackground);
        painter.drawEllipse(PointOf(k), kPointRadius, kPointRadius);
    }
}

void CurveView::PaintLegend(QPainter& painter) const {
    const QFontMetrics metrics(font());
    const int lineLength = 24;
    int x = PlotRect().right();
    auto entry = [&](const QString& text, const QPen& pen) {
        const int width = metrics.horizontalAdvance(text);
        x -= width;
        painter.setPen(kAxisText);
        painter.drawText(QPoint(x, 4 + metrics.ascent()), text);
        x -= lineLength + 4;
        painter.setPen(pen);
        const int y = 4 + metrics.height() / 2;
        painter.drawLine(x, y, x + lineLength, y);
        x -= 12;
    };
    if (file_)
        entry(Text(texts_->fileLegend).arg(fileName_), QPen(kFileLine, 1.5, Qt::DashDotLine));
    if (stored_) entry(Text(texts_->storedLegend), QPen(kStoredLine, 1, Qt::DashLine));
    entry(Text(texts_->panelLegend), QPen(kPanelLine, 2));
}

// --- mouse and keys

void CurveView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const int k = CellAt(event->position().toPoint().x());
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::ShiftModifier) {
        Select(CellRange(std::min(anchor_, k), std::max(anchor_, k)), k);
        return;
    }
    if (modifiers & Qt::ControlModifier) {
        const ParamMask toggled = selection_ ^ CellRange(k, k);
        if (toggled != 0) Select(toggled, k);
        anchor_ = k;
        return;
    }
    anchor_ = k;
    Select(CellRange(k, k), k);
    if (editable_ && PointRect(k).contains(event->position().toPoint())) {
        dragCell_ = k;
        dragValue_ = values_[static_cast<std::size_t>(k)];
    }
}

void CurveView::mouseMoveEvent(QMouseEvent* event) {
    if (dragCell_ < 0) return;
    const std::int32_t value = ValueAt(event->position().toPoint().y());
    if (value == dragValue_) return;
    dragValue_ = value;
    update();
}

// Only the value let go at is told: the controller gets one frame for a
// drag, not one for every step passed on the way.
void CurveView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragCell_ < 0) return;
    const int k = std::exchange(dragCell_, -1);
    update();
    if (dragValue_ != values_[static_cast<std::size_t>(k)]) emit pointDragged(k, dragValue_);
}

void CurveView::keyPressEvent(QKeyEvent* event) {
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
    } else if (event->matches(QKeySequence::Paste)) {
        emit pasteRequested();
    } else if (event->matches(QKeySequence::SelectAll)) {
        anchor_ = 0;
        Select(kEveryParam, kParamCount - 1);
    } else {
        switch (event->key()) {
            case Qt::Key_Left:
                MoveCursor(-1, extend);
                break;
            case Qt::Key_Right:
                MoveCursor(1, extend);
                break;
            case Qt::Key_Plus:
            case Qt::Key_Up:
                if (editable_) emit stepRequested(1);
                break;
            case Qt::Key_Minus:
            case Qt::Key_Down:
                if (editable_) emit stepRequested(-1);
                break;
            case Qt::Key_PageUp:
                if (editable_) emit stepRequested(kPageStep);
                break;
            case Qt::Key_PageDown:
                if (editable_) emit stepRequested(-kPageStep);
                break;
            default:
                QWidget::keyPressEvent(event);
                return;
        }
    }
    event->accept();
}
