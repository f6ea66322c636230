// The program's command line: every option read, and every problem named in one line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "shell/cli.h"

namespace {

bool parse(std::vector<const char*> args, ProgramOptions& o, std::string& problem) {
    args.insert(args.begin(), "dorurura");
    o = ProgramOptions{};
    return parseProgramOptions(static_cast<int>(args.size()), args.data(), o, problem);
}

TEST(CommandLine, ReadsEveryOption) {
    ProgramOptions o;
    std::string problem;
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
    ASSERT_TRUE(parse({"--record", "r.txt", "--mute"}, o, problem));
    EXPECT_EQ(o.record, "r.txt");
    EXPECT_FALSE(o.startTick) << "the script's own start tick holds";
    ASSERT_TRUE(parse({"--replay", "r.txt", "--scale", "1", "--start-tick", "7"}, o, problem));
    EXPECT_EQ(o.replay, "r.txt");
    EXPECT_EQ(o.startTick, 7u);
}

TEST(CommandLine, NamesTheProblemInOneLine) {
    const struct {
        std::vector<const char*> args;
        const char* words;
    } bad[] = {
        {{"--scale"}, "--scale needs a value"},
        {{"--scale", "0"}, "--scale takes a whole number from 1 to 8, not '0'"},
        {{"--pass-rate", "-5"}, "--pass-rate takes"},
        {{"--help", "--frobnicate"}, "unknown option '--frobnicate'"},
        {{"--headless"}, "--headless needs --script FILE"},
        {{"--script", "x"}, "--script goes with --headless"},
        {{"--start-tick", "5"}, "go with --headless or --replay"},
        {{"--record"}, "--record needs a file"},
        {{"--replay", "x", "--pass-rate", "30"}, "go without --replay"},
        {{"--headless", "--script", "x", "--record", "y"}, "--record and --replay go without --headless"},
        {{"--headless", "--script", "x", "--start-tick", "4294967296"}, "--start-tick takes"},
        {{"--headless", "--script", "x", "--mute"},
         "--scale, --fullscreen, --pass-rate, --mute, --record and --replay go without"},
    };
    for (const auto& b : bad) {
        ProgramOptions o;
        std::string problem;
        EXPECT_FALSE(parse(b.args, o, problem)) << b.words;
        EXPECT_NE(problem.find(b.words), std::string::npos) << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos) << "one line";
    }
}

TEST(TextHelpers, ConvertEscapeAndParseExactly) {
    // One to four UTF-8 bytes, a surrogate pair joined, a lone surrogate kept as its own value.
    EXPECT_EQ(utf8FromUtf16(u"A\u00e9\u20ac\U0001F3B0"), "A\xc3\xa9\xe2\x82\xac\xf0\x9f\x8e\xb0");
    EXPECT_EQ(utf8FromUtf16(std::u16string(1, char16_t{0xD800})), "\xed\xa0\x80");
    // Controls and bytes past ASCII escaped, the backslash doubled (or escaped too); a long text cut.
    EXPECT_EQ(escapedText(std::string("a\\\n\x7f\xff\0b", 7)), "a\\\\\\x0a\\x7f\\xff\\x00b");
    EXPECT_EQ(escapedText("a\\", 5, Backslash::Hex), "a\\x5c");
    EXPECT_EQ(escapedText("abcdef", 3), "abc...");
    uint64_t v = 0;
    EXPECT_TRUE(parseDecimal("0000000000018446744073709551615", UINT64_MAX, v) && v == UINT64_MAX);
    EXPECT_FALSE(parseDecimal("18446744073709551616", UINT64_MAX, v));
    EXPECT_FALSE(parseDecimal("+1", 10, v) || parseDecimal(" 1", 10, v) || parseDecimal("11", 10, v) ||
                 parseDecimal("", 10, v));
}

}  // namespace
