// Arbitrary bytes as a telemetry stream: frames are decoded and shown as the
// receive handler does, and the record must stay within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "LinkState.h"
#include "LiveValues.h"
#include "Telemetry.h"

namespace {
constexpr std::int32_t kMaxGasTimeUs = 18930;

class CheckingWindow : public WindowOps {
public:
    void DisableEditing() override {}
    void EnableEditing() override {}
    void ClearLiveDisplay() override {}
    void SetPaneText(int, const std::string&) override {}
    void SetStatusColour(Colour) override {}
    void SetSpinPosition(int, int) override {}
    void SetControlText(int, const std::string& text) override { Check(text.size() <= 16); }
    void SetBarPosition(int, int position) override { Check(position >= 0 && position <= 16384); }
    void SetBarColour(int, Colour) override {}
    void SetControlVisible(int, bool) override {}
    void ShowErrorBox(const std::string&, const std::string&) override { Check(false); }
    void SetPortRadioMark(int) override {}

    static void Check(bool condition) {
        if (!condition) std::abort();
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LinkState state;
    CheckingWindow window;
    for (std::size_t at = 0; at + 6 <= size; at += 6) {
        TelemetryFrame frame;
        for (std::size_t i = 0; i < 6; ++i) frame[i] = data[at + i];
        const auto before = state.deviceParams;
        const FrameResult result = ApplyTelemetryFrame(state, frame);
        for (std::size_t i = 0; i < before.size(); ++i) {
            // Only the named parameter may change, and only for indices 0..15.
            if (before[i] != state.deviceParams[i]) CheckingWindow::Check(i == frame[0] && i < 16);
        }
        CheckingWindow::Check(state.deviceParams[16] == 0);
        CheckingWindow::Check((result == FrameResult::Ignored) == (frame[0] > 15));
        if (result == FrameResult::Complete) {
            ShowLiveValues(state, window);
            CheckingWindow::Check(state.gasTimeUs >= 0 && state.gasTimeUs <= kMaxGasTimeUs);
            CheckingWindow::Check(state.lambdaBand <= 2);
        }
    }
    return 0;
}
