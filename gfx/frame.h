// Frame composition: brings the picture on the display up to date, fully or incrementally, and
// lays out the pay table screen.
#pragma once

#include <cstdint>

#include "rules/types.h"

// full 1: compose the whole frame of the current state in the back buffer and show it. full 0:
// only what the state and the flags ask for (the reels while they move, dirty widgets and buttons
// in Idle and Broke). Nothing before the game has started.
void renderFrame(uint8_t full);

// Where the pay table screen puts things for page first of the machine in play.
struct PayTableLayout {
    int rows;       // entries on the page (up to 6)
    int maxLen;     // longest pattern among them
    int x0;         // left of the first symbol cell
    int firstRowY;  // top of the first row
    int rowStep;    // from one row to the next
    int cellW;      // a symbol cell: reel width x half the reel height
    int cellH;
    int cellStep;  // from one symbol cell to the next
    int multiplierX;
    int multiplierDy;  // multiplier text below the row's top
};
PayTableLayout payTableLayout(uint16_t first);

// The strip row where the pay table cuts out the picture of pattern character ch.
int symbolWindowY(char ch);
