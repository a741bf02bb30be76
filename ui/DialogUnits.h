// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QFont>
#include <QRect>

// Converts dialog units of a font to pixels, as dialog templates are laid out:
// a horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its character height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;

    int BaseWidth() const { return baseWidth_; }
    int BaseHeight() const { return baseHeight_; }

private:
    int baseWidth_;
    int baseHeight_;
};
