#include "tools/par/figures.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

static_assert(
    [] {
        for (const MachineDef& d : machineDefs)
            if (d.maxBet < 1 || d.maxBet > 5) return false;
        return true;
    }(),
    "a machine's sessions are kept for bets 1 to 5");

double chanceFraction(uint64_t chance) {
    return static_cast<double>(chance) / static_cast<double>(ChanceDenominator);
}

std::vector<MachineFigures> machineFigures(int first, int last, unsigned threads) {
    std::vector<MachineFigures> all;
    struct Task {
        size_t figures;
        int bet;
    };
    std::vector<Task> tasks;
    for (int m = first; m <= last; ++m) {
        MachineFigures f = {};
        f.sheet = computeParSheet(m);
        const ParSheet& s = f.sheet;
        f.returnToPlayer = chanceFraction(s.returnNumerator);
        f.hitFrequency = chanceFraction(s.hitChance);
        f.overStake = chanceFraction(s.overStakeChance);
        f.volatilityIndex90 = ConfidenceZ[0] * s.standardDeviation;
        int i = 0;
        for (const uint64_t n : ConfidenceSpins)
            for (int l = 0; l < LevelCount; ++l) {
                const double half = ConfidenceZ[l] * s.standardDeviation / std::sqrt(static_cast<double>(n));
                f.confidence[i++] = {n, ConfidenceLevels[l], f.returnToPlayer - half,
                                     f.returnToPlayer + half};
            }
        for (uint32_t k = 0; k < s.entryCount; ++k)
            if (s.entries[k].multiplier > f.topMultiplier) {
                f.topMultiplier = s.entries[k].multiplier;
                f.topEntry = k;
            }
        for (uint32_t k = 0; k < s.entryCount; ++k)
            if (s.entries[k].multiplier == f.topMultiplier) f.topChance += s.entries[k].chance;
        f.bets = machineDefs[m].maxBet;
        for (int b = 1; b <= f.bets; ++b)
            tasks.push_back({all.size(), b});
        all.push_back(f);
    }
    // The sessions take most of the time: one task per machine and bet, shared among the threads.
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t t; (t = next.fetch_add(1)) < tasks.size();)
            all[tasks[t].figures].sessions[tasks[t].bet - 1] =
                sessionFigures(all[tasks[t].figures].sheet, tasks[t].bet);
    };
    std::vector<std::thread> pool;
    const size_t helpers = std::min<size_t>(std::max(1u, threads), tasks.size()) - 1;
    for (size_t t = 0; t < helpers; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    return all;
}
