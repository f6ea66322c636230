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

// What a tap on control rectangle k (and Button record k) does: action k + 1.
enum class ButtonAction : uint8_t {
    BetOne = 1,
    BetMax = 2,
    Spin = 3,
    OpenPayTable = 4,
    More = 5,
};

// The action of control k, and the control of an action.
constexpr ButtonAction controlAction(int k) {
    return static_cast<ButtonAction>(k + 1);
}
constexpr int controlIndex(ButtonAction action) {
    return static_cast<int>(action) - 1;
}

// Record k belongs to control rectangle k of the machine and to its action, controlAction(k).
extern Button buttons[MaxControls];

// Gives the button of an action new flags: nothing when it holds exactly these already; otherwise
// the flags with Dirty, glyph 'a' for ShowUp or 'b' for ShowDown, and the next blink 500 ms ahead.
// Values outside the five actions do nothing.
void setButtonState(ButtonAction button, uint16_t newFlags);

// Back to program start: every record clear.
void resetButtons();
