// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ports/core/PortEntry.h"

// What the program remembers of the port it linked to, so that it finds the
// same adapter again whatever device name it comes back under. The USB kinds
// keep the USB port and the COM name as well, to tell cloned chips apart.
struct AdapterIdentity {
    enum class Kind {
        // Vendor and product id and the adapter's serial number.
        SerialNumber,
        // Vendor and product id and the USB port: for adapters without a
        // serial number, which are told apart only by where they are plugged in.
        UsbPath,
        // A port without USB identity (built in, or a link of the user's):
        // whatever device its COM name names, named the same way.
        ComName,
    };

    Kind kind = Kind::ComName;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serialNumber{};
    std::string usbPath{};
    int comPort = 0;
    bool builtInName = false;

    bool operator==(const AdapterIdentity&) const = default;
};

AdapterIdentity IdentityOf(const PortEntry& port);

// The present port that is the remembered adapter, or nullptr. Cloned chips
// may share one serial number: among several such, the one in the same USB
// port wins, then the one under the same COM name.
const PortEntry* FindAdapter(const AdapterIdentity& identity, const std::vector<PortEntry>& ports);
