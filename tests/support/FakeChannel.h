// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/CommChannel.h"

// A serial channel without a port. Writes are kept.
class FakeChannel : public CommChannel {
public:
    bool open = true;
    std::int16_t portNumber = 0;
    std::int32_t handle = 3;
    bool failOpen = false;
    bool failWrite = false;
    // Writes that do not reach the device (it has gone), without an error.
    bool loseWrites = false;

    std::vector<std::vector<std::uint8_t>> written;
    // Each hint about batched reads, in order (kept apart from calls).
    std::vector<bool> batchedReads;
    // Every operation in order: "IsOpen", "Write(AB 01 ...)", "Open", "Close",
    // "SetPortNumber(n)", "DeviceHandle".
    mutable std::vector<std::string> calls;
    std::vector<std::string>* journal = nullptr;
    // Runs after each operation has been recorded.
    std::function<void(const std::string&)> onCall;

    static std::string Hex(std::span<const std::uint8_t> bytes) {
        std::string text;
        for (std::uint8_t b : bytes) {
            char digits[4];
            std::snprintf(digits, sizeof digits, "%02X", b);
            if (!text.empty()) text += ' ';
            text += digits;
        }
        return text;
    }

    std::vector<std::string> WrittenHex() const {
        std::vector<std::string> frames;
        for (const auto& bytes : written) frames.push_back(Hex(bytes));
        return frames;
    }

    int CountOf(const std::string& operation) const {
        int n = 0;
        for (const auto& c : calls) n += c == operation ? 1 : 0;
        return n;
    }

    void SetPortNumber(std::int16_t port) override {
        portNumber = port;
        Record("SetPortNumber(" + std::to_string(port) + ")");
    }
    bool IsOpen() const override {
        Record("IsOpen");
        return open;
    }
    void Open() override {
        Record("Open");
        if (failOpen) throw ChannelError("COM" + std::to_string(portNumber) + " cannot be opened");
        open = true;
    }
    void Close() override {
        Record("Close");
        open = false;
    }
    std::int32_t DeviceHandle() const override {
        Record("DeviceHandle");
        return open ? handle : -1;
    }
    bool Write(std::span<const std::uint8_t> bytes) override {
        Record("Write(" + Hex(bytes) + ")");
        if (failWrite) throw ChannelError("write failed");
        if (loseWrites || !open) return false;
        written.emplace_back(bytes.begin(), bytes.end());
        return true;
    }

    void SetBatchedReads(bool batched) override { batchedReads.push_back(batched); }

private:
    void Record(const std::string& entry) const {
        calls.push_back(entry);
        if (journal != nullptr) journal->push_back(entry);
        if (onCall) onCall(entry);
    }
};
