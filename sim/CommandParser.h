// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "sim/ReceivedCommand.h"

// Cuts the byte stream a client writes into 6-byte command frames. A frame starts with 0xAB;
// bytes before a start are reported as junk, and after a frame with a wrong sum the search
// restarts at the next 0xAB inside it, so a frame shifted by stray bytes is still found.
class CommandParser {
public:
    static constexpr std::size_t kFrameSize = 6;
    static constexpr std::uint8_t kFrameStart = 0xAB;

    // Returns what the new bytes completed. Junk collected in this call is reported at its
    // end; an incomplete frame waits for the next call.
    std::vector<ReceivedCommand> feed(std::span<const std::uint8_t> bytes);

    // Sum of bytes 0..4 modulo 256, the checksum of every command frame.
    static std::uint8_t checksum(std::span<const std::uint8_t> firstFive);

private:
    void takeJunk(std::vector<ReceivedCommand>& out);
    std::size_t takeFrame(std::vector<ReceivedCommand>& out);

    std::vector<std::uint8_t> pending_;
    std::vector<std::uint8_t> junk_;
};
