// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "analysis/TrimStatistics.h"

#include <algorithm>
#include <cmath>

void TrimStatistics::Running::Add(double percent, double gasUs) {
    ++samples;
    const double step = percent - mean;
    mean += step / samples;
    squares += step * (percent - mean);
    gasSum += gasUs;
}

FuelTrims TrimStatistics::Running::Trims() const {
    FuelTrims trims;
    trims.samples = samples;
    if (samples == 0) return trims;
    trims.meanPercent = mean;
    trims.spreadPercent = samples > 1 ? std::sqrt(squares / (samples - 1)) : 0.0;
    trims.meanGasUs = gasSum / samples;
    return trims;
}

void TrimStatistics::AddFrame(const SessionFrame& frame) {
    if (frame.cell < 0 || frame.cell >= kCells) return;
    // A replay moved back: what was gathered belongs to another time.
    if (lastTimeUs_ && frame.timeUs < *lastTimeUs_) Reset();
    lastTimeUs_ = frame.timeUs;
    Cell& cell = cells_[static_cast<std::size_t>(frame.cell)];
    if (cell.param && *cell.param != frame.param) RestartGas(frame.cell, frame.timeUs);
    cell.param = frame.param;
    recent_.push_back({frame.timeUs, frame.cell, frame.petrolRaw, frame.gasTimeUs});
    const std::int64_t keepFromUs = frame.timeUs - rules_.delayUs - rules_.steadyUs;
    while (recent_.size() > 1 && recent_[1].timeUs <= keepFromUs) recent_.pop_front();
    if (frame.obd) CountRound(*frame.obd, frame.timeUs);
}

void TrimStatistics::AddEvent(const SessionEvent& event) {
    switch (event.kind) {
        case SessionEvent::Kind::ReplayStarted:
        case SessionEvent::Kind::ReplayEnded:
            Reset();
            break;
        case SessionEvent::Kind::ParameterSent:
            ParameterChanged(event.index);
            break;
        case SessionEvent::Kind::FuelChanged: {
            const Fuel fuel = event.value == 0 ? Fuel::Petrol : Fuel::Gas;
            if (fuel != fuel_ && lastTimeUs_) Unsteady(*lastTimeUs_);
            fuel_ = fuel;
            break;
        }
        default:
            break;
    }
}

void TrimStatistics::Reset() {
    const Fuel fuel = fuel_;
    *this = TrimStatistics(rules_);
    fuel_ = fuel;
}

void TrimStatistics::ParameterChanged(int parameter) {
    if (lastTimeUs_) RestartGas(parameter, *lastTimeUs_);
}

// Parameter k is the correction at the start of cell k: it shapes the gas
// time of cell k and the end of cell k - 1. Their petrol trims stand.
void TrimStatistics::RestartGas(int parameter, std::int64_t timeUs) {
    for (const int k : {parameter - 1, parameter}) {
        if (k < 0 || k >= kCells) continue;
        cells_[static_cast<std::size_t>(k)].gas = {};
        cellUnsteadyUntilUs_[static_cast<std::size_t>(k)] = timeUs + rules_.steadyUs;
    }
}

void TrimStatistics::Unsteady(std::int64_t timeUs) {
    unsteadyUntilUs_ = std::max(unsteadyUntilUs_, timeUs + rules_.steadyUs);
}

// The frames from the start of the steady time to the reply must all be in
// one cell at a steady petrol time: how long the ECU's trims lag is only
// known roughly, so the engine must not have left the cell before the reply
// either. The oldest frame kept must reach back that far, or the engine's
// past is unknown.
std::optional<TrimStatistics::Moment> TrimStatistics::SteadyAt(std::int64_t sampledUs) const {
    if (recent_.empty() || recent_.front().timeUs > sampledUs - rules_.steadyUs)
        return std::nullopt;
    std::optional<Moment> at;
    std::int32_t lowest = recent_.front().petrolRaw;
    std::int32_t highest = lowest;
    for (const Moment& moment : recent_) {
        if (moment.cell != recent_.front().cell) return std::nullopt;
        if (moment.timeUs <= sampledUs) at = moment;
        lowest = std::min(lowest, moment.petrolRaw);
        highest = std::max(highest, moment.petrolRaw);
    }
    if (!at || highest - lowest > rules_.steadyPetrolRaw) return std::nullopt;
    return at;
}

void TrimStatistics::CountRound(const ObdReadings& readings, std::int64_t timeUs) {
    ++rounds_;
    const auto total = TotalTrimPercent(readings);
    if (!total || !readings.coolant || CoolantCelsius(*readings.coolant) < rules_.warmCoolantC)
        return;
    const std::int64_t sampledUs = timeUs - rules_.delayUs;
    if (sampledUs < unsteadyUntilUs_) return;
    const auto moment = SteadyAt(sampledUs);
    if (!moment) return;
    const auto cell = static_cast<std::size_t>(moment->cell);
    if (sampledUs < cellUnsteadyUntilUs_[cell]) return;
    Running& running = fuel_ == Fuel::Petrol ? cells_[cell].petrol : cells_[cell].gas;
    running.Add(*total, moment->gasTimeUs);
    ++counted_;
}

CellTrims TrimStatistics::Summary(int cell) const {
    CellTrims summary;
    if (cell < 0 || cell >= kCells) return summary;
    const Cell& counts = cells_[static_cast<std::size_t>(cell)];
    summary.petrol = counts.petrol.Trims();
    summary.gas = counts.gas.Trims();
    summary.suggestion = SuggestFromTrims(summary.gas, summary.petrol, rules_.fewestSamples);
    return summary;
}
