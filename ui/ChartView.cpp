// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/ChartView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "link/LiveValues.h"

namespace {
// Two minutes at a little above line rate (160 frames a second).
constexpr std::size_t kHistoryFrames = 200 * 120;
constexpr std::int64_t kUsPerSecond = 1'000'000;
constexpr int kTickSeconds = 10;
constexpr int kLeftMargin = 52;
constexpr int kRightMargin = 8;
constexpr int kTopMargin = 4;
constexpr int kBottomMargin = 18;
constexpr int kStripGap = 6;
constexpr int kTextInset = 3;
constexpr int kMinimumWidth = 480;
constexpr int kMinimumHeight = 360;
// The highest gas time the controller's formula gives.
constexpr std::int32_t kMostGasUs = 18930;

// A strip's full scale in the frame's own units, its labels and colour.
struct Scale {
    std::int32_t top;
    const char* topLabel;
    QColor colour;
};
const std::array<Scale, ChartView::kStrips> kScales = {{
    {kLambdaFullScale, "5 V", QColor(0x1E, 0x8C, 0x00)},
    {kPetrolBarMax, "16 ms", QColor(0xC8, 0x64, 0x00)},
    {kMostGasUs, "19 ms", QColor(0x00, 0x78, 0xB4)},
    {kParamCount - 1, "15", QColor(0x50, 0x3C, 0xA0)},
}};

int YOf(const QRect& strip, std::int32_t value, std::int32_t top) {
    const std::int32_t clamped = std::clamp(value, 0, top);
    return strip.bottom() - int(std::int64_t(clamped) * (strip.height() - 1) / top);
}

// Low and high reading of a column for each strip but the cell's.
std::pair<std::int32_t, std::int32_t> RangeOf(const FrameHistory::Column& column, int strip) {
    switch (strip) {
        case 0:
            return {column.lambdaLow, column.lambdaHigh};
        case 1:
            return {column.petrolLow, column.petrolHigh};
        default:
            return {column.gasLow, column.gasHigh};
    }
}
}  // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent), history_(kHistoryFrames) {
    setObjectName(QStringLiteral("chartView"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    repaintTimer_.setInterval(kRepaintMs);
    connect(&repaintTimer_, &QTimer::timeout, this, &ChartView::RepaintIfChanged);
}

void ChartView::SetTexts(const std::array<QString, kStrips>& traces, const QString& paused) {
    traces_ = traces;
    pausedText_ = paused;
    ground_ = {};
    update();
}

void ChartView::SetSpanSeconds(int seconds) {
    spanSeconds_ = seconds;
    ground_ = {};
    update();
}

void ChartView::SetPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    pausedEndUs_ = history_.LastTimeUs().value_or(0);
    update();
}

void ChartView::AddFrame(const SessionFrame& frame) {
    history_.AddFrame(frame);
    changed_ = true;
}

void ChartView::AddEvent(const SessionEvent& event) {
    history_.AddEvent(event);
    changed_ = true;
}

void ChartView::RepaintIfChanged() {
    if (!changed_ || paused_) return;
    changed_ = false;
    update();
}

void ChartView::showEvent(QShowEvent* event) {
    repaintTimer_.start();
    QWidget::showEvent(event);
}

void ChartView::hideEvent(QHideEvent* event) {
    repaintTimer_.stop();
    QWidget::hideEvent(event);
}

void ChartView::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) return QWidget::keyPressEvent(event);
    SetPaused(!paused_);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    const int x = event->position().toPoint().x();
    if (PlotArea().contains(x, PlotArea().top())) {
        cursorX_ = x;
    } else {
        cursorX_.reset();
    }
    update();
}

void ChartView::leaveEvent(QEvent* event) {
    cursorX_.reset();
    update();
    QWidget::leaveEvent(event);
}

QRect ChartView::PlotArea() const {
    return rect().adjusted(kLeftMargin, kTopMargin, -kRightMargin, -kBottomMargin);
}

QRect ChartView::Strip(int strip) const {
    const QRect area = PlotArea();
    const int height = (area.height() - (kStrips - 1) * kStripGap) / kStrips;
    return {area.left(), area.top() + strip * (height + kStripGap), area.width(), height};
}

std::int64_t ChartView::EndUs() const {
    return paused_ ? pausedEndUs_ : history_.LastTimeUs().value_or(0);
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (ground_.size() != size() * devicePixelRatio()) PaintGround();
    painter.drawPixmap(0, 0, ground_);
    const std::int64_t fromUs = EndUs() - spanSeconds_ * kUsPerSecond;
    const QRect area = PlotArea();
    PaintTraces(painter, history_.Thin(fromUs, EndUs(), area.width()));
    PaintEvents(painter, fromUs);
    if (paused_) {
        painter.setPen(palette().text().color());
        painter.drawText(area.adjusted(0, 0, -kTextInset, 0), Qt::AlignRight | Qt::AlignTop,
                         pausedText_);
    }
    PaintCursor(painter, fromUs);
}

// What stays from paint to paint: the strips, their labels and the time
// axis, drawn once per size, language and span.
void ChartView::PaintGround() {
    ground_ = QPixmap(size() * devicePixelRatio());
    ground_.setDevicePixelRatio(devicePixelRatio());
    QPainter painter(&ground_);
    painter.setFont(font());
    painter.fillRect(rect(), palette().window());
    for (int strip = 0; strip < kStrips; ++strip) {
        const QRect box = Strip(strip);
        const Scale& scale = kScales[std::size_t(strip)];
        painter.fillRect(box, Qt::white);
        painter.setPen(Qt::lightGray);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        if (strip == 0) {
            for (const std::int32_t edge : {kLowBandEnd, kHighBandStart}) {
                const int y = YOf(box, edge, scale.top);
                painter.drawLine(box.left(), y, box.right(), y);
            }
        }
        painter.setPen(palette().text().color());
        painter.drawText(QRect(0, box.top(), kLeftMargin - kTextInset, box.height()),
                         Qt::AlignRight | Qt::AlignTop, QString::fromUtf8(scale.topLabel));
        painter.drawText(QRect(0, box.top(), kLeftMargin - kTextInset, box.height()),
                         Qt::AlignRight | Qt::AlignBottom, QStringLiteral("0"));
        painter.drawText(box.adjusted(kTextInset, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                         traces_[std::size_t(strip)]);
    }
    PaintTimeAxis(painter);
}

void ChartView::PaintTraces(QPainter& painter,
                            const std::vector<FrameHistory::Column>& columns) const {
    for (int strip = 0; strip < kStrips; ++strip) {
        const QRect box = Strip(strip);
        const Scale& scale = kScales[std::size_t(strip)];
        painter.setPen(scale.colour);
        // One polyline per run of columns with frames: low and high of each.
        QPolygon line;
        std::optional<int> lastCellY;
        for (std::size_t x = 0; x <= columns.size(); ++x) {
            if (x == columns.size() || columns[x].empty) {
                painter.drawPolyline(line);
                line.clear();
                lastCellY.reset();
                continue;
            }
            const int px = box.left() + int(x);
            if (strip == kStrips - 1) {
                const int y = YOf(box, columns[x].cell, scale.top);
                if (lastCellY) line << QPoint(px, *lastCellY);
                line << QPoint(px, y);
                lastCellY = y;
                continue;
            }
            const auto [low, high] = RangeOf(columns[x], strip);
            line << QPoint(px, YOf(box, low, scale.top)) << QPoint(px, YOf(box, high, scale.top));
        }
    }
}

void ChartView::PaintEvents(QPainter& painter, std::int64_t fromUs) const {
    const QRect area = PlotArea();
    const std::int64_t spanUs = spanSeconds_ * kUsPerSecond;
    const QPen line(Qt::darkGray, 1, Qt::DashLine);
    for (const FrameHistory::Event& event : history_.Events()) {
        if (event.timeUs < fromUs || event.timeUs > EndUs()) continue;
        const int x = area.left() + int((event.timeUs - fromUs) * area.width() / spanUs);
        painter.setPen(line);
        painter.drawLine(x, area.top(), x, area.bottom());
        // The label on a plain ground, readable over the traces.
        const QString label = QString::fromStdString(event.label);
        QRect box(0, 0, painter.fontMetrics().horizontalAdvance(label) + 2,
                  painter.fontMetrics().height());
        box.moveBottomLeft({x + kTextInset, Strip(0).bottom() - kTextInset});
        painter.fillRect(box, Qt::white);
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignCenter, label);
    }
}

void ChartView::PaintTimeAxis(QPainter& painter) const {
    const QRect area = PlotArea();
    painter.setPen(palette().text().color());
    for (int seconds = 0; seconds <= spanSeconds_; seconds += kTickSeconds) {
        const int x = area.right() - seconds * area.width() / spanSeconds_;
        const QString label =
            seconds == 0 ? QStringLiteral("0") : QStringLiteral("-%1 s").arg(seconds);
        const int width = painter.fontMetrics().horizontalAdvance(label);
        painter.drawText(std::max(x - width, area.left()), rect().bottom() - kTextInset, label);
    }
}

void ChartView::PaintCursor(QPainter& painter, std::int64_t fromUs) const {
    if (!cursorX_) return;
    const QRect area = PlotArea();
    const std::int64_t timeUs = fromUs + std::int64_t(*cursorX_ - area.left()) * spanSeconds_ *
                                             kUsPerSecond / std::max(area.width(), 1);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawLine(*cursorX_, area.top(), *cursorX_, area.bottom());
    const std::optional<SessionFrame> frame = history_.FrameAt(timeUs);
    if (!frame) return;
    // The frame's readings as the window's readouts showed them.
    const WindowOps::Readouts readouts =
        ReadoutsOf(frame->petrolRaw, frame->gasTimeUs, frame->lambdaRaw);
    const QString text = QStringLiteral("%1 s   %2 V   %3 ms   %4 ms   %5 %6")
                             .arg(QString::number(double(timeUs - EndUs()) / kUsPerSecond, 'f', 1)
                                      .replace(QLatin1Char('.'), QLatin1Char(',')),
                                  QString::fromStdString(readouts.lambdaText),
                                  QString::fromStdString(readouts.petrolText),
                                  QString::fromStdString(readouts.gasText), traces_[kStrips - 1])
                             .arg(frame->cell);
    const QFontMetrics metrics = painter.fontMetrics();
    QRect box(0, 0, metrics.horizontalAdvance(text) + 2 * kTextInset,
              metrics.height() + 2 * kTextInset);
    box.moveTopLeft({std::min(*cursorX_ + kTextInset, area.right() - box.width()), area.top()});
    painter.fillRect(box, QColor(0xFF, 0xFF, 0xE1));
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, text);
}
