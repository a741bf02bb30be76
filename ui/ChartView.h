// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

#include "analysis/FrameHistory.h"
#include "log/SessionRecord.h"

// The chart itself: lambda voltage, petrol time, gas time and the cell as a
// step line, one strip each, over the last 30, 60 or 120 seconds of frames,
// with parameter sends and marks as vertical lines. Frames only go into the
// history; the chart is painted at most 20 times a second, and not at all
// while hidden or paused. Space pauses; the mouse reads the values under it.
//
// Once frames carry the petrol ECU's readings, two strips more below: the
// fuel trims (short term, long term and their total, within 25 % either
// way) and the engine (speed, coolant, load), each reading a step until the
// next. They stay until the history starts afresh.
class ChartView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRepaintMs = 50;
    static constexpr std::array<int, 3> kSpansSeconds = {30, 60, 120};
    static constexpr int kStrips = 4;
    static constexpr int kObdStrips = 2;
    static constexpr std::size_t kObdTraces = FrameHistory::kObdTraces;
    // The longest a reading stands without the next: rounds come every
    // second or two, even with a PID the adapter waits for in vain.
    static constexpr std::int64_t kObdHoldUs = 5'000'000;

    explicit ChartView(QWidget* parent = nullptr);

    // Trace names from the top; the text shown while paused.
    void SetTexts(const std::array<QString, kStrips>& traces, const QString& paused);
    // The OBD traces' names, in FrameHistory's order.
    void SetObdTexts(const std::array<QString, kObdTraces>& traces);
    // The OBD strips are there.
    bool ShowsObd() const { return history_.HasObd(); }
    int StripCount() const { return ShowsObd() ? kStrips + kObdStrips : kStrips; }
    // Where a strip is, from the top.
    QRect Strip(int strip) const;
    void SetSpanSeconds(int seconds);
    int SpanSeconds() const { return spanSeconds_; }
    void SetPaused(bool paused);
    bool Paused() const { return paused_; }
    const FrameHistory& History() const { return history_; }

public slots:
    void AddFrame(const SessionFrame& frame);
    void AddEvent(const SessionEvent& event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void RepaintIfChanged();
    QRect PlotArea() const;
    std::int64_t EndUs() const;
    void PaintGround();
    void PaintObdGround(QPainter& painter) const;
    void PaintTraces(QPainter& painter, const std::vector<FrameHistory::Column>& columns) const;
    void PaintObdTraces(QPainter& painter,
                        const std::vector<FrameHistory::ObdColumn>& columns) const;
    QString ObdReadout(const ObdReadings& readings) const;
    void PaintEvents(QPainter& painter, std::int64_t fromUs) const;
    void PaintTimeAxis(QPainter& painter) const;
    void PaintCursor(QPainter& painter, std::int64_t fromUs) const;

    FrameHistory history_;
    QTimer repaintTimer_;
    bool changed_ = false;
    bool paused_ = false;
    // While paused, the end of the chart stays where it was.
    std::int64_t pausedEndUs_ = 0;
    int spanSeconds_ = kSpansSeconds[0];
    std::optional<int> cursorX_;
    std::array<QString, kStrips> traces_;
    std::array<QString, kObdTraces> obdTraces_;
    QString pausedText_;
    QPixmap ground_;
    // The ground was drawn with the OBD strips.
    bool groundWithObd_ = false;
};
