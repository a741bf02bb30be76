// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <vector>

// Measures how late the event loop serves a precise periodic timer: a window
// that keeps up shows lateness of a few milliseconds at most.
class LatencyProbe : public QObject {
    Q_OBJECT

public:
    static constexpr int kPeriodMs = 10;

    explicit LatencyProbe(QObject* parent = nullptr);
    void Start();
    void Stop();

    int Samples() const { return static_cast<int>(lateness_.size()); }
    qint64 WorstMs() const;
    // The lateness that the given share (0..1) of the samples stay within.
    qint64 PercentileMs(double share) const;

private:
    void OnTick();

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastTick_ = 0;
    std::vector<qint64> lateness_;
};
