// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "log/LogFormat.h"

// A session log read from its file for a replay, in bounded memory: a file
// over the limit is refused by its size before any byte is read, the rest is
// read a piece at a time (see LogReader), and the reading stops as soon as
// the text is seen to be no log.
struct LogFileRead {
    enum class Outcome {
        Read,        // see log.recognised for whether it is a log
        Stopped,     // the caller asked to stop
        CannotOpen,  // missing, no permission
        NotAFile,    // a folder, a device, a pipe
        TooLarge,
        ReadFailed,
    };
    Outcome outcome = Outcome::Read;
    std::string reason;  // ReadFailed: the system's text
    ParsedLog log;
};

// Asked after each piece with the bytes read so far and the file's size (0
// when the file does not tell it); false stops the reading.
using LogReadProgress = std::function<bool(std::uint64_t done, std::uint64_t size)>;

LogFileRead ReadLogFile(const std::string& path, std::uint64_t maxBytes,
                        const LogReadProgress& goOn = {});
