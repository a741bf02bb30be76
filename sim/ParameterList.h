// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <optional>
#include <string_view>

#include "sim/EngineMixture.h"

// A parameter set as typed: one value 0..255 for all sixteen, or sixteen
// comma-separated values; nothing when it is neither.
std::optional<EngineMixture::Parameters> ParseParameterList(std::string_view text);
