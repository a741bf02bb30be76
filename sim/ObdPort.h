// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "sim/ElmAdapter.h"
#include "sim/MonotonicClock.h"
#include "sim/PortLink.h"
#include "sim/PseudoTerminal.h"

// The OBD adapter's end of its own line (--obd): a second pseudo-terminal, its link
// (--obd-link) and the ELM dialogue on it. Pulled out, it has no pseudo-terminal until it is
// plugged in again, under a new name.
class ObdPort {
public:
    using Time = MonotonicClock::Time;

    // Opens the pseudo-terminal and makes the link; throws on failure.
    ObdPort(const ElmAdapter::Settings& settings, std::optional<int> linkNumber);

    int masterFd() const { return terminal_.masterFd(); }
    const std::string& slavePath() const { return terminal_.slavePath(); }
    const PortLink* link() const { return link_.get(); }
    ElmAdapter& adapter() { return adapter_; }

    // Takes what the client sent and sends back what goes at once; false when the
    // pseudo-terminal cannot be read any more.
    bool readRequests(Time now);
    std::optional<Time> deadline() const;
    void sendDueAnswer(Time now, const EcuReadings& ecu);

    // Return false when the adapter already is as asked.
    bool unplug();
    bool plug();

private:
    void makeLink();
    void send(const std::string& text);

    PseudoTerminal terminal_;
    // Made at unplug, while the old one is still open, so it never gets the old one's name.
    std::unique_ptr<PseudoTerminal> replugged_;
    std::optional<int> linkNumber_;
    std::unique_ptr<PortLink> link_;
    ElmAdapter adapter_;
};
