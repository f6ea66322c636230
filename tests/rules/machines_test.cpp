// The machine tables must keep the rules that let every spin be decided: checked by walking every
// combination of stops of every machine.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "rules/machines.h"

namespace {

int firstMatch(const MachineDef& d, uint32_t count, const char* symbols) {
    for (uint32_t e = 0; e < count; ++e) {
        bool match = true;
        for (int i = 0; i < d.reelCount && match; ++i) {
            const char c = d.payTable[e].pattern[i];
            match = c == '?' || c == symbols[i];
        }
        if (match) return static_cast<int>(e);
    }
    return -1;
}

class MachineData : public ::testing::TestWithParam<int> {};

TEST_P(MachineData, KeepsTheSixInvariants) {
    const MachineDef& d = machineDefs[GetParam()];
    const uint32_t count = countPayEntries(d.payTable);
    ASSERT_GT(count, 0u);

    // 6: reel count within the records that describe the reels.
    ASSERT_GE(d.reelCount, 1);
    ASSERT_LE(d.reelCount, MaxReels);
    for (int i = 0; i < MaxReels; ++i) {
        const Rect16& r = d.reelRects[i];
        if (i < d.reelCount) {
            EXPECT_GT(r.w, 0) << "reel " << i;
            EXPECT_GT(r.h, 0) << "reel " << i;
            ASSERT_NE(reelStrips[i], nullptr);
            EXPECT_EQ(std::strlen(reelStrips[i]), static_cast<size_t>(d.stripLength));
        } else {
            EXPECT_EQ(r.x | r.y | r.w | r.h, 0) << "reel " << i << " lies past the reel count";
        }
    }

    // 1: weights never decrease and end at 10000.
    for (uint32_t e = 1; e < count; ++e) {
        EXPECT_LE(d.payTable[e - 1].cumulativeWeight, d.payTable[e].cumulativeWeight) << "entry " << e;
    }
    EXPECT_EQ(d.payTable[count - 1].cumulativeWeight, 10000u);
    EXPECT_EQ(d.payTable[count].cumulativeWeight, 0u);

    for (uint32_t e = 0; e < count; ++e) {
        const std::string pattern = d.payTable[e].pattern;
        // 2: reel characters, " * ", a right-aligned two-character multiplier.
        ASSERT_EQ(pattern.size(), static_cast<size_t>(d.reelCount) + 5) << pattern;
        EXPECT_EQ(pattern.substr(d.reelCount, 3), " * ") << pattern;
        const char tens = pattern[d.reelCount + 3];
        const char ones = pattern[d.reelCount + 4];
        EXPECT_TRUE(tens == ' ' || (tens >= '1' && tens <= '9')) << pattern;
        EXPECT_TRUE(ones >= '0' && ones <= '9') << pattern;
        EXPECT_GT(readMultiplier(pattern.c_str()), 0u) << pattern;
        // 3: every letter and blank occurs on every reel's strip.
        for (int i = 0; i < d.reelCount; ++i) {
            const char c = pattern[i];
            if (c == '?') continue;
            EXPECT_TRUE(c == ' ' || (c >= 'A' && c <= 'I')) << pattern;
            EXPECT_NE(std::strchr(reelStrips[i], c), nullptr) << pattern << " reel " << i;
        }
    }

    // 4 and 5: every entry is the first match of some stops, and some stops match nothing.
    std::vector<bool> shown(count, false);
    bool losingResultExists = false;
    int stops[MaxReels] = {};
    char symbols[MaxReels + 1] = {};
    for (;;) {
        for (int i = 0; i < d.reelCount; ++i)
            symbols[i] = reelStrips[i][stops[i]];
        const int first = firstMatch(d, count, symbols);
        if (first < 0) {
            losingResultExists = true;
        } else {
            shown[first] = true;
        }
        int i = 0;
        while (i < d.reelCount && ++stops[i] == d.stripLength)
            stops[i++] = 0;
        if (i == d.reelCount) break;
    }
    for (uint32_t e = 0; e < count; ++e)
        EXPECT_TRUE(shown[e]) << "entry " << e << " can never be shown";
    EXPECT_TRUE(losingResultExists);
}

INSTANTIATE_TEST_SUITE_P(AllMachines, MachineData, ::testing::Range(0, MachineCount));

TEST(Machines, TablesHoldTheListedValues) {
    EXPECT_EQ(countPayEntries(machineDefs[0].payTable), 14u);
    EXPECT_EQ(countPayEntries(machineDefs[1].payTable), 12u);
    EXPECT_EQ(countPayEntries(machineDefs[2].payTable), 14u);
    EXPECT_EQ(countPayEntries(machineDefs[3].payTable), 14u);
    EXPECT_STREQ(machineDefs[0].payTable[13].pattern, "    *  1");
    EXPECT_STREQ(machineDefs[3].payTable[6].pattern, "EEE * 10");
    EXPECT_EQ(machineCommand(0), 40011);
    EXPECT_EQ(machineCommand(3), 40008);
    EXPECT_STREQ(machineNames[3], "Rorav'i Rariv");
    for (int i = 0; i < MaxReels; ++i)
        EXPECT_STREQ(reelStrips[i], " A B C D E F G H I");
    const int16_t speeds[] = {16, 12, 8, 6, 4, 3, 2, 1, 0};
    for (int i = 0; i < SpeedStageCount; ++i)
        EXPECT_EQ(speedTable[i], speeds[i]);
}

TEST(Machines, MultiplierIsReadFromThePatternText) {
    EXPECT_EQ(readMultiplier("EE? *  8"), 8u);
    EXPECT_EQ(readMultiplier("GGGGG * 30"), 30u);
    EXPECT_EQ(readMultiplier("    *  1"), 1u);
    EXPECT_EQ(readMultiplier("AB * 125"), 125u);
    EXPECT_EQ(readMultiplier("no digits"), 0u);
    EXPECT_EQ(readMultiplier(""), 0u);
    EXPECT_EQ(readMultiplier("42"), 42u);
}

}  // namespace
