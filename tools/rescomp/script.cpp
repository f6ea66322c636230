// A resource script compiler for the part of the .rc language the game's resources are written in:
//
// - #include of headers of #defines, #define NAME VALUE, #pragma (ignored: the script is UTF-8);
// - LANGUAGE primary, sub;
// - ID BITMAP, ICON or WAVE "file"; ID RCDATA or WAVE "file" or a data block; ID TYPE-NUMBER "file";
// - ID MENU: POPUP and MENUITEM (text, id or SEPARATOR), the options CHECKED and GRAYED;
// - ID DIALOG x, y, w, h: STYLE, EXSTYLE, CAPTION and FONT, then CONTROLs of the class "Static"
//   (text and icons, what the platform's dialogs draw);
// - ID ACCELERATORS: "key" or a number, command, and VIRTKEY, CONTROL, SHIFT, ALT, NOINVERT;
// - STRINGTABLE: id, "text".
//
// A value is a number (decimal or 0x hexadecimal), a #defined name or one of the style constants
// below, with a leading minus, joined with |. A data block holds 16-bit values and ASCII strings.
// A keyword of the language outside this part is refused as "file:line: KEYWORD not supported".
#include "tools/rescomp/script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>

#include "tools/rescomp/bytes.h"
#include "tools/rescomp/files.h"

namespace rescomp {
namespace {

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

[[noreturn]] void fail(const std::string& file, int line, const std::string& message) {
    throw ScriptError{file + ":" + std::to_string(line) + ": " + message};
}

// A whole text of decimal or 0x hexadecimal digits, of at most about 44 bits.
bool parseNumber(const std::string& text, int64_t& value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (text.empty()) return false;
    int64_t v = 0;
    for (size_t i = hex ? 2 : 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(text[i])));
        const int digit = std::isdigit(c) ? c - '0' : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0 || v > (int64_t{1} << 40)) return false;
        v = v * (hex ? 16 : 10) + digit;
    }
    value = v;
    return true;
}

// The UTF-16 of a UTF-8 text; malformed UTF-8 is an error at the given place.
std::u16string utf16FromUtf8(const std::string& text, const std::string& file, int line) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const size_t n = b < 0x80             ? 1
                         : (b & 0xE0) == 0xC0 ? 2
                         : (b & 0xF0) == 0xE0 ? 3
                         : (b & 0xF8) == 0xF0 ? 4
                                              : 0;
        if (n == 0 || i + n > text.size()) fail(file, line, "malformed UTF-8");
        uint32_t cp = n == 1 ? b : b & (0x7Fu >> n);
        for (size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) fail(file, line, "malformed UTF-8");
            cp = (cp << 6) | (c & 0x3Fu);
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += n;
    }
    return out;
}

// ---- Tokens ------------------------------------------------------------------------------------

enum class Tok { End, Number, String, Word, Comma, Pipe, Minus, Begin, EndBlock };

struct Token {
    Tok kind = Tok::End;
    std::string text;   // as written; a string's text without its quotes
    int64_t value = 0;  // numbers
    int line = 0;
};

struct Lexer {
    std::string file;
    std::string src;
    size_t pos = 0;
    int line = 1;
    std::map<std::string, int64_t>* defines = nullptr;
    const std::vector<std::filesystem::path>* includeDirs = nullptr;  // after the file's own folder
    int depth = 0;                                                    // files that include this one
};

Token nextToken(Lexer& lx);

// Includes a header of #define lines (and comments): its names become the script's.
void includeHeader(Lexer& lx, std::string name) {
    constexpr int MaxDepth = 16;
    if (name.size() < 2 || name.front() != '"' || name.back() != '"')
        fail(lx.file, lx.line, "#include takes a file name in double quotes");
    name = name.substr(1, name.size() - 2);
    if (lx.depth >= MaxDepth) fail(lx.file, lx.line, "#include nested too deeply: " + name);
    std::vector<std::filesystem::path> folders = {std::filesystem::path(lx.file).parent_path()};
    folders.insert(folders.end(), lx.includeDirs->begin(), lx.includeDirs->end());
    FoundFile found = findFile(name, folders, lx.file + ":" + std::to_string(lx.line));
    Lexer header{found.path.string(), std::move(found.bytes), 0, 1, lx.defines, lx.includeDirs, lx.depth + 1};
    const Token t = nextToken(header);
    if (t.kind != Tok::End) fail(header.file, t.line, "an included file holds only directives and comments");
}

void handleDirective(Lexer& lx, const std::string& line) {
    std::istringstream in(line.substr(0, line.find("//")));  // a directive may end in a comment
    std::string word;
    in >> word;
    if (word == "#pragma") return;  // code pages and once: the script is UTF-8 throughout
    if (word == "#include") {
        std::string name, extra;
        in >> name >> extra;
        if (!extra.empty()) fail(lx.file, lx.line, "#include takes one file name");
        includeHeader(lx, name);
        return;
    }
    if (word != "#define") fail(lx.file, lx.line, word + " not supported");
    std::string name, valueText, extra;
    in >> name >> valueText >> extra;
    if (name.empty() || valueText.empty() || !extra.empty())
        fail(lx.file, lx.line, "#define takes a name and one number");
    const bool negative = valueText[0] == '-';
    if (negative) valueText.erase(0, 1);
    int64_t v = 0;
    if (!parseNumber(valueText, v)) {
        auto it = lx.defines->find(valueText);
        if (it == lx.defines->end()) fail(lx.file, lx.line, "#define value is not a number: " + valueText);
        v = it->second;
    }
    (*lx.defines)[name] = negative ? -v : v;
}

// Skips white space, comments and directives; false at the end of the text.
bool skipToToken(Lexer& lx) {
    const std::string& s = lx.src;
    for (;;) {
        while (lx.pos < s.size() && std::isspace(static_cast<unsigned char>(s[lx.pos]))) {
            if (s[lx.pos] == '\n') ++lx.line;
            ++lx.pos;
        }
        if (lx.pos >= s.size()) return false;
        if (s.compare(lx.pos, 2, "//") == 0) {
            lx.pos = std::min(s.find('\n', lx.pos), s.size());
        } else if (s.compare(lx.pos, 2, "/*") == 0) {
            const size_t end = s.find("*/", lx.pos + 2);
            if (end == std::string::npos) fail(lx.file, lx.line, "unterminated comment");
            lx.line += static_cast<int>(std::count(s.begin() + static_cast<std::ptrdiff_t>(lx.pos),
                                                   s.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
            lx.pos = end + 2;
        } else if (s[lx.pos] == '#') {
            const size_t end = std::min(s.find('\n', lx.pos), s.size());
            handleDirective(lx, s.substr(lx.pos, end - lx.pos));
            lx.pos = end;
        } else {
            return true;
        }
    }
}

// A string's text after its opening quote: "" and \" stand for a quote, \\ for a backslash, \n
// and \t for a line feed and a tab.
std::string stringText(Lexer& lx, int line) {
    const std::string& s = lx.src;
    std::string text;
    for (;;) {
        if (lx.pos >= s.size() || s[lx.pos] == '\n') fail(lx.file, line, "unterminated string");
        const char c = s[lx.pos++];
        if (c == '"' && (lx.pos >= s.size() || s[lx.pos] != '"')) return text;
        if (c == '"') {
            ++lx.pos;
        } else if (c == '\\' && lx.pos < s.size()) {
            const size_t escape = std::string_view("nt\\\"").find(s[lx.pos++]);
            if (escape == std::string_view::npos)
                fail(lx.file, line, std::string("unknown escape \\") + s[lx.pos - 1]);
            text += "\n\t\\\""[escape];
            continue;
        }
        text += c;
    }
}

Token nextToken(Lexer& lx) {
    if (!skipToToken(lx)) return Token{Tok::End, "", 0, lx.line};
    const std::string& s = lx.src;
    Token t;
    t.line = lx.line;
    const char c = s[lx.pos];
    const auto isWordChar = [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_'; };
    if (c == 'L' && s.compare(lx.pos, 2, "L\"") == 0) fail(lx.file, t.line, "L\"...\" strings not supported");
    if (c == '"') {
        ++lx.pos;
        t.kind = Tok::String;
        t.text = stringText(lx, t.line);
    } else if (isWordChar(c)) {
        const size_t start = lx.pos;
        while (lx.pos < s.size() && isWordChar(s[lx.pos]))
            ++lx.pos;
        t.text = s.substr(start, lx.pos - start);
        if (std::isdigit(static_cast<unsigned char>(c))) {
            if (!parseNumber(t.text, t.value)) fail(lx.file, t.line, "bad number " + t.text);
            t.kind = Tok::Number;
        } else {
            const std::string u = upper(t.text);
            t.kind = u == "BEGIN" ? Tok::Begin : u == "END" ? Tok::EndBlock : Tok::Word;
        }
    } else {
        const size_t punctuation = std::string_view(",|-").find(c);
        if (punctuation == std::string_view::npos)
            fail(lx.file, t.line, std::string("unexpected character '") + c + "'");
        t.kind = std::array{Tok::Comma, Tok::Pipe, Tok::Minus}[punctuation];
        t.text = std::string(1, c);
        ++lx.pos;
    }
    return t;
}

// The style constants a script may name: those of the windows, static controls and dialogs the
// platform draws.
const std::map<std::string, int64_t>& builtinConstants() {
    static const std::map<std::string, int64_t> constants = {
        {"WS_POPUP", 0x80000000},   {"WS_CHILD", 0x40000000}, {"WS_VISIBLE", 0x10000000},
        {"WS_CAPTION", 0x00C00000}, {"WS_GROUP", 0x00020000}, {"SS_LEFT", 0x0},
        {"SS_CENTER", 0x1},         {"SS_RIGHT", 0x2},        {"SS_ICON", 0x3},
        {"SS_NOPREFIX", 0x80},      {"DS_SETFONT", 0x40},     {"WS_EX_CAPTIONOKBTN", 0x80000000},
    };
    return constants;
}

// ---- Parser ------------------------------------------------------------------------------------

struct Parser {
    Lexer lx;
    Token tok;
    std::map<std::string, int64_t> defines;
    std::vector<std::filesystem::path> includeDirs;
    std::vector<std::filesystem::path> folders;  // where named files are: the script's, then includeDirs
    uint16_t language = 0x0409;
    uint16_t nextIconImage = 1;
    std::vector<Resource> out;
    std::map<std::pair<uint16_t, uint16_t>, std::array<std::optional<std::u16string>, 16>> stringBlocks;

    static constexpr int MaxMenuDepth = 16;

    [[noreturn]] void error(const std::string& message) const { fail(lx.file, tok.line, message); }
    [[noreturn]] void errorAt(int line, const std::string& message) const { fail(lx.file, line, message); }
    // Where only a keyword may stand, a word is one this compiler does not support.
    [[noreturn]] void refuse(const std::string& expected) const {
        if (tok.kind == Tok::Word) error(tok.text + " not supported");
        error("expected " + expected + ", found '" + tok.text + "'");
    }

    void advance() { tok = nextToken(lx); }
    bool isWord(const char* w) const { return tok.kind == Tok::Word && upper(tok.text) == w; }
    bool acceptWord(const char* w) {
        if (!isWord(w)) return false;
        advance();
        return true;
    }
    bool accept(Tok kind) {
        if (tok.kind != kind) return false;
        advance();
        return true;
    }
    void comma() {
        if (!accept(Tok::Comma)) error("expected ',', found '" + tok.text + "'");
    }
    void begin() {
        if (!accept(Tok::Begin)) refuse("BEGIN");
    }

    std::string takeString(const char* what) {
        if (tok.kind != Tok::String) error(std::string("expected ") + what);
        std::string s = tok.text;
        advance();
        return s;
    }
    std::u16string takeText(const char* what) {
        const int line = tok.line;
        return utf16FromUtf8(takeString(what), lx.file, line);
    }

    bool isName() const {
        return tok.kind == Tok::Word &&
               (defines.count(tok.text) != 0 || builtinConstants().count(upper(tok.text)) != 0);
    }

    // A number or a name, perhaps negated; values above 44 bits are refused, so nothing overflows.
    int64_t value() {
        const bool negative = accept(Tok::Minus);
        int64_t v = 0;
        if (tok.kind == Tok::Number) {
            v = tok.value;
        } else if (isName()) {
            auto d = defines.find(tok.text);
            v = d != defines.end() ? d->second : builtinConstants().at(upper(tok.text));
        } else {
            error(tok.kind == Tok::Word ? "unknown name " + tok.text
                                        : "expected a number, found '" + tok.text + "'");
        }
        advance();
        return negative ? -v : v;
    }
    int64_t expression() {
        int64_t v = value();
        while (accept(Tok::Pipe))
            v |= value();
        return v;
    }
    uint16_t word16(int64_t v) const {
        if (v < -32768 || v > 65535) error("value " + std::to_string(v) + " does not fit 16 bits");
        return static_cast<uint16_t>(v & 0xFFFF);
    }
    uint32_t style() { return static_cast<uint32_t>(expression()); }

    void add(uint16_t type, const std::u16string& typeName, uint16_t id, std::vector<uint8_t> data,
             const std::string& source = {}) {
        for (const Resource& r : out)
            if (r.type == type && r.typeName == typeName && r.id == id && r.language == language)
                error("resource " + std::to_string(id) + " defined twice");
        out.push_back(Resource{type, typeName, id, language, std::move(data), source});
    }

    // ---- Statements --------------------------------------------------------------------------

    // The options after a menu item, with or without commas: MF_CHECKED and MF_GRAYED.
    uint16_t menuOptions() {
        unsigned flags = 0;
        for (;;) {
            accept(Tok::Comma);
            if (acceptWord("CHECKED"))
                flags |= 0x08;
            else if (acceptWord("GRAYED"))
                flags |= 0x01;
            else if (tok.kind == Tok::Word && !isWord("POPUP") && !isWord("MENUITEM"))
                refuse("a menu option");
            else
                return static_cast<uint16_t>(flags);
        }
    }

    // A level of items, each written with MF_END (0x80) until another follows it.
    void menuItems(std::vector<uint8_t>& data, int depth) {
        if (depth > MaxMenuDepth) error("menu nested too deeply");
        begin();
        const size_t start = data.size();
        size_t last = start;  // where the last item's flags are
        while (!accept(Tok::EndBlock)) {
            if (data.size() > start) data[last] &= 0x7F;
            last = data.size();
            if (acceptWord("POPUP")) {
                const std::u16string text = takeText("popup text");
                put16(data, 0x10 | 0x80 | menuOptions());  // MF_POPUP
                putString(data, text);
                menuItems(data, depth + 1);
            } else if (acceptWord("MENUITEM")) {
                if (acceptWord("SEPARATOR")) {
                    put16(data, 0x800 | 0x80);  // MF_SEPARATOR, with no command and no text
                    put16(data, 0);
                    putString(data, u"");
                    continue;
                }
                const std::u16string text = takeText("menu item text");
                comma();
                const uint16_t command = word16(expression());
                put16(data, 0x80 | menuOptions());
                put16(data, command);
                putString(data, text);
            } else {
                refuse("POPUP, MENUITEM or END");
            }
        }
        if (data.size() == start) error("empty menu");
    }

    void menu(uint16_t id) {
        std::vector<uint8_t> data;
        put16(data, 0);  // version
        put16(data, 0);  // header size
        menuItems(data, 1);
        add(RtMenu, u"", id, std::move(data));
    }

    // Four values separated by commas: a rectangle in dialog units.
    std::array<uint16_t, 4> rectangle() {
        std::array<uint16_t, 4> r{};
        for (size_t i = 0; i < r.size(); ++i) {
            if (i > 0) comma();
            r[i] = word16(expression());
        }
        return r;
    }

    // CONTROL title, id, "Static", style, x, y, w, h [, extended style], the title a text or the
    // number of an icon. Its template item, aligned to 4 bytes in the dialog's.
    void control(std::vector<uint8_t>& data) {
        if (!acceptWord("CONTROL")) refuse("CONTROL or END");
        std::vector<uint8_t> title;
        if (tok.kind == Tok::String) {
            putString(title, takeText("text"));
        } else {
            put16(title, 0xFFFF);
            put16(title, word16(expression()));
        }
        comma();
        const uint16_t id = word16(expression());
        comma();
        const int classLine = tok.line;
        const std::string cls = takeString("a control class");
        if (upper(cls) != "STATIC") errorAt(classLine, "control class \"" + cls + "\" not supported");
        comma();
        const uint32_t itemStyle = 0x40000000 | 0x10000000 | style();  // WS_CHILD | WS_VISIBLE
        comma();
        const std::array<uint16_t, 4> rect = rectangle();
        const uint32_t exStyle = accept(Tok::Comma) ? style() : 0;
        alignTo4(data);
        put32(data, itemStyle);
        put32(data, exStyle);
        for (uint16_t v : rect)
            put16(data, v);
        put16(data, id);
        put16(data, 0xFFFF);
        put16(data, 0x82);  // the static class, by number
        data.insert(data.end(), title.begin(), title.end());
        put16(data, 0);  // no creation data
    }

    void dialog(uint16_t id) {
        const std::array<uint16_t, 4> rect = rectangle();
        uint32_t dlgStyle = 0x80000000 | 0x00800000 | 0x00080000;  // WS_POPUP | WS_BORDER | WS_SYSMENU
        uint32_t exStyle = 0;
        std::u16string caption;
        std::optional<std::pair<uint16_t, std::u16string>> font;
        for (;;) {
            if (acceptWord("STYLE")) {
                dlgStyle = style();
            } else if (acceptWord("EXSTYLE")) {
                exStyle = style();
            } else if (acceptWord("CAPTION")) {
                caption = takeText("caption");
                dlgStyle |= 0x00C00000;  // WS_CAPTION
            } else if (acceptWord("FONT")) {
                const uint16_t points = word16(expression());
                comma();
                font = std::make_pair(points, takeText("font name"));
                dlgStyle |= 0x40;  // DS_SETFONT
            } else {
                break;
            }
        }
        begin();
        std::vector<uint8_t> controls;
        unsigned count = 0;
        for (; !accept(Tok::EndBlock); ++count)
            control(controls);
        std::vector<uint8_t> data;
        put32(data, dlgStyle);
        put32(data, exStyle);
        put16(data, count);
        for (uint16_t v : rect)
            put16(data, v);
        put16(data, 0);  // no menu
        put16(data, 0);  // the standard dialog class
        putString(data, caption);
        if (font) {
            put16(data, font->first);
            putString(data, font->second);
        }
        // Each control was aligned to 4 bytes from the start of the first, which is aligned too.
        if (count > 0) alignTo4(data);
        data.insert(data.end(), controls.begin(), controls.end());
        add(RtDialog, u"", id, std::move(data));
    }

    void accelerators(uint16_t id) {
        begin();
        std::vector<uint8_t> data;
        while (!accept(Tok::EndBlock)) {
            if (!data.empty()) data[data.size() - 8] &= 0x7F;  // only the last entry is marked
            const bool fromString = tok.kind == Tok::String;
            uint16_t key = 0;
            if (fromString) {
                const std::string text = takeString("a key");
                if (text.size() != 1) error("an accelerator key is one character");
                key = static_cast<unsigned char>(text[0]);
            } else {
                key = word16(expression());
            }
            comma();
            const uint16_t command = word16(expression());
            unsigned flags = 0x80;  // the last entry, so far
            static const std::map<std::string, unsigned> options = {
                {"VIRTKEY", 0x01}, {"NOINVERT", 0x02}, {"SHIFT", 0x04}, {"CONTROL", 0x08}, {"ALT", 0x10}};
            while (accept(Tok::Comma)) {
                const auto option = tok.kind == Tok::Word ? options.find(upper(tok.text)) : options.end();
                if (option == options.end()) refuse("an accelerator option");
                flags |= option->second;
                advance();
            }
            // The virtual keys of letters are their capitals.
            if ((flags & 0x01) != 0 && fromString) key = static_cast<uint16_t>(std::toupper(key));
            for (unsigned v : {flags, unsigned{key}, unsigned{command}, 0u})
                put16(data, v);
        }
        if (data.empty()) error("empty accelerator table");
        add(RtAccelerator, u"", id, std::move(data));
    }

    // BEGIN values and ASCII strings END: each value a 16-bit word, each string its bytes.
    std::vector<uint8_t> dataBlock() {
        begin();
        std::vector<uint8_t> data;
        while (!accept(Tok::EndBlock)) {
            if (tok.kind == Tok::String) {
                for (char c : takeString("data")) {
                    if (static_cast<unsigned char>(c) > 0x7F) error("strings in data must be ASCII");
                    put8(data, static_cast<unsigned char>(c));
                }
            } else {
                put16(data, word16(expression()));
            }
            accept(Tok::Comma);
        }
        return data;
    }

    void stringTable() {
        begin();
        while (!accept(Tok::EndBlock)) {
            const uint16_t id = word16(expression());
            accept(Tok::Comma);
            std::optional<std::u16string>& slot =
                stringBlocks[{static_cast<uint16_t>(id / 16 + 1), language}][id % 16];
            if (slot) error("string " + std::to_string(id) + " defined twice");
            slot = takeText("string");
        }
    }

    void resource() {
        const uint16_t id = word16(expression());
        std::string type;
        uint16_t number = 0;  // a numbered type: a file's bytes as they are
        if (tok.kind == Tok::Number) {
            number = word16(expression());
        } else {
            static const std::array<std::string_view, 7> types = {"BITMAP", "ICON",   "WAVE",        "RCDATA",
                                                                  "MENU",   "DIALOG", "ACCELERATORS"};
            type = tok.kind == Tok::Word ? upper(tok.text) : "";
            if (std::find(types.begin(), types.end(), type) == types.end()) refuse("a resource type");
            advance();
            if (tok.kind == Tok::Word && !isName()) error(tok.text + " not supported");  // memory flags
        }
        if (type == "MENU") return menu(id);
        if (type == "DIALOG") return dialog(id);
        if (type == "ACCELERATORS") return accelerators(id);
        if (type == "RCDATA") number = RtRcdata;
        const std::u16string typeName = type == "WAVE" ? u"WAVE" : u"";
        if (tok.kind != Tok::String && (type == "RCDATA" || type == "WAVE"))
            return add(number, typeName, id, dataBlock());
        const std::string place = lx.file + ":" + std::to_string(tok.line);
        const std::string name = takeString("a file name");
        const std::string bytes = findFile(name, folders, place).bytes;
        std::vector<uint8_t> file(bytes.begin(), bytes.end());
        if (type == "BITMAP") return add(RtBitmap, u"", id, bitmapFromFile(name, file, place), name);
        if (type == "ICON") {
            IconResources icon = iconFromFile(name, file, nextIconImage, place);
            for (std::vector<uint8_t>& image : icon.images)
                add(RtIcon, u"", nextIconImage++, std::move(image), name);
            return add(RtGroupIcon, u"", id, std::move(icon.group), name);
        }
        if (type == "WAVE") checkWave(name, file, place);
        add(number, typeName, id, std::move(file), name);
    }

    void script() {
        advance();
        while (tok.kind != Tok::End) {
            if (acceptWord("LANGUAGE")) {
                const int64_t primaryLang = expression();
                comma();
                const int64_t subLang = expression();
                language = static_cast<uint16_t>(((subLang & 0x3F) << 10) | (primaryLang & 0x3FF));
            } else if (acceptWord("STRINGTABLE")) {
                stringTable();
            } else {
                resource();
            }
        }
        for (const auto& [key, strings] : stringBlocks) {
            std::vector<uint8_t> data;
            for (const auto& s : strings) {
                put16(data, s ? static_cast<unsigned>(s->size()) : 0u);
                for (char16_t c : s.value_or(u""))
                    put16(data, c);
            }
            language = key.second;
            add(RtString, u"", key.first, std::move(data));
        }
    }
};

}  // namespace

std::vector<Resource> compileScript(const std::string& path, const ScriptOptions& options) {
    Parser p;
    p.includeDirs.assign(options.includeDirs.begin(), options.includeDirs.end());
    p.folders = {std::filesystem::path(path).parent_path()};
    p.folders.insert(p.folders.end(), p.includeDirs.begin(), p.includeDirs.end());
    p.lx = Lexer{
        path, findFile(path, {std::filesystem::path()}, path).bytes, 0, 1, &p.defines, &p.includeDirs, 0};
    p.script();
    std::stable_sort(p.out.begin(), p.out.end(), [](const Resource& a, const Resource& b) {
        bool aNamed = !a.typeName.empty(), bNamed = !b.typeName.empty();
        if (aNamed != bNamed) return !aNamed;
        if (a.type != b.type) return a.type < b.type;
        if (a.typeName != b.typeName) return a.typeName < b.typeName;
        if (a.id != b.id) return a.id < b.id;
        return a.language < b.language;
    });
    return p.out;
}

}  // namespace rescomp
