// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "obd/core/ElmReply.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace {
constexpr std::uint8_t kReplyModeOffset = 0x40;
constexpr std::string_view kSearching = "SEARCHING";
constexpr std::string_view kBusInit = "BUS INIT";
constexpr std::string_view kNoData = "NO DATA";
constexpr std::string_view kStopped = "STOPPED";
constexpr std::string_view kElm = "ELM327";
constexpr std::array<std::string_view, 8> kBusFaults = {
    "UNABLE TO CONNECT", "CAN ERROR",  "BUS ERROR",   "BUS BUSY",
    "FB ERROR",          "DATA ERROR", "BUFFER FULL", "ERROR",
};

std::string Upper(std::string_view text) {
    std::string upper;
    for (const char c : text) {
        if (c != ' ') upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    auto finish = [&] {
        const auto first = line.find_first_not_of(' ');
        if (first != std::string::npos) lines.push_back(line.substr(first));
        line.clear();
    };
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            finish();
        } else if (c != '>' && c != '\0') {
            line += c;
        }
    }
    finish();
    return lines;
}

std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view line) {
    const std::string digits = Upper(line);
    if (digits.empty() || digits.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        if (!std::isxdigit(static_cast<unsigned char>(digits[i])) ||
            !std::isxdigit(static_cast<unsigned char>(digits[i + 1])))
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// Whether a line is informational: the adapter telling what it does, not an
// answer.
bool Passing(const std::string& upper, const std::string& request) {
    if (upper.empty() || upper == request) return true;
    if (upper.starts_with(Upper(kSearching))) return true;
    return upper.starts_with(Upper(kBusInit)) && !Contains(upper, "ERROR");
}

void Append(std::string& text, const std::string& line) {
    if (!text.empty()) text += ' ';
    text += line;
}
}  // namespace

ElmReply ParseElmReply(std::string_view text, std::string_view request) {
    const std::string asked = Upper(request);
    const auto askedBytes = HexBytes(asked);
    ElmReply reply;
    bool faulted = false;
    for (const std::string& line : Lines(text)) {
        const std::string upper = Upper(line);
        if (Passing(upper, asked)) continue;
        if (askedBytes && askedBytes->size() >= 2) {
            const auto bytes = HexBytes(upper);
            if (bytes && bytes->size() >= 2 && (*bytes)[0] == (*askedBytes)[0] + kReplyModeOffset &&
                (*bytes)[1] == (*askedBytes)[1]) {
                reply.kind = ElmReply::Kind::Data;
                reply.data.assign(bytes->begin() + 2, bytes->end());
                return reply;
            }
        }
        Append(reply.text, line);
        if (upper == "?") {
            reply.kind = ElmReply::Kind::NotUnderstood;
        } else if (upper == Upper(kNoData)) {
            reply.kind = ElmReply::Kind::NoData;
        } else if (upper == Upper(kStopped)) {
            reply.kind = ElmReply::Kind::Stopped;
        } else if (std::any_of(kBusFaults.begin(), kBusFaults.end(), [&](std::string_view fault) {
                       return Contains(upper, Upper(fault));
                   })) {
            faulted = true;
        }
    }
    if (faulted) reply.kind = ElmReply::Kind::BusFault;
    return reply;
}

bool NamesAnElm(std::string_view text) {
    return Contains(Upper(text), Upper(kElm));
}
