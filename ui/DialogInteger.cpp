// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/DialogInteger.h"

#include <limits>

namespace {
bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
}  // namespace

bool ParseDialogInteger(const QString& text, std::int32_t& value) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text.at(begin))) ++begin;
    while (end > begin && IsBlank(text.at(end - 1))) --end;
    bool negative = false;
    if (begin < end && (text.at(begin) == QLatin1Char('-') || text.at(begin) == QLatin1Char('+'))) {
        negative = text.at(begin) == QLatin1Char('-');
        ++begin;
    }
    if (begin == end) return false;
    std::int64_t magnitude = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<std::int32_t>::max()) return false;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}
