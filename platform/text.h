// Small text helpers shared by the platform, the program and the tools: UTF-16 to UTF-8 and strict
// decimal numbers.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 of a UTF-16 text. A surrogate pair becomes one 4-byte sequence; a lone surrogate is
// written as the 3-byte form of its own value.
inline std::string utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
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
