// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <string>
#include <vector>

#include "ports/core/PortEntry.h"

// What one COM name resolves to at this moment.
struct ComName {
    int port = 0;
    // The device it names; empty when it names none.
    std::string device;
    bool present = false;
    // Named through the built-in table, not a link of the user's.
    bool builtIn = false;
};

// The ports present under a COM name: each name whose device is present,
// with what the system lists of that device, and each USB adapter that no
// name reaches (/dev/ttyUSB9, say) under the lowest free name. A name is free
// when it names nothing, or only an absent device of the built-in table; a
// link of the user's is never taken, even one to an absent device. Ordered by
// COM number.
std::vector<PortEntry> PortsUnderComNames(const std::vector<PortEntry>& listed,
                                          const std::vector<ComName>& names);
