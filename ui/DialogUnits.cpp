// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/DialogUnits.h"

#include <QFontMetrics>

namespace {
// The average width is taken over the Latin letters, rounded to whole pixels.
constexpr const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kAlphabetLength = 52;

// a * b / c rounded to the nearest integer.
int MulDiv(int a, int b, int c) {
    return (a * b + c / 2) / c;
}
}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(QString::fromLatin1(kAlphabet));
    baseWidth_ = (alphabetWidth + kAlphabetLength / 2) / kAlphabetLength;
    baseHeight_ = metrics.height();
}

int DialogUnits::ToPixelsX(int units) const {
    return MulDiv(units, baseWidth_, 4);
}

int DialogUnits::ToPixelsY(int units) const {
    return MulDiv(units, baseHeight_, 8);
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    return {ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height)};
}
