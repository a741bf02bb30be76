// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The link's health figures: counted where things happen, to the byte and the
// microsecond, and the hints they give.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <tuple>
#include <vector>

#include "link/ControllerLink.h"
#include "tests/support/FakeChannel.h"
#include "tests/support/RecordingWindow.h"

namespace {

using Micros = LinkHealth::Micros;

TelemetryFrame Frame(int index, int value) {
    return {std::uint8_t(index), 0x01, 0x00, 0x80, 0x00, std::uint8_t(value)};
}

struct LinkRig {
    RecordingWindow window;
    FakeChannel channel;
    ControllerLink link{window, channel, [] { return 0u; }, [] {}};
    Micros at = 0;

    LinkRig() { link.OnPortOpened(at); }
    // Read together after the line was idle, or byte by byte without a pause.
    void Read(std::span<const std::uint8_t> bytes, bool pause = true) {
        for (std::size_t i = 0; i < bytes.size(); i += pause ? bytes.size() : 1) {
            at += pause ? 10'000 : FrameReader::kByteTimeUs;
            link.OnBytesReceived(pause ? bytes : bytes.subspan(i, 1), at);
        }
    }
    void Frames(int count, bool pause = true) {
        for (int i = 0; i < count; ++i) Read(Frame(i % 16, 100 + i % 16), pause);
    }
};

// What no frame handed out took: the bytes before the boundary was known,
// and the stream's tail when the port opens again.
TEST(LinkHealthTest, CountsBytesFramesAndDiscardedBytesAsTheReaderTakesThem) {
    static constexpr std::uint8_t kStray[] = {0xEE, 0xEE, 0xEE, 0xEE};
    struct Row {
        std::size_t strayBefore;
        int frames;
        bool pauses;
        std::size_t strayAfter;
        std::uint64_t read, taken, discarded;
    };
    const Row rows[] = {
        {0, 3, true, 0, 18, 3, 0},
        {2, 3, true, 0, 20, 3, 2},
        // No pause: the seventeenth frame is the first the content vouches for.
        {0, 20, false, 0, 120, 4, 96},
        {0, 2, true, 4, 16, 2, 4},
    };
    for (const Row& row : rows) {
        LinkRig rig;
        if (row.strayBefore > 0) rig.Read(std::span(kStray).first(row.strayBefore));
        rig.Frames(row.frames, row.pauses);
        if (row.strayAfter > 0) rig.Read(std::span(kStray).first(row.strayAfter));
        rig.link.OnPortOpened(rig.at);
        const LinkFigures figures = rig.link.Health().Figures(rig.at);
        EXPECT_EQ(figures.bytesRead, row.read);
        EXPECT_EQ(figures.framesTaken, row.taken);
        EXPECT_EQ(figures.bytesDiscarded, row.discarded);
    }
}

// Silence and a device gone are losses; the user's port commands are not.
TEST(LinkHealthTest, CountsALinkLostButNotOneTheUserTookDown) {
    const std::pair<void (*)(ControllerLink&), std::uint64_t> rows[] = {
        {[](ControllerLink& link) { link.SelectPort(3); }, 0},
        {[](ControllerLink& link) { link.GoOffline(); }, 0},
        {[](ControllerLink& link) { link.OnDeviceGone(); }, 1},
        {[](ControllerLink& link) {
             for (int tick = 0; tick < 20; ++tick) link.OnSupervisionTick();
         },
         1},
    };
    for (const auto& [command, losses] : rows) {
        LinkRig rig;
        rig.Frames(32);
        rig.link.OnSupervisionTick();
        ASSERT_TRUE(rig.link.IsUp());
        command(rig.link);
        command(rig.link);
        EXPECT_EQ(rig.link.Health().Figures(rig.at).linkLosses, losses);
    }
}

struct Step {
    enum Kind { Sent, Report, Down, Lost } kind;
    int index = 3;
    int value = 0;
    Micros at = 0;
};

void Play(LinkHealth& health, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        const TelemetryFrame frame = Frame(step.index, step.value);
        if (step.kind == Step::Sent) health.RecordParameterSent(step.index, step.value, step.at);
        if (step.kind == Step::Report) health.RecordRead(6, std::span(&frame, 1), step.at);
        if (step.kind >= Step::Down) health.RecordLinkDown(step.kind == Step::Lost);
    }
}

// Each row: resends, echoes, losses, latency; then what happened. The
// echo's clock runs from the first frame with the value.
TEST(LinkHealthTest, EchoesAndResendsByParameterAndValue) {
    using S = Step;
    using Steps = std::vector<Step>;
    const std::tuple<int, int, int, std::optional<Micros>, Steps> rows[] = {
        {0, 1, 0, 80'000,
         Steps{{S::Sent, 3, 41, 1'000}, {S::Report, 3, 40}, {S::Report, 3, 41, 81'000}}},
        {1, 1, 0, 400'000, Steps{{S::Sent, 3, 41}, {S::Sent, 3, 41}, {S::Report, 3, 41, 400'000}}},
        {0, 1, 0, 100'000,
         Steps{{S::Sent, 3, 41},
               {S::Sent, 3, 42, 300'000},
               {S::Report, 3, 41},
               {S::Report, 3, 42, 400'000}}},
        {0, 0, 1, std::nullopt, Steps{{S::Sent, 3, 41}, {S::Lost}, {S::Report, 3, 41}}},
        {0, 0, 0, std::nullopt, Steps{{S::Sent, 3, 41}, {S::Down}, {S::Sent, 3, 41}}},
    };
    for (const auto& [resends, echoes, losses, latency, steps] : rows) {
        LinkHealth health;
        Play(health, steps);
        const LinkFigures figures = health.Figures(1'000'000);
        EXPECT_EQ(figures.resends, std::uint64_t(resends));
        EXPECT_EQ(figures.echoes, std::uint64_t(echoes));
        EXPECT_EQ(figures.linkLosses, std::uint64_t(losses));
        EXPECT_EQ(figures.medianEchoUs, latency);
        EXPECT_EQ(figures.worstEchoUs, latency);
    }
}

// Echoes taking 1, 2, ... 300 ms: the median of the last 256 (45 to 300 ms,
// an even number), the worst of all.
TEST(LinkHealthTest, MedianOfTheLatestEchoesWorstOfAll) {
    std::vector<Step> steps;
    for (Micros n = 1; n <= 300; ++n) {
        steps.push_back({Step::Sent, 5, int(n % 2), n * 1'000'000});
        steps.push_back({Step::Report, 5, int(n % 2), n * 1'000'000 + n * 1'000});
    }
    LinkHealth health;
    Play(health, steps);
    EXPECT_EQ(health.Figures(0).medianEchoUs, 172'500);
    EXPECT_EQ(health.Figures(0).worstEchoUs, 300'000);
}

// Ten frames in each second from 0 to 9: over the last five whole seconds,
// fewer at the start, never the first one's.
TEST(LinkHealthTest, FramesPerSecondOverTheLastWholeSeconds) {
    LinkHealth health;
    const TelemetryFrame frames[] = {Frame(0, 1), Frame(1, 1)};
    const std::pair<Micros, double> rows[] = {{900'000, 0},     {2'000'000, 10}, {3'200'000, 10},
                                              {10'500'000, 10}, {12'000'000, 6}, {14'999'999, 2},
                                              {15'000'000, 0}};
    Micros at = 50'000;
    for (const auto& [now, rate] : rows) {
        for (; at < std::min<Micros>(now, 10'000'000); at += 200'000) {
            health.RecordRead(12, frames, at);
        }
        EXPECT_DOUBLE_EQ(health.Figures(now).framesPerSecond, rate) << now;
    }
}

// Frames cut from other bytes at their pauses are no controller's: they
// hardly ever report an index alike three times.
TEST(LinkHealthTest, BytesWithoutAControllersFramesGiveAHint) {
    LinkHealth health;
    const TelemetryFrame cut[] = {Frame(20, 1), Frame(3, 7), Frame(3, 8), Frame(3, 8)};
    for (Micros at = 1'000'000, n = 0; at <= 4'500'000; at += 100'000) {
        health.RecordRead(6, std::span(&cut[n++ % 4], 1), at);
    }
    EXPECT_EQ(health.Figures(4'600'000).unframedUs, 3'500'000);
    EXPECT_EQ(health.Figures(5'500'000).unframedUs, 0);
    const TelemetryFrame controller = Frame(5, 9);
    for (const Micros at : {5'500'000, 5'600'000, 5'700'000}) {
        health.RecordRead(6, std::span(&controller, 1), at);
    }
    EXPECT_EQ(health.Figures(5'700'000).unframedUs, 0);

    using Hints = std::vector<LinkHint>;
    using F = ChannelFailure::Hint;
    LinkFigures figures;
    EXPECT_EQ(HintsFor(figures, 1, F::None), Hints{});
    EXPECT_EQ(HintsFor(figures, 16, F::InUse),
              (Hints{LinkHint::AdapterLatency, LinkHint::PortBusy}));
    figures.unframedUs = LinkHealth::kUnframedHintUs;
    EXPECT_EQ(HintsFor(figures, std::nullopt, F::JoinDialout),
              (Hints{LinkHint::BytesWithoutFrames, LinkHint::PortDenied}));
}

TEST(LinkHealthTest, ReadsTheAdapterLatencyTimerFromSysfs) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(testing::TempDir()) / "dx470-link-health-sysfs";
    fs::create_directories(root / "class/tty/ttyUSB7/device");
    std::ofstream(root / "class/tty/ttyUSB7/device/latency_timer") << "16\n";
    EXPECT_EQ(ReadLatencyTimerMs("/dev/ttyUSB7", root.string()), 16);
    EXPECT_EQ(ReadLatencyTimerMs("/dev/pts/7", root.string()), std::nullopt);
    fs::remove_all(root);
}

}  // namespace
