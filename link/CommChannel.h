// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>

// A failed channel operation. The window reports its text in a stop-icon box
// and abandons the rest of the handler it interrupted.
class ChannelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The serial channel as the link logic sees it. What it receives comes to the
// window as its data arrives.
class CommChannel {
public:
    virtual ~CommChannel() = default;

    // Harmless while open: the number applies at the next open.
    virtual void SetPortNumber(std::int16_t port) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;
    // -1 while no device is held.
    virtual std::int32_t DeviceHandle() const = 0;
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    // A hint: the frames are known from their content, so when each byte
    // came no longer matters, and the channel may hand on what arrived once
    // per screen refresh instead of each byte as it comes. Channels that
    // cannot ignore it.
    virtual void SetBatchedReads(bool batched) { (void)batched; }
};
