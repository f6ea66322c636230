// Frame composition: brings the picture on the display up to date, fully or incrementally.
#pragma once

#include <cstdint>

#include "rules/types.h"

// full 1: compose the whole frame of the current state in the back buffer and show it. full 0:
// only what the state and the flags ask for (the reels while they move, dirty widgets and buttons
// in Idle and Broke). Nothing before the game has started.
void renderFrame(uint8_t full);
