// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The dx470-sim program itself: a client on its pseudo-terminal, its stdout and stdin.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/sim/PtyClient.h"
#include "tests/sim/SimChild.h"
#include "tests/sim/TempConfigHome.h"

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kLineTimeout = 3s;
constexpr auto kFrameTimeout = 1s;
const Bytes kSetParameter3To128 = {0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F};

std::string portPathOf(SimChild& sim) {
    const auto line = sim.waitForLine("port ", kLineTimeout);
    return line ? line->substr(5) : std::string();
}

// Reads frames until one reports `index`; nullopt if none does within the time.
std::optional<std::uint8_t> echoOf(PtyClient& client, std::uint8_t index,
                                   std::chrono::milliseconds timeout = 2s) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        const auto frame = client.readFrame(kFrameTimeout);
        if (frame && (*frame)[0] == index) return (*frame)[5];
    }
    return std::nullopt;
}

bool linkExists(const fs::path& path) {
    return fs::exists(fs::symlink_status(path));
}

TEST(SimProgram, PortLineComesFirstAndStreamsAllIndicesWithinLineRate) {
    SimChild sim({});
    ASSERT_EQ(sim.waitForLine("", kLineTimeout).value_or("").rfind("port /dev/pts/", 0), 0u);
    PtyClient client(sim.lines().front().substr(5));
    ASSERT_TRUE(client.isOpen());
    client.discardInput();
    const auto start = Clock::now();

    std::vector<PtyClient::Frame> frames;
    while (Clock::now() - start < 1s) {
        if (const auto frame = client.readFrame(kFrameTimeout)) frames.push_back(*frame);
    }
    const auto elapsed = Clock::now() - start;

    std::bitset<16> seen;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        seen.set(frames[i][0] & 0x0F);
        EXPECT_LT(frames[i][0], 16);
        EXPECT_EQ(frames[i][5], 100);
        if (i > 0) {
            EXPECT_EQ(frames[i][0], (frames[i - 1][0] + 1) % 16) << "frame " << i;
        }
    }
    EXPECT_TRUE(seen.all()) << frames.size() << " frames in 1 s";
    // 6 bytes take 6.25 ms at 9600 baud, then a 10 ms gap: never more than one per 16.25 ms.
    const auto slots = elapsed / 16250us;
    EXPECT_LE(static_cast<long>(frames.size()), slots + 2);
}

// Byte by byte at 9600 baud and no pause between frames: about 960 bytes a
// second, never more, one about every 1.04 ms.
TEST(SimProgram, BytewiseSendsEachByteAtLinePace) {
    SimChild sim({"--bytewise", "--gap", "0"});
    PtyClient client(portPathOf(sim));
    ASSERT_TRUE(client.isOpen());
    client.discardInput();
    std::vector<Clock::duration> intervals;
    std::size_t bytes = 0;
    const auto start = Clock::now();
    auto last = start;
    while (Clock::now() - start < 1s) {
        if (client.read(1, 5ms).empty()) continue;
        const auto now = Clock::now();
        if (bytes++ > 0) intervals.push_back(now - last);
        last = now;
    }
    EXPECT_LE(bytes, 960u + 6u);
    EXPECT_GE(bytes, 700u);
    ASSERT_FALSE(intervals.empty());
    std::nth_element(intervals.begin(), intervals.begin() + intervals.size() / 2, intervals.end());
    const auto median = intervals[intervals.size() / 2];
    EXPECT_GT(median, 700us);
    EXPECT_LT(median, 1400us);
}

TEST(SimProgram, AppliesSetParameterFrameAndEchoesTheNewValue) {
    SimChild sim({"--gap", "2"});
    PtyClient client(portPathOf(sim));
    ASSERT_TRUE(client.isOpen());
    client.write(kSetParameter3To128);
    ASSERT_EQ(sim.waitForLine("rx ", kLineTimeout), "rx set 3 128");
    EXPECT_EQ(echoOf(client, 3, 3s / 2), 128);  // frames queued before may still say 100
    EXPECT_EQ(echoOf(client, 3), 128);
}

TEST(SimProgram, IgnoresFrameWithWrongChecksum) {
    SimChild sim({"--gap", "2"});
    PtyClient client(portPathOf(sim));
    client.write({0xAB, 0x01, 0x00, 0x03, 0x80, 0x30});
    EXPECT_EQ(sim.waitForLine("rx ", kLineTimeout), "rx badsum AB 01 00 03 80 30");
    sim.command("dump");
    EXPECT_EQ(sim.waitForLine("params", kLineTimeout),
              "params 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100");
}

TEST(SimProgram, StoreFrameKeepsTheCurrentParameters) {
    SimChild sim({"--params", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"});
    PtyClient client(portPathOf(sim));
    client.write({0xAB, 0x01, 0x00, 0x00, 0xC8, 0x74});
    ASSERT_EQ(sim.waitForLine("rx ", kLineTimeout), "rx set 0 200");
    client.write({0xAB, 0x02, 0x48, 0x07, 0x1A, 0x16});
    ASSERT_EQ(sim.waitForLine("rx ", kLineTimeout), "rx store");
    sim.command("dump");
    EXPECT_EQ(sim.waitForLine("stored", kLineTimeout),
              "stored 200 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16");
}

TEST(SimProgram, NoEchoKeepsReportingTheOldValue) {
    SimChild sim({"--gap", "2"});
    PtyClient client(portPathOf(sim));
    sim.command("noecho");
    ASSERT_EQ(sim.waitForLine("mode", kLineTimeout), "mode noecho");
    client.write(kSetParameter3To128);
    ASSERT_EQ(sim.waitForLine("rx ", kLineTimeout), "rx set 3 128");
    client.discardInput();
    EXPECT_EQ(echoOf(client, 3), 100);
    EXPECT_EQ(echoOf(client, 3), 100);
}

TEST(SimProgram, SilentStopsTheStreamAndTalkResumesIt) {
    SimChild sim({"--gap", "2"});
    PtyClient client(portPathOf(sim));
    ASSERT_TRUE(client.readFrame(kFrameTimeout));
    sim.command("silent");
    ASSERT_EQ(sim.waitForLine("mode", kLineTimeout), "mode silent");
    client.discardInput();
    EXPECT_TRUE(client.read(1, 300ms).empty());
    // Commands are still read while silent.
    client.write(kSetParameter3To128);
    EXPECT_EQ(sim.waitForLine("rx ", kLineTimeout), "rx set 3 128");
    sim.command("talk");
    ASSERT_EQ(sim.waitForLine("mode", kLineTimeout), "mode talk");
    EXPECT_EQ(echoOf(client, 3), 128);
}

TEST(SimProgram, SilentOptionSendsNothing) {
    SimChild sim({"--silent"});
    PtyClient client(portPathOf(sim));
    EXPECT_TRUE(client.read(1, 300ms).empty());
}

TEST(SimProgram, GarbageIsNotTelemetryAndKeepsTheLineRate) {
    SimChild sim({"--garbage", "--gap", "0"});
    PtyClient client(portPathOf(sim));
    client.discardInput();
    const auto start = Clock::now();
    const Bytes bytes = client.read(600, 2s);
    const auto elapsed = Clock::now() - start;
    ASSERT_EQ(bytes.size(), 600u);
    // 600 bytes need 625 ms on a 9600-baud line.
    EXPECT_GE(elapsed, 550ms);
    int framesWithIndex = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 6) framesWithIndex += bytes[i] < 16;
    EXPECT_LT(framesWithIndex, 50);
}

TEST(SimProgram, SingleByteReachesAProbeThatFlushesFirstAndThenSilence) {
    SimChild sim({"--single-byte"});
    PtyClient probe(portPathOf(sim));
    ASSERT_EQ(sim.waitForLine("tx single", kLineTimeout), "tx single");
    // Like the port discovery: discard input, listen 300 ms, read.
    probe.discardInput();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(probe.read(15, 20ms).size(), 1u);
    EXPECT_EQ(sim.waitForLine("single delivered", kLineTimeout), "single delivered");

    probe.discardInput();
    EXPECT_TRUE(probe.read(1, 400ms).empty());
}

TEST(SimProgram, SingleByteWaitsForAClientThatDoesNotFlush) {
    SimChild sim({"--single-byte"});
    const std::string path = portPathOf(sim);
    std::this_thread::sleep_for(100ms);
    PtyClient client(path);
    EXPECT_EQ(client.read(15, 500ms).size(), 1u);
}

TEST(SimProgram, LinkIsMadeAndRemovedAtQuit) {
    TempConfigHome config;
    SimChild sim({"--link", "COM5"}, config.env());
    const std::string port = portPathOf(sim);
    EXPECT_EQ(sim.waitForLine("link ", kLineTimeout), "link " + config.port("COM5").string());
    EXPECT_EQ(fs::read_symlink(config.port("COM5")), port);
    // The calibrator opens the port through the link.
    PtyClient client(config.port("COM5").string());
    EXPECT_TRUE(client.readFrame(kFrameTimeout));
    sim.command("quit");
    EXPECT_EQ(sim.waitForExit(kLineTimeout), 0);
    EXPECT_FALSE(linkExists(config.port("COM5")));
    EXPECT_EQ(sim.waitForLine("exit", kLineTimeout), "exit quit");
}

class SimSignals : public testing::TestWithParam<int> {};

TEST_P(SimSignals, RemoveTheLinkAndExitCleanly) {
    TempConfigHome config;
    SimChild sim({"--link", "COM12"}, config.env());
    ASSERT_TRUE(sim.waitForLine("link ", kLineTimeout));
    ASSERT_TRUE(linkExists(config.port("COM12")));
    sim.signal(GetParam());
    EXPECT_EQ(sim.waitForExit(kLineTimeout), 0);
    EXPECT_FALSE(linkExists(config.port("COM12")));
}

INSTANTIATE_TEST_SUITE_P(Signals, SimSignals, testing::Values(SIGINT, SIGTERM, SIGHUP));

TEST(SimProgram, ReplacesAStaleLink) {
    TempConfigHome config;
    fs::create_directories(config.port("COM3").parent_path());
    fs::create_symlink("/dev/pts/nonexistent", config.port("COM3"));
    SimChild sim({"--link", "COM3"}, config.env());
    const std::string port = portPathOf(sim);
    ASSERT_TRUE(sim.waitForLine("link ", kLineTimeout));
    EXPECT_EQ(fs::read_symlink(config.port("COM3")), port);
}

TEST(SimProgram, HangupClosesThePortRemovesTheLinkAndExits) {
    TempConfigHome config;
    SimChild sim({"--link", "COM7"}, config.env());
    PtyClient client(portPathOf(sim));
    ASSERT_TRUE(client.readFrame(kFrameTimeout));
    sim.command("hangup");
    EXPECT_TRUE(client.waitForHangUp(2s));
    EXPECT_EQ(sim.waitForExit(kLineTimeout), 0);
    EXPECT_FALSE(linkExists(config.port("COM7")));
    EXPECT_EQ(sim.waitForLine("exit", kLineTimeout), "exit hangup");
}

// A pulled cable and a replugged one: the old device goes, the controller
// keeps its parameters and comes back on a new device, linked again.
TEST(SimProgram, UnplugThenPlugComesBackOnANewPseudoTerminal) {
    TempConfigHome config;
    SimChild sim({"--link", "COM7"}, config.env());
    const std::string before = portPathOf(sim);
    PtyClient client(before);
    sim.command("set 3 77");
    sim.command("unplug");
    EXPECT_TRUE(client.waitForHangUp(2s));
    ASSERT_TRUE(sim.waitForLine("unplugged", kLineTimeout));
    EXPECT_FALSE(linkExists(config.port("COM7")));
    sim.command("plug");
    const std::string after = portPathOf(sim);
    ASSERT_NE(after, before);
    EXPECT_EQ(fs::read_symlink(config.port("COM7")), after);
    PtyClient replugged(after);
    replugged.discardInput();
    EXPECT_EQ(echoOf(replugged, 3), 77);
}

TEST(SimProgram, EndOfStdinDoesNotStopIt) {
    SimChild sim({"--gap", "2"});
    PtyClient client(portPathOf(sim));
    sim.closeStdin();
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(sim.running());
    client.discardInput();
    EXPECT_TRUE(client.readFrame(kFrameTimeout));
}

// A session log played back: each row a frame at the row's time with the
// row's readings; the parameters of the other cells from the set saved at
// the log's start.
TEST(SimProgram, ReplaysASessionLogWithItsTiming) {
    const fs::path log =
        fs::temp_directory_path() / ("DX470_replay_" + std::to_string(::getpid()) + ".msl");
    std::ofstream(log) << "Time\tCell\tPetrol\tGas\tLambda\tBand\tParam\tMark\n"
                       << "s\t\tms\tms\tV\t\t\t\n"
                       << "5.000\t10\t10.480\t12.028\t1.75784\t0\t120\t0\n"
                       << "MARK 1 - mark\n"
                       << "5.300\t2\t3.068\t3.079\t0.44923\t-1\t200\t1\n";
    const fs::path start = log.parent_path() / (log.stem().string() + "_start.tq4");
    std::ofstream startSet(start, std::ios::binary);
    for (int k = 0; k < 16; ++k) startSet.write("\x07\0\0\0", 4);
    startSet.close();

    SimChild sim({"--replay", log.string()});
    PtyClient client(portPathOf(sim));
    const auto first = client.readFrame(kFrameTimeout);
    const auto firstAt = Clock::now();
    const auto second = client.readFrame(kFrameTimeout);
    const auto between = Clock::now() - firstAt;
    fs::remove(log);
    fs::remove(start);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, (PtyClient::Frame{0, 0x0A, 0x3C, 0x5A, 0x00, 7}));
    EXPECT_EQ(*second, (PtyClient::Frame{1, 0x02, 0xFF, 0x17, 0x00, 7}));
    EXPECT_GT(between, 200ms);
    EXPECT_LT(between, 600ms);
    EXPECT_EQ(sim.waitForLine("replay", kLineTimeout), "replay done 2");
    EXPECT_FALSE(client.readFrame(300ms));
}

TEST(SimProgram, ALogThatIsNoLogIsRefused) {
    SimChild sim({"--replay", "/proc/self/status"});
    EXPECT_EQ(sim.waitForExit(kLineTimeout), 1);
}

TEST(SimProgram, HelpExitsWithZeroAndUnknownOptionWithTwo) {
    SimChild help({"--help"});
    EXPECT_TRUE(help.waitForLine("Usage: dx470-sim", kLineTimeout));
    EXPECT_EQ(help.waitForExit(kLineTimeout), 0);
    SimChild wrong({"--no-such-option"});
    EXPECT_EQ(wrong.waitForExit(kLineTimeout), 2);
}

}  // namespace
