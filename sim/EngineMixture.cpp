// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/EngineMixture.h"

#include <algorithm>

namespace {
constexpr std::int32_t kMostRaw = 65535;
}

std::uint16_t EngineMixture::Reading(std::uint16_t swept, std::size_t cell,
                                     std::uint8_t parameter) const {
    const std::int32_t offset = offsets_.at(cell);
    if (offset == 0) return swept;
    const std::int32_t richer = kRawPerStep * (std::int32_t{parameter} - start_.at(cell));
    return static_cast<std::uint16_t>(std::clamp(swept - offset + richer, 0, kMostRaw));
}
