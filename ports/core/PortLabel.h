// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <string>

#include "ports/core/PortEntry.h"

// The name a person reads for a port: its COM name, and beside it what it
// is, "COM5 — FTDI FT232R A50285BI" for an adapter or "COM1 — /dev/ttyS0"
// for a port without USB identity.
std::string PortLabel(const PortEntry& port);
