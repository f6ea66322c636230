// The whole program on the headless backend, driven by scripts as a player would drive it: the
// entry, the window, the Options menu and the About box, the main loop and the game, read back
// through the state lines, the display and the runner's errors.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/probe.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "rules/random.h"
#include "shell/cli.h"
#include "shell/record.h"
#include "shell/runner.h"
#include "shell/script.h"
#include "tests/capture.h"

namespace {

using namespace std::string_literals;

// Display points (the game's window starts 26 rows down): machine 0's BET 1 and SPIN, the menu
// bar's "Options", a point right of the open menu, and the About box's "ok" in the navigation bar.
constexpr const char* BetOneTap = "tap 60 253\n";
constexpr const char* SpinTap = "tap 170 253\n";
constexpr const char* OptionsTap = "tap 20 307\n";
constexpr const char* ElsewhereTap = "tap 200 150\n";
constexpr const char* DoneTap = "tap 225 12\n";

// Runs a script as the program does: one it cannot read ends the run with 2 and the problem.
capture::Run play(const std::string& text, const StateObserver& observer = nullptr,
                  const RunSettings& settings = {}) {
    Script script;
    std::string problem;
    if (!parseScript("test.txt", text, script, problem)) return {2, "", problem + "\n", {}};
    return capture::run(
        [&](std::FILE* out, std::FILE* err) { return runScript(script, settings, out, err, observer); });
}

// The text of one field of a state line: "credits" gives "20", "sounds" gives ["play 105"].
std::string field(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const size_t at = line.find(key);
    if (at == std::string::npos) return "<missing " + name + ">";
    size_t end = at + key.size();
    for (int depth = 0; end < line.size(); ++end) {
        const char c = line[end];
        depth += (c == '[' || c == '{') - (c == ']' || c == '}');
        if (depth < 0 || (c == ',' && depth == 0)) break;
    }
    return line.substr(at + key.size(), end - at - key.size());
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
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.left + 12; ++x)
            marked += display[y * DisplayWidth + x] != background;
    return marked > 4;
}

TEST(Runner, StateLinesFollowAWholeSession) {
    // The game seeds its generator with the clock at start-up, here 0: the first spin pays win.
    useMachineRules(0);
    RandomSource::seed(0);
    chooseOutcome();
    const auto win = static_cast<int>(pendingMultiplier);
    resetOutcomeState();
    const capture::Run s =
        play(std::string("until Idle  # the splash is over\r\npasses 1\nstate\n") +  // 0
             BetOneTap + BetOneTap + "state\n" +                                     // 1
             SpinTap + "until Spinning\nstate\nuntil Idle\nstate\n" +                // 2, 3
             "menu 40012\nstate\n" +                                                 // 4: a loan
             "wait 1000\nmenu 40010\npasses 2\nstate\n" +                            // 5: Dodore du Zevud
             "tap 180 88\nuntil PayTable 1000\ntap 200 280\nstate\n" +               // 6: its pay table, More
             ElsewhereTap + "until Idle 1000\n" +                                    // closed
             "menu 40006\ntap 60 262\nstate\n" +                                     // 7: sound off, a bet
             "menu 40007\ntap 60 262\nstate\n" +                                     // 8: sound on, a bet
             "menu 40004\nmenu 12345\nstate\n" +  // 9: ids the game ignores
             "menu 40005\n");
    ASSERT_EQ(s.code, 0) << s.err;
    EXPECT_EQ(s.err, "");
    ASSERT_EQ(s.lines.size(), 10u);
    const auto& L = s.lines;
    EXPECT_EQ(field(L[0], "state"), "\"Idle\"");
    EXPECT_EQ(field(L[0], "machine"), "0");
    EXPECT_EQ(number(L[0], "credits"), 20);
    EXPECT_EQ(field(L[0], "reels"), "[{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0}]");
    EXPECT_EQ(field(L[0], "buttons"), "[11,11,11,1,1]") << "the first Idle pass lights every enabled button";
    EXPECT_EQ(field(L[0], "sounds"), "[]");
    EXPECT_EQ(number(L[1], "credits"), 18);
    EXPECT_EQ(number(L[1], "bet"), 2);
    EXPECT_EQ(field(L[1], "sounds"), "[\"play 105\",\"play 105\"]");
    EXPECT_EQ(field(L[2], "state"), "\"Spinning\"");
    EXPECT_EQ(field(L[2], "sounds"), "[\"loop 104\"]");
    // Settled: bet x multiplier paid, the same bet of 2 taken again.
    EXPECT_EQ(number(L[3], "lastWin"), 2 * win);
    EXPECT_EQ(number(L[3], "credits"), 18 + 2 * win - 2);
    EXPECT_EQ(field(L[3], "sounds").rfind("[\"stop\"", 0), 0u);
    EXPECT_EQ(field(L[3], "sounds").find("play 106") != std::string::npos, win > 0);
    EXPECT_EQ(number(L[4], "credits"), number(L[3], "credits") + 20);
    // The switch gives the bet back and stops a win sound still recorded as playing.
    EXPECT_GE(number(L[5], "tick") - number(L[4], "tick"), 1000);
    EXPECT_EQ(field(L[5], "machine"), "1");
    EXPECT_EQ(number(L[5], "credits"), number(L[4], "credits") + 2);
    EXPECT_EQ(number(L[5], "bet"), 0);
    EXPECT_EQ(field(L[5], "reels"),
              "[{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0}]");
    EXPECT_EQ(field(L[5], "sounds"), win > 0 ? "[\"stop\"]" : "[]");
    EXPECT_EQ(field(L[6], "state"), "\"PayTable\"");
    EXPECT_EQ(number(L[6], "page"), 6);
    EXPECT_EQ(field(L[7], "sound"), "false");
    EXPECT_EQ(number(L[7], "bet"), 1);
    EXPECT_EQ(field(L[7], "sounds"), "[\"stop\"]") << "sound off stops; the bet plays nothing";
    EXPECT_EQ(field(L[8], "sound"), "true");
    EXPECT_EQ(field(L[8], "sounds"), "[\"play 105\"]");
    // Unknown ids and the Options button's own id change nothing.
    const std::regex clock(R"re("(pass|tick)":\d+,|,"sounds":.*)re");
    EXPECT_EQ(std::regex_replace(L[9], clock, ""), std::regex_replace(L[8], clock, ""));
}

TEST(Runner, CheckMarksFollowMachineAndSound) {
    std::vector<std::vector<bool>> marks;  // per state line: the six marks of the open menu
    const auto observe = [&](const std::string&) {
        marks.emplace_back();
        for (UINT id : {40011, 40010, 40009, 40008, 40007, 40006})
            marks.back().push_back(itemChecked(id));
    };
    const std::string open = std::string(OptionsTap) + "state\n" + ElsewhereTap;
    const capture::Run s = play(open +                                   // at start, in the splash
                                    "menu 40011\n" + open +              // the machine in play, in the splash
                                    "until Idle\nmenu 40009\n" + open +  // Dudavid Udidizo
                                    "menu 40006\n" + open +              // sound off
                                    "menu 40006\n" + open +              // sound off again
                                    "menu 40007\n" + open +              // sound on
                                    "menu 40009\n" + open,               // the machine in play again
                                observe);
    ASSERT_EQ(s.code, 0) << s.err;
    using V = std::vector<bool>;
    EXPECT_EQ(marks, (std::vector<V>{{true, false, false, false, true, false},
                                     {true, false, false, false, true, false},
                                     {false, false, true, false, true, false},
                                     {false, false, true, false, false, true},
                                     {false, false, true, false, false, true},
                                     {false, false, true, false, true, false},
                                     {false, false, true, false, true, false}}));
    EXPECT_EQ(field(s.lines[1], "state"), "\"Splash\"") << "choosing the machine in play keeps the splash";
    EXPECT_EQ(field(s.lines[6], "machine"), "2");
}

TEST(Runner, TappedMenuItemsAndTheModalAboutBox) {
    RECT soundOff = {}, about = {}, done = {};
    play(std::string(OptionsTap) + "state\n", [&](const std::string&) {
        platformMenuItemRect(40006, &soundOff);
        platformMenuItemRect(40003, &about);
    });
    const auto tapIn = [](const RECT& r) {
        return "tap " + std::to_string((r.left + r.right) / 2) + " " +
               std::to_string((r.top + r.bottom) / 2) + "\n";
    };
    std::vector<int> depths;
    const capture::Run s =
        play(std::string("until Idle\n") + OptionsTap + tapIn(soundOff) + "state\n" +  // 0: taken at once
                 OptionsTap + tapIn(about) + "state\n" +                               // 1: the box is open
                 "passes 300\nstate\n" +                                               // 2: still open
                 "menu 40012\nstate\n" +  // 3: a command for the game meanwhile
                 DoneTap + "state\n",     // 4: closed
             [&](const std::string&) {
                 depths.push_back(platformDialogDepth());
                 if (platformDialogDepth() > 0) platformDoneButtonRect(&done);
             });
    ASSERT_EQ(s.code, 0) << s.err;
    ASSERT_EQ(s.lines.size(), 5u);
    EXPECT_EQ(field(s.lines[0], "sound"), "false");
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 1, 1, 0}));
    EXPECT_TRUE(done.left <= 225 && 225 < done.right && done.top <= 12 && 12 < done.bottom);
    // While the box is open the game neither ticks nor draws, but commands reach the main window.
    EXPECT_GT(number(s.lines[2], "tick"), number(s.lines[1], "tick") + 4000);
    EXPECT_EQ(field(s.lines[2], "buttons"), field(s.lines[1], "buttons"));
    EXPECT_EQ(number(s.lines[3], "credits"), number(s.lines[2], "credits") + 20);
}

TEST(Runner, KeysPlayAsTheirTapsDoOnEveryMachine) {
    // The same session twice, by keys and by taps (menu items by their commands), on each machine:
    // every bet up to the maximum and back, MAX, SPIN by Space and by Enter, the pay table paged
    // and closed, a loan and the About box. The state lines agree but for their pass and tick.
    const std::regex clock(R"("pass":\d+,"tick":\d+,)");
    for (int m = 0; m < 4; ++m) {
        const MachineDef& d = machineDefs[m];
        const auto tap = [&d](int control) {
            const Rect16& r = d.controlRects[control];
            return "tap " + std::to_string(r.x + r.w / 2) + " " + std::to_string(26 + r.y + r.h / 2) + "\n";
        };
        std::string keys = "until Idle\nkey f10\n", taps = "until Idle\n";
        for (int k = 0; k <= m; ++k)
            keys += "key down\n";
        // The menu's Enter is released after the command it chose: two passes let both frames catch up.
        keys += "key enter\nuntil Idle\npasses 2\nstate\n";
        taps += "menu " + std::to_string(40011 - m) + "\nuntil Idle\npasses 2\nstate\n";
        for (int b = 0; b <= d.maxBet; ++b) {
            keys += "key b\nstate\n";
            taps += tap(0) + "state\n";
        }
        keys += "key m\nuntil Idle\nstate\nkey space\nuntil Idle\nstate\nkey enter\nuntil Idle\nstate\n";
        taps +=
            tap(1) + "until Idle\nstate\n" + tap(2) + "until Idle\nstate\n" + tap(2) + "until Idle\nstate\n";
        keys += "key p\nstate\nkey right\nstate\nkey space\nstate\nkey escape\nstate\n";
        taps += tap(3) + "state\n" + tap(4) + "state\n" + tap(4) + "state\n" + ElsewhereTap + "state\n";
        keys += "key f10\nkey enter\npasses 2\nstate\nkey ctrl+a\nstate\nkey escape\nstate\nkey ctrl+q\n";
        taps += "menu 40012\npasses 2\nstate\nmenu 40003\nstate\n" + std::string(DoneTap) + "state\nmenu 1\n";
        const capture::Run byKeys = play(keys), byTaps = play(taps);
        ASSERT_EQ(byKeys.code, 0) << byKeys.err;
        ASSERT_EQ(byTaps.code, 0) << byTaps.err;
        ASSERT_EQ(byKeys.lines.size(), byTaps.lines.size());
        for (size_t i = 0; i < byKeys.lines.size(); ++i) {
            EXPECT_EQ(std::regex_replace(byKeys.lines[i], clock, ""),
                      std::regex_replace(byTaps.lines[i], clock, ""))
                << "machine " << m << ", state line " << i;
        }
        EXPECT_EQ(field(byKeys.lines[d.maxBet], "bet"), std::to_string(d.maxBet)) << m;
        EXPECT_EQ(field(byKeys.lines.back(), "credits"),
                  field(byKeys.lines[byKeys.lines.size() - 3], "credits"));
    }
}

TEST(Runner, ReplaysRawInputStepsAndStartTickAndChecksExpectations) {
    // The lines a recording is made of: the pen and a host command as raw events, the first step
    // from the first pass, a start tick the command line may override, and checks of the state.
    const std::string recording =
        "# dorurura 0.1 recording\nstart-tick 5000\nstep 20\nsteps 30 10\nuntil Idle\n"
        "pen down 60 253\npen up 60 253\nhost command 40006\npasses 3\n"
        "expect {\"state\": \"Idle\", \"bet\": 1, \"sound\": false, \"sounds\": [\"play 105\", \"stop\"]}  # "
        "a comment\n"
        "state\nexpect {}\n";
    const auto expectLine = [](const std::string& fields) { return "expect {" + fields + "}\n"; };
    capture::Run s = play(recording);
    ASSERT_EQ(s.code, 0) << s.err;
    EXPECT_EQ(s.err,
              "test.txt:1: recorded by dorurura 0.1, replayed by "s + programVersion + ": it may diverge\n");
    ASSERT_EQ(s.lines.size(), 1u);
    EXPECT_EQ(field(s.lines[0], "sounds"), "[\"play 105\",\"stop\"]") << "an expect leaves the log alone";
    const int pass = number(s.lines[0], "pass");
    EXPECT_EQ(number(s.lines[0], "tick"), 5000 + 20 + 30 + 10 * (pass - 2));
    // The first difference, in the expectation's order, ends the run with 1.
    s = play(recording + expectLine(R"("tick": 1, "credits":17, "bet":1)") + "state\n", nullptr,
             RunSettings{1000, 16, nullptr, nullptr});
    EXPECT_EQ(s.code, 1);
    EXPECT_EQ(s.err.substr(s.err.find('\n') + 1), "test.txt:13: replay diverged: tick is " +
                                                      std::to_string(1000 + 20 + 30 + 10 * (pass - 2)) +
                                                      ", recorded 1\n");
    s = play(recording + expectLine(R"("credits":17, "bet":1)"));
    EXPECT_EQ(s.err.substr(s.err.find('\n') + 1),
              "test.txt:13: replay diverged: credits is 19, recorded 17\n");
    s = play(recording + expectLine(R"("reels": [ {"y":0, "stage" :0} ])"));
    EXPECT_EQ(s.err.substr(s.err.find('\n') + 1),
              "test.txt:13: replay diverged: reels is "
              "[{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0},{\"y\":0,\"stage\":0}], recorded "
              "[{\"y\":0,\"stage\":0}]\n");
    // A quit from the host ends the program as closing its window does.
    s = play("host quit\npasses 1\nexpect {\"pass\":2}\n");
    EXPECT_EQ(s.code, 0) << s.err;
}

TEST(StepLines, CollapseRunsOfEqualStepsAndReplayEveryPassesClock) {
    std::vector<uint32_t> steps(20, 16);
    steps.insert(steps.end(), {17, 16, 17, 17, 17, 17, 17, 17, 17, 17, 17, 17, 0, 4294967295u, 16, 16});
    steps.insert(steps.end(), 130, 33);
    std::FILE* file = std::tmpfile();
    StepLines lines = stepLinesFrom(16);
    for (uint32_t step : steps)
        ASSERT_TRUE(addStep(lines, step, file));
    ASSERT_TRUE(flushSteps(lines, file));
    const std::string text = capture::readBack(file);
    EXPECT_EQ(text,
              "passes 20\nsteps 17 16\nstep 17\npasses 10\nsteps 0 4294967295 16 16\n"
              "step 33\npasses 60\npasses 60\npasses 10\n");
    // Replayed, the passes move the clock by exactly these steps.
    const capture::Run s = play("start-tick 1000\nstep 16\n" + text + "state\n");
    ASSERT_EQ(s.code, 0) << s.err;
    uint32_t tick = 1000 + 16;
    for (uint32_t step : steps)
        tick += step;
    EXPECT_EQ(number(s.lines[0], "pass"), static_cast<int>(steps.size()) + 1);
    EXPECT_EQ(field(s.lines[0], "tick"), std::to_string(tick));
}

TEST(Script, ReadsNumbersByValueAndSkipsAByteOrderMark) {
    Script script;
    std::string problem;
    ASSERT_TRUE(parseScript("test.txt",
                            "\xef\xbb\xbfstate\ntap 0000000000005 -0000000000032768\ntap -0 32767\n"
                            "menu 00000000000065535\npasses -0\nwait 0000000000000100000000\n"
                            "until Idle 000000000000000000000007\n",
                            script, problem))
        << problem;
    ASSERT_EQ(script.commands.size(), 7u);
    const auto& c = script.commands;
    EXPECT_EQ(c[0].op(), ScriptOp::State);
    EXPECT_EQ(std::vector<int>({c[1].x(), c[1].y(), c[2].x(), c[2].y(), static_cast<int>(c[3].value),
                                static_cast<int>(c[4].value), static_cast<int>(c[5].value),
                                static_cast<int>(c[6].untilLimit()), c[6].untilState()}),
              std::vector<int>({5, -32768, 0, 32767, 65535, 0, 100000000, 7, 0}));
}

TEST(Runner, ABadLineOrAnEarlyEndEndsTheRun) {
    const struct {
        std::string script;
        int code;
        const char* err;
    } bad[] = {
        {"jump 3\n", 2, "test.txt:1: unknown command 'jump'"},
        {"state\ntap 1\n", 2, "test.txt:2: usage: tap X Y"},
        {"key\tzz\n", 2, "test.txt:1: unknown key 'zz' (space, enter,"},
        {"key left b\n", 2, "test.txt:1: usage: key [down|up] NAME\n"},
        {"\n\nmenu 70000\n", 2, "test.txt:3: bad command id"},
        {"menu 40005\npasses 5\n", 1, "test.txt:2: the program ended before this line\n"},  // Exit
        {"until Spinning 500\nstate\n", 1, "test.txt:1: still Splash, not Spinning, after 500 ms\n"},
        {"shot /nonexistent/dir/a.png\nstate\n", 1,
         "test.txt:1: cannot write /nonexistent/dir/a.png: No such file or directory\n"},
        {"tap 5 32768\n", 2, "test.txt:1: bad number in 'tap 5 32768'\n"},
        {"menu 0000000000000065536\n", 2, "test.txt:1: bad command id '0000000000000065536' (0 to 65535)\n"},
        // What a message shows of the script: control bytes escaped, a long word cut.
        {"\x1b[2Jstate\n", 2, "test.txt:1: unknown command '\\x1b[2Jstate'\n"},
        {"until Id\0le\n"s, 2, "test.txt:1: unknown state 'Id\\x00le' ("},
        {"shot a\x07\x7f\xff/b.png\nstate\n", 1,
         "test.txt:1: cannot write a\\x07\\x7f\\xff/b.png: No such file or directory\n"},
        {"\xef\xbb\xbf\xef\xbb\xbfstate\n", 2, "test.txt:1: unknown command '\\xef\\xbb\\xbfstate'\n"},
        {"steps 5 0\nwait 10\n", 2, "test.txt:2: wait never ends: the step is 0\n"},
        {"step 0\nuntil Idle\n", 2, "test.txt:2: until may never end: the step is 0\n"},
        {"state\nstart-tick 5\n", 2, "test.txt:2: start-tick comes once, before every command\n"},
        {"expect\n", 2, "test.txt:1: expect: not a JSON object of state fields at ''\n"},
        {"expect {\"bogus\xff\":1}\n", 2, "test.txt:1: expect: unknown field 'bogus\\xff'\n"},
        {"expect {\"bet\":1,\"bet\":1}\n", 2, "test.txt:1: expect: field 'bet' given twice\n"},
        {"expect {} {}\n", 2, "test.txt:1: expect: more after the object: '{}'\n"},
        {"expect {\"reels\":" + std::string(9, '[') + std::string(9, ']') + "}\n", 2,
         "test.txt:1: expect: not a JSON object of state fields at '[]]]]]]]]]}'\n"},
        {[] {
             std::string many;
             for (int k = 0; k < 1025; ++k)
                 many += "pen move 1 1\n";
             return many + "state\n";
         }(),
         1, "test.txt:1025: the input queue is full: too many events for one pass\n"},
    };
    const std::string longWord(1000, '7'), cut = longWord.substr(0, 40) + "...";
    EXPECT_EQ(play("state\npasses " + longWord + "\n").err,
              "test.txt:2: bad number '" + cut + "' (0 to 100000000)\n");
    EXPECT_EQ(play("tap " + longWord + " 1\n").err, "test.txt:1: bad number in 'tap " + cut + " 1'\n");
    for (const auto& b : bad) {
        const capture::Run s = play(b.script);
        EXPECT_EQ(s.code, b.code) << b.script;
        EXPECT_EQ(s.err.rfind(b.err, 0), 0u) << s.err;
        EXPECT_EQ(s.out, "") << "no line runs after a bad one";
    }
}

}  // namespace
