// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <string>

// A serial port present on this machine: what the system tells of it, and
// the COM name it answers to once it has one.
struct PortEntry {
    // Canonical path, as the channel and the search workers open it.
    std::string device{};
    // A USB adapter: its vendor and product ids are known.
    bool usb = false;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    // Empty for adapters without one (CH340 chips, for example).
    std::string serialNumber{};
    // The USB port it is plugged into, as "1-1.2"; empty when not known.
    std::string usbPath{};
    // Maker and product, as the adapter tells them.
    std::string description{};
    // n of COMn; 0 while it has no COM name.
    int comPort = 0;
    // COMn names it through the built-in table, not a link of the user's or
    // a name given to an extra adapter.
    bool builtInName = false;

    bool operator==(const PortEntry&) const = default;
};
