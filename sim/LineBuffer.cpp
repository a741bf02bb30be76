// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/LineBuffer.h"

std::vector<std::string> LineBuffer::feed(std::string_view text) {
    std::vector<std::string> lines;
    partial_.append(text);
    std::size_t start = 0;
    for (std::size_t end; (end = partial_.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(partial_.substr(start, end - start));
    }
    partial_.erase(0, start);
    return lines;
}

std::string LineBuffer::finish() {
    std::string rest;
    rest.swap(partial_);
    return rest;
}
