// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

// The application: prepares the toolkit, runs the calibration window as a
// modal dialog and ends when it ends.
class CCalibApp {
public:
    // Returns the process exit code.
    int InitInstance(int& argc, char** argv);
};
