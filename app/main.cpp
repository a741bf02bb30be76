// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <csignal>

#include "app/CCalibApp.h"
#include "ui/StartupMarks.h"

int main(int argc, char** argv) {
    StartupMarks::Mark("main");
#ifdef SIGXFSZ
    // A write past the file-size limit then fails and is reported like any
    // failed save, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    CCalibApp app;
    return app.InitInstance(argc, argv);
}
