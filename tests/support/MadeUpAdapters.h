// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "ports/core/PortLister.h"

// The ports a test says are plugged in, with made-up USB identities; the
// devices are pseudo-terminals or nothing at all. Changeable while the
// window's search workers list them.
class MadeUpAdapters : public PortLister {
public:
    // Plugs in an adapter, or moves it to its new device (matched by its
    // device, or by its serial number when it has one).
    void Plug(const PortEntry& adapter) {
        std::lock_guard lock(mutex_);
        Unplug(adapter, lock);
        ports_.push_back(adapter);
    }
    void Unplug(const PortEntry& adapter) {
        std::lock_guard lock(mutex_);
        Unplug(adapter, lock);
    }
    std::vector<PortEntry> List() override {
        std::lock_guard lock(mutex_);
        return ports_;
    }

private:
    void Unplug(const PortEntry& adapter, const std::lock_guard<std::mutex>&) {
        std::erase_if(ports_, [&](const PortEntry& port) {
            return port.device == adapter.device ||
                   (!adapter.serialNumber.empty() && port.serialNumber == adapter.serialNumber);
        });
    }

    std::mutex mutex_;
    std::vector<PortEntry> ports_;
};

// An FTDI FT232R adapter with a serial number, on the given device.
inline PortEntry MadeUpFtdi(const std::string& device, const std::string& serialNumber,
                            const std::string& usbPath = "1-1.2") {
    return {.device = device,
            .usb = true,
            .vendorId = 0x0403,
            .productId = 0x6001,
            .serialNumber = serialNumber,
            .usbPath = usbPath,
            .description = "FTDI FT232R"};
}
