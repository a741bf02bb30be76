// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/CommandParser.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::uint8_t kSetCommand = 0x01;
constexpr std::uint8_t kParameterCount = 16;
constexpr std::array<std::uint8_t, CommandParser::kFrameSize> kStoreFrame = {0xAB, 0x02, 0x48,
                                                                             0x07, 0x1A, 0x16};

ReceivedCommand classify(const std::vector<std::uint8_t>& frame) {
    ReceivedCommand command;
    command.bytes = frame;
    const std::uint8_t sum = CommandParser::checksum(std::span(frame).first(5));
    if (sum != frame[5]) {
        command.kind = ReceivedCommand::Kind::BadChecksum;
    } else if (std::equal(frame.begin(), frame.end(), kStoreFrame.begin())) {
        command.kind = ReceivedCommand::Kind::Store;
    } else if (frame[1] == kSetCommand && frame[2] == 0x00 && frame[3] < kParameterCount) {
        command.kind = ReceivedCommand::Kind::SetParameter;
        command.index = frame[3];
        command.value = frame[4];
    } else {
        command.kind = ReceivedCommand::Kind::Unknown;
    }
    return command;
}

}  // namespace

std::uint8_t CommandParser::checksum(std::span<const std::uint8_t> firstFive) {
    unsigned sum = 0;
    for (std::uint8_t byte : firstFive) sum += byte;
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::vector<ReceivedCommand> CommandParser::feed(std::span<const std::uint8_t> bytes) {
    std::vector<ReceivedCommand> out;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::size_t start = 0;
    while (start < pending_.size()) {
        if (pending_[start] != kFrameStart) {
            junk_.push_back(pending_[start]);
            ++start;
            continue;
        }
        if (pending_.size() - start < kFrameSize) break;
        takeJunk(out);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
        start = takeFrame(out);
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
    takeJunk(out);
    return out;
}

void CommandParser::takeJunk(std::vector<ReceivedCommand>& out) {
    if (junk_.empty()) return;
    ReceivedCommand command;
    command.kind = ReceivedCommand::Kind::Junk;
    command.bytes.swap(junk_);
    out.push_back(std::move(command));
}

// Consumes the frame at the front of pending_ and returns where scanning goes on.
std::size_t CommandParser::takeFrame(std::vector<ReceivedCommand>& out) {
    std::vector<std::uint8_t> frame(pending_.begin(), pending_.begin() + kFrameSize);
    ReceivedCommand command = classify(frame);
    const bool rejected = command.kind == ReceivedCommand::Kind::BadChecksum;
    out.push_back(std::move(command));
    if (!rejected) return kFrameSize;
    const auto next = std::find(frame.begin() + 1, frame.end(), kFrameStart);
    return static_cast<std::size_t>(next - frame.begin());
}
