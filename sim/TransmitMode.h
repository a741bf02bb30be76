// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <string_view>

// What the simulator sends on the line.
enum class TransmitMode {
    Talk,        // telemetry frames
    Silent,      // nothing; commands are still read
    Garbage,     // random bytes at the telemetry's pace
    SingleByte,  // one byte for the first client that reads it, then nothing
};

constexpr std::string_view transmitModeName(TransmitMode mode) {
    switch (mode) {
        case TransmitMode::Talk:
            return "talk";
        case TransmitMode::Silent:
            return "silent";
        case TransmitMode::Garbage:
            return "garbage";
        case TransmitMode::SingleByte:
            return "single";
    }
    return "talk";
}
