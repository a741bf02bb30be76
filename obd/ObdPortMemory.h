// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QString>
#include <optional>

// The OBD adapter's COM port, kept in the program's settings file beside the
// controller's adapter, so the next run opens it again.
class ObdPortMemory {
public:
    // No file: nothing is remembered, not even for this run.
    explicit ObdPortMemory(QString file) : file_(std::move(file)) {}

    // COMn, or 0 for none; nothing when none was ever chosen.
    std::optional<int> Load() const;
    // Nothing, or why the settings file was left alone.
    std::optional<QString> Save(int port) const;

private:
    QString file_;
};
