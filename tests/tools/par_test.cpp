#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "rules/outcome.h"
#include "rules/random.h"
#include "tools/par/par_cli.h"
#include "tools/par/parsheet.h"

namespace {

constexpr uint64_t Modulus = 2147483647u;
constexpr uint64_t InverseMultiplier = 1407677000u;

uint32_t previous(uint64_t value) {
    return static_cast<uint32_t>(value * InverseMultiplier % Modulus);
}

// A generator state whose next two below(10000) draws are a win draw of 0 and the entry draw w.
uint32_t stateForWin(uint32_t w) {
    for (uint64_t x2 = w == 0 ? 10000 : w;; x2 += 10000) {
        const uint32_t x1 = previous(x2);
        if (x1 % 10000 == 0) return previous(x1);
    }
}

struct ParRun {
    int code;
    std::string out;
    std::string err;
};

std::string slurp(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    return text;
}

ParRun run(std::vector<const char*> args) {
    args.insert(args.begin(), "dorurura-par");
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int code = parMain(static_cast<int>(args.size()), args.data(), out, err);
    return {code, slurp(out), slurp(err)};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
        result.push_back(text.substr(start, nl - start));
    }
    return result;
}

TEST(ParSheet, AgreesWithTheGamesOwnSpinDecision) {
    // Every entry draw w from 0 to 9999, played through the real chooseOutcome after a winning draw,
    // must pay what the sheet's weights say.
    for (int m = 0; m < MachineCount; ++m) {
        const ParSheet sheet = computeParSheet(m);
        useMachineRules(static_cast<uint8_t>(m));
        uint64_t paidPerWinDraw = 0;
        uint64_t perEntry[16] = {};
        for (uint32_t w = 0; w < 10000; ++w) {
            RandomSource::state = stateForWin(w);
            chooseOutcome();
            paidPerWinDraw += pendingMultiplier;
            const int entry = firstMatchingEntry();
            ASSERT_GE(entry, 0) << "a winning spin matches no entry";
            ++perEntry[entry];
        }
        EXPECT_EQ(sheet.returnNumerator, paidPerWinDraw * sheet.winChances) << "machine " << m;
        uint64_t total = 0;
        for (uint32_t k = 0; k < sheet.entryCount; ++k) {
            EXPECT_EQ(sheet.entries[k].weight, perEntry[k]) << "machine " << m << " entry " << k;
            total += sheet.entries[k].weight;
        }
        EXPECT_EQ(total, 10000u);
        EXPECT_EQ(sheet.hitChance, uint64_t{sheet.winChances} * 10000u);
    }
    const ParSheet first = computeParSheet(0);
    EXPECT_EQ(first.winChances, 5001u);
    EXPECT_EQ(first.entries[0].weight, 21u);     // w from 0 to 20
    EXPECT_EQ(first.entries[13].weight, 6839u);  // w from 3161 to 9999
    EXPECT_EQ(first.returnNumerator, 101140224u);
    EXPECT_NEAR(first.standardDeviation, 2.3514, 1e-4);
}

TEST(ParSheet, ChiSquareTail) {
    EXPECT_NEAR(chiSquareTail(3.841459, 1), 0.05, 1e-6);
    EXPECT_NEAR(chiSquareTail(18.307038, 10), 0.05, 1e-6);
    EXPECT_NEAR(chiSquareTail(2.0, 2), 0.367879441, 1e-9);  // e^-1
    EXPECT_NEAR(chiSquareTail(40.0, 13), 1.3e-4, 1e-5);
    EXPECT_EQ(chiSquareTail(0.0, 5), 1.0);
    EXPECT_EQ(greatestCommonDivisor(100000000u, 105021u), 1u);
    EXPECT_EQ(greatestCommonDivisor(12, 18), 6u);
}

TEST(ParCommandLine, PrintsEverySheetOrOne) {
    const ParRun all = run({});
    EXPECT_EQ(all.code, 0);
    EXPECT_TRUE(all.err.empty());
    for (const char* name : {"Reriv Eduvud", "Dodore du Zevud", "Dudavid Udidizo", "Rorav'i Rariv"}) {
        EXPECT_NE(all.out.find(name), std::string::npos) << name;
    }
    EXPECT_NE(all.out.find("395079/390625 = 101.140%"), std::string::npos);
    const ParRun one = run({"--machine", "3"});
    EXPECT_EQ(one.code, 0);
    EXPECT_EQ(one.out.find("Reriv Eduvud"), std::string::npos);
    EXPECT_NE(one.out.find("\"BHF *  3\""), std::string::npos);
}

TEST(ParCommandLine, RefusesBadArguments) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},
        {"--machine", "4"},
        {"--machine", "-1"},
        {"--machine"},
        {"--simulate", "0"},
        {"--simulate", "x"},
        {"--simulate"},
        {"--trace", "--spins", "-3"},
        {"--seed", "4294967296"},
        {"--spins", "5"},
        {"--simulate", "5", "--trace"},
        {"--machine", ""},
    };
    for (const auto& args : bad) {
        const ParRun r = run(args);
        EXPECT_EQ(r.code, 2) << args[0];
        EXPECT_TRUE(r.out.empty());
        const auto errLines = lines(r.err);
        ASSERT_GE(errLines.size(), 2u);
        EXPECT_EQ(errLines[0].rfind("dorurura-par: ", 0), 0u) << errLines[0];
        EXPECT_EQ(errLines[1].rfind("usage: ", 0), 0u);
    }
    const ParRun help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("usage: ", 0), 0u);
    EXPECT_TRUE(help.err.empty());
}

TEST(ParCommandLine, TraceDrawsAsTheGameDoes) {
    const ParRun r = run({"--trace", "--spins", "50", "--seed", "42", "--machine", "2"});
    ASSERT_EQ(r.code, 0);
    const auto traced = lines(r.out);
    ASSERT_EQ(traced.size(), 50u);

    // Replay: the outcome's draws, then the stop delay draw, spin after spin.
    useMachineRules(2);
    RandomSource::seed(42);
    for (size_t i = 0; i < traced.size(); ++i) {
        const uint32_t before = RandomSource::state;
        const uint32_t draw = RandomSource::below(10000);
        RandomSource::state = before;
        chooseOutcome();
        const uint32_t delay = 1500 + RandomSource::below(1500);
        std::string expected =
            "{\"spin\":" + std::to_string(i + 1) + ",\"draw\":" + std::to_string(draw) + ",\"entry\":";
        const std::string& line = traced[i];
        ASSERT_EQ(line.rfind(expected, 0), 0u) << line;
        EXPECT_NE(line.find(",\"multiplier\":" + std::to_string(pendingMultiplier) + ",\"symbols\":\"" +
                            std::string(resultSymbols) + "\",\"targets\":[" +
                            std::to_string(targetScroll[0]) + ","),
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

TEST(ParCommandLine, SimulationCountsEverySpin) {
    const ParRun r = run({"--simulate", "20000", "--seed", "9", "--machine", "1"});
    ASSERT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("20,000 spins from seed 9"), std::string::npos);
    EXPECT_NE(r.out.find("Chi-square"), std::string::npos);
    EXPECT_NE(r.out.find("p-value"), std::string::npos);
    // The observed column adds up to the spins.
    uint64_t sum = 0;
    int rows = 0;
    for (const auto& line : lines(r.out)) {
        if (line.find("\"") == std::string::npos && line.find("no win") == std::string::npos) continue;
        if (line.find("Pattern") != std::string::npos) continue;
        const size_t quote =
            line.rfind("\"") != std::string::npos ? line.rfind("\"") + 1 : line.find("no win") + 6;
        std::string digits;
        for (size_t i = quote; i < line.size() && (digits.empty() || line[i] != ' '); ++i) {
            if (line[i] >= '0' && line[i] <= '9') digits += line[i];
        }
        sum += std::stoull(digits);
        ++rows;
    }
    EXPECT_EQ(rows, 13);
    EXPECT_EQ(sum, 20000u);
}

}  // namespace
