// The web backend (target dorurura_platform_web; Emscripten with ASYNCIFY): the display on the page's
// canvas (the module's `canvas`), the pointer, mouse or touch, as the pen, waves through Web Audio,
// 60 passes a second held to performance.now(), and no passes while the page is hidden. A pass
// yields to the browser until it is due, so the program's loops keep their shape. Its JavaScript
// half is platform/web.js.
//
//   platformStartWeb();
//   int code = <program entry>(instanceFromCatalogue(&dorururaCatalogue), ...);  // called async
//   platformStopWeb();
#pragma once

#include "platform/host.h"

// Hooks the canvas's pointer events, makes the audio context (it starts on the first pen-down) and
// selects the backend.
void platformStartWeb();

// Stops the sound, lets go of the canvas and selects the headless backend.
void platformStopWeb();

