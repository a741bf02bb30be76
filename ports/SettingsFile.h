// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QString>
#include <optional>

// The program's settings file is written only where it leads to a regular
// file or to nothing yet. QSettings would follow a link and put a file of its
// own in place of whatever the link names, a device node included.

// Why the settings file may not be written, if it may not.
std::optional<QString> SettingsRefusal(const QString& file);
