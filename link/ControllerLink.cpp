// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/ControllerLink.h"

#include "link/CommEvent.h"
#include "link/SendScheduler.h"
#include "link/StoredSet.h"

ControllerLink::ControllerLink(WindowOps& observer, CommChannel& channel, TickSource readTickCount,
                               ProbeLauncher launchProbe)
    : observer_(observer),
      channel_(channel),
      readTickCount_(std::move(readTickCount)),
      launchProbe_(std::move(launchProbe)) {}

template <typename Operation>
void ControllerLink::Run(Operation&& operation, bool downIsLoss) {
    const bool wasUp = state_.linkUp;
    // Told even when the operation is cut short by a channel error.
    struct Tell {
        ControllerLink& link;
        bool wasUp;
        bool downIsLoss;
        ~Tell() {
            if (link.state_.linkUp == wasUp) return;
            if (!link.state_.linkUp) link.health_.RecordLinkDown(downIsLoss);
            link.observer_.NoteLinkUp(link.state_.linkUp);
        }
    } tell{*this, wasUp, downIsLoss};
    operation();
}

ParamMask ControllerLink::Unstored() const {
    return UnstoredParams(state_, panel_);
}

bool ControllerLink::PanelStored() const {
    return ::PanelStored(state_, panel_);
}

int ControllerLink::TicksUntilSent() const {
    return ::TicksUntilSent(state_, panel_);
}

bool ControllerLink::SetPanelValue(int k, std::int32_t value) {
    if (k < 0 || k >= kParamCount || value < kLowestValue || value > kHighestValue) return false;
    const auto index = static_cast<std::size_t>(k);
    if (panel_[index] == value) return true;
    panel_[index] = value;
    observer_.ShowParameter(k, value);
    return true;
}

void ControllerLink::OnPortOpened(FrameReader::Micros at) {
    const std::uint64_t discarded = reader_.DiscardedBytes();
    reader_.Reset(at);
    health_.RecordDiscarded(reader_.DiscardedBytes() - discarded);
}

void ControllerLink::OnBytesReceived(std::span<const std::uint8_t> bytes,
                                     FrameReader::Micros arrival) {
    const std::uint64_t discarded = reader_.DiscardedBytes();
    const std::vector<TelemetryFrame> frames =
        HandleReceivedBytes(state_, *this, reader_, bytes, arrival);
    health_.RecordRead(bytes.size(), frames, arrival);
    health_.RecordDiscarded(reader_.DiscardedBytes() - discarded);
    // Once pauses are no longer needed to find the frames, the window need
    // not wake for every byte.
    channel_.SetBatchedReads(reader_.LockedOnContent());
}

// A link that falls silent is lost: nobody chose it.
void ControllerLink::OnSupervisionTick() {
    Run([&] { SupervisionTick(state_, panel_, *this, readTickCount_); }, true);
}

void ControllerLink::OnSendTick(FrameReader::Micros now) {
    sendTickAt_ = now;
    Run([&] {
        TakeOverFoundPort(state_, channel_);
        SendTick(state_, panel_, *this, channel_);
    });
}

void ControllerLink::OnPortFound(int port) {
    NoteFoundPort(state_, port);
}

void ControllerLink::OnDeviceGone() {
    Run([&] { DeclareLinkLost(state_, *this); }, true);
}

void ControllerLink::LaunchSearch() {
    Run([&] { ::LaunchSearch(state_, *this, launchProbe_); });
}

void ControllerLink::StartAutoSearch() {
    Run([&] { ::StartAutoSearch(state_, *this, launchProbe_); });
}

void ControllerLink::GoOffline() {
    Run([&] { ::GoOffline(state_, *this, channel_); });
}

void ControllerLink::SelectPort(int port) {
    Run([&] { ::SelectPort(state_, *this, channel_, port); });
}

void ControllerLink::RequestWrite() {
    ::RequestWrite(state_);
}

void ControllerLink::RequestStoreOfPanel() {
    ::RequestStoreOfPanel(state_, panel_);
}

void ControllerLink::ChooseControllerValues() {
    ::ChooseControllerValues(state_, panel_, *this);
}

void ControllerLink::ChoosePanelValues() {
    ::ChoosePanelValues(state_, *this);
}

void ControllerLink::DisableEditing() {
    observer_.DisableEditing();
}

void ControllerLink::EnableEditing() {
    observer_.EnableEditing();
}

// A panel that was never loaded from this controller shows 0 everywhere, as
// the spins do.
void ControllerLink::ClearLiveDisplay(bool resetParameters) {
    observer_.ClearLiveDisplay(resetParameters);
    if (!resetParameters) return;
    for (int k = 0; k < kParamCount; ++k) SetPanelValue(k, 0);
}

void ControllerLink::ShowLinkStatus(LinkStatus status, const std::string& text) {
    observer_.ShowLinkStatus(status, text);
}

void ControllerLink::ShowConnectionTime(const std::string& text) {
    observer_.ShowConnectionTime(text);
}

void ControllerLink::ShowStatusColour(StatusColour colour) {
    observer_.ShowStatusColour(colour);
}

void ControllerLink::ShowParameter(int k, int value) {
    observer_.ShowParameter(k, value);
}

void ControllerLink::ShowReadouts(const Readouts& readouts) {
    observer_.ShowReadouts(readouts);
}

void ControllerLink::ShowLambdaBand(LambdaBand band) {
    observer_.ShowLambdaBand(band);
}

void ControllerLink::ShowCellMarker(int k) {
    observer_.ShowCellMarker(k);
}

void ControllerLink::ShowErrorBox(const std::string& text, const std::string& caption) {
    observer_.ShowErrorBox(text, caption);
}

void ControllerLink::MarkPortChoice(PortChoice choice) {
    observer_.MarkPortChoice(choice);
}

void ControllerLink::AskAboutOtherController(std::uint16_t differing) {
    observer_.AskAboutOtherController(differing);
}

void ControllerLink::NoteParameterSent(int index, int value) {
    health_.RecordParameterSent(index, value, sendTickAt_);
    observer_.NoteParameterSent(index, value);
}

void ControllerLink::NoteStoreSent() {
    observer_.NoteStoreSent();
}

void ControllerLink::NoteLinkUp(bool up) {
    observer_.NoteLinkUp(up);
}
