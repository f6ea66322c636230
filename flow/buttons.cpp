#include "flow/buttons.h"

#include "platform/windows.h"

using namespace ButtonFlags;

Button buttons[MaxControls] = {};

namespace {
constexpr uint32_t BlinkPeriod = 500;
}

void setButtonState(ButtonAction button, uint16_t newFlags) {
    const int number = static_cast<int>(button);
    if (number < 1 || number > MaxControls) return;
    Button& b = buttons[number - 1];
    if (b.flags == newFlags) return;
    b.flags = static_cast<uint16_t>(newFlags | Dirty);
    if ((newFlags & ShowUp) != 0) {
        b.glyph = 'a';
    } else if ((newFlags & ShowDown) != 0) {
        b.glyph = 'b';
    }
    b.blinkDeadline = GetTickCount() + BlinkPeriod;
}

void resetButtons() {
    for (Button& b : buttons)
        b = {};
}
