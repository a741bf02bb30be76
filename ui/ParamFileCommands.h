// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QString>
#include <optional>

#include "link/LinkState.h"

class QWidget;
class WindowOps;

// File > Open and File > Save of the calibration window: Qt's own file
// dialogs, a set laid onto the spins, and the panel written so that a failed
// save never costs the file that was there before.
namespace ParamFileCommands {

// Asks for a file and loads it: each spin is moved to its value, and the
// spins' change notifications store the values into the panel. Gives the
// path of the set loaded, if one was.
std::optional<QString> Open(QWidget* owner, const PanelParams& panel, WindowOps& window);

// Asks for a name and writes the panel under it, ".tq4" appended as needed.
void Save(QWidget* owner, const PanelParams& panel);

// The steps after each dialog, for a path already chosen. A file that cannot
// be opened changes nothing and says nothing; anything that is not a regular
// file, a read that fails and a file longer than a set are refused with a box.
// True when the set was laid onto the spins.
bool Load(QWidget* owner, const QString& path, const PanelParams& panel, WindowOps& window);
// Writes at the end of the name's symbolic links and only over a regular file
// or under a new name; rewrites the file in place when no new file can be
// made beside it. Asks before replacing an existing file whose name got the
// extension appended (the dialog asked only about the name chosen in it); any
// failure is shown with the file's name and the reason.
void Write(QWidget* owner, const QString& chosenPath, const PanelParams& panel);

}  // namespace ParamFileCommands
