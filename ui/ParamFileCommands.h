// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QString>
#include <optional>

#include "domain/Calibration.h"

class QWidget;
struct FileTexts;

// File > Open and File > Save of the calibration window: Qt's own file
// dialogs, a set laid onto the spins, and the panel written so that a failed
// save never costs the file that was there before. Boxes speak the language
// of the texts given.
namespace ParamFileCommands {

// Asks for a set to open; nothing when the dialog was cancelled.
std::optional<QString> AskOpenPath(QWidget* owner);
// The set in a chosen file, laid over the panel (a short file changes only
// what it holds). A file that cannot be opened gives nothing and says
// nothing; anything that is not a regular file, a read that fails and a file
// longer than a set are refused with a box.
std::optional<PanelParams> Read(QWidget* owner, const QString& path, const PanelParams& panel,
                                const FileTexts& texts);

// Asks for a name and writes the panel under it, ".tq4" appended as needed:
// the name written, or nothing when cancelled or failed (and told).
std::optional<QString> Save(QWidget* owner, const PanelParams& panel, const FileTexts& texts);
// Writes at the end of the name's symbolic links and only over a regular file
// or under a new name; rewrites the file in place when no new file can be
// made beside it. Asks before replacing an existing file whose name got the
// extension appended (the dialog asked only about the name chosen in it); any
// failure is shown with the file's name and the reason.
std::optional<QString> Write(QWidget* owner, const QString& chosenPath, const PanelParams& panel,
                             const FileTexts& texts);

}  // namespace ParamFileCommands
