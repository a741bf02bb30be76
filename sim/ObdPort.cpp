// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/ObdPort.h"

#include <cstdint>
#include <span>

namespace {

// Answers nobody read are dropped beyond this, so a client that opens the port later does
// not find a pile of old ones.
constexpr std::size_t kMaxBacklogBytes = 512;

}  // namespace

ObdPort::ObdPort(const ElmAdapter::Settings& settings, std::optional<int> linkNumber)
    : linkNumber_(linkNumber), adapter_(settings) {
    makeLink();
}

void ObdPort::makeLink() {
    if (!linkNumber_) return;
    link_ = std::make_unique<PortLink>(PortLink::userFolder(), *linkNumber_, terminal_.slavePath());
}

bool ObdPort::readRequests(Time now) {
    const PseudoTerminal::Input input = terminal_.read();
    if (input.failed) return false;
    const std::string bytes(input.data.begin(), input.data.end());
    send(adapter_.receive(bytes, now));
    return true;
}

std::optional<ObdPort::Time> ObdPort::deadline() const {
    if (!terminal_.isOpen()) return std::nullopt;
    return adapter_.deadline();
}

void ObdPort::sendDueAnswer(Time now, const EcuReadings& ecu) {
    send(adapter_.answerDue(now, ecu));
}

void ObdPort::send(const std::string& text) {
    if (text.empty()) return;
    if (terminal_.pendingForClient() > kMaxBacklogBytes) terminal_.discardPendingForClient();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    terminal_.write(std::span(bytes, text.size()));
}

// As an adapter pulled out of the car: its device and link go away, and it loses power.
bool ObdPort::unplug() {
    if (!terminal_.isOpen()) return false;
    replugged_ = std::make_unique<PseudoTerminal>();
    terminal_.close();
    link_.reset();
    return true;
}

bool ObdPort::plug() {
    if (!replugged_) return false;
    terminal_ = std::move(*replugged_);
    replugged_.reset();
    adapter_.powerOn();
    makeLink();
    return true;
}
