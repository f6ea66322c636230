// The program's frame: its one main window with the menu bar, the window procedure and the entry
// with its main loop.
#pragma once

#include "platform/aygshell.h"
#include "platform/windows.h"

// The shell's activation record for input panel changes; all zero, never written.
extern SHACTIVATEINFO activateInfo;

// Keeps the instance, makes sure no other copy runs, registers the class and creates, places and
// shows the main window. 1 when a new main window is up; 0 when another copy runs (it is brought
// forward) or the window could not be made.
int initInstance(HINSTANCE instance, int showCommand);

// Registers the main window's class under className.
ATOM registerMainClass(HINSTANCE instance, LPCWSTR className);

// The main window's procedure: paint requests become full frames, pen-down becomes a tap, menu
// commands go to the Options menu and the About box.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The menu bar with its "Options" button; none when the shell cannot make it.
HWND createMenuBar(HWND window);

// Program entry: start-up, then the main loop until WM_QUIT; gives its wParam (0 when start-up
// stops early).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPWSTR commandLine, int showCommand);
