// A resource script compiler for the subset of the .rc language the game uses: LANGUAGE, #define,
// BITMAP, ICON and user-typed file resources, MENU, DIALOG, ACCELERATORS, RCDATA and STRINGTABLE.
#include "tools/rescomp/script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>

#include "tools/rescomp/bytes.h"

namespace rescomp {
namespace {

// ---- Text --------------------------------------------------------------------------------------

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// ---- Tokens ------------------------------------------------------------------------------------

enum class Tok {
    End,
    Number,
    String,
    Word,
    Comma,
    Pipe,
    Plus,
    Minus,
    Tilde,
    LParen,
    RParen,
    Begin,
    EndBlock
};

struct Token {
    Tok kind = Tok::End;
    std::string text;   // words upper-cased as written in the script are kept as written
    int64_t value = 0;  // numbers
    bool wide = false;  // L"..." strings; numbers with an L suffix
    int line = 0;
};

struct Lexer {
    std::string file;
    std::string src;
    size_t pos = 0;
    int line = 1;
    std::map<std::string, int64_t>* defines = nullptr;
    const std::vector<std::string>* includeDirs = nullptr;  // searched after the file's own folder
    int depth = 0;                                          // files that include this one
};

// Line 0 stands for the file as a whole.
[[noreturn]] void fail(const std::string& file, int line, const std::string& message) {
    throw ScriptError{file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + message};
}

// The whole of a regular file of at most MaxFileBytes; nullopt if there is no such file. A folder, a
// device or a file too large for a resource is an error at the given place.
constexpr std::uintmax_t MaxFileBytes = 16 * 1024 * 1024;

std::optional<std::string> readRegularFile(const std::filesystem::path& path, const std::string& name,
                                           const std::string& file, int line) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) return std::nullopt;
    if (!std::filesystem::is_regular_file(status)) fail(file, line, "\"" + name + "\" is not a regular file");
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) fail(file, line, "cannot read \"" + name + "\"");
    if (size > MaxFileBytes) fail(file, line, "\"" + name + "\" is larger than 16 MB");
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(file, line, "cannot read \"" + name + "\"");
    std::string bytes(static_cast<size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size()) ||
        in.peek() != std::ifstream::traits_type::eof())
        fail(file, line, "cannot read \"" + name + "\": it changed while being read");
    return bytes;
}

bool parseNumber(const std::string& text, int64_t& value, bool& isLong) {
    size_t i = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size()) return false;
    int64_t v = 0;
    isLong = false;
    bool digits = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d >= 0) {
            if (v > (int64_t{1} << 40)) return false;
            v = v * base + d;
            digits = true;
            continue;
        }
        // Suffixes: L (a 32-bit value in RCDATA) and U; nothing may follow them but more suffixes.
        for (; i < text.size(); ++i) {
            char s = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
            if (s == 'L')
                isLong = true;
            else if (s != 'U')
                return false;
        }
        break;
    }
    value = v;
    return digits;
}

Token nextToken(Lexer& lx);

// Includes a header of #define lines (and comments): its names become the script's.
void includeHeader(Lexer& lx, std::string name) {
    constexpr int MaxDepth = 16;
    if (name.size() < 2 || name.front() != '"' || name.back() != '"')
        fail(lx.file, lx.line, "#include takes a file name in double quotes");
    name = name.substr(1, name.size() - 2);
    if (lx.depth >= MaxDepth) fail(lx.file, lx.line, "#include nested too deeply: " + name);
    std::vector<std::filesystem::path> candidates = {std::filesystem::path(lx.file).parent_path() / name};
    if (lx.includeDirs != nullptr)
        for (const auto& dir : *lx.includeDirs)
            candidates.push_back(std::filesystem::path(dir) / name);
    for (const auto& c : candidates) {
        std::optional<std::string> text = readRegularFile(c, name, lx.file, lx.line);
        if (!text) continue;
        Lexer header{c.string(), std::move(*text), 0, 1, lx.defines, lx.includeDirs, lx.depth + 1};
        const Token t = nextToken(header);
        if (t.kind != Tok::End)
            fail(header.file, t.line, "an included file holds only directives and comments");
        return;
    }
    fail(lx.file, lx.line, "cannot find file \"" + name + "\"");
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
    if (word != "#define") fail(lx.file, lx.line, "unsupported directive " + word);
    std::string name, valueText, extra;
    in >> name >> valueText >> extra;
    if (name.empty() || valueText.empty() || !extra.empty())
        fail(lx.file, lx.line, "#define takes a name and one number");
    bool negative = false;
    if (valueText[0] == '-') {
        negative = true;
        valueText.erase(0, 1);
    }
    int64_t v = 0;
    bool isLong = false;
    if (!parseNumber(valueText, v, isLong)) {
        auto it = lx.defines->find(valueText);
        if (it == lx.defines->end()) fail(lx.file, lx.line, "#define value is not a number: " + valueText);
        v = it->second;
    }
    (*lx.defines)[name] = negative ? -v : v;
}

Token nextToken(Lexer& lx) {
    const std::string& s = lx.src;
    for (;;) {
        while (lx.pos < s.size() && std::isspace(static_cast<unsigned char>(s[lx.pos]))) {
            if (s[lx.pos] == '\n') ++lx.line;
            ++lx.pos;
        }
        if (lx.pos >= s.size()) return Token{Tok::End, "", 0, false, lx.line};
        if (s.compare(lx.pos, 2, "//") == 0) {
            while (lx.pos < s.size() && s[lx.pos] != '\n')
                ++lx.pos;
            continue;
        }
        if (s.compare(lx.pos, 2, "/*") == 0) {
            size_t end = s.find("*/", lx.pos + 2);
            if (end == std::string::npos) fail(lx.file, lx.line, "unterminated comment");
            for (size_t i = lx.pos; i < end; ++i)
                if (s[i] == '\n') ++lx.line;
            lx.pos = end + 2;
            continue;
        }
        if (s[lx.pos] == '#') {
            size_t end = s.find('\n', lx.pos);
            if (end == std::string::npos) end = s.size();
            handleDirective(lx, s.substr(lx.pos, end - lx.pos));
            lx.pos = end;
            continue;
        }
        break;
    }
    Token t;
    t.line = lx.line;
    char c = s[lx.pos];
    bool wideString = (c == 'L' && lx.pos + 1 < s.size() && s[lx.pos + 1] == '"');
    if (c == '"' || wideString) {
        if (wideString) ++lx.pos;
        ++lx.pos;
        std::string text;
        for (;;) {
            if (lx.pos >= s.size() || s[lx.pos] == '\n') fail(lx.file, t.line, "unterminated string");
            char ch = s[lx.pos++];
            if (ch == '"') {
                if (lx.pos < s.size() && s[lx.pos] == '"') {  // "" stands for one quote
                    text += '"';
                    ++lx.pos;
                    continue;
                }
                break;
            }
            if (ch == '\\' && lx.pos < s.size()) {
                char e = s[lx.pos++];
                switch (e) {
                    case 'n':
                        text += '\n';
                        break;
                    case 't':
                        text += '\t';
                        break;
                    case '\\':
                        text += '\\';
                        break;
                    case '"':
                        text += '"';
                        break;
                    case '0':
                        text += '\0';
                        break;
                    default:
                        fail(lx.file, t.line, std::string("unknown escape \\") + e);
                }
                continue;
            }
            text += ch;
        }
        t.kind = Tok::String;
        t.text = text;
        t.wide = wideString;
        return t;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
        size_t start = lx.pos;
        while (lx.pos < s.size() && std::isalnum(static_cast<unsigned char>(s[lx.pos])))
            ++lx.pos;
        t.text = s.substr(start, lx.pos - start);
        if (!parseNumber(t.text, t.value, t.wide)) fail(lx.file, t.line, "bad number " + t.text);
        t.kind = Tok::Number;
        return t;
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
        size_t start = lx.pos;
        while (lx.pos < s.size() && (std::isalnum(static_cast<unsigned char>(s[lx.pos])) || s[lx.pos] == '_'))
            ++lx.pos;
        t.text = s.substr(start, lx.pos - start);
        std::string u = upper(t.text);
        if (u == "BEGIN")
            t.kind = Tok::Begin;
        else if (u == "END")
            t.kind = Tok::EndBlock;
        else
            t.kind = Tok::Word;
        return t;
    }
    ++lx.pos;
    t.text = std::string(1, c);
    switch (c) {
        case ',':
            t.kind = Tok::Comma;
            break;
        case '|':
            t.kind = Tok::Pipe;
            break;
        case '+':
            t.kind = Tok::Plus;
            break;
        case '-':
            t.kind = Tok::Minus;
            break;
        case '~':
            t.kind = Tok::Tilde;
            break;
        case '(':
            t.kind = Tok::LParen;
            break;
        case ')':
            t.kind = Tok::RParen;
            break;
        case '{':
            t.kind = Tok::Begin;
            break;
        case '}':
            t.kind = Tok::EndBlock;
            break;
        default:
            fail(lx.file, t.line, std::string("unexpected character '") + c + "'");
    }
    return t;
}

// ---- Constants the scripts may name ----------------------------------------------------------------

const std::map<std::string, int64_t>& builtinConstants() {
    static const std::map<std::string, int64_t> constants = {
        {"WS_POPUP", 0x80000000},
        {"WS_CHILD", 0x40000000},
        {"WS_VISIBLE", 0x10000000},
        {"WS_DISABLED", 0x08000000},
        {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},
        {"WS_DLGFRAME", 0x00400000},
        {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000},
        {"WS_SYSMENU", 0x00080000},
        {"WS_GROUP", 0x00020000},
        {"WS_TABSTOP", 0x00010000},
        {"SS_LEFT", 0x0},
        {"SS_CENTER", 0x1},
        {"SS_RIGHT", 0x2},
        {"SS_ICON", 0x3},
        {"SS_NOPREFIX", 0x80},
        {"SS_CENTERIMAGE", 0x200},
        {"DS_ABSALIGN", 0x1},
        {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80},
        {"DS_SETFOREGROUND", 0x200},
        {"DS_CENTER", 0x800},
        {"BS_PUSHBUTTON", 0x0},
        {"BS_DEFPUSHBUTTON", 0x1},
        {"WS_EX_DLGMODALFRAME", 0x1},
        {"WS_EX_TOPMOST", 0x8},
        {"WS_EX_WINDOWEDGE", 0x100},
        {"WS_EX_CLIENTEDGE", 0x200},
        {"WS_EX_NODRAG", 0x40000000},
        {"WS_EX_CAPTIONOKBTN", 0x80000000},
    };
    return constants;
}

// ---- Parser ------------------------------------------------------------------------------------

struct Parser {
    Lexer lx;
    Token tok;
    std::map<std::string, int64_t> defines;
    std::filesystem::path scriptDir;
    ScriptOptions options;
    uint16_t language = 0x0409;
    uint16_t nextIconImage = 1;
    std::vector<Resource> out;
    std::map<std::pair<uint16_t, uint16_t>, std::array<std::optional<std::u16string>, 16>> stringBlocks;

    int expressionDepth = 0;  // primaries being read, one inside another
    int menuDepth = 0;        // menu levels being read, one inside another

    [[noreturn]] void error(const std::string& message) const { fail(lx.file, tok.line, message); }
    [[noreturn]] void errorAt(int line, const std::string& message) const { fail(lx.file, line, message); }

    // Counts one level of nesting for as long as it lives, refusing more than the limit.
    struct Nesting {
        int& depth;
        Nesting(const Parser& p, int& d, int limit, const char* what) : depth(d) {
            if (depth >= limit) p.error(std::string(what) + " nested too deeply");
            ++depth;
        }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        ~Nesting() { --depth; }
    };
    static constexpr int MaxExpressionDepth = 64;
    static constexpr int MaxMenuDepth = 16;

    // Results of arithmetic that leave the 64-bit range are errors rather than wrapping.
    enum class Op { Add, Subtract };
    int64_t arithmetic(int64_t a, Op op, int64_t b) const {
        int64_t v = 0;
        if (op == Op::Add ? __builtin_add_overflow(a, b, &v) : __builtin_sub_overflow(a, b, &v))
            error("value out of range");
        return v;
    }
    void advance() { tok = nextToken(lx); }
    bool isWord(const char* w) const { return tok.kind == Tok::Word && upper(tok.text) == w; }

    void expect(Tok kind, const char* what) {
        if (tok.kind != kind) error(std::string("expected ") + what + ", found '" + tok.text + "'");
        advance();
    }
    bool accept(Tok kind) {
        if (tok.kind != kind) return false;
        advance();
        return true;
    }
    void skipComma() { accept(Tok::Comma); }

    std::string takeString(const char* what) {
        if (tok.kind != Tok::String) error(std::string("expected ") + what);
        std::string s = tok.text;
        advance();
        return s;
    }
    std::u16string takeText(const char* what) {
        int line = tok.line;
        return utf16FromUtf8(takeString(what), lx.file + ":" + std::to_string(line));
    }

    // A number, a defined name or a constant, with unary minus, ~ and parentheses.
    int64_t primary() {
        const Nesting nesting(*this, expressionDepth, MaxExpressionDepth, "expression");
        if (accept(Tok::Minus)) return arithmetic(0, Op::Subtract, primary());
        if (accept(Tok::Tilde)) return ~primary();
        if (accept(Tok::LParen)) {
            int64_t v = expression();
            expect(Tok::RParen, "')'");
            return v;
        }
        if (tok.kind == Tok::Number) {
            int64_t v = tok.value;
            advance();
            return v;
        }
        if (tok.kind == Tok::Word) {
            auto d = defines.find(tok.text);
            if (d != defines.end()) {
                advance();
                return d->second;
            }
            auto c = builtinConstants().find(upper(tok.text));
            if (c != builtinConstants().end()) {
                advance();
                return c->second;
            }
            error("unknown name " + tok.text);
        }
        error("expected a number, found '" + tok.text + "'");
    }

    int64_t expression() {
        int64_t v = primary();
        for (;;) {
            if (accept(Tok::Pipe))
                v |= primary();
            else if (accept(Tok::Plus))
                v = arithmetic(v, Op::Add, primary());
            else if (accept(Tok::Minus))
                v = arithmetic(v, Op::Subtract, primary());
            else
                return v;
        }
    }

    // A style: bits ORed onto base, "NOT x" taking bits away.
    uint32_t style(uint32_t base) {
        uint32_t v = base;
        for (;;) {
            if (isWord("NOT")) {
                advance();
                v &= ~static_cast<uint32_t>(primary());
            } else {
                v |= static_cast<uint32_t>(primary());
            }
            if (!accept(Tok::Pipe)) return v;
        }
    }

    uint16_t word16(int64_t v) {
        if (v < -32768 || v > 65535) error("value " + std::to_string(v) + " does not fit 16 bits");
        return static_cast<uint16_t>(v & 0xFFFF);
    }

    bool startsExpression() const {
        return tok.kind == Tok::Number || tok.kind == Tok::Minus || tok.kind == Tok::Tilde ||
               tok.kind == Tok::LParen ||
               (tok.kind == Tok::Word &&
                (defines.count(tok.text) != 0 || builtinConstants().count(upper(tok.text)) != 0));
    }

    void skipMemoryFlags() {
        while (isWord("DISCARDABLE") || isWord("MOVEABLE") || isWord("FIXED") || isWord("PURE") ||
               isWord("IMPURE") || isWord("PRELOAD") || isWord("LOADONCALL"))
            advance();
    }

    std::vector<uint8_t> readFile(const std::string& name, int line) {
        std::vector<std::filesystem::path> candidates;
        std::filesystem::path p(name);
        if (p.is_absolute()) {
            candidates.push_back(p);
        } else {
            candidates.push_back(scriptDir / p);
            for (const auto& dir : options.includeDirs)
                candidates.push_back(std::filesystem::path(dir) / p);
        }
        for (const auto& c : candidates) {
            std::optional<std::string> bytes = readRegularFile(c, name, lx.file, line);
            if (bytes) return std::vector<uint8_t>(bytes->begin(), bytes->end());
        }
        errorAt(line, "cannot find file \"" + name + "\"");
    }

    void add(uint16_t type, const std::u16string& typeName, uint16_t id, std::vector<uint8_t> data,
             const std::string& source = {}) {
        for (const Resource& r : out)
            if (r.type == type && r.typeName == typeName && r.id == id && r.language == language)
                error("resource " + std::to_string(id) + " defined twice");
        Resource r;
        r.type = type;
        r.typeName = typeName;
        r.id = id;
        r.language = language;
        r.data = std::move(data);
        r.source = source;
        out.push_back(std::move(r));
    }

    // ---- File resources --------------------------------------------------------------------

    std::vector<uint8_t> bitmapFromFile(const std::string& name, const std::vector<uint8_t>& file, int line) {
        if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') errorAt(line, name + " is not a .bmp file");
        uint32_t offBits = get32(file, 10);
        uint32_t headerSize = get32(file, 14);
        uint32_t bits = get16(file, 28);
        uint32_t compression = get32(file, 30);
        uint32_t used = get32(file, 46);
        if (headerSize != 40) errorAt(line, name + ": only the 40-byte information header is supported");
        if (compression != 0) errorAt(line, name + ": compressed bitmaps are not supported");
        if (bits != 1 && bits != 4 && bits != 8 && bits != 24) errorAt(line, name + ": unsupported depth");
        const int32_t width = static_cast<int32_t>(get32(file, 18));
        const int32_t height = static_cast<int32_t>(get32(file, 22));
        if (get16(file, 26) != 1) errorAt(line, name + ": a bitmap has one plane");
        if (width <= 0 || height == 0 || height == INT32_MIN) errorAt(line, name + ": bad size");
        if (bits <= 8 && used > (1u << bits)) errorAt(line, name + ": more colours than the depth holds");
        uint32_t colours = bits <= 8 ? (used != 0 ? used : (1u << bits)) : used;
        if (offBits != 14 + 40 + 4 * static_cast<uint64_t>(colours))
            errorAt(line, name + ": colour table and pixels are not packed");
        // The pixels must all be there, or the program would find no bitmap at run time.
        const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
        const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
        if (file.size() < offBits + stride * rows) errorAt(line, name + ": the pixels are cut short");
        return std::vector<uint8_t>(file.begin() + 14, file.end());
    }

    void iconFromFile(uint16_t groupId, const std::string& name, const std::vector<uint8_t>& file, int line) {
        if (file.size() < 6 || get16(file, 0) != 0 || get16(file, 2) != 1)
            errorAt(line, name + " is not an .ico file");
        uint32_t count = get16(file, 4);
        if (count == 0 || file.size() < 6 + 16 * count) errorAt(line, name + ": bad icon directory");
        std::vector<uint8_t> group;
        put16(group, 0);
        put16(group, 1);
        put16(group, count);
        for (uint32_t i = 0; i < count; ++i) {
            size_t e = 6 + 16 * i;
            uint32_t bytes = get32(file, e + 8);
            uint32_t offset = get32(file, e + 12);
            if (offset > file.size() || bytes > file.size() - offset)
                errorAt(line, name + ": image outside the file");
            uint16_t imageId = nextIconImage++;
            add(RtIcon, u"", imageId,
                std::vector<uint8_t>(file.begin() + offset, file.begin() + offset + bytes), name);
            for (size_t k = 0; k < 8; ++k)
                put8(group, file[e + k]);  // size, colours, planes, depth
            put32(group, bytes);
            put16(group, imageId);
        }
        add(RtGroupIcon, u"", groupId, std::move(group), name);
    }

    std::vector<uint8_t> waveFromFile(const std::string& name, const std::vector<uint8_t>& file, int line) {
        if (file.size() < 12 || std::string(file.begin(), file.begin() + 4) != "RIFF" ||
            std::string(file.begin() + 8, file.begin() + 12) != "WAVE" || get32(file, 4) + 8 != file.size())
            errorAt(line, name + " is not a RIFF wave file");
        return file;
    }

    // ---- Statements --------------------------------------------------------------------------

    void menuItems(std::vector<uint8_t>& data) {
        const Nesting nesting(*this, menuDepth, MaxMenuDepth, "menu");
        expect(Tok::Begin, "BEGIN");
        struct Item {
            bool popup;
            uint16_t flags;
            uint16_t id;
            std::u16string text;
            std::vector<uint8_t> children;
        };
        std::vector<Item> items;
        while (!accept(Tok::EndBlock)) {
            Item item{false, 0, 0, u"", {}};
            if (isWord("POPUP")) {
                advance();
                item.popup = true;
                item.flags = 0x10;  // MF_POPUP
                item.text = takeText("popup text");
                item.flags = static_cast<uint16_t>(item.flags | menuOptions());
                menuItems(item.children);
            } else if (isWord("MENUITEM")) {
                advance();
                if (isWord("SEPARATOR")) {
                    advance();
                    item.flags = 0x800;  // MF_SEPARATOR
                } else {
                    item.text = takeText("menu item text");
                    expect(Tok::Comma, "','");
                    item.id = word16(expression());
                    item.flags = menuOptions();
                }
            } else {
                error("expected POPUP, MENUITEM or END");
            }
            items.push_back(std::move(item));
        }
        if (items.empty()) error("empty menu");
        for (size_t i = 0; i < items.size(); ++i) {
            const Item& item = items[i];
            unsigned flags = item.flags | (i + 1 == items.size() ? 0x80u : 0u);  // MF_END on the last
            put16(data, flags);
            if (!item.popup) put16(data, item.id);
            putString(data, item.text);
            data.insert(data.end(), item.children.begin(), item.children.end());
        }
    }

    uint16_t menuOptions() {
        unsigned flags = 0;
        while (accept(Tok::Comma) || tok.kind == Tok::Word) {
            if (tok.kind != Tok::Word) continue;
            std::string w = upper(tok.text);
            if (w == "CHECKED")
                flags |= 0x08;
            else if (w == "GRAYED")
                flags |= 0x01;
            else if (w == "INACTIVE")
                flags |= 0x02;
            else if (w == "MENUBARBREAK")
                flags |= 0x20;
            else if (w == "MENUBREAK")
                flags |= 0x40;
            else if (w == "HELP")
                flags |= 0x4000;
            else if (w == "POPUP" || w == "MENUITEM")
                break;
            else
                error("unknown menu option " + tok.text);
            advance();
        }
        return static_cast<uint16_t>(flags);
    }

    void menu(uint16_t id) {
        skipMemoryFlags();
        std::vector<uint8_t> data;
        put16(data, 0);  // version
        put16(data, 0);  // header size
        menuItems(data);
        add(RtMenu, u"", id, std::move(data));
    }

    // A text or an ordinal (a number), as a dialog item title.
    void putTitle(std::vector<uint8_t>& data) {
        if (tok.kind == Tok::String) {
            putString(data, takeText("text"));
        } else {
            put16(data, 0xFFFF);
            put16(data, word16(expression()));
        }
    }

    struct Control {
        std::vector<uint8_t> title;
        uint16_t id = 0;
        std::vector<uint8_t> cls;
        uint32_t style = 0;
        uint32_t exStyle = 0;
        int64_t x = 0, y = 0, w = 0, h = 0;
    };

    Control control() {
        Control c;
        constexpr uint32_t childVisible = 0x40000000 | 0x10000000;
        std::string kind = upper(tok.text);
        advance();
        auto ordinalClass = [](uint16_t ordinal) {
            std::vector<uint8_t> v;
            put16(v, 0xFFFF);
            put16(v, ordinal);
            return v;
        };
        if (kind == "CONTROL") {
            putTitle(c.title);
            expect(Tok::Comma, "','");
            c.id = word16(expression());
            expect(Tok::Comma, "','");
            std::string cls = upper(takeString("control class"));
            static const std::map<std::string, uint16_t> classes = {{"BUTTON", 0x80},    {"EDIT", 0x81},
                                                                    {"STATIC", 0x82},    {"LISTBOX", 0x83},
                                                                    {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85}};
            auto found = classes.find(cls);
            if (found == classes.end()) error("unknown control class " + cls);
            c.cls = ordinalClass(found->second);
            expect(Tok::Comma, "','");
            c.style = style(childVisible);
            expect(Tok::Comma, "','");
            c.x = expression();
            expect(Tok::Comma, "','");
            c.y = expression();
            expect(Tok::Comma, "','");
            c.w = expression();
            expect(Tok::Comma, "','");
            c.h = expression();
            if (accept(Tok::Comma)) c.exStyle = style(0);
            return c;
        }
        uint32_t base = 0;
        uint16_t cls = 0x82;
        bool sizeOptional = false;
        if (kind == "LTEXT")
            base = 0x0 | 0x00020000;
        else if (kind == "CTEXT")
            base = 0x1 | 0x00020000;
        else if (kind == "RTEXT")
            base = 0x2 | 0x00020000;
        else if (kind == "ICON") {
            base = 0x3;
            sizeOptional = true;
        } else if (kind == "PUSHBUTTON") {
            base = 0x00010000;
            cls = 0x80;
        } else if (kind == "DEFPUSHBUTTON") {
            base = 0x1 | 0x00010000;
            cls = 0x80;
        } else {
            error("unknown dialog control " + kind);
        }
        c.cls = ordinalClass(cls);
        putTitle(c.title);
        expect(Tok::Comma, "','");
        c.id = word16(expression());
        expect(Tok::Comma, "','");
        c.x = expression();
        expect(Tok::Comma, "','");
        c.y = expression();
        c.style = childVisible | base;
        if (sizeOptional && tok.kind != Tok::Comma) return c;
        expect(Tok::Comma, "','");
        c.w = expression();
        expect(Tok::Comma, "','");
        c.h = expression();
        if (accept(Tok::Comma)) c.style = style(c.style);
        if (accept(Tok::Comma)) c.exStyle = style(0);
        return c;
    }

    void dialog(uint16_t id) {
        skipMemoryFlags();
        int64_t x = expression();
        expect(Tok::Comma, "','");
        int64_t y = expression();
        expect(Tok::Comma, "','");
        int64_t w = expression();
        expect(Tok::Comma, "','");
        int64_t h = expression();
        uint32_t dlgStyle = 0x80000000 | 0x00800000 | 0x00080000;  // WS_POPUP | WS_BORDER | WS_SYSMENU
        uint32_t exStyle = 0;
        std::u16string caption;
        std::optional<std::pair<uint16_t, std::u16string>> font;
        for (;;) {
            if (isWord("STYLE")) {
                advance();
                dlgStyle = style(0);
            } else if (isWord("EXSTYLE")) {
                advance();
                exStyle = style(0);
            } else if (isWord("CAPTION")) {
                advance();
                caption = takeText("caption");
                dlgStyle |= 0x00C00000;  // WS_CAPTION
            } else if (isWord("FONT")) {
                advance();
                uint16_t points = word16(expression());
                expect(Tok::Comma, "','");
                font = std::make_pair(points, takeText("font name"));
                dlgStyle |= 0x40;  // DS_SETFONT
            } else {
                break;
            }
        }
        expect(Tok::Begin, "BEGIN");
        std::vector<Control> controls;
        while (!accept(Tok::EndBlock)) {
            if (tok.kind != Tok::Word) error("expected a dialog control");
            controls.push_back(control());
        }
        std::vector<uint8_t> data;
        put32(data, dlgStyle);
        put32(data, exStyle);
        put16(data, static_cast<unsigned>(controls.size()));
        put16(data, word16(x));
        put16(data, word16(y));
        put16(data, word16(w));
        put16(data, word16(h));
        put16(data, 0);  // no menu
        put16(data, 0);  // the standard dialog class
        putString(data, caption);
        if (font) {
            put16(data, font->first);
            putString(data, font->second);
        }
        for (const Control& c : controls) {
            alignTo4(data);
            put32(data, c.style);
            put32(data, c.exStyle);
            put16(data, word16(c.x));
            put16(data, word16(c.y));
            put16(data, word16(c.w));
            put16(data, word16(c.h));
            put16(data, c.id);
            data.insert(data.end(), c.cls.begin(), c.cls.end());
            data.insert(data.end(), c.title.begin(), c.title.end());
            put16(data, 0);  // no creation data
        }
        add(RtDialog, u"", id, std::move(data));
    }

    void accelerators(uint16_t id) {
        skipMemoryFlags();
        expect(Tok::Begin, "BEGIN");
        struct Entry {
            uint16_t flags, key, command;
        };
        std::vector<Entry> entries;
        while (!accept(Tok::EndBlock)) {
            Entry e{0, 0, 0};
            bool fromString = false;
            if (tok.kind == Tok::String) {
                std::string key = tok.text;
                advance();
                fromString = true;
                if (key.size() == 2 && key[0] == '^')
                    e.key = static_cast<uint16_t>(std::toupper(key[1]) - '@');
                else if (key.size() == 1)
                    e.key = static_cast<unsigned char>(key[0]);
                else
                    error("an accelerator key is one character");
            } else {
                e.key = word16(expression());
            }
            expect(Tok::Comma, "','");
            e.command = word16(expression());
            unsigned flags = 0;
            while (accept(Tok::Comma)) {
                std::string w = upper(tok.text);
                if (w == "VIRTKEY")
                    flags |= 0x01;
                else if (w == "NOINVERT")
                    flags |= 0x02;
                else if (w == "SHIFT")
                    flags |= 0x04;
                else if (w == "CONTROL")
                    flags |= 0x08;
                else if (w == "ALT")
                    flags |= 0x10;
                else if (w != "ASCII")
                    error("unknown accelerator option " + tok.text);
                advance();
            }
            if ((flags & 0x01) != 0 && fromString)
                e.key = static_cast<uint16_t>(std::toupper(e.key));  // virtual keys of letters are upper case
            e.flags = static_cast<uint16_t>(flags);
            entries.push_back(e);
        }
        if (entries.empty()) error("empty accelerator table");
        std::vector<uint8_t> data;
        for (size_t i = 0; i < entries.size(); ++i) {
            put16(data, entries[i].flags | (i + 1 == entries.size() ? 0x80u : 0u));
            put16(data, entries[i].key);
            put16(data, entries[i].command);
            put16(data, 0);
        }
        add(RtAccelerator, u"", id, std::move(data));
    }

    void rcdataBlock(uint16_t type, const std::u16string& typeName, uint16_t id) {
        expect(Tok::Begin, "BEGIN");
        std::vector<uint8_t> data;
        while (!accept(Tok::EndBlock)) {
            if (tok.kind == Tok::String) {
                bool wide = tok.wide;
                std::u16string text = takeText("data");
                for (char16_t ch : text) {
                    if (wide)
                        put16(data, ch);
                    else if (ch > 0x7F)
                        error("narrow strings in data must be ASCII");
                    else
                        put8(data, ch);
                }
            } else {
                bool isLong = tok.kind == Tok::Number && tok.wide;
                int64_t v = expression();
                if (isLong && (v < INT32_MIN || v > UINT32_MAX))
                    error("value " + std::to_string(v) + " does not fit 32 bits");
                if (isLong)
                    put32(data, static_cast<uint32_t>(v));
                else
                    put16(data, word16(v));
            }
            skipComma();
        }
        add(type, typeName, id, std::move(data));
    }

    void stringTable() {
        skipMemoryFlags();
        expect(Tok::Begin, "BEGIN");
        while (!accept(Tok::EndBlock)) {
            uint16_t id = word16(expression());
            skipComma();
            std::u16string text = takeText("string");
            auto& block = stringBlocks[{static_cast<uint16_t>(id / 16 + 1), language}];
            if (block[id % 16]) error("string " + std::to_string(id) + " defined twice");
            block[id % 16] = text;
        }
    }

    void resource() {
        uint16_t id = word16(expression());
        if (tok.kind == Tok::Number) {  // a numbered type with a file
            uint16_t type = word16(expression());
            skipMemoryFlags();
            const int line = tok.line;
            std::string name = takeString("file name");
            add(type, u"", id, readFile(name, line), name);
            return;
        }
        if (tok.kind != Tok::Word) error("expected a resource type");
        std::string type = upper(tok.text);
        advance();
        if (type == "MENU") return menu(id);
        if (type == "DIALOG") return dialog(id);
        if (type == "ACCELERATORS") return accelerators(id);
        skipMemoryFlags();
        if (type == "BITMAP") {
            const int line = tok.line;
            std::string name = takeString("bitmap file name");
            add(RtBitmap, u"", id, bitmapFromFile(name, readFile(name, line), line), name);
        } else if (type == "ICON") {
            const int line = tok.line;
            std::string name = takeString("icon file name");
            iconFromFile(id, name, readFile(name, line), line);
        } else if (type == "RCDATA") {
            if (tok.kind == Tok::String) {
                const int line = tok.line;
                std::string name = takeString("file name");
                add(RtRcdata, u"", id, readFile(name, line), name);
            } else {
                rcdataBlock(RtRcdata, u"", id);
            }
        } else {
            std::u16string typeName = utf16FromUtf8(type, lx.file);
            if (tok.kind == Tok::String) {
                const int line = tok.line;
                std::string name = takeString("file name");
                std::vector<uint8_t> file = readFile(name, line);
                if (type == "WAVE") file = waveFromFile(name, file, line);
                add(0, typeName, id, std::move(file), name);
            } else {
                rcdataBlock(0, typeName, id);
            }
        }
    }

    void script() {
        advance();
        while (tok.kind != Tok::End) {
            if (isWord("LANGUAGE")) {
                advance();
                int64_t primaryLang = expression();
                expect(Tok::Comma, "','");
                int64_t subLang = expression();
                language = static_cast<uint16_t>(((subLang & 0x3F) << 10) | (primaryLang & 0x3FF));
            } else if (isWord("STRINGTABLE")) {
                advance();
                stringTable();
            } else if (startsExpression()) {
                resource();
            } else {
                error("unexpected '" + tok.text + "'");
            }
        }
        for (const auto& [key, strings] : stringBlocks) {
            std::vector<uint8_t> data;
            for (const auto& s : strings) {
                put16(data, s ? static_cast<unsigned>(s->size()) : 0u);
                if (s)
                    for (char16_t c : *s)
                        put16(data, c);
            }
            uint16_t saved = language;
            language = key.second;
            add(RtString, u"", key.first, std::move(data));
            language = saved;
        }
    }
};

}  // namespace

std::u16string utf16FromUtf8(const std::string& text, const std::string& place) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i]);
        uint32_t cp = 0;
        size_t n = 0;
        if (b < 0x80) {
            cp = b;
            n = 1;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1Fu;
            n = 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0Fu;
            n = 3;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07u;
            n = 4;
        } else {
            throw ScriptError{place + ": malformed UTF-8"};
        }
        if (i + n > text.size()) throw ScriptError{place + ": malformed UTF-8"};
        for (size_t k = 1; k < n; ++k) {
            auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) throw ScriptError{place + ": malformed UTF-8"};
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

std::vector<Resource> compileScript(const std::string& path, const ScriptOptions& options) {
    std::optional<std::string> text = readRegularFile(path, path, path, 0);
    if (!text) throw ScriptError{path + ": cannot read the script"};
    Parser p;
    p.lx.file = path;
    p.lx.src = std::move(*text);
    p.lx.defines = &p.defines;
    p.lx.includeDirs = &options.includeDirs;
    p.scriptDir = std::filesystem::path(path).parent_path();
    p.options = options;
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
