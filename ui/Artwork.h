// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>

// The program's pictures, rendered at build time into its resources and read
// in place. A picture that is missing or malformed comes back null; callers
// fall back to a plain colour.
namespace Artwork {

inline constexpr QSize kBackgroundSize{758, 447};
inline constexpr const char* kChineseBackground = ":/background_zh.pix";
inline constexpr const char* kEnglishBackground = ":/background_en.pix";
inline constexpr const char* kAboutPicture = ":/about.pix";

QImage Picture(const char* resource);
// The window icon at 16, 32, 48 and 64 pixels.
QIcon AppIcon();

}  // namespace Artwork
