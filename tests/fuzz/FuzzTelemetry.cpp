// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Arbitrary bytes as the controller's stream, read in chunks of arbitrary size
// after arbitrary idle times: frames are found, decoded and shown as the
// receive path does, and the record must stay within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "link/CommEvent.h"
#include "link/LinkState.h"

namespace {
constexpr std::int32_t kMaxGasTimeUs = 18930;
constexpr std::size_t kMaxTextLength = 16;

void Check(bool condition) {
    if (!condition) std::abort();
}

class CheckingWindow : public WindowOps {
public:
    void DisableEditing() override {}
    void EnableEditing() override {}
    void ClearLiveDisplay(bool) override {}
    void ShowLinkStatus(LinkStatus, const std::string&) override {}
    void ShowConnectionTime(const std::string&) override {}
    void ShowStatusColour(StatusColour) override {}
    void ShowParameter(int, int) override { Check(false); }
    void ShowReadouts(const Readouts& readouts) override {
        for (const std::string* text :
             {&readouts.petrolText, &readouts.gasText, &readouts.lambdaText}) {
            Check(text->size() <= kMaxTextLength);
        }
        for (const int bar : {readouts.petrolBar, readouts.gasBar, readouts.lambdaBar}) {
            Check(bar >= 0 && bar <= 16384);
        }
    }
    void ShowLambdaBand(LambdaBand) override {}
    void ShowCellMarker(int k) override { Check(k >= 0 && k < kParamCount); }
    void ShowErrorBox(const std::string&, const std::string&) override { Check(false); }
    void MarkPortChoice(PortChoice) override {}
    // Bytes received alone never ask about another controller: that takes a tick.
    void AskAboutOtherController(std::uint16_t) override { Check(false); }
};
}  // namespace

// Each chunk: one byte of length (0..15), one byte of idle time in 0.1 ms,
// then the bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LinkState state;
    CheckingWindow window;
    FrameReader reader;
    reader.Reset(0);
    FrameReader::Micros now = 0;
    for (std::size_t at = 0; at + 2 <= size;) {
        const std::size_t length = std::min<std::size_t>(data[at] & 0x0F, size - at - 2);
        now += data[at + 1] * 100 + static_cast<FrameReader::Micros>(length) * 1042;
        HandleReceivedBytes(state, window, reader, {data + at + 2, length}, now);
        at += 2 + length;
        Check(state.deviceParams[16] == 0);
        Check(state.gasTimeUs >= 0 && state.gasTimeUs <= kMaxGasTimeUs);
        Check(static_cast<int>(state.lambdaBand) <= 2);
    }
    return 0;
}
