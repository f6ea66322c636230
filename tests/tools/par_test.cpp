// The PAR report: its figures against the game's own spin decision, and the program's sheets,
// simulation, trace and command-line errors.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "rules/outcome.h"
#include "rules/random.h"
#include "tests/capture.h"
#include "tests/rules/draws.h"
#include "tools/par/par_cli.h"
#include "tools/par/parsheet.h"
#include "tools/par/simulate.h"

namespace {

capture::Run par(std::vector<const char*> args) {
    args.insert(args.begin(), "dorurura-par");
    return capture::run([&](std::FILE* out, std::FILE* err) {
        return parMain(static_cast<int>(args.size()), args.data(), out, err);
    });
}

TEST(ParSheet, AgreesWithTheGamesOwnSpinDecision) {
    // Every entry draw from 0 to 9999, played through the real chooseOutcome after a winning draw,
    // must pay what the sheet's weights say.
    for (int m = 0; m < MachineCount; ++m) {
        const ParSheet sheet = computeParSheet(m);
        useMachineRules(static_cast<uint8_t>(m));
        uint64_t paidPerWinDraw = 0;
        uint64_t perEntry[MaxPayEntries] = {};
        for (uint32_t w = 0; w < DrawRange; ++w) {
            RandomSource::state = draws::stateForDraws(0, w);
            chooseOutcome();
            paidPerWinDraw += pendingMultiplier;
            const int entry = firstMatchingEntry();
            ASSERT_GE(entry, 0) << "a winning spin matches no entry";
            ++perEntry[entry];
        }
        EXPECT_EQ(sheet.returnNumerator, paidPerWinDraw * sheet.winChances) << "machine " << m;
        for (uint32_t k = 0; k < sheet.entryCount; ++k)
            EXPECT_EQ(sheet.entries[k].weight, perEntry[k]) << "machine " << m << " entry " << k;
        EXPECT_EQ(sheet.hitChance, uint64_t{sheet.winChances} * DrawRange);
    }
    const ParSheet first = computeParSheet(0);
    EXPECT_EQ(first.winChances, 5001u);
    EXPECT_EQ(first.returnNumerator, 101140224u);
    EXPECT_NEAR(first.standardDeviation, 2.3514, 1e-4);
    EXPECT_NEAR(chiSquareTail(3.841459, 1), 0.05, 1e-6);
    EXPECT_NEAR(chiSquareTail(18.307038, 10), 0.05, 1e-6);
    EXPECT_NEAR(chiSquareTail(2.0, 2), 0.367879441, 1e-9);  // e^-1
    EXPECT_NEAR(chiSquareTail(40.0, 13), 1.3e-4, 1e-5);
}

TEST(ParProgram, PrintsEverySheetOrOneAndRefusesBadArguments) {
    const capture::Run all = par({});
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(all.err, "");
    for (const char* name : {"Reriv Eduvud", "Dodore du Zevud", "Dudavid Udidizo", "Rorav'i Rariv"})
        EXPECT_NE(all.out.find(name), std::string::npos) << name;
    EXPECT_NE(all.out.find("Return to player          395079/390625 = 101.140%"), std::string::npos);
    EXPECT_NE(all.out.find("Top award                 \"EEE * 30\", 1 in 952.19 (its cycle)\n"),
              std::string::npos);
    const capture::Run one = par({"--machine", "3"});
    EXPECT_EQ(one.code, 0);
    EXPECT_EQ(one.out.find("Reriv Eduvud"), std::string::npos);
    EXPECT_NE(one.out.find("\"BHF *  3\""), std::string::npos);
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},
        {"--machine", "4"},
        {"--simulate", "0"},
        {"--seed", "4294967296"},
        {"--spins", "5"},
        {"--simulate", "5", "--trace"},
        {"--simulate", "5", "--threads", "0"},
        {"--simulate", "5", "--threads", "65"},
        {"--threads", "2"},
        {"--format", "xml"},
        {"--format", "json", "--trace"},
        {"--report", "par.png"},
        {"--report", "par.pdf", "--simulate", "5"},
        {"--bet", "2"},
        {"--simulate", "5", "--bet", "6"},
        {"--simulate", "5", "--bet", "2", "--threads", "2"},
    };
    for (const auto& args : bad) {
        const capture::Run r = par(args);
        EXPECT_EQ(r.code, 2) << args[0];
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(std::regex_search(r.err, std::regex("^dorurura-par: [^\n]+\nusage: "))) << r.err;
    }
    const capture::Run help = par({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("usage: ", 0), 0u);
}

TEST(ParProgram, TraceDrawsAsTheGameDoes) {
    const capture::Run r = par({"--trace", "--spins", "50", "--seed", "42", "--machine", "2"});
    ASSERT_EQ(r.code, 0);
    ASSERT_EQ(r.lines.size(), 50u);
    // Replay: the outcome's draws, then the stop delay draw, spin after spin.
    useMachineRules(2);
    RandomSource::seed(42);
    for (size_t i = 0; i < r.lines.size(); ++i) {
        const std::string& line = r.lines[i];
        const uint32_t before = RandomSource::state;
        const uint32_t draw = RandomSource::below(DrawRange);
        RandomSource::state = before;
        chooseOutcome();
        const uint32_t delay = 1500 + RandomSource::below(1500);
        ASSERT_EQ(line.rfind("{\"spin\":" + std::to_string(i + 1) + ",\"draw\":" + std::to_string(draw) +
                                 ",\"entry\":",
                             0),
                  0u)
            << line;
        EXPECT_NE(line.find(",\"multiplier\":" + std::to_string(pendingMultiplier) + ",\"symbols\":\"" +
                            resultSymbols + "\",\"targets\":[" + std::to_string(targetScroll[0]) + ","),
                  std::string::npos)
            << line;
        EXPECT_NE(line.find("\"windows\":[[" + std::to_string(windowStart[0]) + "," +
                            std::to_string(windowEnd[0]) + "],"),
                  std::string::npos)
            << line;
        EXPECT_NE(line.find(",\"delay\":" + std::to_string(delay) + "}"), std::string::npos) << line;
        EXPECT_EQ(line.find("\"entry\":null") != std::string::npos, pendingMultiplier == 0) << line;
    }
}

TEST(ParProgram, SimulationCountsEverySpin) {
    const capture::Run r = par({"--simulate", "20000", "--seed", "9", "--machine", "1", "--threads", "2"});
    ASSERT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("20,000 spins from seed 9"), std::string::npos);
    EXPECT_NE(r.err.find(" M spins/s on 2 threads\n"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("p-value"), std::string::npos);
    // The observed column (every entry and "no win") adds up to the spins.
    uint64_t sum = 0;
    int rows = 0;
    const std::regex row(R"(^ +\S+ +(?:"[^"]*"|no win) +([0-9,]+) )");
    for (const std::string& line : r.lines) {
        std::smatch match;
        if (!std::regex_search(line, match, row)) continue;
        sum += std::stoull(std::regex_replace(match[1].str(), std::regex(","), ""));
        ++rows;
    }
    EXPECT_EQ(rows, 13);
    EXPECT_EQ(sum, 20000u);
}

// The simulation as one loop of the game's own chooseOutcome, spin after spin from the seed.
SimulationTally referenceTally(int machine, uint64_t spins, uint32_t seed) {
    SimulationTally t;
    useMachineRules(static_cast<uint8_t>(machine));
    RandomSource::seed(seed);
    for (uint64_t i = 0; i < spins; ++i) {
        chooseOutcome();
        const int entry = firstMatchingEntry();
        ++t.observed[entry < 0 ? payEntryCount : static_cast<uint32_t>(entry)];
        t.paid += pendingMultiplier;
        ++t.spins;
    }
    return t;
}

void expectSameTally(const SimulationTally& a, const SimulationTally& b, const std::string& what) {
    EXPECT_EQ(a.spins, b.spins) << what;
    EXPECT_EQ(a.paid, b.paid) << what;
    for (int k = 0; k < 17; ++k)
        EXPECT_EQ(a.observed[k], b.observed[k]) << what << " entry " << k;
}

TEST(ParSimulation, CountsTheSameSpinsOnOneTwoOrFourThreads) {
    // Small rounds and short joins force many stretches, meetings and stretches left to a later round.
    struct Cut {
        uint64_t roundDraws, aloneBelow;
        uint32_t joinSpins;
        uint64_t spins;
    };
    const Cut cuts[] = {
        {1 << 26, 1 << 16, 4096, 150000}, {5000, 100, 64, 60000}, {997, 10, 3, 20000}, {40, 1, 1, 2000}};
    for (int m = 0; m < MachineCount; ++m) {
        for (uint32_t seed : {1u, 7u, 4294967295u}) {
            for (const Cut& cut : cuts) {
                const uint64_t spins = cut.spins + 100u * static_cast<uint64_t>(m);
                const SimulationTally expected = referenceTally(m, spins, seed);
                for (unsigned threads : {1u, 2u, 4u}) {
                    SimulationControl control;
                    control.threads = threads;
                    control.roundDraws = cut.roundDraws;
                    control.aloneBelow = cut.aloneBelow;
                    control.joinSpins = cut.joinSpins;
                    expectSameTally(simulateSpins(m, spins, seed, control), expected,
                                    "machine " + std::to_string(m) + " seed " + std::to_string(seed) +
                                        " on " + std::to_string(threads) + " threads, rounds of " +
                                        std::to_string(cut.roundDraws) + " draws");
                    if (HasFailure()) return;
                }
            }
        }
    }
    SimulationControl control;
    control.threads = 3;
    expectSameTally(simulateSpins(2, 1, 5, control), referenceTally(2, 1, 5), "one spin");
}

TEST(ParSimulation, StoppedEarlyItCountsTheFirstSpinsInOrder) {
    const std::atomic<bool> stop{true};
    for (unsigned threads : {1u, 2u}) {
        SimulationControl control;
        control.threads = threads;
        control.stop = &stop;
        const SimulationTally t = simulateSpins(1, 50000000, 3, control);
        EXPECT_GT(t.spins, 0u);
        EXPECT_LT(t.spins, 50000000u);
        expectSameTally(t, referenceTally(1, t.spins, 3),
                        "stopped on " + std::to_string(threads) + " threads");
    }
}

}  // namespace
