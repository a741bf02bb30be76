// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The petrol ECU's view of the simulated engine: fuel trims, speed, load, coolant.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/FuelTrimModel.h"

namespace {

using namespace std::chrono_literals;
using Parameters = FuelTrimModel::Parameters;

constexpr double kMargin = 1e-9;

Parameters allAt(std::uint8_t value) {
    Parameters parameters{};
    parameters.fill(value);
    return parameters;
}

struct TrimCase {
    std::uint16_t petrol;
    std::size_t cell;
    double error;
    std::uint8_t working;
    double shortTrim;
};

class GasTrims : public testing::TestWithParam<TrimCase> {};

// Cell 3 at 896: G = 3584 + 14 x 110 = 5124 us, R = (3584 + 1400) x 1.08 = 5382.72 us.
// Cell 10 at 2688: G = 10752 + 1260 = 12012 us, R = (10752 + 1400) x 0.95 = 11544.4 us.
// Another cell's error and parameter do not count.
TEST_P(GasTrims, ShowTheRightOverTheGivenGasTime) {
    const TrimCase& c = GetParam();
    FuelTrimModel::Settings settings;
    settings.trimErrors[c.cell] = c.error;
    settings.petrolTrim = 2.5;
    Parameters working = allAt(100);
    working[c.cell] = c.working;
    const EcuReadings readings =
        FuelTrimModel(settings, allAt(100)).readings(c.petrol, working, 0s);
    EXPECT_NEAR(readings.shortTrimPercent, c.shortTrim, 1e-3);
    EXPECT_EQ(readings.longTrimPercent, 2.5);
}

INSTANTIATE_TEST_SUITE_P(Cells, GasTrims,
                         testing::Values(TrimCase{896, 3, 8, 100, 8.0},
                                         TrimCase{896, 3, 8, 110, 5.0492},
                                         TrimCase{2688, 10, -5, 90, -3.8928},
                                         TrimCase{2688, 3, 8, 90, 0.0}));

TEST(FuelTrimModel, OnPetrolOnlyTheCarsOwnTrimShows) {
    FuelTrimModel::Settings settings;
    settings.trimErrors[3] = 8;
    settings.petrolTrim = -4;
    settings.fuel = EngineFuel::Petrol;
    FuelTrimModel model(settings, allAt(100));
    EXPECT_EQ(model.readings(896, allAt(100), 0s).shortTrimPercent, 0);
    EXPECT_EQ(model.readings(896, allAt(100), 0s).longTrimPercent, -4);
    model.setFuel(EngineFuel::Gas);
    EXPECT_NEAR(model.readings(896, allAt(100), 0s).shortTrimPercent, 8, kMargin);
    EXPECT_NEAR(model.gasTrimAtMiddle(3, allAt(100)), 4, kMargin);
}

// Raised by round(e / 100 x (4 x petrol + 14 x S) / 14) steps, a cell reads
// about 0 % anywhere in it.
TEST(FuelTrimModel, RaisingTheParameterByTheComputedStepsBringsTheTrimBack) {
    FuelTrimModel::Settings settings;
    settings.trimErrors[3] = 8;
    settings.trimErrors[10] = -6.5;
    const FuelTrimModel model(settings, allAt(100));
    for (const std::uint16_t middle : {896, 2688}) {
        const std::size_t cell = middle >> 8;
        const double steps =
            std::round(settings.trimErrors[cell] / 100 * (4.0 * middle + 14 * 100) / 14);
        Parameters working = allAt(100);
        working[cell] = static_cast<std::uint8_t>(100 + steps);
        for (const int offset : {-128, 0, 127}) {
            const auto petrol = static_cast<std::uint16_t>(middle + offset);
            EXPECT_NEAR(model.readings(petrol, working, 0s).shortTrimPercent, 0, 1) << petrol;
        }
        EXPECT_NEAR(model.gasTrimAtMiddle(cell, working), 0, 0.5) << cell;
    }
}

TEST(FuelTrimModel, SpeedAndLoadRiseWithTheCellAndAStoppedEngineHasNone) {
    const FuelTrimModel model({}, allAt(100));
    const EcuReadings cell3 = model.readings(896, allAt(100), 0s);
    EXPECT_TRUE(cell3.running);
    EXPECT_EQ(cell3.rpm, 1650);
    EXPECT_EQ(cell3.loadPercent, 30);
    EXPECT_EQ(model.readings(15 * 256, allAt(100), 0s).rpm, 5250);
    EXPECT_FALSE(model.readings(0, allAt(100), 0s).running);
}

TEST(FuelTrimModel, TheCoolantWarmsADegreeASecondUpTo90) {
    FuelTrimModel::Settings settings;
    settings.coolantCelsius = 20;
    const FuelTrimModel cold(settings, allAt(100));
    EXPECT_EQ(cold.readings(896, allAt(100), 0s).coolantCelsius, 20);
    EXPECT_EQ(cold.readings(896, allAt(100), 30500ms).coolantCelsius, 50);
    EXPECT_EQ(cold.readings(0, allAt(100), 100s).coolantCelsius, 90);
    settings.coolantCelsius = 105;
    EXPECT_EQ(FuelTrimModel(settings, allAt(100)).readings(896, allAt(100), 100s).coolantCelsius,
              105);
}

}  // namespace
