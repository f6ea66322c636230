// Little-endian byte building and reading for the binary resource formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rescomp {

inline void put8(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v & 0xFFu));
}

inline void put16(std::vector<uint8_t>& out, unsigned v) {
    put8(out, v);
    put8(out, v >> 8);
}

inline void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

// A UTF-16 string with its terminating 0.
inline void putString(std::vector<uint8_t>& out, const std::u16string& s) {
    for (char16_t c : s)
        put16(out, c);
    put16(out, 0);
}

inline void alignTo4(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0)
        out.push_back(0);
}

inline uint32_t get16(const std::vector<uint8_t>& in, size_t at) {
    if (at + 2 > in.size()) return 0;
    return static_cast<uint32_t>(in[at] | (in[at + 1] << 8));
}

inline uint32_t get32(const std::vector<uint8_t>& in, size_t at) {
    if (at + 4 > in.size()) return 0;
    return get16(in, at) | (get16(in, at + 2) << 16);
}

}  // namespace rescomp
