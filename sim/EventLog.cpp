// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/EventLog.h"

#include <unistd.h>

#include <cerrno>
#include <string>

void EventLog::line(std::string_view text) const {
    std::string out(text);
    out += '\n';
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t written = ::write(fd_, out.data() + done, out.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;  // nobody reads stdout any more: keep running regardless
        done += static_cast<std::size_t>(written);
    }
}
