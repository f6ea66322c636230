// The whole program on the headless backend, driven by scripts as a player would drive it: the
// entry, the window, the menu bar, the main loop and the game, read back through state lines and
// the display.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/host.h"
#include "rules/outcome.h"
#include "rules/random.h"
#include "shell/runner.h"
#include "shell/script.h"

namespace {

// Display points of machine 0's controls (client rectangles, 26 rows below the navigation bar).
constexpr const char* BetOneTap = "tap 60 253\n";
constexpr const char* BetMaxTap = "tap 100 253\n";
constexpr const char* SpinTap = "tap 170 253\n";
constexpr const char* OptionsTap = "tap 20 307\n";     // the menu bar's "Options" button
constexpr const char* ElsewhereTap = "tap 200 150\n";  // right of the open popup menu
constexpr const char* DoneTap = "tap 225 12\n";        // the About box's "ok" in the navigation bar

struct Session {
    int code;
    std::vector<std::string> lines;  // state lines
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

Session play(const std::string& text, uint32_t startTick = 0, const StateObserver& observer = nullptr) {
    Script script;
    std::string problem;
    EXPECT_TRUE(parseScript("test.txt", text, script, problem)) << problem;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Session s;
    s.code = runScript(script, startTick, 16, out, err, observer);
    const std::string output = slurp(out);
    s.err = slurp(err);
    size_t start = 0;
    for (size_t nl; (nl = output.find('\n', start)) != std::string::npos; start = nl + 1) {
        s.lines.push_back(output.substr(start, nl - start));
    }
    return s;
}

// The text of one field of a state line: "credits" gives "20", "sounds" gives ["play 105"].
std::string field(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const size_t at = line.find(key);
    if (at == std::string::npos) return "<missing " + name + ">";
    size_t begin = at + key.size(), end = begin;
    int depth = 0;
    for (; end < line.size(); ++end) {
        const char c = line[end];
        if (c == '[' || c == '{') ++depth;
        if (c == ']' || c == '}') {
            if (depth == 0) break;
            --depth;
        }
        if (c == ',' && depth == 0) break;
    }
    return line.substr(begin, end - begin);
}

int number(const std::string& line, const std::string& name) {
    return std::stoi(field(line, name));
}

// Whether an item of the open popup menu shows a check mark: anything drawn in its left margin.
bool itemChecked(UINT command) {
    RECT r;
    if (!platformMenuItemRect(command, &r)) return false;
    const uint32_t* display = platformDisplay();
    const uint32_t background = display[(r.top + 1) * DisplayWidth + r.right - 3];
    int marked = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.left + 12; ++x)
            marked += display[y * DisplayWidth + x] != background;
    }
    return marked > 4;
}

// The multiplier of each of the first spins of machine 0 when the game was seeded with tick.
std::vector<uint32_t> firstMultipliers(uint32_t tick, int spins) {
    useMachineRules(0);
    RandomSource::seed(tick);
    std::vector<uint32_t> result;
    for (int i = 0; i < spins; ++i) {
        chooseOutcome();
        result.push_back(pendingMultiplier);
        RandomSource::below(1500);  // the stop delay
    }
    resetOutcomeState();
    return result;
}

TEST(Runner, WholeSession) {
    // The game seeds its generator with the clock at start-up: with the clock at 0, the seed is 0.
    const uint32_t win = firstMultipliers(0, 1)[0];
    const std::string script = std::string("until Idle\npasses 1\nstate\n") +            // 0
                               BetOneTap + BetOneTap + "state\n" +                       // 1
                               SpinTap + "until Spinning\nstate\nuntil Idle\nstate\n" +  // 2, 3
                               "menu 40012\nstate\n" +                                   // 4: loan
                               "menu 40010\npasses 2\nstate\n" +                         // 5: Dodore du Zevud
                               "tap 180 88\nuntil PayTable 1000\nstate\n" +  // 6: its pay table sign
                               "tap 200 280\nstate\ntap 200 280\nstate\n" +  // 7, 8: More, More
                               ElsewhereTap + "until Idle 1000\nstate\n" +   // 9
                               "menu 40006\n" + "tap 60 262\nstate\n" +      // 10: sound off, bet
                               "menu 40007\n" + "tap 60 262\nstate\n" +      // 11: sound on, bet
                               "menu 40004\nmenu 12345\nstate\n" +           // 12: ignored ids
                               "menu 40005\n";
    const Session s = play(script);
    ASSERT_EQ(s.code, 0) << s.err;
    EXPECT_EQ(s.err, "");
    ASSERT_EQ(s.lines.size(), 13u);
    const auto& L = s.lines;

    EXPECT_EQ(field(L[0], "state"), "\"Idle\"");
    EXPECT_EQ(field(L[0], "machine"), "0");
    EXPECT_EQ(number(L[0], "credits"), 20);
    EXPECT_EQ(field(L[0], "reels"), "[{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0}]");
    EXPECT_EQ(field(L[0], "buttons"), "[11,11,11,1,1]") << "the first Idle pass lights every enabled button";
    EXPECT_EQ(field(L[0], "warning"), "0");
    EXPECT_EQ(field(L[0], "sounds"), "[]");

    EXPECT_EQ(number(L[1], "credits"), 18);
    EXPECT_EQ(number(L[1], "bet"), 2);
    EXPECT_EQ(field(L[1], "sounds"), "[\"play 105\",\"play 105\"]");

    EXPECT_EQ(field(L[2], "state"), "\"Spinning\"");
    EXPECT_EQ(field(L[2], "sounds"), "[\"loop 104\"]");

    // Settled: bet x multiplier paid, the same bet of 2 taken again.
    EXPECT_EQ(field(L[3], "state"), "\"Idle\"");
    EXPECT_EQ(number(L[3], "lastWin"), static_cast<int>(2 * win));
    EXPECT_EQ(number(L[3], "credits"), static_cast<int>(18 + 2 * win - 2));
    EXPECT_EQ(number(L[3], "bet"), 2);
    const std::string sounds = field(L[3], "sounds");
    EXPECT_EQ(sounds.rfind("[\"stop\"", 0), 0u) << sounds;
    EXPECT_EQ(sounds.find("play 106") != std::string::npos, win > 0) << sounds;

    EXPECT_EQ(number(L[4], "credits"), number(L[3], "credits") + 20);

    // The switch gives the bet back and stops a win sound still recorded as playing.
    EXPECT_EQ(field(L[5], "machine"), "1");
    EXPECT_EQ(number(L[5], "credits"), number(L[4], "credits") + 2);
    EXPECT_EQ(number(L[5], "bet"), 0);
    EXPECT_EQ(number(L[5], "lastWin"), 0);
    EXPECT_EQ(field(L[5], "reels"),
              "[{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0}]");
    EXPECT_EQ(field(L[5], "sounds"), win > 0 ? "[\"stop\"]" : "[]");

    EXPECT_EQ(field(L[6], "state"), "\"PayTable\"");
    EXPECT_EQ(number(L[6], "page"), 0);
    EXPECT_EQ(number(L[7], "page"), 6);
    EXPECT_EQ(number(L[8], "page"), 0) << "twelve entries: pages 0, 6, then 0 again";
    EXPECT_EQ(field(L[9], "state"), "\"Idle\"");

    EXPECT_EQ(field(L[10], "sound"), "false");
    EXPECT_EQ(number(L[10], "bet"), 1);
    EXPECT_EQ(field(L[10], "sounds"), "[\"stop\"]") << "sound off stops; the bet plays nothing";
    EXPECT_EQ(field(L[11], "sound"), "true");
    EXPECT_EQ(number(L[11], "bet"), 2);
    EXPECT_EQ(field(L[11], "sounds"), "[\"play 105\"]");

    // Unknown ids and the Options button's own id change nothing.
    std::string before = L[11], after = L[12];
    for (const char* name : {"pass", "tick", "sounds"}) {
        before.replace(before.find(field(before, name), before.find(std::string("\"") + name + "\"")),
                       field(before, name).size(), "");
        after.replace(after.find(field(after, name), after.find(std::string("\"") + name + "\"")),
                      field(after, name).size(), "");
    }
    EXPECT_EQ(before, after);
}

TEST(Runner, CheckMarksFollowMachineAndSound) {
    std::vector<std::vector<bool>> marks;  // per state line: the six marks, when the menu is open
    const UINT items[] = {40011, 40010, 40009, 40008, 40007, 40006};
    const auto observe = [&](const std::string&) {
        std::vector<bool> m;
        if (platformMenuOpen()) {
            for (UINT id : items)
                m.push_back(itemChecked(id));
        }
        marks.push_back(m);
    };
    const std::string open = std::string(OptionsTap) + "state\n" + ElsewhereTap;
    const std::string script = open +                               // at start, in the splash
                               "menu 40011\n" + open +              // the machine in play, in the splash
                               "until Idle\nmenu 40009\n" + open +  // Dudavid Udidizo
                               "menu 40006\n" + open +              // sound off
                               "menu 40006\n" + open +              // sound off again
                               "menu 40007\n" + open +              // sound on
                               "menu 40009\n" + open;               // the machine in play again
    const Session s = play(script, 0, observe);
    ASSERT_EQ(s.code, 0) << s.err;
    ASSERT_EQ(marks.size(), 7u);
    using V = std::vector<bool>;
    EXPECT_EQ(marks[0], (V{true, false, false, false, true, false})) << "Reriv Eduvud and Sound On at start";
    EXPECT_EQ(marks[1], (V{true, false, false, false, true, false}));
    EXPECT_EQ(field(s.lines[1], "state"), "\"Splash\"") << "choosing the machine in play keeps the splash";
    EXPECT_EQ(marks[2], (V{false, false, true, false, true, false}));
    EXPECT_EQ(field(s.lines[2], "machine"), "2");
    EXPECT_EQ(marks[3], (V{false, false, true, false, false, true}));
    EXPECT_EQ(marks[4], (V{false, false, true, false, false, true}));
    EXPECT_EQ(marks[5], (V{false, false, true, false, true, false}));
    EXPECT_EQ(marks[6], (V{false, false, true, false, true, false}));
    EXPECT_EQ(field(s.lines[6], "machine"), "2");
}

TEST(Runner, MenuCommandsActInEveryState) {
    const std::string script =
        std::string("state\n") +  // 0: splash
        "menu 40012\nstate\n" +   // 1: loan in the splash
        "menu 40008\nstate\n" +   // 2: switch ends the splash
        "until Idle\n" + BetMaxTap + "until Spinning\n" + "menu 40012\nstate\n" +  // 3: loan while spinning
        "menu 40011\nstate\n" +                            // 4: switch abandons the spin
        "until Idle\ntap 194 64\nuntil PayTable 1000\n" +  // machine 0's pay table sign
        "menu 40012\nstate\n" +                            // 5: loan on the pay table
        "menu 40010\nstate\n";                             // 6: switch closes it
    const Session s = play(script);
    ASSERT_EQ(s.code, 0) << s.err;
    ASSERT_EQ(s.lines.size(), 7u);
    const auto& L = s.lines;
    EXPECT_EQ(field(L[0], "state"), "\"Splash\"");
    EXPECT_EQ(field(L[1], "state"), "\"Splash\"");
    EXPECT_EQ(number(L[1], "credits"), 40);
    EXPECT_EQ(field(L[2], "state"), "\"Idle\"") << "Redraw lasts only until the tick of the same pass";
    EXPECT_EQ(field(L[2], "machine"), "3");
    EXPECT_EQ(field(L[3], "state"), "\"Spinning\"");
    EXPECT_EQ(number(L[3], "credits"), 40 - 5 + 20);
    EXPECT_EQ(number(L[3], "bet"), 5);
    EXPECT_EQ(field(L[4], "state"), "\"Idle\"");
    EXPECT_EQ(field(L[4], "machine"), "0");
    EXPECT_EQ(number(L[4], "credits"), 60) << "the abandoned spin's stake comes back";
    EXPECT_EQ(number(L[4], "bet"), 0);
    EXPECT_EQ(field(L[4], "sounds"), "[\"stop\"]") << "the reel sound stops";
    EXPECT_EQ(field(L[5], "state"), "\"PayTable\"");
    EXPECT_EQ(number(L[5], "credits"), 80);
    EXPECT_EQ(field(L[6], "state"), "\"Idle\"");
    EXPECT_EQ(field(L[6], "machine"), "1");
}

TEST(Runner, LoanEndsBroke) {
    // A start tick whose first four spins all lose: four spins at the maximum bet spend the 20 credits.
    uint32_t tick = 1;
    while (firstMultipliers(tick, 4) != std::vector<uint32_t>(4, 0))
        ++tick;
    std::string script;
    for (int i = 0; i < 4; ++i)
        script += std::string("until Idle\n") + BetMaxTap + "until Spinning\n";
    script += "until Broke\npasses 1\nstate\nmenu 40012\nstate\npasses 1\nstate\n";
    const Session s = play(script, tick);
    ASSERT_EQ(s.code, 0) << s.err;
    ASSERT_EQ(s.lines.size(), 3u);
    EXPECT_EQ(number(s.lines[0], "credits"), 0);
    EXPECT_EQ(number(s.lines[0], "bet"), 0);
    EXPECT_EQ(field(s.lines[0], "buttons"), "[4,4,4,1,1]") << "all three buttons disabled and drawn";
    EXPECT_EQ(number(s.lines[0], "warning") & 1, 1) << "\"Not Enough Cash\" shows";
    EXPECT_EQ(field(s.lines[1], "state"), "\"Idle\"");
    EXPECT_EQ(number(s.lines[1], "credits"), 20);
    EXPECT_EQ(number(s.lines[1], "bet"), 0);
    EXPECT_EQ(number(s.lines[2], "warning") & 1, 0) << "the warning is taken away";
}

TEST(Runner, TappedMenuItemsActBeforeTheNextLine) {
    // Where "Sound Off" and "About Dorurura" stand in the open menu.
    RECT soundOff = {}, about = {};
    play(std::string(OptionsTap) + "state\n", 0, [&](const std::string&) {
        platformMenuItemRect(40006, &soundOff);
        platformMenuItemRect(40003, &about);
    });
    ASSERT_GT(soundOff.bottom, soundOff.top);
    const auto tapIn = [](const RECT& r) {
        return "tap " + std::to_string((r.left + r.right) / 2) + " " +
               std::to_string((r.top + r.bottom) / 2) + "\n";
    };
    std::vector<int> depths;
    const Session s = play(std::string("until Idle\n") + OptionsTap + tapIn(soundOff) + "state\n" +
                               OptionsTap + tapIn(about) + "state\n" + DoneTap + "state\n",
                           0, [&](const std::string&) { depths.push_back(platformDialogDepth()); });
    ASSERT_EQ(s.code, 0) << s.err;
    ASSERT_EQ(s.lines.size(), 3u);
    EXPECT_EQ(field(s.lines[0], "sound"), "false");
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 0}));
}

TEST(Runner, AboutBoxIsModalUntilDone) {
    std::vector<int> depths;
    RECT done = {};
    const auto observe = [&](const std::string&) {
        depths.push_back(platformDialogDepth());
        if (platformDialogDepth() > 0) platformDoneButtonRect(&done);
    };
    const Session s =
        play(std::string("until Idle\nstate\nmenu 40003\npasses 300\nstate\n") + DoneTap + "state\n" +
                 "menu 40003\npasses 5\nmenu 40012\nstate\n" +  // a command for the game meanwhile
                 DoneTap + "state\n",
             0, observe);
    ASSERT_EQ(s.code, 0) << s.err;
    ASSERT_EQ(s.lines.size(), 5u);
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 0, 1, 0}));
    EXPECT_TRUE(done.left <= 225 && 225 < done.right && done.top <= 12 && 12 < done.bottom)
        << "the Done button";
    // While the box is open the game neither ticks nor draws: the buttons keep their first look.
    EXPECT_EQ(field(s.lines[1], "state"), "\"Idle\"");
    EXPECT_GT(number(s.lines[1], "tick"), number(s.lines[0], "tick") + 4000) << "deadlines keep counting";
    EXPECT_EQ(field(s.lines[1], "buttons"), field(s.lines[0], "buttons"));
    // Commands still reach the main window under the box.
    EXPECT_EQ(number(s.lines[3], "credits"), number(s.lines[2], "credits") + 20);
}

TEST(Runner, ExitAndCloseEndTheProgram) {
    for (const char* command : {"menu 40005\n", "menu 1\n"}) {
        const Session s = play(std::string("until Idle\n") + command);
        EXPECT_EQ(s.code, 0) << command;
        EXPECT_EQ(s.err, "") << command;
    }
    const Session early = play("until Idle\nmenu 40005\npasses 5\nstate\n");
    EXPECT_EQ(early.code, 1);
    EXPECT_EQ(early.err, "test.txt:3: the program ended before this line\n");
}

TEST(Runner, UntilFailsPastItsTime) {
    const Session s = play("until Spinning 500\nstate\n");
    EXPECT_EQ(s.code, 1);
    EXPECT_EQ(s.err, "test.txt:1: still Splash, not Spinning, after 500 ms\n");
    EXPECT_TRUE(s.lines.empty());
}

}  // namespace
