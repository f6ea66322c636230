// The machine's buttons: three visible ones drawn from glyph sheets, blinking while they can be
// used, and two invisible hot areas (the pay table sign and the pay table's "More").
#pragma once

#include <cstdint>

#include "rules/machines.h"
#include "rules/types.h"

// The look and state of a button.
namespace ButtonFlags {
constexpr uint16_t Enabled = 1;   // reacts to taps; blinks in Idle
constexpr uint16_t Dirty = 2;     // the glyph is drawn by the next incremental frame
constexpr uint16_t ShowUp = 4;    // shows glyph 'a'
constexpr uint16_t ShowDown = 8;  // shows glyph 'b'
}  // namespace ButtonFlags

struct Button {
    Rect16 screenRect;       // where the glyph is drawn (visible buttons only)
    uint16_t flags;          // ButtonFlags
    uint32_t blinkDeadline;  // when an enabled button next flips its glyph in Idle
    char glyph;              // 'a' or 'b'; NUL for hot areas
};

// Record k belongs to control rectangle k of the machine and to ButtonAction k + 1.
extern Button buttons[MaxControls];

// Gives button number (1-based) new flags: nothing when it holds exactly these already; otherwise
// the flags with Dirty, glyph 'a' for ShowUp or 'b' for ShowDown, and the next blink 500 ms ahead.
// Numbers outside 1 to 5 do nothing.
void setButtonState(int number, uint16_t newFlags);

// Back to program start: every record clear.
void resetButtons();
