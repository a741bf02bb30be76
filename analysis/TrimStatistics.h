// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>

#include "analysis/TrimSuggestion.h"
#include "domain/Calibration.h"
#include "domain/ObdReadings.h"
#include "log/SessionRecord.h"

// The rules a trim sample must pass to count; the defaults are the window's.
struct TrimRules {
    // The trims of a reply describe the mixture this long before it came:
    // exhaust to sensor, the ECU's loop, and the poll round itself.
    std::int64_t delayUs = 500'000;
    // The engine must have been in the cell, at a steady petrol time, with
    // no change of the cell's parameters and no change of fuel, from this
    // long before that moment until the reply: the short-term trim needs
    // that to follow.
    std::int64_t steadyUs = 2'000'000;
    // Petrol time moving more than this over that time (in 4 us steps, so
    // a quarter of a cell) is a transient.
    std::int32_t steadyPetrolRaw = 64;
    // A cold engine runs open loop or enriched; its trims say nothing.
    int warmCoolantC = 70;
    // Fewer samples on a fuel say nothing about the cell on that fuel.
    std::int32_t fewestSamples = 10;
};

// One cell's trims on each fuel, and what they suggest.
struct CellTrims {
    FuelTrims petrol;
    FuelTrims gas;
    TrimSuggestion suggestion;
};

// The petrol ECU's fuel trims per cell of the gas map, split by fuel. Each
// round of OBD readings comes on a frame; it is given to the cell the engine
// was in the delay before, if the engine was warm and steady there. Cheap
// per frame: a few seconds of frames kept, a few additions.
class TrimStatistics {
public:
    static constexpr int kCells = kParamCount;

    explicit TrimStatistics(TrimRules rules = {}) : rules_(rules) {}

    void AddFrame(const SessionFrame& frame);
    // The fuel, a parameter sent, a replay's start and end.
    void AddEvent(const SessionEvent& event);
    void Reset();
    // Parameter k changed: the gas trims of the cells it shapes start again.
    void ParameterChanged(int parameter);

    CellTrims Summary(int cell) const;
    Fuel CurrentFuel() const { return fuel_; }
    // Rounds seen, and those that counted for a cell.
    std::int64_t Rounds() const { return rounds_; }
    std::int64_t CountedRounds() const { return counted_; }

private:
    struct Running {
        std::int32_t samples = 0;
        double mean = 0;
        double squares = 0;
        double gasSum = 0;

        void Add(double percent, double gasUs);
        FuelTrims Trims() const;
    };
    struct Cell {
        Running petrol;
        Running gas;
        std::optional<std::int32_t> param;
    };
    struct Moment {
        std::int64_t timeUs;
        std::int32_t cell;
        std::int32_t petrolRaw;
        std::int32_t gasTimeUs;
    };

    void CountRound(const ObdReadings& readings, std::int64_t timeUs);
    // The frame of the engine at the moment sampled, if it was steady there
    // from the steady time before it until now.
    std::optional<Moment> SteadyAt(std::int64_t sampledUs) const;
    void RestartGas(int parameter, std::int64_t timeUs);
    void Unsteady(std::int64_t timeUs);

    TrimRules rules_;
    std::array<Cell, kCells> cells_{};
    std::deque<Moment> recent_;
    Fuel fuel_ = Fuel::Gas;
    // Nothing before this counts: the fuel or a parameter changed then.
    std::int64_t unsteadyUntilUs_ = 0;
    std::array<std::int64_t, kCells> cellUnsteadyUntilUs_{};
    std::optional<std::int64_t> lastTimeUs_;
    std::int64_t rounds_ = 0;
    std::int64_t counted_ = 0;
};
