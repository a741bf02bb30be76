// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/ChartView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

#include "link/LiveValues.h"
#include "log/LogFormat.h"
#include "ui/UiTexts.h"

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

// An OBD trace's strip (the first or second below the others), its scale in
// the trace's unit, that unit, and its colour.
struct ObdScale {
    int strip;
    double bottom;
    double top;
    const char* unit;
    QColor colour;
};
const std::array<ObdScale, ChartView::kObdTraces> kObdScales = {{
    {0, -25, 25, "%", QColor(0xD0, 0x30, 0x30)},
    {0, -25, 25, "%", QColor(0x30, 0x60, 0xD0)},
    {0, -25, 25, "%", QColor(0x20, 0x20, 0x20)},
    {1, 0, 8000, "rpm", QColor(0xB0, 0x00, 0x60)},
    {1, 0, 120, kCelsiusText, QColor(0x00, 0x90, 0x90)},
    {1, 0, 100, "%", QColor(0x70, 0x80, 0x00)},
}};
// Between two names in a strip's legend, and between two readings.
const QString kGap = QStringLiteral("   ");

int YOf(const QRect& strip, double value, const ObdScale& scale) {
    const double clamped = std::clamp(value, scale.bottom, scale.top);
    return strip.bottom() - int(std::lround((clamped - scale.bottom) * (strip.height() - 1) /
                                            (scale.top - scale.bottom)));
}

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

void ChartView::SetObdTexts(const std::array<QString, kObdTraces>& traces) {
    obdTraces_ = traces;
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
    const int strips = StripCount();
    const int height = (area.height() - (strips - 1) * kStripGap) / strips;
    return {area.left(), area.top() + strip * (height + kStripGap), area.width(), height};
}

std::int64_t ChartView::EndUs() const {
    return paused_ ? pausedEndUs_ : history_.LastTimeUs().value_or(0);
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (ground_.size() != size() * devicePixelRatio() || groundWithObd_ != ShowsObd()) {
        PaintGround();
    }
    painter.drawPixmap(0, 0, ground_);
    const std::int64_t fromUs = EndUs() - spanSeconds_ * kUsPerSecond;
    const QRect area = PlotArea();
    PaintTraces(painter, history_.Thin(fromUs, EndUs(), area.width()));
    if (ShowsObd()) {
        PaintObdTraces(painter, history_.ThinObd(fromUs, EndUs(), area.width(), kObdHoldUs));
    }
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
    groundWithObd_ = ShowsObd();
    if (groundWithObd_) PaintObdGround(painter);
    PaintTimeAxis(painter);
}

// The trims' strip with its zero line and their scale; the engine's with
// each trace's scale in the legend, all three starting from 0.
void ChartView::PaintObdGround(QPainter& painter) const {
    const QRect trims = Strip(kStrips);
    const QRect engine = Strip(kStrips + 1);
    const ObdScale& trimScale = kObdScales[FrameHistory::kShortTrim];
    const int zeroY = YOf(trims, 0.0, trimScale);
    for (const QRect& box : {trims, engine}) {
        painter.fillRect(box, Qt::white);
        painter.setPen(Qt::lightGray);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
    painter.drawLine(trims.left(), zeroY, trims.right(), zeroY);
    painter.setPen(palette().text().color());
    const auto label = [&](const QRect& box, Qt::Alignment alignment, const QString& text) {
        painter.drawText(QRect(0, box.top(), kLeftMargin - kTextInset, box.height()),
                         Qt::AlignRight | alignment, text);
    };
    label(trims, Qt::AlignTop, QStringLiteral("25 %"));
    label(trims, Qt::AlignBottom, QStringLiteral("-25 %"));
    label(QRect(0, zeroY - trims.height() / 2, 0, trims.height()), Qt::AlignVCenter,
          QStringLiteral("0"));
    label(engine, Qt::AlignBottom, QStringLiteral("0"));
    // The legend: each trace's name in its colour.
    std::array<int, kObdStrips> legendX = {trims.left() + kTextInset, engine.left() + kTextInset};
    for (std::size_t trace = 0; trace < kObdTraces; ++trace) {
        const ObdScale& scale = kObdScales[trace];
        QString text = obdTraces_[trace];
        if (scale.strip == 1) {
            text += QStringLiteral(" %1-%2 %3")
                        .arg(scale.bottom)
                        .arg(scale.top)
                        .arg(QString::fromUtf8(scale.unit));
        }
        int& x = legendX[std::size_t(scale.strip)];
        const QRect box = Strip(kStrips + scale.strip);
        painter.setPen(scale.colour);
        painter.drawText(QRect(x, box.top(), box.right() - x, box.height()),
                         Qt::AlignLeft | Qt::AlignTop, text);
        x += painter.fontMetrics().horizontalAdvance(text + kGap);
    }
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

// Each trace a step line: the value each column came in with, its extremes,
// the one it left with; a gap where no reading is held.
void ChartView::PaintObdTraces(QPainter& painter,
                               const std::vector<FrameHistory::ObdColumn>& columns) const {
    for (std::size_t trace = 0; trace < kObdTraces; ++trace) {
        const ObdScale& scale = kObdScales[trace];
        const QRect box = Strip(kStrips + scale.strip);
        painter.setPen(scale.colour);
        QPolygon line;
        for (std::size_t x = 0; x <= columns.size(); ++x) {
            if (x == columns.size() || !columns[x][trace]) {
                painter.drawPolyline(line);
                line.clear();
                continue;
            }
            const FrameHistory::ObdSpan& span = *columns[x][trace];
            const int px = box.left() + int(x);
            for (const double value : {span.first, span.low, span.high, span.last}) {
                line << QPoint(px, YOf(box, value, scale));
            }
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
                             .arg(frame->cell) +
                         (ShowsObd() ? ObdReadout(history_.ObdAt(timeUs, kObdHoldUs)) : QString());
    const QFontMetrics metrics = painter.fontMetrics();
    const QSize textSize = ShowsObd() ? metrics.boundingRect(QRect(), 0, text).size()
                                      : QSize(metrics.horizontalAdvance(text), metrics.height());
    QRect box(0, 0, textSize.width() + 2 * kTextInset, textSize.height() + 2 * kTextInset);
    box.moveTopLeft({std::min(*cursorX_ + kTextInset, area.right() - box.width()), area.top()});
    painter.fillRect(box, QColor(0xFF, 0xFF, 0xE1));
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, text);
}

// Two lines more, trims and engine, with the numbers as the log writes them.
QString ChartView::ObdReadout(const ObdReadings& readings) const {
    const std::array<std::string, 5> fields = ObdFieldTexts(readings);
    const auto total = TotalTrimPercent(readings);
    const std::array<QString, kObdTraces> values = {
        QString::fromStdString(fields[0]),
        QString::fromStdString(fields[1]),
        total ? QString::number(*total, 'f', 2) : QString(),
        QString::fromStdString(fields[2]),
        QString::fromStdString(fields[3]),
        QString::fromStdString(fields[4]),
    };
    QString text;
    for (std::size_t trace = 0; trace < kObdTraces; ++trace) {
        const bool first = trace == FrameHistory::kShortTrim || trace == FrameHistory::kEngineSpeed;
        text += first ? QStringLiteral("\n") : kGap;
        text += obdTraces_[trace] + QLatin1Char(' ');
        text += values[trace].isEmpty()
                    ? QStringLiteral("--")
                    : values[trace] + QLatin1Char(' ') + QString::fromUtf8(kObdScales[trace].unit);
    }
    return text;
}
