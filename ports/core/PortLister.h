// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <vector>

#include "ports/core/PortEntry.h"

// The serial ports the system lists, with what it knows of each; COM names
// are not given here. Called from the window's thread and from search
// workers alike.
class PortLister {
public:
    virtual ~PortLister() = default;
    virtual std::vector<PortEntry> List() = 0;
};
