// Pen input: the hit test of a tap against the machine's buttons and hot areas, the dispatch of
// their actions and the paging of the pay table.
#pragma once

#include <cstdint>

#include "flow/buttons.h"

// Index of the first pay entry on the pay table screen: a multiple of 6.
extern uint16_t payTablePage;

// A pen-down at (x, y) in client coordinates. On the pay table a tap on "More" turns the page and
// any other tap closes it; otherwise every enabled control under the pen runs its action.
void handleTap(int16_t x, int16_t y);

// A key pressed (a virtual-key code, Ctrl not held) as a tap on the middle of its control: on the
// pay table Space, Enter and Right are "More" and Esc closes it; elsewhere Space and Enter are
// SPIN, B is BET 1, M is MAX and P the pay table sign. Gives whether the key is one of these.
bool handleKey(uint32_t key);

// Runs action 1 to 5 (BetOne, BetMax, Spin, OpenPayTable, More); any other value does nothing.
void doButtonAction(ButtonAction action);

// Back to program start: the first page.
void resetInput();
