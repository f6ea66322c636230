// The program's command line and the headless runner's script language.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "flow/game.h"
#include "shell/cli.h"
#include "shell/script.h"

namespace {

bool parse(std::vector<const char*> args, ProgramOptions& o, std::string& problem) {
    args.insert(args.begin(), "dorurura");
    o = ProgramOptions{};
    problem.clear();
    return parseProgramOptions(static_cast<int>(args.size()), args.data(), o, problem);
}

TEST(CommandLine, ReadsEveryOption) {
    ProgramOptions o;
    std::string problem;
    ASSERT_TRUE(parse({}, o, problem));
    EXPECT_EQ(o.scale, 0);
    EXPECT_EQ(o.passRate, 60);
    EXPECT_FALSE(o.headless);
    ASSERT_TRUE(parse({"--scale", "2", "--fullscreen", "--pass-rate", "120", "--mute"}, o, problem));
    EXPECT_EQ(o.scale, 2);
    EXPECT_TRUE(o.fullscreen);
    EXPECT_EQ(o.passRate, 120);
    EXPECT_TRUE(o.mute);
    ASSERT_TRUE(parse({"--headless", "--script", "a.txt", "--start-tick", "4294967295", "--ms-per-pass", "1"},
                      o, problem));
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.script, "a.txt");
    EXPECT_EQ(o.startTick, 4294967295u);
    EXPECT_EQ(o.msPerPass, 1u);
    ASSERT_TRUE(parse({"--version"}, o, problem));
    EXPECT_TRUE(o.version);
    EXPECT_FALSE(parse({"--help", "--bogus"}, o, problem)) << "a bad option is refused even beside --help";
}

TEST(CommandLine, NamesTheProblem) {
    const struct {
        std::vector<const char*> args;
        const char* words;
    } bad[] = {
        {{"--scale"}, "--scale needs a value"},
        {{"--scale", "0"}, "--scale takes a whole number from 1 to 8, not '0'"},
        {{"--scale", "9"}, "from 1 to 8"},
        {{"--scale", "2x"}, "not '2x'"},
        {{"--pass-rate", "-5"}, "--pass-rate takes"},
        {{"--frobnicate"}, "unknown option '--frobnicate'"},
        {{"--headless"}, "--headless needs --script FILE"},
        {{"--script", "x"}, "go with --headless"},
        {{"--headless", "--script"}, "--script needs a file"},
        {{"--headless", "--script", "x", "--ms-per-pass", "0"}, "--ms-per-pass takes"},
        {{"--headless", "--script", "x", "--start-tick", "4294967296"}, "--start-tick takes"},
        {{"--headless", "--script", "x", "--mute"},
         "--scale, --fullscreen, --pass-rate and --mute go without --headless"},
        {{"--scale", "2", "--headless", "--script", "x"}, "go without --headless"},
    };
    for (const auto& b : bad) {
        ProgramOptions o;
        std::string problem;
        EXPECT_FALSE(parse(b.args, o, problem)) << b.words;
        EXPECT_NE(problem.find(b.words), std::string::npos) << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos) << "one line";
    }
}

TEST(Script, ParsesEveryCommand) {
    Script s;
    std::string problem;
    ASSERT_TRUE(parseScript("play.txt",
                            "# a comment\n"
                            "\n"
                            "tap 170 270 # SPIN\r\n"
                            "  menu 40012  \n"
                            "passes 10\n"
                            "wait 3000\n"
                            "until Idle\n"
                            "until PayTable 500\n"
                            "shot out/first.png\n"
                            "state\n",
                            s, problem))
        << problem;
    ASSERT_EQ(s.commands.size(), 8u);
    EXPECT_EQ(s.commands[0].op, ScriptOp::Tap);
    EXPECT_EQ(s.commands[0].a, 170);
    EXPECT_EQ(s.commands[0].b, 270);
    EXPECT_EQ(s.commands[0].line, 3);
    EXPECT_EQ(s.commands[1].op, ScriptOp::Menu);
    EXPECT_EQ(s.commands[1].a, 40012);
    EXPECT_EQ(s.commands[2].op, ScriptOp::Passes);
    EXPECT_EQ(s.commands[3].op, ScriptOp::Wait);
    EXPECT_EQ(s.commands[3].a, 3000);
    EXPECT_EQ(s.commands[4].op, ScriptOp::Until);
    EXPECT_EQ(s.commands[4].a, Idle);
    EXPECT_EQ(s.commands[4].b, 60000);
    EXPECT_EQ(s.commands[5].a, PayTable);
    EXPECT_EQ(s.commands[5].b, 500);
    EXPECT_EQ(s.commands[6].op, ScriptOp::Shot);
    EXPECT_EQ(s.commands[6].path, "out/first.png");
    EXPECT_EQ(s.commands[7].op, ScriptOp::State);
    EXPECT_EQ(s.commands[7].line, 10);
}

TEST(Script, ReportsFileAndLine) {
    const struct {
        const char* text;
        const char* message;
    } bad[] = {
        {"jump 3\n", "s.txt:1: unknown command 'jump'"},
        {"state\ntap 1\n", "s.txt:2: usage: tap X Y"},
        {"tap 1 y\n", "s.txt:1: bad number"},
        {"tap 1 99999\n", "s.txt:1: bad number"},
        {"\n\nmenu 70000\n", "s.txt:3: bad command id"},
        {"passes -1\n", "s.txt:1: bad number '-1'"},
        {"wait\n", "s.txt:1: usage: wait MS"},
        {"until Sleeping\n", "s.txt:1: unknown state 'Sleeping'"},
        {"until Idle soon\n", "s.txt:1: bad number 'soon'"},
        {"shot\n", "s.txt:1: usage: shot FILE.png"},
        {"state now\n", "s.txt:1: usage: state"},
        {"passes 99999999999999\n", "s.txt:1: bad number"},
    };
    for (const auto& b : bad) {
        Script s;
        std::string problem;
        EXPECT_FALSE(parseScript("s.txt", b.text, s, problem)) << b.text;
        EXPECT_EQ(problem.rfind(b.message, 0), 0u) << problem;
    }
    Script s;
    std::string problem;
    EXPECT_FALSE(loadScript("/nonexistent/dir/script.txt", s, problem));
    EXPECT_EQ(problem, "/nonexistent/dir/script.txt:0: cannot read the script");
    EXPECT_FALSE(loadScript("/tmp", s, problem));
    EXPECT_EQ(problem, "/tmp:0: cannot read the script") << "a folder is no script";
}

TEST(Script, NamesEveryGameState) {
    EXPECT_STREQ(gameStateName(Idle), "Idle");
    EXPECT_STREQ(gameStateName(Stopping), "Stopping");
    EXPECT_STREQ(gameStateName(PayTable), "PayTable");
    EXPECT_EQ(gameStateName(1), nullptr);
    EXPECT_EQ(gameStateName(255), nullptr);
}

}  // namespace
