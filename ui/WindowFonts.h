// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QFont>

// The window's face, "宋体", with the faces that stand in for it where it is
// not installed. Pinned so that every platform plugin renders the same text.
namespace WindowFonts {
inline constexpr int kWindowPoints = 12;
inline constexpr int kReadoutPoints = 30;
inline constexpr int kAboutPoints = 10;
// The face of the menus, the status bar and message boxes on the systems the
// tool was made for.
inline constexpr int kSystemPoints = 9;

// A "宋体" font of the given size. The size is converted at 96 dots per inch,
// the resolution of Qt's logical pixels; any further scaling is Qt's.
QFont SongFont(int points, bool bold = false);
}  // namespace WindowFonts
