// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "analysis/Suggestion.h"
#include "domain/Calibration.h"
#include "log/SessionRecord.h"

// One cell's row of the statistics.
struct CellSummary {
    std::int64_t samples = 0;
    // Of all frames seen; frames come at a steady rate, so of the time.
    double shareOfTime = 0;
    double meanVolts = 0;
    // Shares of the cell's samples in the low (lean), middle and high (rich)
    // band.
    double leanShare = 0;
    double middleShare = 0;
    double richShare = 0;
    bool tooFewSamples = true;
    // Samples the suggestion stands on: settled since the last change.
    std::int32_t countedSamples = 0;
    Suggestion suggestion;
};

// Per-cell lambda statistics of the frames shown, live or replayed, and a
// suggestion per cell. The cell comes from each frame; a parameter send comes
// as an event, or shows in a replayed frame as a change of its cell's
// parameter. Cheap per frame: a few additions.
class CellStatistics {
public:
    // One cell per parameter of the correction table.
    static constexpr int kCells = kParamCount;

    explicit CellStatistics(SuggestionRules rules = {}) : rules_(rules) {}

    void AddFrame(const SessionFrame& frame);
    // A replay starting or ending starts afresh, as its frames keep another
    // clock; a parameter sent restarts the counts of the cells it changes.
    void AddEvent(const SessionEvent& event);
    void Reset();
    // Parameter k changed (on the panel, before it is sent): the readings
    // gathered so far no longer describe the cells it changes.
    void ParameterChanged(int parameter);

    CellSummary Summary(int cell) const;
    std::int64_t TotalSamples() const { return totalSamples_; }
    // The sensor has swung from lean to rich or back lately.
    bool SensorSwitching() const;

private:
    struct Cell {
        std::int64_t samples = 0;
        std::int64_t lambdaSum = 0;
        MixtureCounts bands;
        // Settled samples since the parameter last changed.
        MixtureCounts counted;
        std::int64_t settledFromUs = 0;
        std::optional<std::int32_t> param;
    };

    void NoteSwing(LambdaBand band, std::int64_t timeUs);
    // Parameter k is the correction at the start of cell k: it changes the
    // gas time of cell k and the end of cell k - 1.
    void RestartCountsFor(int parameter, std::int64_t timeUs);

    SuggestionRules rules_;
    std::array<Cell, kCells> cells_{};
    std::int64_t totalSamples_ = 0;
    std::optional<std::int32_t> currentCell_;
    std::optional<std::int64_t> lastTimeUs_;
    std::optional<LambdaBand> lastSide_;
    std::optional<std::int64_t> lastSwingUs_;
};
