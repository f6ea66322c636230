// Frame composition: what a full and an incremental frame draw in each state, the stage refresh,
// the widget and button passes, and the pay table's layout on all four machines.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/input.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "gfx/frame.h"
#include "gfx/glyphs.h"
#include "gfx/surface.h"
#include "gfx/widgets.h"
#include "rules/machines.h"
#include "flow/betting.h"
#include "tests/flow/harness.h"

using harness::Pixels;

namespace {

std::vector<uint32_t> copyOf(const Pixels& p) {
    return std::vector<uint32_t>(p.data, p.data + p.width * p.height);
}
std::vector<uint32_t> screen() {
    return copyOf(harness::windowPixels());
}
std::vector<uint32_t> back() {
    return copyOf(harness::bitmapPixels(BackBuffer.image));
}

// Pixels that differ between two window pictures, inside and outside a rectangle.
struct Change {
    int inside;
    int outside;
};
Change changes(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width, const Rect16& r) {
    Change c = {0, 0};
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i]) continue;
        const int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
        if (rectContains(r, x, y))
            ++c.inside;
        else
            ++c.outside;
    }
    return c;
}

int windowWidth() {
    return harness::windowPixels().width;
}

// Whether the w x h block of the window at (x, y) equals the block at (sx, sy) of a bitmap.
bool windowBlockIs(int x, int y, int w, int h, HBITMAP bitmap, int sx, int sy) {
    const Pixels s = harness::windowPixels();
    const Pixels b = harness::bitmapPixels(bitmap);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            if (s.at(x + i, y + j) != b.at(sx + i, sy + j)) return false;
        }
    }
    return true;
}

void idleOn(uint8_t machine) {
    harness::startGame();
    harness::endSplash();
    selectMachine(machine);
    harness::passes(2);
    ASSERT_EQ(gameState, Idle);
}

// Everything on screen drawn and no flag pending.
void settleFlags() {
    for (TextWidget& w : textWidgets)
        w.flags &= static_cast<uint16_t>(~(TextWidgetFlags::Dirty | TextWidgetFlags::Erase));
    for (Button& b : buttons)
        b.flags &= static_cast<uint16_t>(~ButtonFlags::Dirty);
}

constexpr Rect16 Nowhere = {0, 0, 0, 0};

}  // namespace

TEST(Frames, NothingIsDrawnBeforeTheGameHasStarted) {
    harness::resetAll();
    initGraphics();
    gameInit();
    ASSERT_EQ(graphicsReady, 0);
    const std::vector<uint32_t> before = screen();
    stageRefreshRect = {0, 0, 240, 268};
    renderFrame(1);
    EXPECT_EQ(screen(), before);
    EXPECT_EQ(stageRefreshRect.w, 240);  // left for later
}

TEST(Frames, TheStageRefreshIsAppliedAndEmptied) {
    idleOn(0);
    const Rect16 r = {10, 20, 30, 40};
    fillRect(&StageSurface, &r, 0x00123456);
    stageRefreshRect = r;
    renderFrame(0);
    EXPECT_EQ(stageRefreshRect.w, 0);
    EXPECT_EQ(stageRefreshRect.h, 0);
    EXPECT_EQ(harness::bitmapPixels(BackBuffer.image).at(20, 30), 0x563412u);
    EXPECT_EQ(harness::bitmapPixels(BackBuffer.image).at(10, 20), 0u);
}

TEST(Frames, AnEmptyStageRefreshIsIgnoredAndKept) {
    idleOn(0);
    const std::vector<uint32_t> before = back();
    fillRect(&StageSurface, nullptr, 0x00123456);
    for (Rect16 r : {Rect16{0, 0, 0, 100}, Rect16{0, 0, 100, 0}}) {
        stageRefreshRect = r;
        renderFrame(0);
        EXPECT_EQ(stageRefreshRect.w, r.w);
        EXPECT_EQ(stageRefreshRect.h, r.h);
        EXPECT_EQ(back(), before);
    }
    // A negative width is applied: it draws nothing, and the rectangle is emptied.
    stageRefreshRect = {50, 50, -10, 10};
    renderFrame(0);
    EXPECT_EQ(stageRefreshRect.w, 0);
    EXPECT_EQ(back(), before);
}

TEST(Frames, IncrementalFramesOfThePayTableAndTheSplashDrawNothing) {
    harness::startGame();
    harness::pass();
    ASSERT_EQ(gameState, Splash);
    std::vector<uint32_t> before = screen();
    fillRect(&BackBuffer, nullptr, 0x00FF00FF);
    renderFrame(0);
    EXPECT_EQ(screen(), before);

    harness::endSplash();
    harness::pass();
    doButtonAction(ButtonAction::OpenPayTable);
    before = screen();
    fillRect(&BackBuffer, nullptr, 0x00FF00FF);
    renderFrame(0);
    EXPECT_EQ(screen(), before);
}

TEST(Frames, AFullSplashFrameShowsTheStage) {
    harness::startGame();
    harness::pass();
    renderFrame(1);
    EXPECT_TRUE(windowBlockIs(0, 15, 240, 240, StageSurface.image, 0, 15));
    EXPECT_TRUE(windowBlockIs(0, 15, 240, 240, pictureSprite.image, 0, 0));
}

TEST(Frames, IdleWithNothingDirtyDrawsNothing) {
    idleOn(0);
    settleFlags();
    const std::vector<uint32_t> before = screen();
    fillRect(&BackBuffer, nullptr, 0x00FF00FF);
    renderFrame(0);
    EXPECT_EQ(screen(), before);
}

TEST(Frames, DirtyWidgetsAreDrawnOnTheScreenOnlyAndErasedFromTheBackBuffer) {
    idleOn(0);
    settleFlags();
    const std::vector<uint32_t> backBefore = back();
    const std::vector<uint32_t> before = screen();
    TextWidget& w = textWidgets[CashWarning];
    w.flags = TextWidgetFlags::Visible | TextWidgetFlags::Dirty | TextWidgetFlags::Erase;
    renderFrame(0);
    const Change drawn = changes(before, screen(), windowWidth(), w.rect);
    EXPECT_GT(drawn.inside, 50);
    EXPECT_EQ(drawn.outside, 0);
    EXPECT_EQ(back(), backBefore);  // never into the back buffer
    EXPECT_EQ(w.flags, TextWidgetFlags::Visible | TextWidgetFlags::Erase);
    renderFrame(0);  // drawn on one frame, erased on the next
    EXPECT_EQ(screen(), before);
    EXPECT_EQ(w.flags, TextWidgetFlags::Visible);
}

TEST(Frames, DirtyButtonsAreDrawnWhetherEnabledOrNot) {
    idleOn(0);
    settleFlags();
    const std::vector<uint32_t> before = screen();
    const std::vector<uint32_t> backBefore = back();
    setButtonState(1, ButtonFlags::Enabled | ButtonFlags::ShowDown);  // enabled, 'b'
    setButtonState(2, ButtonFlags::ShowDown);                         // disabled, 'b'
    renderFrame(0);
    EXPECT_TRUE(windowBlockIs(51, 218, 33, 18, glyphSheets[3].sprite.image, 33, 0));
    EXPECT_TRUE(windowBlockIs(92, 218, 33, 18, glyphSheets[4].sprite.image, 33, 0));
    EXPECT_EQ(buttons[0].flags & ButtonFlags::Dirty, 0);
    EXPECT_EQ(buttons[1].flags & ButtonFlags::Dirty, 0);
    EXPECT_EQ(back(), backBefore);
    const Rect16 both = {51, 218, 74, 18};
    EXPECT_EQ(changes(before, screen(), windowWidth(), both).outside, 0);
}

TEST(Frames, FlagsWaitOutsideIdleAndBroke) {
    for (GameState state : {Redraw, Spinning, Stopping, Splash, PayTable, Idle, Broke}) {
        idleOn(0);
        settleFlags();
        gameState = state;
        textWidgets[WinDisplay].flags |= TextWidgetFlags::Dirty;
        textWidgets[CashWarning].flags |= TextWidgetFlags::Erase;
        buttons[0].flags |= ButtonFlags::Dirty;
        renderFrame(0);
        const bool drawn = state == Idle || state == Broke;
        EXPECT_EQ((textWidgets[WinDisplay].flags & TextWidgetFlags::Dirty) == 0, drawn) << int(state);
        EXPECT_EQ((textWidgets[CashWarning].flags & TextWidgetFlags::Erase) == 0, drawn) << int(state);
        EXPECT_EQ((buttons[0].flags & ButtonFlags::Dirty) == 0, drawn) << int(state);
        // A full frame does not take the requests either.
        textWidgets[WinDisplay].flags |= TextWidgetFlags::Dirty;
        renderFrame(1);
        EXPECT_NE(textWidgets[WinDisplay].flags & TextWidgetFlags::Dirty, 0) << int(state);
    }
}

TEST(Frames, ASpinningFrameRedrawsOnlyTheReels) {
    idleOn(0);
    Spin();
    renderFrame(1);
    settleFlags();
    // Something on the screen that the back buffer does not hold, outside the reels.
    const Rect16 mark = {10, 200, 20, 20};
    fillRect(&ScreenSurface, &mark, 0x00FF00FF);
    const std::vector<uint32_t> before = screen();
    const std::vector<uint32_t> backBefore = back();
    gameTick();  // the reels move
    renderFrame(0);
    const Change c = changes(before, screen(), windowWidth(), reelUnionRect);
    EXPECT_GT(c.inside, 100);
    EXPECT_EQ(c.outside, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(windowBlockIs(reels[i].screenRect.x, reels[i].screenRect.y, 24, 68, stripSprite.image, 0,
                                  reels[i].stripWindow.y));
    }
    const Change inBack = changes(backBefore, back(), 240, reelUnionRect);
    EXPECT_EQ(inBack.outside, 0);
}

TEST(Frames, AFullFrameWhileSpinningComposesEverything) {
    idleOn(0);
    Spin();
    fillRect(&BackBuffer, nullptr, 0x00FF00FF);
    renderFrame(1);
    // Stage, reels and the in-frame widgets, whole.
    EXPECT_TRUE(windowBlockIs(0, 0, 240, harness::windowPixels().height, BackBuffer.image, 0, 0));
    EXPECT_TRUE(windowBlockIs(0, 15, 56, 64, StageSurface.image, 0, 15));
    EXPECT_TRUE(windowBlockIs(56, 79, 24, 68, stripSprite.image, 0, reels[0].stripWindow.y));
    const Rect16 bet = textWidgets[BetDisplay].rect;
    EXPECT_TRUE(windowBlockIs(bet.x + 28, bet.y, 7, 9, glyphSheets[1].sprite.image, 14, 0));  // "    1"
}

TEST(Frames, ARedrawFrameIsWholeEvenWhenIncremental) {
    idleOn(0);
    selectMachine(1);
    ASSERT_EQ(gameState, Redraw);
    fillRect(&BackBuffer, nullptr, 0x00FF00FF);
    renderFrame(0);
    EXPECT_TRUE(windowBlockIs(0, 0, 240, harness::windowPixels().height, BackBuffer.image, 0, 0));
    EXPECT_TRUE(windowBlockIs(0, 15, 48, 70, StageSurface.image, 0, 15));
}

TEST(PayTable, TheLayoutFollowsEachMachine) {
    struct Case {
        uint8_t machine;
        uint16_t first;
        int rows, maxLen, x0, y, step, mx, dy;
    };
    const Case cases[] = {
        {0, 0, 6, 8, 60, 28, 35, 135, 12},   {0, 6, 6, 8, 60, 28, 35, 135, 12},
        {0, 12, 2, 8, 60, 96, 35, 135, 12},  {1, 0, 6, 9, 47, 28, 35, 147, 12},
        {1, 6, 6, 9, 47, 28, 35, 147, 12},   {2, 0, 6, 10, 35, 28, 35, 160, 12},
        {2, 12, 2, 10, 35, 96, 35, 160, 12}, {3, 0, 6, 8, 58, 31, 34, 136, 11},
        {3, 12, 2, 8, 58, 97, 34, 136, 11},
    };
    harness::startGame();
    harness::endSplash();
    for (const Case& c : cases) {
        selectMachine(c.machine);
        const PayTableLayout l = payTableLayout(c.first);
        EXPECT_EQ(l.rows, c.rows) << int(c.machine) << "/" << c.first;
        EXPECT_EQ(l.maxLen, c.maxLen) << int(c.machine) << "/" << c.first;
        EXPECT_EQ(l.x0, c.x0) << int(c.machine) << "/" << c.first;
        EXPECT_EQ(l.firstRowY, c.y) << int(c.machine) << "/" << c.first;
        EXPECT_EQ(l.rowStep, c.step) << int(c.machine) << "/" << c.first;
        EXPECT_EQ(l.multiplierX, c.mx) << int(c.machine) << "/" << c.first;
        EXPECT_EQ(l.multiplierDy, c.dy) << int(c.machine) << "/" << c.first;
    }
}

TEST(PayTable, SymbolWindowsStepByHalfAReel) {
    harness::startGame();
    harness::endSplash();
    const char symbols[] = "ABCDEFGHI";
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(symbolWindowY(symbols[k]), 34 * (k + 1));
    EXPECT_EQ(symbolWindowY('Z'), 68 * 19 / 4);  // not on the strip: past its text
    selectMachine(3);
    const int expected[] = {33, 66, 99, 132, 165, 198, 231, 264, 297};
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(symbolWindowY(symbols[k]), expected[k]);
}

TEST(PayTable, EveryPageDrawsItsSymbolsMultipliersAndMore) {
    for (uint8_t machine = 0; machine < MachineCount; ++machine) {
        idleOn(machine);
        doButtonAction(ButtonAction::OpenPayTable);
        const MachineDef& d = machineDefs[machine];
        const int n = d.reelCount, w = d.reelRects[0].w, h = d.reelRects[0].h;
        do {
            const PayTableLayout l = payTableLayout(payTablePage);
            const Pixels s = harness::windowPixels();
            for (int row = 0; row < l.rows; ++row) {
                const char* pattern = d.payTable[payTablePage + row].pattern;
                const int y = l.firstRowY + row * l.rowStep;
                for (int i = 0; i < n; ++i) {
                    const int x = l.x0 + i * (w + 1);
                    if (pattern[i] == ' ' || pattern[i] == '?') {
                        // An empty cell: the page's colour inside its outline.
                        EXPECT_EQ(s.at(x + w / 2, y + h / 4), 0x080000u);
                        EXPECT_EQ(s.at(x, y), 0u);
                    } else {
                        EXPECT_TRUE(
                            windowBlockIs(x, y, w, h / 2, stripSprite.image, 0, symbolWindowY(pattern[i])))
                            << int(machine) << " " << pattern;
                    }
                }
                // The multiplier text: something drawn in its first cell's row band.
                int ink = 0;
                for (int yy = y + l.multiplierDy; yy < y + l.multiplierDy + 9; ++yy) {
                    for (int xx = l.multiplierX; xx < l.multiplierX + 45; ++xx)
                        ink += s.at(xx, yy) != 0x080000u;
                }
                EXPECT_GT(ink, 10) << pattern;
            }
            // Below the last row only the page colour, and "More".
            int more = 0;
            for (int yy = 250; yy < 259; ++yy) {
                for (int xx = 190; xx < 226; ++xx)
                    more += s.at(xx, yy) != 0x080000u;
            }
            EXPECT_GT(more, 20);
            EXPECT_EQ(s.at(5, l.firstRowY + l.rows * l.rowStep + 2), 0x080000u);
            handleTap(190, 250);
        } while (payTablePage != 0);
    }
}

TEST(PayTable, ThePageOfTwoRowsOnMachineZero) {
    idleOn(0);
    doButtonAction(ButtonAction::OpenPayTable);
    handleTap(190, 250);
    handleTap(190, 250);
    ASSERT_EQ(payTablePage, 12);
    // Rows at 96 and 131: "BGC" then the all-blank entry.
    EXPECT_TRUE(windowBlockIs(60, 96, 24, 34, stripSprite.image, 0, 68));
    EXPECT_TRUE(windowBlockIs(60 + 25, 96, 24, 34, stripSprite.image, 0, 238));
    EXPECT_EQ(harness::windowPixels().at(70, 131 + 10), 0x080000u);
    EXPECT_EQ(harness::windowPixels().at(60, 131), 0u);  // the blank cell's outline
}
