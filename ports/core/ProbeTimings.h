// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <chrono>

// How long a search worker listens on each port and waits for its read.
// Tests pass shorter times, so a search runs in tens of milliseconds.
struct ProbeTimings {
    std::chrono::milliseconds listen{300};
    std::chrono::milliseconds readTimeout{20};
};
