// Generator states chosen so that the spin decision's next draws are the ones a test needs: the
// generator's step run backwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

namespace draws {

// The device's step, in 16-bit halves: the form the game's step must agree with on every 32-bit state.
inline uint32_t halfWordStep(uint32_t s) {
    const uint32_t lo = s & 0xFFFFu;
    const uint32_t hi = s >> 16;
    const uint32_t pLo = lo * 16807u;
    const uint32_t pHi = hi * 16807u;
    uint32_t r = pLo + ((pHi & 0x7FFFu) << 16);
    if (r > 0x7FFFFFFFu) r = (r & 0x7FFFFFFFu) + 1;
    r += pHi >> 15;
    if (r > 0x7FFFFFFFu) r = (r & 0x7FFFFFFFu) + 1;
    return r;
}

// The state before value (16807 x 1407677000 = 1 modulo 2^31 - 1).
inline uint32_t previous(uint64_t value) {
    return static_cast<uint32_t>(value * 1407677000u % 2147483647u);
}

// A state from which the next two below(10000) draws are first and second.
inline uint32_t stateForDraws(uint32_t first, uint32_t second) {
    for (uint64_t x2 = second == 0 ? 10000 : second; x2 < 2147483647u; x2 += 10000) {
        const uint32_t x1 = previous(x2);
        if (x1 % 10000 == first) return previous(x1);
    }
    ADD_FAILURE() << "no state gives the draws " << first << ", " << second;
    return 1;
}

}  // namespace draws
