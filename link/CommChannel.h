// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

// What failed in a channel operation, so that it can be told in the user's
// language.
struct ChannelFailure {
    enum class Kind { AlreadyOpen, CannotOpen, CannotConfigure };
    // What the user can do about a port that cannot be opened.
    enum class Hint { None, JoinDialout, InUse };
    Kind kind = Kind::CannotOpen;
    std::string device;
    std::string reason;  // the system's text
    Hint hint = Hint::None;
};

// A failed channel operation. The window reports it in a stop-icon box and
// abandons the rest of the handler it interrupted; what() tells it in English.
class ChannelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ChannelError(ChannelFailure what, const std::string& text)
        : std::runtime_error(text), failure(std::move(what)) {}

    std::optional<ChannelFailure> failure;
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
    // False when the bytes did not go to the device (the port is closed or
    // the device has gone): nothing was sent.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // A hint: the frames are known from their content, so when each byte
    // came no longer matters, and the channel may hand on what arrived once
    // per screen refresh instead of each byte as it comes. Channels that
    // cannot ignore it.
    virtual void SetBatchedReads(bool batched) { (void)batched; }
};
