#include "gfx/widgets.h"

#include <cstdio>

#include "gfx/glyphs.h"
#include "platform/windows.h"
#include "flow/betting.h"

using namespace TextWidgetFlags;

namespace {

// The number displays' own text buffers: 7 characters and the terminator.
char betText[NumberTextSize] = "    0";
char winText[NumberTextSize] = "    0";
char creditsText[NumberTextSize] = "     ";

constexpr TextWidget InitialWidgets[TextWidgetCount] = {
    {InFrame | Dirty, 0, 0, {61, 92, 36, 9}, nullptr, "%5d", NoGap, 1},
    {InFrame | Dirty, 0, 0, {61, 101, 36, 9}, nullptr, "%5ld", NoGap, 1},
    {InFrame | Dirty, 0, 0, {163, 176, 25, 5}, nullptr, "%5ld", 0, 2},
    {0, 1000, 0, {53, 2, 135, 9}, "Not Enough Cash", nullptr, NoGap, 0},
    {0, 0, 0, {35, 150, 90, 9}, "Loading...", nullptr, NoGap, 0},
    {0, 0, 0, {190, 250, 36, 9}, "More", nullptr, NoGap, 0},
};

// The values a 7-character text holds. Credits can grow far beyond them through loans, so a
// number display shows a value out of that range as the nearest one it can show: 9999999 for
// anything larger, -999999 for anything smaller. The formatted text then always fits its buffer
// (and snprintf is told the buffer's size besides).
constexpr long LargestShown = 9999999;
constexpr long SmallestShown = -999999;

long shownValue(long v) {
    return v > LargestShown ? LargestShown : (v < SmallestShown ? SmallestShown : v);
}

// Formats a value with the display's own format ("%5d" takes an int, "%5ld" a long) into the
// display's own buffer and marks the display for drawing.
template <typename T>
void formatNumber(TextWidget& widget, char* buffer, long value) {
    if (widget.format != nullptr) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        std::snprintf(buffer, NumberTextSize, widget.format, static_cast<T>(shownValue(value)));
#pragma GCC diagnostic pop
    }
    widget.text = buffer;
    widget.flags |= Dirty;
}

constexpr TextWidget initialWidget(int i) {
    TextWidget w = InitialWidgets[i];
    if (i == BetDisplay) w.text = betText;
    if (i == WinDisplay) w.text = winText;
    if (i == CreditsDisplay) w.text = creditsText;
    return w;
}

}  // namespace

constinit TextWidget textWidgets[TextWidgetCount] = {
    initialWidget(0), initialWidget(1), initialWidget(2),
    initialWidget(3), initialWidget(4), initialWidget(5),
};

void updateWidget(int16_t k) {
    switch (k) {
        case BetDisplay:
            formatNumber<int>(textWidgets[BetDisplay], betText, wallet.bet);
            break;
        case WinDisplay:
            formatNumber<long>(textWidgets[WinDisplay], winText, wallet.lastWin);
            break;
        case CreditsDisplay:
            formatNumber<long>(textWidgets[CreditsDisplay], creditsText, wallet.credits);
            break;
        case CashWarning: {
            TextWidget& w = textWidgets[CashWarning];
            if (wallet.credits < wallet.coinValue) {
                w.flags |= Visible | Dirty;
            } else if ((w.flags & Visible) != 0) {
                w.flags = static_cast<uint16_t>((w.flags & ~Visible) | Erase);
            }
            w.nextBlink = GetTickCount() + w.blinkPeriod;
            break;
        }
        default:
            break;
    }
}

void toggleBlink(TextWidget& widget, uint32_t now) {
    if ((widget.flags & Visible) != 0) {
        widget.flags = static_cast<uint16_t>((widget.flags & ~Visible) | Erase);
    } else {
        widget.flags |= Visible | Dirty;
    }
    widget.nextBlink = now + widget.blinkPeriod;
}

void drawWidget(const TextWidget& widget, Surface* target) {
    if (widget.sheet < 0 || widget.sheet >= GlyphSheetCount) return;
    drawText(&glyphSheets[widget.sheet], widget.text, target, widget.rect, widget.style);
}

void showLoadingScreen(Surface* surface) {
    fillRect(surface, nullptr, DarkFill);
    drawWidget(textWidgets[LoadingText], surface);
}

void resetWidgets() {
    std::snprintf(betText, sizeof betText, "    0");
    std::snprintf(winText, sizeof winText, "    0");
    std::snprintf(creditsText, sizeof creditsText, "     ");
    for (int i = 0; i < TextWidgetCount; ++i)
        textWidgets[i] = initialWidget(i);
}
