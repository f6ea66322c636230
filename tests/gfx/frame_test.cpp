// Frame composition beyond the golden frames: what an incremental frame draws in each state, the
// stage refresh, the widget and button passes onto the screen only, and a machine composed again
// when the pay table closes.
#include <gtest/gtest.h>

#include <vector>

#include "flow/betting.h"
#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/machine.h"
#include "gfx/frame.h"
#include "gfx/glyphs.h"
#include "gfx/surface.h"
#include "gfx/widgets.h"
#include "tests/flow/harness.h"

namespace {

std::vector<uint32_t> screen() {
    return harness::windowPixels().copy();
}
std::vector<uint32_t> back() {
    return harness::bitmapPixels(BackBuffer.image).copy();
}
// Whether the window shows the back buffer (its top rows: the window is shorter than the display).
bool showsTheBackBuffer() {
    const harness::Pixels shown = harness::windowPixels();
    return harness::sameBlock(shown, 0, 0, harness::bitmapPixels(BackBuffer.image), 0, 0, shown.width,
                              shown.height);
}

// How many pixels differ between two pictures of the window, inside and outside a rectangle.
struct Change {
    int inside = 0;
    int outside = 0;
};
Change changes(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, const Rect16& r) {
    Change c;
    const int width = harness::windowPixels().width;
    for (size_t i = 0; i < a.size(); ++i) {
        const int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
        if (a[i] != b[i]) ++(rectContains(r, x, y) ? c.inside : c.outside);
    }
    return c;
}

// The game in Idle on the first machine, everything drawn and no flag pending.
void idleAndDrawn() {
    harness::idleOn();
    for (TextWidget& w : textWidgets)
        w.flags &= static_cast<uint16_t>(~(TextWidgetFlags::Dirty | TextWidgetFlags::Erase));
}

// Spoils the back buffer and runs an incremental frame: whether the window still shows what it did.
bool anIncrementalFrameDrawsNothing() {
    const std::vector<uint32_t> before = screen();
    fillRect(&BackBuffer, nullptr, 0x00FF00FF);
    renderFrame(0);
    return screen() == before;
}

}  // namespace

TEST(Frames, IncrementalFramesDrawNothingInTheSplashOnThePayTableAndInACleanIdleButAllInRedraw) {
    harness::startGame();
    harness::pass();
    ASSERT_EQ(gameState, Splash);
    EXPECT_TRUE(anIncrementalFrameDrawsNothing());
    idleAndDrawn();
    EXPECT_TRUE(anIncrementalFrameDrawsNothing());
    harness::tapControl(3);
    ASSERT_EQ(gameState, PayTable);
    EXPECT_TRUE(anIncrementalFrameDrawsNothing());

    idleAndDrawn();
    selectMachine(1);
    ASSERT_EQ(gameState, Redraw);
    fillRect(&ScreenSurface, nullptr, 0x00FF00FF);
    fillRect(&BackBuffer, nullptr, 0x00FF00FF);
    renderFrame(0);
    EXPECT_TRUE(showsTheBackBuffer());
    EXPECT_NE(harness::windowPixels().at(120, 100), 0xFF00FFu);
}

TEST(Frames, TheStageRefreshIsCopiedIntoTheBackBufferOnce) {
    idleAndDrawn();
    const std::vector<uint32_t> before = back();
    fillRect(&StageSurface, nullptr, 0x00123456);
    stageRefreshRect = {10, 20, 30, 40};
    renderFrame(0);
    EXPECT_EQ(stageRefreshRect.w, 0);
    const harness::Pixels b = harness::bitmapPixels(BackBuffer.image);
    EXPECT_EQ(b.at(10, 20), 0x563412u);
    EXPECT_EQ(b.at(39, 59), 0x563412u);
    EXPECT_EQ(b.at(40, 30), before[30 * 240 + 40]);
    EXPECT_EQ(b.at(20, 60), before[60 * 240 + 20]);
}

TEST(Frames, DirtyWidgetsAndButtonsAreDrawnOnTheScreenOnlyAndWidgetsErasedOnTheNextFrame) {
    idleAndDrawn();
    const std::vector<uint32_t> backBefore = back();
    const std::vector<uint32_t> before = screen();
    TextWidget& w = textWidgets[CashWarning];
    w.flags = TextWidgetFlags::Visible | TextWidgetFlags::Dirty | TextWidgetFlags::Erase;
    renderFrame(0);
    const Change drawn = changes(before, screen(), w.rect);
    EXPECT_GT(drawn.inside, 50);
    EXPECT_EQ(drawn.outside, 0);
    EXPECT_EQ(w.flags, TextWidgetFlags::Visible | TextWidgetFlags::Erase);
    renderFrame(0);
    EXPECT_EQ(screen(), before);
    EXPECT_EQ(w.flags, TextWidgetFlags::Visible);

    // A button's glyph is drawn whether the button is enabled or not.
    setButtonState(ButtonAction::BetOne, ButtonFlags::Enabled | ButtonFlags::ShowUp);
    setButtonState(ButtonAction::BetMax, ButtonFlags::ShowUp);
    renderFrame(0);
    const harness::Pixels shown = harness::windowPixels();
    for (int b = 0; b < 2; ++b) {
        const harness::Pixels sheet = harness::bitmapPixels(glyphSheets[3 + b].sprite.image);
        EXPECT_TRUE(harness::sameBlock(shown, buttons[b].screenRect.x, 218, sheet, 0, 0, 33, 18)) << b;
    }
    EXPECT_EQ(changes(before, screen(), {51, 218, 74, 18}).outside, 0);
    EXPECT_EQ(back(), backBefore);
}

TEST(Frames, FlagsWaitOutsideIdleAndBroke) {
    for (GameState state : {Redraw, Spinning, Stopping, Splash, PayTable, Idle, Broke}) {
        idleAndDrawn();
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
    idleAndDrawn();
    harness::tapControl(2);
    // Something on the screen that the back buffer does not hold, outside the reels.
    const Rect16 mark = {10, 200, 20, 20};
    fillRect(&ScreenSurface, &mark, 0x00FF00FF);
    const std::vector<uint32_t> before = screen();
    const std::vector<uint32_t> backBefore = back();
    harness::pass();
    const Change c = changes(before, screen(), reelUnionRect);
    EXPECT_GT(c.inside, 100);
    EXPECT_EQ(c.outside, 0);
    EXPECT_EQ(changes(backBefore, back(), reelUnionRect).outside, 0);
}

TEST(Frames, ClosingThePayTableComposesTheMachineAgainAndShowsItWhole) {
    idleAndDrawn();
    const std::vector<uint32_t> machine = back();
    harness::tapControl(3);
    ASSERT_NE(back(), machine);
    harness::tapControl(3);
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(back(), machine);
    EXPECT_TRUE(showsTheBackBuffer());
}
