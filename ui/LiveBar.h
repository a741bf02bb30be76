// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QColor>
#include <QWidget>

// A bordered progress bar for the live readouts: a black ground with the
// filled part in the bar colour, drawn either in segments or smooth.
class LiveBar : public QWidget {
    Q_OBJECT

public:
    enum class Fill { Segmented, Smooth };

    explicit LiveBar(Fill fill, QWidget* parent = nullptr);

    void SetRange(int lower, int upper);
    // Clamped to the range; repaints only when the filled width changes.
    void SetPosition(int position);
    int Position() const { return position_; }
    int Minimum() const { return lower_; }
    int Maximum() const { return upper_; }

    void SetBarColour(const QColor& colour);
    QColor BarColour() const { return barColour_; }
    void SetBackgroundColour(const QColor& colour);
    QColor BackgroundColour() const { return backgroundColour_; }

    // Width in pixels of the filled part inside the border.
    int FilledWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FilledWidthAt(int position) const;

    Fill fill_;
    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
    QColor barColour_;
    QColor backgroundColour_;
    QColor borderColour_;
};
