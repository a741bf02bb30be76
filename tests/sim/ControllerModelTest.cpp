// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The controller's state without I/O: telemetry frames, applying commands, the sweep.
#include <gtest/gtest.h>

#include <bitset>
#include <set>

#include "sim/CommandParser.h"
#include "sim/ControllerModel.h"
#include "sim/TriangleWave.h"

namespace {

ControllerModel::Parameters rampParameters() {
    ControllerModel::Parameters parameters{};
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        parameters[i] = static_cast<std::uint8_t>(10 * i);
    }
    return parameters;
}

ReceivedCommand parseOne(std::vector<std::uint8_t> bytes) {
    CommandParser parser;
    auto commands = parser.feed(bytes);
    EXPECT_EQ(commands.size(), 1u);
    return commands.at(0);
}

// Frames until the next one that reports `index`.
ControllerModel::Frame nextFrameFor(ControllerModel& model, std::uint8_t index) {
    for (std::size_t i = 0; i < ControllerModel::kParameterCount; ++i) {
        const auto frame = model.nextTelemetryFrame();
        if (frame[0] == index) return frame;
    }
    ADD_FAILURE() << "index " << int(index) << " not reported within one cycle";
    return {};
}

TEST(ControllerModel, FramesCycleThroughIndicesAndEchoEachParameter) {
    ControllerModel model(rampParameters(), TelemetrySweep{});
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (std::uint8_t index = 0; index < 16; ++index) {
            const auto frame = model.nextTelemetryFrame();
            EXPECT_EQ(frame[0], index);
            EXPECT_EQ(frame[5], 10 * index);
        }
    }
}

TEST(ControllerModel, PetrolAndLambdaAreBigEndian) {
    TelemetrySweep sweep;
    sweep.petrolStart = 0x0A3C;
    sweep.petrolStep = 0;
    sweep.lambdaStart = 0x5A00;
    sweep.lambdaStep = 0;
    ControllerModel model(rampParameters(), sweep);
    const ControllerModel::Frame expected = {0x00, 0x0A, 0x3C, 0x5A, 0x00, 0};
    EXPECT_EQ(model.nextTelemetryFrame(), expected);
}

TEST(ControllerModel, SetParameterIsEchoedInLaterFrames) {
    ControllerModel model(rampParameters(), TelemetrySweep{});
    const auto command = parseOne({0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F});
    EXPECT_EQ(model.apply(command), "rx set 3 128");
    EXPECT_EQ(nextFrameFor(model, 3)[5], 128);
    EXPECT_EQ(nextFrameFor(model, 3)[5], 128);
}

TEST(ControllerModel, WrongChecksumChangesNothing) {
    ControllerModel model(rampParameters(), TelemetrySweep{});
    const auto command = parseOne({0xAB, 0x01, 0x00, 0x03, 0x80, 0x30});
    EXPECT_EQ(model.apply(command), "rx badsum AB 01 00 03 80 30");
    EXPECT_EQ(model.parameters(), rampParameters());
}

TEST(ControllerModel, WithoutEchoTheOldValueIsReported) {
    ControllerModel model(rampParameters(), TelemetrySweep{});
    model.setEcho(false);
    EXPECT_EQ(model.apply(parseOne({0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F})), "rx set 3 128");
    EXPECT_EQ(nextFrameFor(model, 3)[5], 30);
    model.setEcho(true);
    model.apply(parseOne({0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F}));
    EXPECT_EQ(nextFrameFor(model, 3)[5], 128);
}

TEST(ControllerModel, StoreKeepsACopyOfTheCurrentParameters) {
    ControllerModel model(rampParameters(), TelemetrySweep{});
    model.apply(parseOne({0xAB, 0x01, 0x00, 0x0F, 0xFF, 0xBA}));
    EXPECT_EQ(model.storedParameters(), rampParameters());
    EXPECT_EQ(model.apply(parseOne({0xAB, 0x02, 0x48, 0x07, 0x1A, 0x16})), "rx store");
    EXPECT_EQ(model.storedParameters()[15], 255);
    model.apply(parseOne({0xAB, 0x01, 0x00, 0x0F, 0x00, 0xBB}));
    EXPECT_EQ(model.storedParameters()[15], 255);
    EXPECT_EQ(model.parameters()[15], 0);
}

// A power cycle forgets what was not stored; a swap is another controller
// whose own set is both working and stored.
TEST(ControllerModel, RestartForgetsUnstoredValuesAndSwapBringsAnotherSet) {
    ControllerModel model(rampParameters(), TelemetrySweep{});
    model.apply(parseOne({0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F}));
    model.restart();
    EXPECT_EQ(model.parameters(), rampParameters());
    EXPECT_EQ(nextFrameFor(model, 3)[5], 30);

    ControllerModel::Parameters other{};
    other.fill(7);
    model.swapController(other);
    EXPECT_EQ(nextFrameFor(model, 3)[5], 7);
    model.apply(parseOne({0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F}));
    model.restart();
    EXPECT_EQ(model.parameters(), other);
}

TEST(ControllerModel, DefaultSweepVisitsEveryCellAndLambdaBand) {
    ControllerModel model(rampParameters(), TelemetrySweep{});
    std::bitset<16> cells;
    std::set<int> lambdaBands;
    for (int i = 0; i < 2000; ++i) {
        const auto frame = model.nextTelemetryFrame();
        const int petrol = frame[1] * 256 + frame[2];
        const int lambda = frame[3] * 256 + frame[4];
        ASSERT_LE(petrol, 4095);
        cells.set(frame[1] & 0x0F);
        lambdaBands.insert(lambda < 16383 ? 1 : lambda < 49152 ? 0 : 2);
    }
    EXPECT_TRUE(cells.all());
    EXPECT_EQ(lambdaBands.size(), 3u);
}

// A lean cell reads its offset low; raising its parameter (more gas) takes
// the offset back step by step; other cells read the sweep whatever happens.
TEST(ControllerModel, ABiasedCellReadsLeanUntilItsParameterRises) {
    TelemetrySweep sweep{
        .petrolStart = 5 * 256 + 10, .petrolStep = 0, .lambdaStart = 30000, .lambdaStep = 0};
    sweep.lambdaBias[5] = 6400;
    auto lambdaAfter = [&](std::size_t cell, std::uint8_t value) {
        ControllerModel::Parameters parameters = ControllerModel::Parameters{};
        parameters.fill(100);
        ControllerModel model(parameters, sweep);
        model.setParameter(cell, value);
        const auto frame = model.nextTelemetryFrame();
        return frame[3] * 256 + frame[4];
    };
    EXPECT_EQ(lambdaAfter(5, 100), 23600);
    EXPECT_EQ(lambdaAfter(5, 101), 26800);
    EXPECT_EQ(lambdaAfter(5, 102), 30000);
    EXPECT_EQ(lambdaAfter(5, 0), 0);
    sweep.petrolStart = 6 * 256;
    EXPECT_EQ(lambdaAfter(6, 120), 30000);
}

struct WaveCase {
    std::uint16_t start, step, maximum;
    std::vector<std::uint16_t> values;
};

class TriangleWaveCases : public testing::TestWithParam<WaveCase> {};

TEST_P(TriangleWaveCases, TurnsAtBothEnds) {
    const WaveCase& c = GetParam();
    TriangleWave wave(c.start, c.step, c.maximum);
    std::vector<std::uint16_t> values;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
        values.push_back(wave.value());
        wave.advance();
    }
    EXPECT_EQ(values, c.values);
}

INSTANTIATE_TEST_SUITE_P(Waves, TriangleWaveCases,
                         testing::Values(WaveCase{0, 4, 10, {0, 4, 8, 10, 6, 2, 0, 4}},
                                         WaveCase{5, 0, 10, {5, 5, 5}},
                                         WaveCase{65000, 512, 65535, {65000, 65512, 65535, 65023}},
                                         WaveCase{300, 1, 100, {100, 99, 98}}));

}  // namespace
