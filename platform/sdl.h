// The desktop backend (target dorurura_platform_sdl): a window showing the 240 x 320 display
// scaled by a whole number, the left mouse button as the pen, sound through SDL audio, passes held
// to a steady rate, and one running copy per user.
//
//   SdlOptions options;                       // defaults below
//   char error[256];
//   if (!platformStartSdl(options, error, sizeof error)) { print error; exit 1; }
//   int code = <program entry>(instanceFromCatalogue(&dorururaCatalogue), ...);
//   platformStopSdl();
#pragma once

#include <cstddef>

#include "platform/host.h"

struct SdlOptions {
    int scale = 0;            // whole-number scale of the display; 0: the largest that fits, at most 3
    bool fullscreen = false;  // start fullscreen (Alt+Enter and F11 toggle it)
    int passRate = 60;        // message-loop passes per second
    bool mute = false;        // no sound at all
};

// Opens the window and the audio device (no audio device: silent) and selects the backend.
// Gives true, or false with a one-line reason in error (no display, for example).
bool platformStartSdl(const SdlOptions& options, char* error, size_t errorSize);

// Closes the window and audio, gives up the single-copy lock and selects the headless backend.
void platformStopSdl();
