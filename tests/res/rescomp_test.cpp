// The resource script compiler on small scripts of its own: the binary forms it gives each kind
// of statement, and the errors it reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/rescomp/catalogue_source.h"
#include "tools/rescomp/contact_sheet.h"
#include "tools/rescomp/script.h"

namespace {

using rescomp::Resource;

class Rescomp : public ::testing::Test {
protected:
    std::filesystem::path dir;

    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() /
            ("rescomp-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void write(const std::string& name, const std::string& content) {
        std::ofstream(dir / name, std::ios::binary) << content;
    }
    std::vector<Resource> compile(const std::string& script) {
        write("test.rc", script);
        return rescomp::compileScript((dir / "test.rc").string(), {});
    }
    std::string error(const std::string& script) {
        try {
            compile(script);
        } catch (const rescomp::ScriptError& e) {
            return e.message;
        }
        return "";
    }
    static std::vector<uint16_t> words(const Resource& r) {
        std::vector<uint16_t> w;
        for (size_t i = 0; i + 1 < r.data.size(); i += 2)
            w.push_back(static_cast<uint16_t>(r.data[i] | (r.data[i + 1] << 8)));
        return w;
    }
};

TEST_F(Rescomp, MenuItemsEndEachLevelAndSeparatorsCarryTheirFlag) {
    auto r = compile(
        "#define IDM_A 7\n"
        "5 MENU BEGIN POPUP \"P\" BEGIN MENUITEM \"a\", IDM_A, CHECKED\n MENUITEM SEPARATOR\n"
        " MENUITEM \"b\", 9 END END\n");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].type, rescomp::RtMenu);
    EXPECT_EQ(r[0].language, 0x0409);  // English (United States) unless the script says otherwise
    std::vector<uint16_t> expected = {0, 0, 0x90, 'P', 0, 0x08, 7, 'a', 0, 0x800, 0, 0, 0x80, 9, 'b', 0};
    EXPECT_EQ(words(r[0]), expected);
}

TEST_F(Rescomp, StringsGoIntoBlocksOfSixteenByNumber) {
    auto r = compile("LANGUAGE 9, 1\nSTRINGTABLE BEGIN 1, \"ab\"\n 17 \"c\"\nEND\n");
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].type, rescomp::RtString);
    EXPECT_EQ(r[0].id, 1);  // strings 0 to 15: string 1 is the second
    EXPECT_EQ(words(r[0]), (std::vector<uint16_t>{0, 2, 'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r[1].id, 2);  // strings 16 to 31
    EXPECT_EQ(words(r[1]), (std::vector<uint16_t>{0, 1, 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(Rescomp, AcceleratorsMarkTheirLastEntry) {
    auto r =
        compile("3 ACCELERATORS BEGIN \"a\", 10, VIRTKEY, CONTROL\n \"Q\", 1, VIRTKEY, ALT, NOINVERT\nEND\n");
    ASSERT_EQ(r.size(), 1u);
    std::vector<uint16_t> expected = {0x09, 'A', 10, 0, 0x80 | 0x13, 'Q', 1, 0};
    EXPECT_EQ(words(r[0]), expected);
}

TEST_F(Rescomp, DataBlocksAreWordsAndStringBytes) {
    auto r = compile("#define NEG -2\n7 RCDATA BEGIN 1, 0xFFFE, NEG | 1 \"ab\" END\n");
    ASSERT_EQ(r.size(), 1u);
    std::vector<uint8_t> expected = {1, 0, 0xFE, 0xFF, 0xFF, 0xFF, 'a', 'b'};
    EXPECT_EQ(r[0].data, expected);
}

TEST_F(Rescomp, DialogControlsAreAlignedAndClassesByNumber) {
    auto r = compile(
        "9 DIALOG 1, 2, 30, 40\nSTYLE WS_POPUP\nCAPTION \"T\"\nFONT 8, \"S\"\nBEGIN\n"
        " CONTROL 5, -1, \"Static\", SS_ICON, 1, 2, 3, 4\n CONTROL \"x\", 3, \"static\", SS_CENTER, 5, 6, 7, "
        "8\nEND\n");
    ASSERT_EQ(r.size(), 1u);
    const std::vector<uint8_t>& d = r[0].data;
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (d[at + 3] << 24));
    };
    EXPECT_EQ(u32(0),
              0x80000000u | 0x00C00000u | 0x40u);  // WS_CAPTION and DS_SETFONT come with CAPTION and FONT
    // Header 18 bytes, menu, class, "T", 8, "S": 18 + 2 + 2 + 4 + 2 + 4 = 32, already aligned.
    EXPECT_EQ(u32(32), 0x40000000u | 0x10000000u | 3u);
    // The second control: after 18 + 4 (class) + 4 (ordinal title) + 2 = 28 bytes, at 60 aligned to 60.
    EXPECT_EQ(u32(60), 0x40000000u | 0x10000000u | 1u);
    EXPECT_EQ(d.size(), 60u + 18 + 4 + 4 + 2);  // "x" and its 0, and no padding after the last
}

TEST_F(Rescomp, FilesAreFoundBesideTheScriptAndInIncludeFolders) {
    std::vector<uint8_t> wave = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
    write("s.wav", std::string(wave.begin(), wave.end()));
    auto r = compile("4 WAVE \"s.wav\"\n");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].typeName, u"WAVE");
    EXPECT_EQ(r[0].data, wave);
    EXPECT_NE(error("4 WAVE \"missing.wav\"\n").find("cannot find file"), std::string::npos);
}

TEST_F(Rescomp, BitmapsLoseTheirFileHeaderAndMustBeWholeAndPacked) {
    // A 2 x 2, 8-bit file with a two-colour table (black, white): 14 + 40 + 8 header bytes, 2 rows of 4.
    const auto bmp = [](uint32_t pixelsAt, size_t pixelBytes) {
        std::string b(14 + 40 + 8 + pixelBytes, '\0');
        const auto put32 = [&](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                b[at + i] = static_cast<char>(v >> (8 * i));
        };
        b[0] = 'B';
        b[1] = 'M';
        put32(10, pixelsAt);
        put32(14, 40);
        put32(18, 2);
        put32(22, 2);
        b[26] = 1;  // planes
        b[28] = 8;  // bits
        put32(46, 2);
        put32(58, 0xFFFFFF);
        if (pixelBytes > 0) b[62] = 1;  // the bottom-left pixel is white
        return b;
    };
    const std::string good = bmp(62, 8);
    write("good.bmp", good);
    auto r = compile("1 BITMAP \"good.bmp\"\n");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].data, std::vector<uint8_t>(good.begin() + 14, good.end()));
    int w = 0, h = 0;
    std::vector<uint32_t> argb;
    ASSERT_TRUE(rescomp::decodeDib(r[0].data, false, w, h, argb));
    EXPECT_EQ(argb, (std::vector<uint32_t>{0xFF000000u, 0xFF000000u, 0xFFFFFFFFu, 0xFF000000u}));
    write("short.bmp", bmp(62, 5));
    EXPECT_NE(error("1 BITMAP \"short.bmp\"\n").find("cut short"), std::string::npos);
    write("gap.bmp", bmp(66, 8));  // pixels said to start past the colour table
    EXPECT_NE(error("1 BITMAP \"gap.bmp\"\n").find("not packed"), std::string::npos);
}

TEST_F(Rescomp, ErrorsNameTheLine) {
    std::string e = error("\n\n5 MENU BEGIN MENUITEM \"a\", NOSUCH END\n");
    EXPECT_NE(e.find("test.rc:3:"), std::string::npos) << e;
    EXPECT_NE(e.find("NOSUCH"), std::string::npos) << e;
    EXPECT_NE(error("1 RCDATA BEGIN 70000 END\n").find("16 bits"), std::string::npos);
    EXPECT_NE(error("1 RCDATA BEGIN 1 END\n1 RCDATA BEGIN 2 END\n").find("twice"), std::string::npos);
    EXPECT_NE(error("STRINGTABLE BEGIN 1 \"unterminated END\n").find("unterminated"), std::string::npos);
}

TEST_F(Rescomp, KeywordsOutsideTheLanguageAreRefusedAtTheirLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"\n1 VERSIONINFO BEGIN END\n", "test.rc:2: VERSIONINFO not supported"},
        {"1 BITMAP\nDISCARDABLE \"a.bmp\"\n", "test.rc:2: DISCARDABLE not supported"},
        {"1 MENU BEGIN MENUITEM \"a\", 1, MENUBREAK END\n", "test.rc:1: MENUBREAK not supported"},
        {"1 DIALOG 0, 0, 9, 9\nMENU 2\nBEGIN END\n", "test.rc:2: MENU not supported"},
        {"1 DIALOG 0, 0, 9, 9 BEGIN\n PUSHBUTTON \"OK\", 1, 0, 0, 9, 9\nEND\n",
         "test.rc:2: PUSHBUTTON not supported"},
        {"1 DIALOG 0, 0, 9, 9 BEGIN\n CONTROL \"x\", 1, \"Edit\", 0, 0, 0, 9, 9 END\n",
         "test.rc:2: control class \"Edit\" not supported"},
        {"1 ACCELERATORS BEGIN \"a\", 1, ASCII END\n", "test.rc:1: ASCII not supported"},
        {"\n\n#if 1\n", "test.rc:3: #if not supported"},
    };
    for (const auto& [script, message] : cases)
        EXPECT_NE(error(script).find(message), std::string::npos) << script << "\n" << error(script);
}

TEST_F(Rescomp, IncludedHeadersDefineNamesAndReportTheirOwnErrors) {
    write("ids.h", "#pragma once\n// ids\n#define IDM_A 7 // the first\n#include \"more.h\"\n");
    write("more.h", "#define IDM_B IDM_A\n");
    auto r = compile("#include \"ids.h\"\nIDM_B RCDATA BEGIN IDM_A END\n");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].id, 7);
    EXPECT_EQ(words(r[0]), std::vector<uint16_t>{7});
    write("code.h", "#define X 1\nint x;\n");
    EXPECT_NE(error("#include \"code.h\"\n").find("code.h:2: an included file holds only"),
              std::string::npos);
    EXPECT_NE(error("#include \"none.h\"\n").find("test.rc:1: cannot find file"), std::string::npos);
    write("loop.h", "#include \"loop.h\"\n");
    EXPECT_NE(error("#include \"loop.h\"\n").find("nested too deeply"), std::string::npos);
}

TEST_F(Rescomp, DeepNestingAndFilesThatAreNotRegularAreRefused) {
    const auto repeat = [](const std::string& s, size_t n) {
        std::string r;
        for (size_t i = 0; i < n; ++i)
            r += s;
        return r;
    };
    const auto deep = [](const std::string& e) {
        return e.find("test.rc:1: ") != std::string::npos && e.find("nested too deeply") != std::string::npos;
    };
    EXPECT_PRED1(deep, error("1 MENU BEGIN " + repeat("POPUP \"a\" BEGIN ", 35000) + "MENUITEM \"b\", 1 " +
                             repeat("END ", 35001) + "\n"));
    // Nesting a real script might use still compiles.
    auto r =
        compile("2 MENU BEGIN " + repeat("POPUP \"a\" BEGIN ", 8) + "MENUITEM \"b\", 1 " + repeat("END ", 9));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].data.size(), 4 + 8 * 6 + 8u);

    const auto regular = [](const std::string& e) {
        return e.find("not a regular file") != std::string::npos;
    };
    EXPECT_PRED1(regular, error("1 BITMAP \".\"\n"));
    EXPECT_PRED1(regular, error("1 RCDATA \"/dev/zero\"\n"));
    write("big.bin", "");
    std::filesystem::resize_file(dir / "big.bin", 16 * 1024 * 1024 + 1);  // sparse: no disk used
    EXPECT_NE(error("1 RCDATA \"big.bin\"\n").find("larger than"), std::string::npos);
    EXPECT_THROW(rescomp::compileScript(dir.string(), {}), rescomp::ScriptError);
}

TEST_F(Rescomp, MessagesAndCommentsAreExact) {
    // An error in a file is reported on the line naming it, not on the line of the next statement.
    const std::string later = "\n\n// more\n\n2 RCDATA BEGIN 1 END\n";
    EXPECT_NE(error("1 BITMAP \"missing.bmp\"" + later).find("test.rc:1: cannot find"), std::string::npos);
    write("bad.bmp", "not a bitmap");
    EXPECT_NE(error("1 BITMAP\n\"bad.bmp\"" + later).find("test.rc:2: bad.bmp is not"), std::string::npos);
    // A file name is a comment in the generated source: it cannot end the comment or go on to the next line.
    Resource res;
    res.type = rescomp::RtRcdata;
    res.id = 1;
    res.source = "a\nint injected;\\\x7f";
    const std::string src = rescomp::catalogueSource({res}, "x.rc");
    EXPECT_EQ(src.find("\nint injected"), std::string::npos) << src;
    EXPECT_NE(src.find("\n// a\\x0aint injected;\\x5c\\x7f\n"), std::string::npos) << src;
}

}  // namespace
