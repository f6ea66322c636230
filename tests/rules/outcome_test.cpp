// The spin decision: which draws win, which entry a win shows, where each reel comes to rest and the
// window in which it stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "rules/outcome.h"
#include "rules/random.h"
#include "tests/rules/draws.h"

namespace {

using draws::stateForDraws;

class Outcome : public ::testing::Test {
protected:
    void SetUp() override { resetOutcomeState(); }

    // Decides a spin whose first two draws are win and entry.
    static void spin(uint32_t win, uint32_t entry) {
        RandomSource::state = stateForDraws(win, entry);
        chooseOutcome();
    }
};

TEST_F(Outcome, ThresholdWinsAndEachEntryCoversItsRunOfDraws) {
    for (uint8_t m = 0; m < MachineCount; ++m) {
        SCOPED_TRACE("machine " + std::to_string(m));
        const MachineDef& d = machineDefs[m];
        useMachineRules(m);
        const auto threshold = static_cast<uint32_t>(d.winThreshold);
        spin(threshold, 5000);
        EXPECT_GT(pendingMultiplier, 0u) << "a draw at the threshold wins";
        spin(threshold + 1, 5000);
        EXPECT_EQ(pendingMultiplier, 0u) << "a draw past the threshold loses";
        EXPECT_EQ(firstMatchingEntry(), -1);
        // Entry k shows for the entry draws past the previous entry's weight up to its own.
        for (uint32_t k = 0; k < payEntryCount; ++k) {
            const uint32_t first = k == 0 ? 0 : d.payTable[k - 1].cumulativeWeight + 1;
            for (uint32_t w : {first, std::min(d.payTable[k].cumulativeWeight, 9999u)}) {
                spin(0, w);
                EXPECT_EQ(firstMatchingEntry(), static_cast<int>(k)) << "entry draw " << w;
                EXPECT_EQ(pendingMultiplier, readMultiplier(d.payTable[k].pattern)) << "entry draw " << w;
            }
        }
    }
}

TEST_F(Outcome, TopPrizeTakesFiveDrawsAndRestsEveryReelOnItsSymbol) {
    useMachineRules(0);
    const uint32_t start = stateForDraws(100, 7);
    spin(100, 7);
    EXPECT_STREQ(resultSymbols, "EEE");
    EXPECT_EQ(pendingMultiplier, 30u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(targetScroll[i], 153);  // stop 9, a quarter window (17 rows) per stop
        EXPECT_EQ(windowStart[i], 189);   // after the 36 rows of slowing down
        EXPECT_EQ(windowEnd[i], 205);     // one full-speed step of 16 later
    }
    // The win draw, the entry draw, then one occurrence count per reel.
    const uint32_t after = RandomSource::state;
    RandomSource::state = start;
    for (int i = 0; i < 5; ++i)
        RandomSource::next();
    EXPECT_EQ(after, RandomSource::state);
}

TEST_F(Outcome, StopWindowsWrapAroundTheStrip) {
    useMachineRules(0);
    spin(0, 2650);  // "III * 10": stop 17, row 289; the window passes the 306-row cycle
    EXPECT_STREQ(resultSymbols, "III");
    EXPECT_EQ(targetScroll[0], 289);
    EXPECT_EQ(windowStart[0], 19);
    EXPECT_EQ(windowEnd[0], 35);
    spin(0, 2600);  // "HHH * 12": stop 15, row 255; only the window's end wraps
    EXPECT_STREQ(resultSymbols, "HHH");
    EXPECT_EQ(targetScroll[1], 255);
    EXPECT_EQ(windowStart[1], 291);
    EXPECT_EQ(windowEnd[1], 1);
    useMachineRules(3);
    spin(0, 3250);  // "III *  6" on 66-row windows: stop 17, row 280, cycle 297
    EXPECT_STREQ(resultSymbols, "III");
    EXPECT_EQ(targetScroll[2], 280);
    EXPECT_EQ(windowStart[2], 19);
    EXPECT_EQ(windowEnd[2], 35);
}

TEST_F(Outcome, RandomStopsReachEveryStopTheyMay) {
    useMachineRules(0);
    std::set<int> second, third, blanks;
    for (uint32_t w = 401; w <= 2400; ++w) {  // "E?? *  2": any stops, but no E second ("EE? *  8")
        spin(w % 5000, w);
        second.insert(targetScroll[1] / 17);
        third.insert(targetScroll[2] / 17);
    }
    EXPECT_EQ(second.size(), 17u);
    EXPECT_EQ(third.size(), 18u);
    for (uint32_t w = 3161; w < 3161 + 400; ++w) {  // "    *  1": blank stops, the even ones
        spin(w % 5000, w);
        ASSERT_STREQ(resultSymbols, "   ");
        for (int i = 0; i < 3; ++i)
            blanks.insert(targetScroll[i] / 17);
    }
    EXPECT_EQ(blanks, (std::set<int>{0, 2, 4, 6, 8, 10, 12, 14, 16}));
}

TEST_F(Outcome, EverySpinShowsWhatItPays) {
    // Over many spins of every machine: a loss matches no entry; a win shows exactly the entry its
    // entry draw chose, as the first match; each reel rests on a stop showing its symbol.
    for (uint8_t m = 0; m < MachineCount; ++m) {
        useMachineRules(m);
        const MachineDef& d = machineDefs[m];
        RandomSource::seed(1000u + m);
        int wins = 0;
        for (int spin = 0; spin < 20000; ++spin) {
            const uint32_t before = RandomSource::state;
            const bool win = RandomSource::below(10000) <= static_cast<uint32_t>(d.winThreshold);
            int expected = -1;
            if (win) {
                const uint32_t w = RandomSource::below(10000);
                for (expected = 0; d.payTable[expected].cumulativeWeight < w;)
                    ++expected;
            }
            RandomSource::state = before;
            chooseOutcome();
            ASSERT_EQ(std::strlen(resultSymbols), static_cast<size_t>(d.reelCount));
            ASSERT_EQ(firstMatchingEntry(), expected) << "machine " << int(m) << " spin " << spin;
            ASSERT_EQ(pendingMultiplier, win ? readMultiplier(d.payTable[expected].pattern) : 0u);
            wins += win;
            for (int i = 0; i < d.reelCount; ++i) {
                bool onStop = false;
                for (int s = 0; s < d.stripLength; ++s)
                    onStop |=
                        reelStrips[i][s] == resultSymbols[i] && s * d.reelRects[i].h / 4 == targetScroll[i];
                ASSERT_TRUE(onStop) << "machine " << int(m) << " reel " << i;
            }
        }
        EXPECT_NEAR(wins / 20000.0, (d.winThreshold + 1) / 10000.0, 0.02) << "machine " << int(m);
    }
}

}  // namespace
