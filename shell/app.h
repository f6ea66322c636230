// The program's shell state: its instance, its one main window and the menu bar.
#pragma once

#include "platform/windows.h"

// The program's instance, used for every resource lookup and for sound playback.
extern HINSTANCE appInstance;
// The main window; graphics take its drawing context at start-up.
extern HWND mainWindow;
// The accelerator table (Ctrl+A: About, Ctrl+Q: close), applied by the main loop.
extern HACCEL appAccelerators;
// The menu bar window made when the main window is created; none when it could not be made.
extern HWND menuBar;

// Back to program start: no instance, no window, no accelerators, no menu bar.
void resetAppState();
