// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A client on the slave side of the simulator's pseudo-terminal, set up like the
// calibrator's serial port: raw, 9600 8N1.
class PtyClient {
public:
    using Frame = std::array<std::uint8_t, 6>;

    explicit PtyClient(const std::string& path);
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    void discardInput();
    void write(const std::vector<std::uint8_t>& bytes);

    // Up to `count` bytes, whatever arrives before the time-out.
    std::vector<std::uint8_t> read(std::size_t count, std::chrono::milliseconds timeout);
    // The next frame, or nullopt on time-out.
    std::optional<Frame> readFrame(std::chrono::milliseconds timeout);
    // True once the device side has gone (read fails or reports a hang-up).
    bool waitForHangUp(std::chrono::milliseconds timeout);

private:
    int fd_ = -1;
};
