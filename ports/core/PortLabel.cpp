// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/core/PortLabel.h"

namespace {
constexpr const char* kSeparator = " — ";

std::string Joined(const std::string& first, const std::string& second) {
    if (first.empty()) return second;
    return second.empty() ? first : first + ' ' + second;
}
}  // namespace

std::string PortLabel(const PortEntry& port) {
    std::string what = port.usb ? Joined(port.description, port.serialNumber) : std::string();
    if (what.empty()) what = port.device;
    return "COM" + std::to_string(port.comPort) + kSeparator + what;
}
