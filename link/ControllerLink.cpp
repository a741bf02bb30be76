// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/ControllerLink.h"

#include "link/CommEvent.h"
#include "link/SendScheduler.h"

ControllerLink::ControllerLink(WindowOps& window, CommChannel& channel, PanelParams& panel,
                               TickSource readTickCount, ProbeLauncher launchProbe)
    : window_(window),
      channel_(channel),
      panel_(panel),
      readTickCount_(std::move(readTickCount)),
      launchProbe_(std::move(launchProbe)) {}

void ControllerLink::OnPortOpened(FrameReader::Micros at) {
    reader_.Reset(at);
}

void ControllerLink::OnBytesReceived(std::span<const std::uint8_t> bytes,
                                     FrameReader::Micros arrival) {
    HandleReceivedBytes(state_, window_, reader_, bytes, arrival);
    // Once pauses are no longer needed to find the frames, the window need
    // not wake for every byte.
    channel_.SetBatchedReads(reader_.LockedOnContent());
}

void ControllerLink::OnSupervisionTick() {
    SupervisionTick(state_, panel_, window_, readTickCount_);
}

void ControllerLink::OnSendTick() {
    TakeOverFoundPort(state_, channel_);
    SendTick(state_, panel_, window_, channel_);
}

void ControllerLink::OnPortFound(int port) {
    NoteFoundPort(state_, port);
}

void ControllerLink::OnDeviceGone() {
    DeclareLinkLost(state_, window_);
}

void ControllerLink::LaunchSearch() {
    ::LaunchSearch(state_, window_, launchProbe_);
}

void ControllerLink::StartAutoSearch() {
    ::StartAutoSearch(state_, window_, launchProbe_);
}

void ControllerLink::GoOffline() {
    ::GoOffline(state_, window_, channel_);
}

void ControllerLink::SelectPort(int port) {
    ::SelectPort(state_, window_, channel_, port);
}

void ControllerLink::RequestWrite() {
    ::RequestWrite(state_);
}

void ControllerLink::RequestStoreOfPanel() {
    ::RequestStoreOfPanel(state_, panel_);
}

int ControllerLink::TicksUntilSent() const {
    return ::TicksUntilSent(state_, panel_);
}

bool ControllerLink::PanelStored() const {
    return ::PanelStored(state_, panel_);
}

void ControllerLink::ChooseControllerValues() {
    ::ChooseControllerValues(state_, panel_, window_);
}

void ControllerLink::ChoosePanelValues() {
    ::ChoosePanelValues(state_, window_);
}
