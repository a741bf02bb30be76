// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// dx470-sim's OBD adapter: a client on its second pseudo-terminal, and the commands on stdin.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "tests/sim/PtyClient.h"
#include "tests/sim/SimChild.h"
#include "tests/sim/TempConfigHome.h"

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kLineTimeout = 3s;
constexpr auto kAnswerTimeout = 2s;

// The adapter's text up to its prompt, or what came before the time ran out.
std::string answerTo(PtyClient& client, const std::string& request) {
    client.write({request.begin(), request.end()});
    std::string text;
    const auto deadline = Clock::now() + kAnswerTimeout;
    while (!text.ends_with('>') && Clock::now() < deadline) {
        for (const std::uint8_t byte : client.read(1, 100ms)) text += static_cast<char>(byte);
    }
    return text;
}

// The short-term fuel trim in an answer to 0106 with spaces off.
std::optional<double> shortTrimIn(const std::string& answer) {
    const std::size_t at = answer.find("4106");
    if (at == std::string::npos || answer.size() < at + 6) return std::nullopt;
    return std::stoi(answer.substr(at + 4, 2), nullptr, 16) / 1.28 - 100;
}

TEST(SimObd, ReadsTheTrimOfALeanCellOnGasAndNoneOnPetrol) {
    SimChild sim({"--obd", "--trim-error", "3:8", "--petrol", "896"});
    ASSERT_TRUE(sim.waitForLine("port ", kLineTimeout));
    const auto obdLine = sim.waitForLine("obd ", kLineTimeout);
    ASSERT_TRUE(obdLine);
    EXPECT_EQ(sim.lines().at(1), *obdLine);
    PtyClient client(obdLine->substr(4));
    ASSERT_TRUE(client.isOpen());

    EXPECT_EQ(answerTo(client, "ATZ\r"), "ATZ\r\r\rELM327 v1.5\r\r>");
    for (const char* setting : {"ATE0\r", "ATL0\r", "ATS0\r", "ATSP0\r"}) {
        EXPECT_TRUE(answerTo(client, setting).ends_with("OK\r\r>")) << setting;
    }
    const std::string onGas = answerTo(client, "0106\r");
    EXPECT_TRUE(onGas.starts_with("SEARCHING...\r")) << onGas;
    EXPECT_NEAR(shortTrimIn(onGas).value_or(-100), 8, 1) << onGas;

    sim.command("fuel petrol");
    ASSERT_EQ(sim.waitForLine("fuel", kLineTimeout), "fuel petrol");
    EXPECT_NEAR(shortTrimIn(answerTo(client, "0106\r")).value_or(-100), 0, 1);
    sim.command("silent");
    ASSERT_EQ(sim.waitForLine("mode", kLineTimeout), "mode silent");
    EXPECT_EQ(answerTo(client, "0106\r"), "NO DATA\r\r>");
    sim.command("obd count");
    EXPECT_EQ(sim.waitForLine("obd requests", kLineTimeout), "obd requests 3 answered 2");
}

// Cell 3 raised by 28 steps (8 % of 4 x 896 + 14 x 100 us, in 14 us steps) reads
// about 0 %; a pulled adapter comes back under a new name, linked again.
TEST(SimObd, TrimsFollowTheParameterAndTheAdapterComesBackUnderANewName) {
    TempConfigHome config;
    SimChild sim({"--link", "COM5", "--obd-link", "COM6", "--trim-error", "3:8"}, config.env());
    ASSERT_TRUE(sim.waitForLine("obd-link", kLineTimeout));
    ASSERT_EQ(sim.lines().size(), 4u);
    EXPECT_TRUE(sim.lines()[1].starts_with("link "));
    const std::string before = sim.lines()[2].substr(4);
    EXPECT_EQ(sim.lines()[3], "obd-link " + config.port("COM6").string());
    EXPECT_EQ(fs::read_symlink(config.port("COM6")), before);

    sim.command("trims");
    EXPECT_EQ(sim.waitForLine("trims", kLineTimeout),
              "trims 0.0 0.0 0.0 8.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0");
    sim.command("set 3 128");
    sim.command("trims");
    EXPECT_EQ(sim.waitForLine("trims", kLineTimeout),
              "trims 0.0 0.0 0.0 0.1 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0");

    PtyClient client(before);
    sim.command("obd unplug");
    EXPECT_TRUE(client.waitForHangUp(2s));
    ASSERT_EQ(sim.waitForLine("obd", kLineTimeout), "obd unplugged");
    EXPECT_FALSE(fs::exists(fs::symlink_status(config.port("COM6"))));
    sim.command("obd plug");
    ASSERT_EQ(sim.waitForLine("obd", kLineTimeout), "obd plugged");
    const std::string after = sim.waitForLine("obd ", kLineTimeout).value_or("obd ").substr(4);
    ASSERT_NE(after, before);
    EXPECT_EQ(fs::read_symlink(config.port("COM6")), after);
    PtyClient replugged(after);
    EXPECT_EQ(answerTo(replugged, "ATI\r"), "ATI\rELM327 v1.5\r\r>");

    sim.command("quit");
    EXPECT_EQ(sim.waitForExit(kLineTimeout), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(config.port("COM6"))));
}

}  // namespace
