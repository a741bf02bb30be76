// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/ParameterList.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

namespace {
constexpr int kMaxByte = 255;

std::optional<std::uint8_t> ParseByte(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || next != end || value < 0 || value > kMaxByte) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}
}  // namespace

std::optional<EngineMixture::Parameters> ParseParameterList(std::string_view text) {
    std::vector<std::uint8_t> values;
    while (true) {
        const std::size_t comma = text.find(',');
        const auto value = ParseByte(text.substr(0, comma));
        if (!value) return std::nullopt;
        values.push_back(*value);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    EngineMixture::Parameters parameters{};
    if (values.size() == 1) {
        parameters.fill(values.front());
    } else if (values.size() == parameters.size()) {
        std::copy(values.begin(), values.end(), parameters.begin());
    } else {
        return std::nullopt;
    }
    return parameters;
}
