#include "gfx/frame.h"

#include <cstring>

#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/input.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "gfx/glyphs.h"
#include "gfx/surface.h"
#include "gfx/widgets.h"
#include "rules/machines.h"

namespace {

constexpr COLORREF PayTableFill = 8;
constexpr int PageSize = 6;
constexpr int PageWidth = 240;
constexpr int PageHeight = 160;
constexpr int PageTop = 50;

// Division rounded toward minus infinity (the centring divisions of the pay table).
int floorDiv(int a, int b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

void drawReels() {
    const int count = currentMachineDef().reelCount;
    for (int i = 0; i < count; ++i)
        blit(&BackBuffer, &stripSprite, &reels[i].screenRect, &reels[i].stripWindow, 0);
}

void composeMachineFrame() {
    blit(&BackBuffer, &StageSurface, nullptr, nullptr, 0);
    drawReels();
    for (const TextWidget& w : textWidgets) {
        if ((w.flags & TextWidgetFlags::InFrame) != 0) drawWidget(w, &BackBuffer);
    }
}

Rect16 rect16(int x, int y, int w, int h) {
    return {static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(w),
            static_cast<int16_t>(h)};
}

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

// The strip row where the pay table cuts out the picture of pattern character ch.
int symbolWindowY(char ch) {
    const MachineDef& d = currentMachineDef();
    const char* strip = reelStrips[0];
    int k = 0;
    while (k < ReelStripLength && strip[k] != ch)
        ++k;
    return d.reelRects[0].h * (k + 1) / 4;
}

PayTableLayout payTableLayout(uint16_t first) {
    const MachineDef& d = currentMachineDef();
    const int n = currentMachineDef().reelCount;
    const int reelW = d.reelRects[0].w;
    const int reelH = d.reelRects[0].h;
    const int glyphW = glyphSheets[0].cell != nullptr ? glyphSheets[0].cell->w : glyphSheetDefs[0].cell.w;
    const int glyphH = glyphSheets[0].cell != nullptr ? glyphSheets[0].cell->h : glyphSheetDefs[0].cell.h;

    PayTableLayout l = {};
    for (uint32_t e = first; e < payEntryCount && l.rows < PageSize; ++e) {
        const char* pattern = d.payTable[e].pattern;
        const int length = static_cast<int>(std::strlen(pattern));
        if (length > l.maxLen) l.maxLen = length;
        ++l.rows;
    }
    l.x0 = floorDiv(PageWidth - glyphW * (l.maxLen - n) - (reelW + 1) * n, 2);
    l.firstRowY = floorDiv(PageHeight - (l.rows * reelH) / 2, 2) + PageTop;
    l.rowStep = reelH / 2 + 1;
    l.cellW = reelW;
    l.cellH = reelH / 2;
    l.cellStep = reelW + 1;
    l.multiplierX = l.x0 + (reelW + 1) * n;
    l.multiplierDy = (reelH / 2 - glyphH - 1) / 2;
    return l;
}

void composePayTable() {
    fillRect(&BackBuffer, nullptr, PayTableFill);
    const MachineDef& d = currentMachineDef();
    const int n = currentMachineDef().reelCount;
    const PayTableLayout layout = payTableLayout(payTablePage);

    Rect16 cell = rect16(layout.x0, layout.firstRowY, layout.cellW, layout.cellH);
    Rect16 symbol = rect16(0, 0, layout.cellW, layout.cellH);
    Rect16 multiplier =
        rect16(layout.multiplierX, 0, glyphSheets[0].cell != nullptr ? glyphSheets[0].cell->w : 9,
               glyphSheets[0].cell != nullptr ? glyphSheets[0].cell->h : 9);
    for (int row = 0; row < layout.rows; ++row) {
        const char* pattern = d.payTable[payTablePage + row].pattern;
        multiplier.y = static_cast<int16_t>(cell.y + layout.multiplierDy);
        for (int s = 0; s < n; ++s) {
            const char ch = pattern[s];
            if (ch == ' ' || ch == '?') {
                fillRect(&BackBuffer, &cell, PayTableFill);
            } else {
                symbol.y = static_cast<int16_t>(symbolWindowY(ch));
                blit(&BackBuffer, &stripSprite, &cell, &symbol, 0);
            }
            cell.x = static_cast<int16_t>(cell.x + layout.cellStep);
        }
        cell.x = static_cast<int16_t>(layout.x0);
        drawText(&glyphSheets[0], pattern + n, &BackBuffer, multiplier, NoGap);
        cell.y = static_cast<int16_t>(cell.y + layout.rowStep);
    }
    drawWidget(textWidgets[MoreText], &BackBuffer);
}

void widgetPass() {
    using namespace TextWidgetFlags;
    for (TextWidget& w : textWidgets) {
        if ((w.flags & Dirty) != 0) {
            drawWidget(w, &ScreenSurface);
            w.flags = static_cast<uint16_t>(w.flags & ~Dirty);
        } else if ((w.flags & Erase) != 0) {
            blit(&ScreenSurface, &BackBuffer, &w.rect, &w.rect, 0);
            w.flags = static_cast<uint16_t>(w.flags & ~Erase);
        }
    }
}

void buttonPass() {
    const int count = currentMachineDef().buttonCount;
    for (int i = 0; i < count; ++i) {
        Button& b = buttons[i];
        if ((b.flags & ButtonFlags::Dirty) == 0) continue;
        drawGlyph(&glyphSheets[FirstButtonSheet + i], b.glyph, 1, &ScreenSurface, b.screenRect);
        b.flags = static_cast<uint16_t>(b.flags & ~ButtonFlags::Dirty);
    }
}

}  // namespace

void renderFrame(uint8_t full) {
    if (graphicsReady == 0) return;
    if (stageRefreshRect.w != 0 && stageRefreshRect.h != 0) {
        blit(&BackBuffer, &StageSurface, &stageRefreshRect, &stageRefreshRect, 0);
        stageRefreshRect = {};
    }

    const GameState state = gameState;
    const bool moving = state == Spinning || state == Stopping;
    if (state == PayTable && full != 0) {
        composePayTable();
    } else if (state == Redraw || (full != 0 && state != Splash)) {
        composeMachineFrame();
    } else if (moving) {
        drawReels();
    }

    if (state == Splash && full != 0) {
        blit(&ScreenSurface, &StageSurface, &fullScreenRect, &fullScreenRect, 0);
    } else if (state == Redraw || full != 0) {
        blit(&ScreenSurface, &BackBuffer, &fullScreenRect, &fullScreenRect, 0);
    } else if (moving) {
        blit(&ScreenSurface, &BackBuffer, &reelUnionRect, &reelUnionRect, 0);
    } else if (state == Idle || state == Broke) {
        widgetPass();
        buttonPass();
    }
}
