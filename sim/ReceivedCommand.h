// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One thing the simulator made of the bytes a client wrote: a command frame it understood,
// a frame it rejected, or bytes it skipped while looking for a frame start.
struct ReceivedCommand {
    enum class Kind {
        SetParameter,  // AB 01 00 k v cs, valid checksum, k 0..15
        Store,         // AB 02 48 07 1A 16
        BadChecksum,   // six bytes from 0xAB whose sum does not match
        Unknown,       // six bytes from 0xAB with a valid sum but no known meaning
        Junk,          // bytes skipped before a frame start
    };

    Kind kind = Kind::Junk;
    std::uint8_t index = 0;
    std::uint8_t value = 0;
    std::vector<std::uint8_t> bytes;

    // Stable, machine-readable form written to stdout, e.g. "rx set 3 128".
    std::string logLine() const;
};

// Upper-case hex bytes separated by single spaces: "AB 01 00".
std::string hexBytes(const std::vector<std::uint8_t>& bytes);
