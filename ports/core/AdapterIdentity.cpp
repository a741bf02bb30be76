// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/core/AdapterIdentity.h"

#include <algorithm>

namespace {
using Kind = AdapterIdentity::Kind;

bool SameChip(const AdapterIdentity& identity, const PortEntry& port) {
    return port.usb && port.vendorId == identity.vendorId && port.productId == identity.productId;
}

bool Matches(const AdapterIdentity& identity, const PortEntry& port) {
    switch (identity.kind) {
        case Kind::SerialNumber:
            return SameChip(identity, port) && port.serialNumber == identity.serialNumber;
        case Kind::UsbPath:
            return SameChip(identity, port) && port.serialNumber.empty() &&
                   port.usbPath == identity.usbPath;
        case Kind::ComName:
            return port.comPort == identity.comPort && port.builtInName == identity.builtInName;
    }
    return false;
}

// Higher for a closer match among ports that all match.
int Closeness(const AdapterIdentity& identity, const PortEntry& port) {
    return (port.usbPath == identity.usbPath ? 2 : 0) + (port.comPort == identity.comPort ? 1 : 0);
}
}  // namespace

AdapterIdentity IdentityOf(const PortEntry& port) {
    AdapterIdentity identity;
    if (port.usb && (!port.serialNumber.empty() || !port.usbPath.empty())) {
        identity.kind = port.serialNumber.empty() ? Kind::UsbPath : Kind::SerialNumber;
        identity.vendorId = port.vendorId;
        identity.productId = port.productId;
        identity.serialNumber = port.serialNumber;
        // Kept with a serial number too, to tell cloned chips apart.
        identity.usbPath = port.usbPath;
    } else {
        identity.kind = Kind::ComName;
        identity.builtInName = port.builtInName;
    }
    identity.comPort = port.comPort;
    return identity;
}

const PortEntry* FindAdapter(const AdapterIdentity& identity, const std::vector<PortEntry>& ports) {
    const PortEntry* best = nullptr;
    for (const PortEntry& port : ports) {
        if (port.comPort == 0 || !Matches(identity, port)) continue;
        if (best == nullptr || Closeness(identity, port) > Closeness(identity, *best)) best = &port;
    }
    return best;
}
