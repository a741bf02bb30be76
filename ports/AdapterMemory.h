// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QString>
#include <optional>

#include "ports/core/AdapterIdentity.h"

// The adapter the program last linked to, kept in the program's settings
// file between runs. A missing or broken entry means nothing is remembered;
// a file that cannot be written leaves the adapter remembered for this run
// only, as remembering it is a convenience and nothing else depends on it.
// A settings file that leads to anything but a regular file (a link to a
// device node, say) is never written.
class AdapterMemory {
public:
    // No file: nothing is remembered, not even for this run.
    explicit AdapterMemory(QString file);

    // $XDG_CONFIG_HOME/dx470/dx470.conf (~/.config/dx470/dx470.conf); empty
    // when the environment names no folder.
    static QString DefaultFile();

    bool Enabled() const { return !file_.isEmpty(); }
    std::optional<AdapterIdentity> Load() const;
    // Nothing, or why the settings file was left alone.
    std::optional<QString> Save(const AdapterIdentity& identity) const;

private:
    QString file_;
};
