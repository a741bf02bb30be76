// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What an ELM327-type adapter answered to one request: the text it sent
// before its prompt '>', taken apart.
struct ElmReply {
    enum class Kind {
        // A line of hex bytes answering the request (mode + 0x40, PID, data).
        Data,
        // The ECU did not answer that request in time, or does not know it.
        NoData,
        // The adapter did not understand the request ("?").
        NotUnderstood,
        // A byte came while the adapter was busy, and it gave up ("STOPPED").
        Stopped,
        // The adapter found no bus or no ECU on it ("UNABLE TO CONNECT",
        // "BUS INIT: ...ERROR", "CAN ERROR", "BUS ERROR" and the like).
        BusFault,
        // Anything else: "OK", "ELM327 v1.5", a voltage.
        Text,
    };
    Kind kind = Kind::Text;
    // Data: the bytes after the mode and the PID.
    std::vector<std::uint8_t> data;
    // The lines that carried meaning, joined by spaces (status texts).
    std::string text;
};

// The reply to request (as sent, without its CR). Echoed requests,
// "SEARCHING..." and "BUS INIT: ...OK" lines and blank lines are passed
// over; a hex line answers a mode 01 request only when it names the mode
// plus 0x40 and the same PID, so another ECU's stray line is not taken.
// Hex comes with or without spaces (ATS0).
ElmReply ParseElmReply(std::string_view text, std::string_view request);

// The ELM's version line ("ELM327 v1.5") is among the lines.
bool NamesAnElm(std::string_view text);
