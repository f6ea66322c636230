// The desktop backend, which each desktop system implements (platform/sdl.cpp on SDL2, target
// dorurura_platform_sdl): a window showing the 240 x 320 display scaled by a whole number, the
// left mouse button as the pen, sound, passes held to a steady rate (pace, platform/host.h), and
// one running copy per user.
//
// Replaying, the window shows a script's run instead: the clock is the headless backend's, which
// the script moves (platform/headless.h), each pass waits until as much real time has passed as
// that clock moved (paceReplay), the player's pen and the window's restores are left out (closing
// the window still asks the program to end), sounds are logged as headless ones are as well as
// played, and the single-copy lock is neither claimed nor asked about.
//
// A program starts it (platformStartDesktop), runs its entry, and stops it (platformStopDesktop).
#pragma once

#include <cstddef>

#include "platform/host.h"

// How long a second copy waits for the running one to take its request and answer.
constexpr int FrontPatienceMs = 1500;

struct DesktopOptions {
    int scale = 0;            // whole-number scale of the display; 0: the largest that fits, at most 3
    bool fullscreen = false;  // start fullscreen (Alt+Enter and F11 toggle it)
    int passRate = 60;        // message-loop passes per second
    bool replay = false;      // show a script's run (above)
    // Told in one line when the single-copy rule cannot be kept in this run; the program goes on.
    void (*notice)(const char* line) = nullptr;
};

// Opens the window and the audio device (no audio device: silent) and selects the backend.
// Gives true, or false with a one-line reason in error (no display, for example).
bool platformStartDesktop(const DesktopOptions& options, char* error, size_t errorSize);

// Decides now, before the program touches any file, whether this is the copy that plays: takes the
// single-copy lock for the main window's class, which the window's own check then finds held. False
// when another copy runs: it has been asked to come forward (platformDesktopOtherCopySilent tells
// whether it answered).
bool platformDesktopClaimOneCopy(const WCHAR* className);

// Whether another copy holds the single-copy lock but did not answer when asked to come forward.
bool platformDesktopOtherCopySilent();

// Closes the window and audio, gives up the single-copy lock and selects the headless backend.
void platformStopDesktop();

// Whether the host asked the window to close (its close button, the desktop's quit) since it started.
bool platformDesktopCloseAsked();
