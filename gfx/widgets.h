// The six text widgets of the machine screen: the bet, win and credit displays, the blinking
// "Not Enough Cash" warning, the loading text and the pay table's "More".
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "rules/types.h"

// What a widget asks of the next frames.
namespace TextWidgetFlags {
constexpr uint16_t Visible = 1;  // showing (the blinking warning's phase)
constexpr uint16_t Dirty = 2;    // draw onto the screen at the next incremental frame of Idle or Broke
constexpr uint16_t Erase = 4;    // restore its rect from the back buffer at that frame instead
constexpr uint16_t InFrame = 8;  // drawn into every composed machine frame
}  // namespace TextWidgetFlags

struct TextWidget {
    uint16_t flags;
    uint32_t blinkPeriod;  // ms between two blink toggles
    uint32_t nextBlink;    // tick count at which the next toggle is due
    Rect16 rect;           // first glyph at (x, y); h is the height of every glyph copy
    const char* text;      // an 8-byte buffer for the number displays, a literal otherwise
    const char* format;    // printf format that fills text; none for fixed texts
    int16_t style;         // drawText style
    int16_t sheet;         // index into glyphSheets
};

enum WidgetIndex : int16_t {
    BetDisplay = 0,
    WinDisplay = 1,
    CreditsDisplay = 2,
    CashWarning = 3,
    LoadingText = 4,
    MoreText = 5,
};
constexpr int TextWidgetCount = 6;
extern TextWidget textWidgets[TextWidgetCount];

// Size of a number display's text buffer: 7 characters and the terminator.
constexpr int NumberTextSize = 8;

// Re-formats display k from the wallet (0 bet, 1 last win, 2 credits) and marks it Dirty, or for
// k = 3 shows or hides the "Not Enough Cash" warning. Any other k does nothing.
void updateWidget(int16_t k);

// The blink of the warning: shown turns to erased and back, the next toggle blinkPeriod after now.
void toggleBlink(TextWidget& widget, uint32_t now);

// Darkens the surface and writes "Loading..." on it.
void showLoadingScreen(Surface* surface);

// Draws a widget's text with its own sheet, rect and style.
void drawWidget(const TextWidget& widget, Surface* target);

// Back to program start: the six records and the number texts as they were.
void resetWidgets();
