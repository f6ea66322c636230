// The simulation behind dorurura-par --simulate: spins decided from one seed, as the game decides
// them one after another, spread over threads without changing a single spin.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "rules/machines.h"

struct SimulationTally {
    uint64_t spins = 0;
    uint64_t paid = 0;                          // coins paid per coin bet, over all spins
    uint64_t observed[MaxPayEntries + 1] = {};  // spins per entry shown; at the entry count, the losing spins
};

struct SimulationControl {
    unsigned threads = 1;
    // How the work is cut (the results never depend on it): the most draws a thread takes in one
    // round, the spins left under which one thread finishes alone, and how many spins at the start of
    // its stretch a thread keeps to join it to the spins before.
    uint64_t roundDraws = uint64_t{1} << 26;
    uint64_t aloneBelow = uint64_t{1} << 16;
    uint32_t joinSpins = 4096;
    // Once set, the threads stop within a few thousand spins and the tally covers the spins decided
    // up to then in order (fewer than asked for).
    const std::atomic<bool>* stop = nullptr;
    // Called from the calling thread about four times a second with the spins decided so far
    // (an estimate while threads run ahead).
    std::function<void(uint64_t)> progress;
};

// Decides `spins` spins on machine 0 to 3 from seed, as the game's chooseOutcome does one after the
// other with the generator seeded by RandomSource::seed(seed), and counts what they show.
SimulationTally simulateSpins(int machine, uint64_t spins, uint32_t seed, const SimulationControl& control);
