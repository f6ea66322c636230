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

// The program's life in three steps, which every entry shares: the desktop and web backends, the
// script runner, and the tests and benchmarks (in a main window of their own).
//
// Start: the accelerator table, graphics and the game, in the main window already made.
void startProgram();
// One pass of the main loop: at most one message taken (the accelerator table applied) and
// dispatched, the incremental frame, then the game's tick. Gives 1 while the program runs, and 0
// once it has taken WM_QUIT, whose wParam then goes to exitCode.
int programPass(int* exitCode);
// Stop: the game gives back its drawing objects and the shell forgets its windows, so that the
// next start begins clean. Call it before the platform is reset.
void stopProgram();

// Program entry: the main window, start, then passes until WM_QUIT; gives its wParam (0 when no
// window was made).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPWSTR commandLine, int showCommand);
