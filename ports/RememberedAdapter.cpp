// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/RememberedAdapter.h"

#include "ports/SerialChannel.h"

RememberedAdapter::RememberedAdapter(std::shared_ptr<PortDirectory> directory, AdapterMemory memory,
                                     SerialChannel& channel, QObject* parent)
    : QObject(parent),
      directory_(std::move(directory)),
      memory_(std::move(memory)),
      channel_(channel),
      remembered_(memory_.Load()) {
    lookTimer_.setInterval(kLookInterval);
    connect(&lookTimer_, &QTimer::timeout, this, &RememberedAdapter::Look);
}

std::function<int()> RememberedAdapter::FirstPortFinder() const {
    if (!memory_.Enabled()) return {};
    // Copies only: a worker may still run when the window has gone.
    return [directory = directory_, identity = remembered_] {
        const std::vector<PortEntry> ports = directory->List();
        const PortEntry* adapter = identity ? FindAdapter(*identity, ports) : nullptr;
        return adapter != nullptr ? adapter->comPort : 0;
    };
}

void RememberedAdapter::OnLinkUp() {
    if (!memory_.Enabled()) return;
    const std::vector<PortEntry> ports = directory_->List();
    const std::string device = channel_.DevicePath().toStdString();
    // A device under two names (a link and the table) is known by the one opened.
    const PortEntry* linkedPort = nullptr;
    for (const PortEntry& port : ports) {
        if (port.device != device) continue;
        if (linkedPort == nullptr || port.comPort == channel_.PortNumber()) linkedPort = &port;
    }
    if (linkedPort == nullptr) return;
    linked_ = IdentityOf(*linkedPort);
    if (remembered_ == linked_) return;
    remembered_ = linked_;
    if (const std::optional<QString> refusal = memory_.Save(*linked_)) emit notSaved(*refusal);
}

void RememberedAdapter::OnPortChoice() {
    linked_.reset();
    lookTimer_.stop();
}

void RememberedAdapter::OnDeviceLost() {
    if (linked_) lookTimer_.start();
}

// A freshly plugged adapter may refuse to open for a moment (udev has not
// set its permissions yet, say): the next look tries again, without a box.
void RememberedAdapter::Look() {
    if (channel_.IsOpen()) {
        lookTimer_.stop();
        return;
    }
    const std::vector<PortEntry> ports = directory_->List();
    const PortEntry* adapter = FindAdapter(*linked_, ports);
    if (adapter == nullptr) return;
    channel_.SetPortNumber(static_cast<std::int16_t>(adapter->comPort));
    try {
        channel_.Open();
    } catch (const ChannelError&) {
        return;
    }
    if (channel_.IsOpen()) lookTimer_.stop();
}
