// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <functional>

// An end the program does not choose and Qt does not let it handle: when the
// display goes away, Qt's X11 platform ends the process with exit() from
// inside its event handling, and the window is never unwound. The steps given
// here run then, from the C library's exit handlers, so the ports are closed
// (no lock file stays) and the log is ended. While this lives; a normal end
// runs its own steps instead.
class AbruptExit {
public:
    explicit AbruptExit(std::function<void()> steps);
    ~AbruptExit();
    AbruptExit(const AbruptExit&) = delete;
    AbruptExit& operator=(const AbruptExit&) = delete;
};
