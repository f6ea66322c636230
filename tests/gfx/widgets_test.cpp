// Text widgets: number formatting and its bounds, the warning rule, the blink toggle and the
// loading screen.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "gfx/glyphs.h"
#include "gfx/surface.h"
#include "gfx/widgets.h"
#include "platform/headless.h"
#include "flow/betting.h"
#include "tests/flow/harness.h"

using namespace TextWidgetFlags;

namespace {

class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override { harness::resetAll(); }
};

}  // namespace

TEST_F(WidgetTest, TheSixWidgetsStartAsTheTableSays) {
    EXPECT_EQ(textWidgets[BetDisplay].flags, InFrame | Dirty);
    EXPECT_STREQ(textWidgets[BetDisplay].text, "    0");
    EXPECT_STREQ(textWidgets[WinDisplay].text, "    0");
    EXPECT_STREQ(textWidgets[CreditsDisplay].text, "     ");
    EXPECT_STREQ(textWidgets[CashWarning].text, "Not Enough Cash");
    EXPECT_STREQ(textWidgets[LoadingText].text, "Loading...");
    EXPECT_STREQ(textWidgets[MoreText].text, "More");
    EXPECT_EQ(textWidgets[CashWarning].blinkPeriod, 1000u);
    EXPECT_EQ(textWidgets[CashWarning].flags, 0);
    EXPECT_EQ(textWidgets[CreditsDisplay].sheet, 2);
    EXPECT_EQ(textWidgets[CreditsDisplay].style, 0);
    EXPECT_EQ(textWidgets[MoreText].rect.x, 190);
    EXPECT_STREQ(textWidgets[BetDisplay].format, "%5d");
    EXPECT_STREQ(textWidgets[WinDisplay].format, "%5ld");
}

TEST_F(WidgetTest, NumberDisplaysFormatTheirWalletValue) {
    textWidgets[BetDisplay].flags = InFrame;
    wallet.bet = 5;
    updateWidget(BetDisplay);
    EXPECT_STREQ(textWidgets[BetDisplay].text, "    5");
    EXPECT_EQ(textWidgets[BetDisplay].flags, InFrame | Dirty);
    wallet.lastWin = 150;
    updateWidget(WinDisplay);
    EXPECT_STREQ(textWidgets[WinDisplay].text, "  150");
    wallet.credits = 123456;
    updateWidget(CreditsDisplay);
    EXPECT_STREQ(textWidgets[CreditsDisplay].text, "123456");
    wallet.credits = -42;
    updateWidget(CreditsDisplay);
    EXPECT_STREQ(textWidgets[CreditsDisplay].text, "  -42");
}

TEST_F(WidgetTest, NumbersBeyondSevenCharactersStayInsideTheirBuffers) {
    struct Case {
        int32_t value;
        const char* text;
    };
    for (Case c : {Case{9999999, "9999999"}, Case{10000000, "9999999"}, Case{INT_MAX, "9999999"},
                   Case{-999999, "-999999"}, Case{-1000000, "-999999"}, Case{INT_MIN, "-999999"}}) {
        wallet.credits = c.value;
        wallet.lastWin = c.value;
        updateWidget(CreditsDisplay);
        updateWidget(WinDisplay);
        EXPECT_STREQ(textWidgets[CreditsDisplay].text, c.text) << c.value;
        EXPECT_STREQ(textWidgets[WinDisplay].text, c.text) << c.value;
        EXPECT_LT(std::strlen(textWidgets[CreditsDisplay].text), size_t{NumberTextSize});
    }
    wallet.bet = INT16_MIN;
    updateWidget(BetDisplay);
    EXPECT_STREQ(textWidgets[BetDisplay].text, "-32768");
}

TEST_F(WidgetTest, TheWarningShowsWhenTheCreditsCannotCoverACoin) {
    headlessSetStartTick(7000);
    TextWidget& w = textWidgets[CashWarning];
    updateWidget(CashWarning);  // 20 credits and nothing shown: nothing to take away
    EXPECT_EQ(w.flags, 0);
    EXPECT_EQ(w.nextBlink, 8000u);
    wallet.credits = 0;
    updateWidget(CashWarning);
    EXPECT_EQ(w.flags, Visible | Dirty);
    EXPECT_EQ(w.nextBlink, 8000u);
    w.flags = Visible;  // drawn
    wallet.credits = 20;
    headlessSetStartTick(7100);
    updateWidget(CashWarning);
    EXPECT_EQ(w.flags, Erase);
    EXPECT_EQ(w.nextBlink, 8100u);
    headlessSetStartTick(7200);
    updateWidget(CashWarning);
    EXPECT_EQ(w.flags, Erase);  // no flag changes, but the deadline moves
    EXPECT_EQ(w.nextBlink, 8200u);
}

TEST_F(WidgetTest, OtherWidgetNumbersDoNothing) {
    const TextWidget before = textWidgets[LoadingText];
    updateWidget(LoadingText);
    updateWidget(MoreText);
    updateWidget(-1);
    updateWidget(6);
    updateWidget(INT16_MAX);
    EXPECT_EQ(textWidgets[LoadingText].flags, before.flags);
    EXPECT_EQ(textWidgets[LoadingText].nextBlink, before.nextBlink);
    EXPECT_EQ(textWidgets[MoreText].flags, 0);
}

TEST_F(WidgetTest, TheToggleAlternatesAndCountsFromTheStep) {
    TextWidget& w = textWidgets[CashWarning];
    w.flags = Visible;
    toggleBlink(w, 5003);
    EXPECT_EQ(w.flags, Erase);
    EXPECT_EQ(w.nextBlink, 6003u);
    w.flags = 0;  // erased by a frame
    toggleBlink(w, 6010);
    EXPECT_EQ(w.flags, Visible | Dirty);
    EXPECT_EQ(w.nextBlink, 7010u);
}

TEST_F(WidgetTest, TheLoadingScreenIsDarkWithItsText) {
    initGraphics();
    ASSERT_EQ(loadGlyphSheet(&glyphSheets[0], &glyphSheetDefs[0], WithMask), 1);
    showLoadingScreen(&ScreenSurface);
    const harness::Pixels screen = harness::windowPixels();
    EXPECT_EQ(screen.at(5, 5), 0x070000u);
    EXPECT_EQ(screen.at(200, 250), 0x070000u);
    int text = 0;
    for (int y = 150; y < 159; ++y) {
        for (int x = 35; x < 125; ++x)
            text += screen.at(x, y) != 0x070000u;
    }
    EXPECT_GT(text, 30);  // "Loading..." is there
    int elsewhere = 0;
    for (int y = 1; y < screen.height - 1; ++y) {
        for (int x = 1; x < screen.width - 1; ++x) {
            if (y >= 150 && y < 159 && x >= 35 && x < 125) continue;
            elsewhere += screen.at(x, y) != 0x070000u;
        }
    }
    EXPECT_EQ(elsewhere, 0);
}
