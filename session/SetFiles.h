// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "domain/Calibration.h"

// Parameter sets and other small files the program keeps in the user's data
// folder: each written whole or not at all, never through a link to
// something that is not a regular file, and read as plain files.

// What is at a set's path: nothing, a whole set, or something that is no
// set (another size, a value outside 0..255, no regular file). A link to
// something that no write may replace is the user's way of switching the
// file off: it is left as it is. Read as a plain file, so that something else
// put in its place cannot hold the start.
struct SetFile {
    bool present = false;
    std::optional<PanelParams> params;
    bool switchedOff = false;
};

SetFile ReadSetFile(const QString& path);

// Replaces only a regular file, or makes a new one: a link to a device node
// (a way to switch a file off) stays as it is, and so does the node. The
// reason names the file.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString& reason);
bool WriteSetFile(const QString& path, const PanelParams& params, QString& reason);
