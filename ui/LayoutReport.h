// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QJsonObject>
#include <QString>

class QWidget;

// The window's layout as the end-to-end tests see it: each named control by
// the path of objectNames below the window ("writeButton", "paramSpin4/up",
// "statusBar/linkStatusPane"), and each menu of the menu bar by its title
// ("menuBar/settingsMenu"), as [x, y, width, height] in window pixels.
// Unnamed widgets, Qt's own ("qt_...") and those inside them are left out.
namespace LayoutReport {

// Names the file the report goes to; without it nothing is written.
inline constexpr const char* kFileVariable = "DX470_LAYOUT_FILE";

QJsonObject Describe(const QWidget& window);

// When kFileVariable names a file, writes the report there once the window
// has been shown and laid out.
void WriteWhenShown(QWidget& window);

}  // namespace LayoutReport
