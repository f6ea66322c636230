// The machine tables let every spin be decided: over every combination of stops of every machine,
// each pay entry is the first match of some combination, and some combination matches none.
#include <gtest/gtest.h>

#include <vector>

#include "rules/outcome.h"

namespace {

TEST(Machines, EveryEntryCanBeShownAndSomeStopsLose) {
    for (uint8_t m = 0; m < MachineCount; ++m) {
        useMachineRules(m);
        const MachineDef& d = machineDefs[m];
        std::vector<bool> shown(payEntryCount + 1, false);  // the entries, then a loss
        int stops[MaxReels] = {};
        for (int i = 0; i < d.reelCount;) {
            for (int r = 0; r < d.reelCount; ++r)
                resultSymbols[r] = reelStrips[r][stops[r]];
            resultSymbols[d.reelCount] = '\0';
            const int first = firstMatchingEntry();
            shown[first < 0 ? payEntryCount : static_cast<uint32_t>(first)] = true;
            for (i = 0; i < d.reelCount && ++stops[i] == d.stripLength; ++i)  // the next combination
                stops[i] = 0;
        }
        for (uint32_t e = 0; e <= payEntryCount; ++e)
            EXPECT_TRUE(shown[e]) << "machine " << int(m) << (e < payEntryCount ? " entry " : " loss ") << e;
    }
    resetOutcomeState();
}

}  // namespace
