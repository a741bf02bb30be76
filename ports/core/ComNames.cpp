// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/core/ComNames.h"

#include <algorithm>

namespace {
bool IsFree(const ComName& name) {
    return name.device.empty() || (name.builtIn && !name.present);
}

bool IsNamed(const PortEntry& port, const std::vector<ComName>& names) {
    return std::any_of(names.begin(), names.end(),
                       [&](const ComName& name) { return name.device == port.device; });
}

PortEntry Described(const std::vector<PortEntry>& listed, const ComName& name) {
    const auto it = std::find_if(listed.begin(), listed.end(),
                                 [&](const PortEntry& port) { return port.device == name.device; });
    PortEntry entry = it != listed.end() ? *it : PortEntry{.device = name.device};
    entry.comPort = name.port;
    entry.builtInName = name.builtIn;
    return entry;
}
}  // namespace

std::vector<PortEntry> PortsUnderComNames(const std::vector<PortEntry>& listed,
                                          const std::vector<ComName>& names) {
    std::vector<PortEntry> ports;
    std::vector<int> freePorts;
    for (const ComName& name : names) {
        if (name.present) ports.push_back(Described(listed, name));
        if (IsFree(name)) freePorts.push_back(name.port);
    }
    std::sort(freePorts.begin(), freePorts.end());

    std::vector<PortEntry> extras;
    for (const PortEntry& port : listed) {
        if (port.usb && !IsNamed(port, names)) extras.push_back(port);
    }
    // By device path, so the same adapters get the same names each time.
    std::sort(extras.begin(), extras.end(),
              [](const PortEntry& a, const PortEntry& b) { return a.device < b.device; });
    for (std::size_t i = 0; i < extras.size() && i < freePorts.size(); ++i) {
        extras[i].comPort = freePorts[i];
        extras[i].builtInName = false;
        ports.push_back(extras[i]);
    }
    std::stable_sort(ports.begin(), ports.end(),
                     [](const PortEntry& a, const PortEntry& b) { return a.comPort < b.comPort; });
    return ports;
}
