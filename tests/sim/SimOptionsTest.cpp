// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// dx470-sim's command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/SimOptions.h"

namespace {

using Args = std::vector<std::string>;

TEST(SimOptions, DefaultsAreTalkingWithEchoAndAllParametersAt100) {
    const auto result = SimOptions::parse({});
    ASSERT_TRUE(result.error.empty());
    EXPECT_EQ(result.options.mode, TransmitMode::Talk);
    EXPECT_TRUE(result.options.echo);
    EXPECT_EQ(result.options.gap.count(), 10);
    EXPECT_FALSE(result.options.linkNumber);
    for (std::uint8_t value : result.options.parameters) EXPECT_EQ(value, 100);
}

TEST(SimOptions, ReadsEveryOptionInBothSpellings) {
    const auto result =
        SimOptions::parse({"--link", "COM20", "--gap=2", "--params",
                           "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,255", "--noecho", "--seed", "7",
                           "--silent", "--bytewise", "--petrol-max=1023", "--replay=/logs/a.msl"});
    ASSERT_EQ(result.error, "");
    EXPECT_TRUE(result.options.bytewise);
    EXPECT_EQ(result.options.sweep.petrolMaximum, 1023);
    EXPECT_EQ(result.options.linkNumber, 20);
    EXPECT_EQ(result.options.gap.count(), 2);
    EXPECT_EQ(result.options.parameters[14], 14);
    EXPECT_EQ(result.options.parameters[15], 255);
    EXPECT_FALSE(result.options.echo);
    EXPECT_EQ(result.options.seed, 7u);
    EXPECT_EQ(result.options.mode, TransmitMode::Silent);
    EXPECT_EQ(result.options.replayPath, "/logs/a.msl");
}

TEST(SimOptions, OneParameterValueSetsAllSixteen) {
    const auto result = SimOptions::parse({"--params", "42"});
    ASSERT_EQ(result.error, "");
    for (std::uint8_t value : result.options.parameters) EXPECT_EQ(value, 42);
}

TEST(SimOptions, FixedReadingsHoldUnlessAStepIsGiven) {
    auto result = SimOptions::parse({"--petrol", "4660", "--lambda", "23040"});
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.options.sweep.petrolStart, 4660);
    EXPECT_EQ(result.options.sweep.petrolStep, 0);
    EXPECT_GE(result.options.sweep.petrolMaximum, 4660);
    EXPECT_EQ(result.options.sweep.lambdaStart, 23040);
    EXPECT_EQ(result.options.sweep.lambdaStep, 0);

    result = SimOptions::parse({"--petrol-step", "16", "--petrol", "100"});
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.options.sweep.petrolStart, 100);
    EXPECT_EQ(result.options.sweep.petrolStep, 16);
}

TEST(SimOptions, LambdaBiasNamesACellAndASignedOffset) {
    const auto result = SimOptions::parse(
        {"--lambda-bias", "5:+8000", "--lambda-bias=15:-65535", "--lambda-bias", "0:7"});
    ASSERT_EQ(result.error, "");
    const EngineMixture::Offsets expected = {7, 0, 0, 0, 0, 8000, 0, 0,
                                             0, 0, 0, 0, 0, 0,    0, -65535};
    EXPECT_EQ(result.options.sweep.lambdaBias, expected);
}

TEST(SimOptions, ReadsTheAdapterAndTheCarBehindIt) {
    auto result = SimOptions::parse({});
    EXPECT_FALSE(result.options.obd);
    EXPECT_EQ(result.options.obdDelay.count(), 15);
    EXPECT_EQ(result.options.engine.fuel, EngineFuel::Gas);
    EXPECT_EQ(result.options.engine.coolantCelsius, 90);

    result = SimOptions::parse({"--link", "COM1", "--obd-link=COM2", "--obd-delay", "200",
                                "--obd-drop", "7", "--trim-error", "3:+6.5", "--trim-error=15:-50",
                                "--petrol-trim", "-2.25", "--fuel", "petrol", "--coolant", "-40"});
    ASSERT_EQ(result.error, "");
    const SimOptions& options = result.options;
    EXPECT_TRUE(options.obd);
    EXPECT_EQ(options.obdLinkNumber, 2);
    EXPECT_EQ(options.obdDelay.count(), 200);
    EXPECT_EQ(options.obdDropEvery, 7);
    EXPECT_EQ(options.engine.trimErrors[3], 6.5);
    EXPECT_EQ(options.engine.trimErrors[15], -50);
    EXPECT_EQ(options.engine.trimErrors[0], 0);
    EXPECT_EQ(options.engine.petrolTrim, -2.25);
    EXPECT_EQ(options.engine.fuel, EngineFuel::Petrol);
    EXPECT_EQ(options.engine.coolantCelsius, -40);
    EXPECT_TRUE(SimOptions::parse({"--obd"}).options.obd);
}

TEST(SimOptions, LastTransmitModeWins) {
    EXPECT_EQ(SimOptions::parse({"--silent", "--single-byte"}).options.mode,
              TransmitMode::SingleByte);
    EXPECT_EQ(SimOptions::parse({"--single-byte", "--garbage"}).options.mode,
              TransmitMode::Garbage);
}

TEST(SimOptions, HelpIsRecognised) {
    EXPECT_TRUE(SimOptions::parse({"--help"}).helpRequested);
    EXPECT_TRUE(SimOptions::parse({"-h"}).helpRequested);
}

class RejectedArgs : public testing::TestWithParam<Args> {};

TEST_P(RejectedArgs, GiveAnError) {
    EXPECT_NE(SimOptions::parse(GetParam()).error, "");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, RejectedArgs,
    testing::Values(
        Args{"--bogus"}, Args{"extra"}, Args{"--link"}, Args{"--link", "COM0"},
        Args{"--link", "COM21"}, Args{"--link", "COM03"}, Args{"--link", "com3"},
        Args{"--link", "/dev/ttyS0"}, Args{"--gap", "-1"}, Args{"--gap", "1.5"},
        Args{"--gap", "60001"}, Args{"--params", "1,2,3"}, Args{"--params", "256"},
        Args{"--params", "1,,2"}, Args{"--petrol", "65536"}, Args{"--seed", "x"},
        Args{"--silent=1"}, Args{"--petrol-max", "4096"}, Args{"--bytewise=1"},
        Args{"--lambda-bias", "16:1"}, Args{"--lambda-bias", "5"}, Args{"--lambda-bias", "5:+-1"},
        Args{"--lambda-bias", "5:65536"}, Args{"--obd=1"}, Args{"--obd-link", "COM21"},
        Args{"--link", "COM4", "--obd-link", "COM4"}, Args{"--obd-delay", "5001"},
        Args{"--obd-drop", "1001"}, Args{"--obd-drop", "-1"}, Args{"--trim-error", "16:1"},
        Args{"--trim-error", "3"}, Args{"--trim-error", "3:50.5"}, Args{"--trim-error", "3:-51"},
        Args{"--trim-error", "3:+-1"}, Args{"--trim-error", "3:nan"}, Args{"--trim-error", "3:1e1"},
        Args{"--trim-error", "3:"}, Args{"--petrol-trim", "25.1"}, Args{"--petrol-trim", "-26"},
        Args{"--petrol-trim", "x"}, Args{"--fuel", "diesel"}, Args{"--fuel", "Gas"},
        Args{"--coolant", "-41"}, Args{"--coolant", "216"}, Args{"--coolant", "9.5"},
        Args{"--coolant"}));

}  // namespace
