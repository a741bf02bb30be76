#include "CCalibApp.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "CCalibDlg.h"
#include "PortProbeThread.h"
#include "WindowFonts.h"

namespace {
// Message boxes the framework shows carry the program's name as caption.
constexpr const char* kApplicationName = "dx470";
}  // namespace

int CCalibApp::InitInstance(int& argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    // Message boxes and menus in the system face of the systems the tool was
    // made for. ActiveX hosting and the 3-D control look have no counterpart
    // here: the serial channel is a plain object and Qt styles every control.
    QApplication::setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));

    {
        CCalibDlg dialog;
        // OK, Cancel or a failure: the program ends the same way.
        dialog.exec();
    }

    // A discovery worker may still be listening on a port. Nothing waits for
    // it: the process ends here and takes the worker with it.
    if (PortProbeThread::RunningCount() > 0) {
        std::fflush(nullptr);
        std::_Exit(EXIT_SUCCESS);
    }
    return EXIT_SUCCESS;
}
