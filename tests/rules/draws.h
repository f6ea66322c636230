// Generator states chosen so that the spin decision's next draws are the ones a test needs: the
// generator's step run backwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

namespace draws {

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
