// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/core/PortDirectory.h"

#include <filesystem>
#include <system_error>

#include "ports/core/ComNames.h"

namespace {
bool Exists(const std::string& device) {
    std::error_code error;
    return !device.empty() && std::filesystem::exists(device, error);
}
}  // namespace

PortDirectory::PortDirectory(PortResolver table, std::shared_ptr<PortLister> lister)
    : table_(std::move(table)), lister_(std::move(lister)) {}

PortResolver PortDirectory::Resolver() const {
    return [table = table_, given = given_](int port) {
        {
            std::lock_guard lock(given->mutex);
            const auto it = given->devices.find(port);
            if (it != given->devices.end()) return it->second;
        }
        return table(port);
    };
}

std::vector<PortEntry> PortDirectory::List() {
    std::vector<ComName> names;
    for (int port = kFirstPort; port <= kLastPort; ++port) {
        const std::string device = table_(port);
        names.push_back({port, device, Exists(device), device == BuiltInPortDevice(port)});
    }
    const std::vector<PortEntry> listed = lister_ ? lister_->List() : std::vector<PortEntry>();
    std::vector<PortEntry> ports = PortsUnderComNames(listed, names);

    std::map<int, std::string> given;
    for (const PortEntry& port : ports) {
        if (port.device != names[port.comPort - kFirstPort].device)
            given[port.comPort] = port.device;
    }
    std::lock_guard lock(given_->mutex);
    given_->devices = std::move(given);
    return ports;
}
