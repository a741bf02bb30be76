#include "CCalibApp.h"

int main(int argc, char** argv) {
    CCalibApp app;
    return app.InitInstance(argc, argv);
}
