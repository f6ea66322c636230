#include "shell/app.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
HACCEL appAccelerators = nullptr;
HWND menuBar = nullptr;

void resetAppState() {
    appInstance = nullptr;
    mainWindow = nullptr;
    appAccelerators = nullptr;
    menuBar = nullptr;
}
