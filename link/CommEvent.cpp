#include "CommEvent.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "LiveValues.h"
#include "Telemetry.h"

void HandleCommEvent(LinkState& state, WindowOps& window, CommChannel& channel) {
    if (!channel.IsOpen()) return;
    if (channel.EventCode() != kEventReceive) return;
    const std::vector<std::uint8_t> input = channel.Read();
    std::this_thread::sleep_for(kFrameSettlePause);
    channel.DiscardInput();
    // Bytes that were not delivered have no value; never decode a part-frame.
    if (input.size() < kFrameSize) return;
    TelemetryFrame frame{};
    std::copy_n(input.begin(), kFrameSize, frame.begin());
    if (ApplyTelemetryFrame(state, frame) == FrameResult::Complete) ShowLiveValues(state, window);
}
