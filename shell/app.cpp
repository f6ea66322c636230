#include "shell/app.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
HWND menuBar = nullptr;

void resetAppState() {
    appInstance = nullptr;
    mainWindow = nullptr;
    menuBar = nullptr;
}
