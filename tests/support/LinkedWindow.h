// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QList>
#include <QStringList>
#include <memory>

#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"

// A virtual controller and the calibration window linked to it, as the window
// tests that drive the link begin.
class LinkedWindow {
public:
    std::unique_ptr<SimProcess> sim;
    WindowFixture window;

    // The simulator with these arguments, and the window found it and linked.
    bool Start(const QStringList& simArguments = {});
    CCalibDlg& Dlg() { return *window.dlg; }
    // One click on spin k's arrow; true once the controller holds the value.
    bool Step(int k, bool up);
    // The parameters whose mark says they are not stored.
    QList<int> Marked() const;
    // The controller falls silent; true once the window has lost the link.
    bool Silence();
    void Close();

    static constexpr int kWireTimeoutMs = 5000;
};
