// The PAR report's new figures against independent calculations, the simulation against the exact
// session figures, and the program's machine-readable output, documents and write errors, run as the
// real program.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "rules/outcome.h"
#include "rules/random.h"
#include "tests/capture.h"
#include "tests/rules/draws.h"
#include "tools/par/par_cli.h"
#include "tools/par/session.h"

namespace {

struct Outcome {
    int multiplier;
    double chance;
};

// The chance of each multiplier a spin pays on machine m, by playing every entry draw through the
// game's chooseOutcome after a winning draw.
std::vector<Outcome> outcomesOf(int m) {
    useMachineRules(static_cast<uint8_t>(m));
    const double win = (machineDefs[m].winThreshold + 1) / double{DrawRange};
    std::map<int, double> chance{{0, 1 - win}};
    for (uint32_t w = 0; w < DrawRange; ++w) {
        RandomSource::state = draws::stateForDraws(0, w);
        chooseOutcome();
        chance[static_cast<int>(pendingMultiplier)] += win / DrawRange;
    }
    std::vector<Outcome> out;
    for (const auto& [mult, c] : chance)
        out.push_back({mult, c});
    return out;
}

// The session rules written plainly: money held (credits with the bet staked) and the bet.
struct Purse {
    int money, bet;
};

// After a spin of multiplier m: paid, then the same bet, or one coin, or broke (false).
bool spinPurse(Purse& p, int m) {
    p.money += p.bet * (m - 1);
    if (p.money >= p.bet) return true;
    p.bet = 1;
    return p.money >= 1;
}

// Every outcome sequence of up to `left` spins, adding to brokeAfter[n] the chance to go broke on
// spin n. Money that cannot run out in the spins left (a spin loses at most the bet) is not followed.
void enumerate(const std::vector<Outcome>& outcomes, Purse p, int spin, int left, double chance,
               std::vector<double>& brokeAfter) {
    if (left == 0 || p.money > p.bet * left) return;
    for (const Outcome& o : outcomes) {
        Purse next = p;
        if (!spinPurse(next, o.multiplier))
            brokeAfter[static_cast<size_t>(spin)] += chance * o.chance;
        else
            enumerate(outcomes, next, spin + 1, left - 1, chance * o.chance, brokeAfter);
    }
}

TEST(ParSessions, ExactFiguresAgreeWithIndependentCalculations) {
    // Broke within a few spins, by every outcome sequence: bet 5 goes broke from spin 4, bet 3 falls
    // back to one coin at 2 credits and goes broke from spin 8.
    for (const auto& [machine, bet, spins] : {std::tuple{0, 5, 7}, std::tuple{1, 3, 10}}) {
        const std::vector<Outcome> outcomes = outcomesOf(machine);
        std::vector<double> brokeAfter(static_cast<size_t>(spins) + 1, 0.0);
        enumerate(outcomes, {20, bet}, 1, spins, 1.0, brokeAfter);
        const SessionFigures f = sessionFigures(computeParSheet(machine), bet);
        ASSERT_TRUE(f.exact);
        double broke = 0;
        for (int n = 1; n <= spins; ++n) {
            broke += brokeAfter[static_cast<size_t>(n)];
            EXPECT_NEAR(1 - f.still[static_cast<size_t>(n)], broke, 1e-13)
                << machine << " bet " << bet << " n " << n;
        }
        EXPECT_GT(broke, 0.0);
    }

    // The chances of every amount of money, spin by spin, kept whole in a map; and the chance to
    // double by repeating the one-spin step on every money below 40 until it settles.
    const std::vector<Outcome> outcomes = outcomesOf(0);
    for (const int bet : {2, 3}) {
        std::map<std::pair<int, int>, double> purses{{{20, bet}, 1.0}};
        double broke = 0, medianAt = 0;
        const SessionFigures f = sessionFigures(computeParSheet(0), bet);
        for (int n = 1; n <= 100; ++n) {
            std::map<std::pair<int, int>, double> next;
            for (const auto& [purse, chance] : purses)
                for (const Outcome& o : outcomes) {
                    Purse p{purse.first, purse.second};
                    if (spinPurse(p, o.multiplier))
                        next[{p.money, p.bet}] += chance * o.chance;
                    else
                        broke += chance * o.chance;
                }
            purses.swap(next);
            if (medianAt == 0 && broke >= 0.5) medianAt = n;
            if (n == 10) {
                EXPECT_NEAR(f.brokeWithin[0].value, broke, 1e-12) << "bet " << bet;
            }
        }
        EXPECT_NEAR(f.brokeWithin[1].value, broke, 1e-12) << "bet " << bet;
        EXPECT_EQ(f.medianSpins.value, medianAt) << "bet " << bet;

        std::map<std::pair<int, int>, double> doubles;  // chance to reach 40 from (money, bet)
        for (int sweep = 0; sweep < 4000; ++sweep)
            for (int money = 1; money < 40; ++money)
                for (const int b : {bet, 1}) {
                    double h = 0;
                    for (const Outcome& o : outcomes) {
                        Purse p{money, b};
                        if (!spinPurse(p, o.multiplier)) continue;
                        h += o.chance * (p.money >= 40 ? 1.0 : doubles[{p.money, p.bet}]);
                    }
                    doubles[{money, b}] = h;
                }
        EXPECT_NEAR(f.doubleBeforeBroke.value, (doubles[{20, bet}]), 1e-9) << "bet " << bet;
    }
}

TEST(ParSessions, SimulationAgreesWithTheExactFigures) {
    // The simulated sessions, which the game's spin decision plays, hold every exact figure within
    // their 95 % intervals; so does the simulation the figures fall back on past the work budget.
    const capture::Run r = capture::run([](std::FILE* out, std::FILE* err) {
        const char* args[] = {"dorurura-par", "--simulate", "6000", "--bet", "3", "--machine", "1"};
        return parMain(7, args, out, err);
    });
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("6,000 sessions of 20 credits at bet 3 from seed 1"), std::string::npos) << r.out;
    int inside = 0;
    for (const std::string& line : r.lines)
        inside += line.size() > 7 && line.compare(line.size() - 7, 7, " inside") == 0;
    EXPECT_EQ(inside, 6) << r.out;
    EXPECT_EQ(r.out.find("OUTSIDE"), std::string::npos) << r.out;

    const ParSheet sheet = computeParSheet(0);
    const SessionFigures exact = sessionFigures(sheet, 5);
    const SessionFigures sim = sessionFigures(sheet, 5, 1000, 5000, 11);
    ASSERT_TRUE(exact.exact);
    ASSERT_FALSE(sim.exact);
    for (int h = 0; h < HorizonCount; ++h) {
        EXPECT_LE(sim.brokeWithin[h].low, exact.brokeWithin[h].value) << h;
        EXPECT_GE(sim.brokeWithin[h].high, exact.brokeWithin[h].value) << h;
    }
    EXPECT_LE(sim.doubleBeforeBroke.low, exact.doubleBeforeBroke.value);
    EXPECT_GE(sim.doubleBeforeBroke.high, exact.doubleBeforeBroke.value);
    EXPECT_LE(sim.medianSpins.low, exact.medianSpins.value);
    EXPECT_GE(sim.medianSpins.high, exact.medianSpins.value);
}

struct Shell {
    int code;
    std::string out;
};

// Runs a shell command line; hands back its exit code and its standard output.
Shell shell(const std::string& command) {
    std::FILE* p = popen(command.c_str(), "r");
    Shell s{-1, ""};
    if (p == nullptr) return s;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
        s.out.append(buffer, n);
    const int status = pclose(p);
    s.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return s;
}

const std::string Program = PAR_PROGRAM;

TEST(ParProgram, JsonCsvAndPrintableReports) {
    // The JSON parses and holds the documented fields, consistent with each other.
    const Shell json = shell(Program + R"( --format json | python3 -c '
import json, math, sys
d = json.load(sys.stdin)
assert len(d["machines"]) == 4
for i, m in enumerate(d["machines"]):
    assert m["index"] == i and isinstance(m["name"], str)
    for k in ("returnToPlayer", "hitFrequency", "standardDeviation", "volatilityIndex90"):
        assert isinstance(m[k], float), k
    assert abs(m["volatilityIndex90"] - 1.645 * m["standardDeviation"]) < 1e-12
    assert len(m["confidence"]) == 18
    for c in m["confidence"]:
        half = {0.9: 1.645, 0.95: 1.96, 0.99: 2.576}[c["level"]] * m["standardDeviation"] / math.sqrt(c["spins"])
        assert abs(c["low"] - (m["returnToPlayer"] - half)) < 1e-12 and abs(c["high"] - c["low"] - 2 * half) < 1e-12
    assert abs(sum(e["return"] for e in m["entries"]) - m["returnToPlayer"]) < 1e-12
    assert all(set(e) == {"pattern", "multiplier", "weight", "chance", "return"} for e in m["entries"])
    top = max(m["entries"], key=lambda e: e["multiplier"])
    assert m["largestWinPerCoin"] == top["multiplier"] and abs(m["topAward"]["cycle"] * top["chance"] - 1) < 1e-9
    assert [s["bet"] for s in m["sessions"]] == [1, 2, 3, 4, 5]
    for s in m["sessions"]:
        assert [b["spins"] for b in s["brokeWithin"]] == [10, 100, 1000, 10000]
        assert s["method"] == "exact" and 0 <= s["doubleBeforeBroke"] <= 1
        assert s["medianSpinsToBroke"] is None or s["medianSpinsToBroke"] >= 1
print(d["machines"][0]["returnToPlayer"])
')");
    EXPECT_EQ(json.code, 0);
    EXPECT_EQ(json.out, "1.01140224\n");

    // The CSV: four blocks, each with its header row.
    const Shell csv = shell(Program + " --format csv --machine 1");
    EXPECT_EQ(csv.code, 0);
    for (const char* header :
         {"machine,name,returnToPlayer,hitFrequency,paysMoreThanStake,standardDeviation,"
          "volatilityIndex90,topAwardCycle,largestWinPerCoin\n1,\"Dodore du Zevud\",0.80437669,",
          "\nmachine,entry,pattern,multiplier,weight,chance,return\n1,0,\"IIII * 20\",20,21,",
          "\nmachine,spins,level,low,high\n1,100,0.9,",
          "\nmachine,bet,figure,spins,value,low,high,method\n1,1,brokeWithin,10,"})
        EXPECT_NE(csv.out.find(header), std::string::npos) << header << "\n" << csv.out;

    // The PDF: the summary and a page per machine, each of which renders; an SVG page is well-formed.
    char folder[] = "/tmp/par-report-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string dir = folder;
    const Shell pdf = shell(Program + " --report " + dir + "/par.pdf && pdfinfo " + dir +
                            "/par.pdf | grep '^Pages:' && pdftoppm -r 12 -png " + dir + "/par.pdf " + dir +
                            "/page && ls " + dir + " | grep -c 'page-.*png'");
    EXPECT_EQ(pdf.code, 0);
    EXPECT_EQ(pdf.out, "Pages:           5\n5\n");
    const Shell svg =
        shell(Program + " --report " + dir +
              "/page.svg --machine 3 && python3 -c '"
              "import sys, xml.etree.ElementTree as t; print(t.parse(sys.argv[1]).getroot().tag)' " +
              dir + "/page.svg");
    EXPECT_EQ(svg.code, 0);
    EXPECT_EQ(svg.out, "{http://www.w3.org/2000/svg}svg\n");
    shell("rm -r " + dir);
}

TEST(ParProgram, WriteErrorsStopAndInputIsEscaped) {
    // Output that cannot be written ends the program with 1 and the reason, promptly even for a
    // trace of 10^12 spins.
    for (const char* args : {" --machine 1", " --format json --machine 1", " --trace --spins 1000000000000",
                             " --simulate 1000 --machine 1", " --simulate 100 --bet 5 --machine 1"}) {
        const Shell full = shell(Program + args + " 2>&1 >/dev/full; echo \" $?\"");
        EXPECT_EQ(full.out.substr(full.out.find("dorurura-par: cannot")),
                  "dorurura-par: cannot write standard output: No space left on device\n 1\n")
            << args;
        const Shell closed = shell("timeout 60 " + Program + args + " 2>&1 >&-; echo \" $?\"");
        EXPECT_EQ(closed.out.substr(closed.out.find("dorurura-par: cannot")),
                  "dorurura-par: cannot write standard output: Bad file descriptor\n 1\n")
            << args;
    }
    // Options and file names are repeated with every byte outside printable ASCII escaped.
    for (const auto& [args, message] :
         {std::pair<std::vector<const char*>, const char*>{{"--x\x1b[2J"},
                                                           "dorurura-par: unknown option '--x\\x1b[2J'\n"},
          {{"--machine", "1", "--report", "/no/such\nfolder/r.pdf"},
           "dorurura-par: cannot write /no/such\\x0afolder/r.pdf: No such file or directory\n"}}) {
        const capture::Run r = capture::run([&](std::FILE* out, std::FILE* err) {
            std::vector<const char*> argv{"dorurura-par"};
            argv.insert(argv.end(), args.begin(), args.end());
            return parMain(static_cast<int>(argv.size()), argv.data(), out, err);
        });
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), message);
    }
}

}  // namespace
