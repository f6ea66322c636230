// Small text helpers shared by the platform, the program and the tools: UTF-16 to UTF-8, strict
// decimal numbers, and outside text made safe to show in a message.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 of a UTF-16 text. A surrogate pair becomes one 4-byte sequence; a lone surrogate is
// written as the 3-byte form of its own value.
inline std::string utf8FromUtf16(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        const int more = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;  // continuation bytes
        out += static_cast<char>(more == 0 ? c : ((0xFF80u >> more) & 0xFF) | (c >> (6 * more)));
        for (int k = more - 1; k >= 0; --k)
            out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    return out;
}

// How escapedText shows a backslash: doubled, in a message; or as \x5c, where a doubled one could
// still end a line and join the next to it (a C++ comment).
enum class Backslash { Doubled, Hex };

// Bytes shown safely in a message or a comment: printable ASCII as it is, the backslash as said,
// any other byte as \xHH, so nothing reaches a terminal as a control or ends a line; cut after
// `most` bytes with "...".
inline std::string escapedText(std::string_view text, size_t most = std::string_view::npos,
                               Backslash backslash = Backslash::Doubled) {
    std::string out;
    for (const char c : text.substr(0, most)) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\' && backslash == Backslash::Doubled) {
            out += "\\\\";
        } else if (b >= 0x20 && b < 0x7F && c != '\\') {
            out += c;
        } else {
            out.append("\\x").append(1, "0123456789abcdef"[b >> 4]).append(1, "0123456789abcdef"[b & 0xF]);
        }
    }
    if (text.size() > most) out += "...";
    return out;
}

// A strict unsigned decimal: digits only (no sign, space or prefix), the whole text, at most max.
inline bool parseDecimal(std::string_view text, uint64_t max, uint64_t& value) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return false;
    uint64_t v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || v > max) return false;
    value = v;
    return true;
}
