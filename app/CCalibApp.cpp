// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "app/CCalibApp.h"

#include <QApplication>
#include <QPointer>
#include <cstdio>
#include <cstdlib>

#include "app/AbruptExit.h"
#include "app/ExitSignals.h"
#include "ports/SystemPortLister.h"
#include "session/CalibrationSession.h"
#include "ui/CCalibDlg.h"
#include "ui/LayoutReport.h"
#include "ui/LazyIconStyle.h"
#include "ui/StartupMarks.h"
#include "ui/WindowFonts.h"

namespace {
// Message boxes the framework shows carry the program's name as caption.
constexpr const char* kApplicationName = "dx470";

// A termination signal takes the Exit button's way out; exit() also ends a
// message box or file dialog open at that moment, and any opened later.
void EndRun(CCalibDlg* window) {
    if (window != nullptr) window->OnCancel();
    QCoreApplication::exit(EXIT_SUCCESS);
}
}  // namespace

int CCalibApp::InitInstance(int& argc, char** argv) {
    // The menu stays in the window, where the layout below it expects it,
    // even on desktops that gather menus elsewhere; nor does it ask the
    // session bus for such a place as the window opens.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication application(argc, argv);
    StartupMarks::Mark("application");
    QApplication::setStyle(new LazyIconStyle);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    // Message boxes and menus in the system face of the systems the tool was
    // made for. ActiveX hosting and the 3-D control look have no counterpart
    // here: the serial channel is a plain object and Qt styles every control.
    QApplication::setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));
    StartupMarks::Mark("application font");

    // Installed before the window and removed after the workers have ended,
    // so a signal at any moment of the run leaves no port open.
    QPointer<CCalibDlg> window;
    const ExitSignals exitSignals([&window] { EndRun(window); });
    {
        CalibrationSession session(ResolvePortName, ProbeTimings{},
                                   std::make_shared<SystemPortLister>());
        CCalibDlg dialog(session);
        StartupMarks::Mark("window made");
        window = &dialog;
        // The display gone: Qt ends the process without returning here.
        const AbruptExit displayLoss([&dialog] { dialog.OnAbruptEnd(); });
        LayoutReport::WriteWhenShown(dialog);
        // OK, Cancel or a failure: the program ends the same way.
        dialog.exec();
    }

    // The window is gone, and with it its search: a worker still listening
    // closed its port at once, so no lock file stays behind.
    return EXIT_SUCCESS;
}
