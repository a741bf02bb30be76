// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Collects text arriving in pieces and hands it out as whole lines, without the line ends.
class LineBuffer {
public:
    std::vector<std::string> feed(std::string_view text);
    // The unterminated rest, at end of input; empty when there is none.
    std::string finish();

private:
    std::string partial_;
};
