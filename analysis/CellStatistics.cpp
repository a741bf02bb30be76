// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "analysis/CellStatistics.h"

#include <algorithm>

#include "link/LiveValues.h"

namespace {
using Band = LambdaBand;
constexpr double kFullScaleVolts = 5.0;

void Count(MixtureCounts& counts, Band band) {
    switch (band) {
        case Band::Low:
            ++counts.lean;
            break;
        case Band::Middle:
            ++counts.middle;
            break;
        case Band::High:
            ++counts.rich;
            break;
    }
}
}  // namespace

void CellStatistics::AddFrame(const SessionFrame& frame) {
    if (frame.cell < 0 || frame.cell >= kCells) return;
    // A replay moved back: what was gathered belongs to another time.
    if (lastTimeUs_ && frame.timeUs < *lastTimeUs_) Reset();
    lastTimeUs_ = frame.timeUs;
    Cell& cell = cells_[static_cast<std::size_t>(frame.cell)];
    if (cell.param && *cell.param != frame.param) RestartCountsFor(frame.cell, frame.timeUs);
    cell.param = frame.param;
    if (currentCell_ != frame.cell) {
        currentCell_ = frame.cell;
        cell.settledFromUs = std::max(cell.settledFromUs, frame.timeUs + rules_.settleUs);
    }
    const Band band = BandOf(frame);
    NoteSwing(band, frame.timeUs);
    ++totalSamples_;
    ++cell.samples;
    cell.lambdaSum += frame.lambdaRaw;
    Count(cell.bands, band);
    if (frame.timeUs >= cell.settledFromUs) Count(cell.counted, band);
}

void CellStatistics::AddEvent(const SessionEvent& event) {
    switch (event.kind) {
        case SessionEvent::Kind::ReplayStarted:
        case SessionEvent::Kind::ReplayEnded:
            Reset();
            break;
        case SessionEvent::Kind::ParameterSent:
            ParameterChanged(event.index);
            break;
        default:
            break;
    }
}

void CellStatistics::Reset() {
    *this = CellStatistics(rules_);
}

void CellStatistics::ParameterChanged(int parameter) {
    if (lastTimeUs_) RestartCountsFor(parameter, *lastTimeUs_);
}

void CellStatistics::NoteSwing(Band band, std::int64_t timeUs) {
    if (band == Band::Middle) return;
    if (lastSide_ && *lastSide_ != band) lastSwingUs_ = timeUs;
    lastSide_ = band;
}

void CellStatistics::RestartCountsFor(int parameter, std::int64_t timeUs) {
    for (const int k : {parameter - 1, parameter}) {
        if (k < 0 || k >= kCells) continue;
        Cell& cell = cells_[static_cast<std::size_t>(k)];
        cell.counted = {};
        cell.settledFromUs = timeUs + rules_.settleUs;
    }
}

bool CellStatistics::SensorSwitching() const {
    return lastSwingUs_ && lastTimeUs_ && *lastTimeUs_ - *lastSwingUs_ <= rules_.switchWindowUs;
}

CellSummary CellStatistics::Summary(int cell) const {
    CellSummary summary;
    if (cell < 0 || cell >= kCells) return summary;
    const Cell& counts = cells_[static_cast<std::size_t>(cell)];
    summary.samples = counts.samples;
    summary.tooFewSamples = counts.samples < rules_.fewestSamples;
    summary.countedSamples = counts.counted.Total();
    summary.suggestion = SuggestFrom(counts.counted, SensorSwitching(), rules_);
    if (counts.samples == 0) return summary;
    const double samples = double(counts.samples);
    summary.shareOfTime = samples / double(totalSamples_);
    summary.meanVolts = double(counts.lambdaSum) / samples * kFullScaleVolts / kLambdaFullScale;
    summary.leanShare = counts.bands.lean / samples;
    summary.middleShare = counts.bands.middle / samples;
    summary.richShare = counts.bands.rich / samples;
    return summary;
}
