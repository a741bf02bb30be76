#pragma once

#include <chrono>
#include <cstdint>

// Milliseconds of a steady clock as a wrapping 32-bit counter.
inline std::uint32_t SystemTickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
