// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/WindowFonts.h"

#include <QStringList>

namespace {
constexpr int kLogicalDpi = 96;
constexpr int kPointsPerInch = 72;
}  // namespace

QFont WindowFonts::SongFont(int points, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("AR PL UMing CN")});
    font.setPixelSize((points * kLogicalDpi + kPointsPerInch / 2) / kPointsPerInch);
    font.setBold(bold);
    return font;
}
