// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The simulator's end of the line: a pseudo-terminal whose slave side looks like a serial
// port set to raw 9600 8N1. The simulator keeps a slave descriptor of its own open, so the
// master neither reports a hang-up nor fails while no client has the port open.
class PseudoTerminal {
public:
    // Throws std::system_error when the pseudo-terminal cannot be set up.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    // Closes this one and takes over the other's, which is left closed.
    PseudoTerminal& operator=(PseudoTerminal&& other) noexcept;

    bool isOpen() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Returns how many bytes the line took; 0 when it is full or closed.
    std::size_t write(std::span<const std::uint8_t> bytes);

    struct Input {
        std::vector<std::uint8_t> data;  // bytes a client wrote
        bool clientFlushed = false;      // a client discarded its unread input
        bool failed = false;             // the master cannot be read any more
    };
    // Reads what is waiting on the master without blocking.
    Input read();

    // Bytes written but not yet read by any client.
    std::size_t pendingForClient() const;
    void discardPendingForClient();

    // Closes both sides; clients then see the device go away.
    void close();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};
