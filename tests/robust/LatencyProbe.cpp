// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/robust/LatencyProbe.h"

#include <algorithm>

LatencyProbe::LatencyProbe(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kPeriodMs);
    connect(&timer_, &QTimer::timeout, this, &LatencyProbe::OnTick);
}

void LatencyProbe::Start() {
    lateness_.clear();
    clock_.start();
    lastTick_ = 0;
    timer_.start();
}

void LatencyProbe::Stop() {
    timer_.stop();
}

void LatencyProbe::OnTick() {
    const qint64 now = clock_.elapsed();
    lateness_.push_back(std::max<qint64>(0, now - lastTick_ - kPeriodMs));
    lastTick_ = now;
}

qint64 LatencyProbe::WorstMs() const {
    return lateness_.empty() ? 0 : *std::max_element(lateness_.begin(), lateness_.end());
}

qint64 LatencyProbe::PercentileMs(double share) const {
    if (lateness_.empty()) return 0;
    std::vector<qint64> sorted = lateness_;
    std::sort(sorted.begin(), sorted.end());
    const auto index = static_cast<std::size_t>(share * static_cast<double>(sorted.size() - 1));
    return sorted[index];
}
