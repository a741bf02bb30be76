// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "obd/core/ObdPids.h"

#include <cstdio>

namespace {
constexpr std::uint16_t kHighByte = 256;
}

std::string RequestFor(std::uint8_t pid) {
    char text[8];
    std::snprintf(text, sizeof text, "01%02X", pid);
    return text;
}

bool StorePid(ObdReadings& readings, std::uint8_t pid, const std::vector<std::uint8_t>& data) {
    if (data.empty()) return false;
    switch (pid) {
        case kShortTrimPid:
            readings.shortTrim = data[0];
            return true;
        case kLongTrimPid:
            readings.longTrim = data[0];
            return true;
        case kCoolantPid:
            readings.coolant = data[0];
            return true;
        case kLoadPid:
            readings.load = data[0];
            return true;
        case kRpmPid:
            if (data.size() < 2) return false;
            readings.rpm = static_cast<std::uint16_t>(data[0] * kHighByte + data[1]);
            return true;
        default:
            return false;
    }
}
