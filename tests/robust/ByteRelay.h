// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/PtyPair.h"

// Stands between the virtual controller and the window's port and forwards
// every byte both ways, keeping a copy of what went towards the window. A
// test then knows every byte the window could have read, in order, without
// reaching into the window. Bytes that do not fit into the window's line
// (nobody reading) are dropped, as a real line would drop them, and are not
// kept.
class ByteRelay {
public:
    // controllerPath: the device the virtual controller serves.
    explicit ByteRelay(const std::string& controllerPath);
    ~ByteRelay();
    ByteRelay(const ByteRelay&) = delete;
    ByteRelay& operator=(const ByteRelay&) = delete;

    bool IsRunning() const { return thread_.joinable(); }
    // The device the window opens.
    const std::string& WindowPath() const { return window_.SlavePath(); }
    // The bytes sent towards the window from the given offset on.
    std::vector<std::uint8_t> ForwardedFrom(std::size_t offset) const;
    std::size_t ForwardedCount() const;

private:
    void Run();
    void ForwardToWindow();
    void ForwardToController();

    PtyPair window_;
    int controller_ = -1;
    int stopPipe_[2] = {-1, -1};
    bool controllerOpen_ = true;
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> forwarded_;
    std::thread thread_;
};
