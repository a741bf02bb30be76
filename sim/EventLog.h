// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <string_view>

// Writes one line at a time to a descriptor (stdout), each in a single write, so a reader
// sees every event at once and never half a line.
class EventLog {
public:
    explicit EventLog(int fd) : fd_(fd) {}

    void line(std::string_view text) const;

private:
    int fd_;
};
