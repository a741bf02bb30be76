#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

// A failed channel operation. The window reports its text in a stop-icon box
// and abandons the rest of the handler it interrupted.
class ChannelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The serial channel as the link logic sees it.
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
    virtual std::int16_t EventCode() const = 0;
    // At most one frame's worth of bytes, removed from the front of the input.
    virtual std::vector<std::uint8_t> Read() = 0;
    virtual void DiscardInput() = 0;
};

inline constexpr std::int16_t kEventReceive = 2;
inline constexpr std::size_t kFrameSize = 6;
