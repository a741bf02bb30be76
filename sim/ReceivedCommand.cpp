// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/ReceivedCommand.h"

#include <cstdio>

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        char cell[4];
        std::snprintf(cell, sizeof cell, "%02X", byte);
        if (!text.empty()) text += ' ';
        text += cell;
    }
    return text;
}

std::string ReceivedCommand::logLine() const {
    switch (kind) {
        case Kind::SetParameter:
            return "rx set " + std::to_string(index) + ' ' + std::to_string(value);
        case Kind::Store:
            return "rx store";
        case Kind::BadChecksum:
            return "rx badsum " + hexBytes(bytes);
        case Kind::Unknown:
            return "rx unknown " + hexBytes(bytes);
        case Kind::Junk:
            break;
    }
    return "rx junk " + hexBytes(bytes);
}
