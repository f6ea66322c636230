// The machine tables must let every spin be decided: checked by walking every combination of stops
// of every machine.
#include <gtest/gtest.h>

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

// The tables' other facts are checked where they are written, at compile time.
TEST_P(MachineData, EveryEntryCanBeShownAndSomeStopsLose) {
    const MachineDef& d = machineDefs[GetParam()];
    const uint32_t count = countPayEntries(d.payTable);

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

TEST(Machines, MultiplierIsReadFromThePatternText) {
    EXPECT_EQ(readMultiplier("EE? *  8"), 8u);
    EXPECT_EQ(readMultiplier("AB * 125"), 125u);
    EXPECT_EQ(readMultiplier("no digits"), 0u);
    EXPECT_EQ(readMultiplier(""), 0u);
    EXPECT_EQ(readMultiplier("42"), 42u);
}

}  // namespace
