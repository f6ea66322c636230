// The desktop backend, whichever implements it (SDL2, or the Win32 one on Windows): a window showing
// the 240 x 320 display scaled by a whole number, the left mouse button as the pen, sound, passes
// held to a steady rate, and one running copy per user; or, replaying, a script's run shown in the
// window at its own pace. A program starts it (platformStartDesktop), runs its entry, and stops it
// (platformStopDesktop).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/host.h"

struct DesktopOptions {
    int scale = 0;            // whole-number scale; 0: the largest that fits, at most 3
    bool fullscreen = false;  // start fullscreen (Alt+Enter and F11 toggle it)
    int passRate = 60;        // message-loop passes per second
    bool replay = false;      // show a script's run
    // Told in one line when the single-copy rule cannot be kept in this run; the program goes on.
    void (*notice)(const char* line) = nullptr;
};

// Opens the window (hidden until the program's main window exists) and the sound device (none:
// silent) and selects the backend. Gives true, or false with a one-line reason in error.
bool platformStartDesktop(const DesktopOptions& options, char* error, size_t errorSize);

// Decides now, before the program touches any file, whether this is the copy that plays. False
// when another copy runs: it has been asked to come forward (see platformDesktopOtherCopySilent).
bool platformDesktopClaimOneCopy(const WCHAR* className);

// Whether another copy runs but did not answer when asked to come forward.
bool platformDesktopOtherCopySilent();

// Closes the window and sound, gives up the single-copy claim and selects the headless backend.
void platformStopDesktop();

// Whether the host asked the window to close since it started.
bool platformDesktopCloseAsked();

// How long a second copy waits for the running one to answer.
constexpr int FrontPatienceMs = 1500;
