// The game's one random number generator: the Park-Miller minimal standard generator,
// stepped in 32-bit unsigned arithmetic without division.
#pragma once

#include <cstdint>

namespace RandomSource {

constexpr uint32_t Modulus = 0x7FFFFFFFu;  // 2^31 - 1
constexpr uint32_t Multiplier = 16807u;

// The generator's state, always within 1 to 2^31 - 2; 1 until seeded.
extern uint32_t state;

// The step on any state s: 16807 x s mod 2^31 - 1 for s from 1 to 2^31 - 2. The product fits in 46
// bits; its low 31 bits plus the rest (2^31 = 1 mod 2^31 - 1) and one fold finish it without a
// division. On every 32-bit s, in range or not, this is the value the device's step in 16-bit halves
// gives (checked on all 2^32 of them; the tests keep that form to compare). Pure, so a generator of
// one's own can be stepped with it.
constexpr uint32_t step(uint32_t s) {
    const uint64_t product = uint64_t{s} * Multiplier;
    uint32_t r = static_cast<uint32_t>(product & Modulus) + static_cast<uint32_t>(product >> 31);
    if (r > Modulus) r = (r & Modulus) + 1;
    return r;
}

// Advances the state (16807 x state mod 2^31 - 1) and returns it.
inline uint32_t next() {
    state = step(state);
    return state;
}

// next() modulo n; 0 without advancing when n is 0.
inline uint32_t below(uint32_t n) {
    if (n == 0) return 0;
    return next() % n;
}

// The state that seed(v) sets: v without bit 31; 0 becomes 1, and 2^31 - 1 (a fixed point of the
// step) becomes 2^31 - 2.
constexpr uint32_t seededState(uint32_t v) {
    uint32_t s = v & Modulus;
    if (s == 0) s = 1;
    if (s == Modulus) s = Modulus - 1;
    return s;
}

// The state becomes seededState(v).
inline void seed(uint32_t v) {
    state = seededState(v);
}

// The state count steps after s (s from 1 to 2^31 - 2): s x 16807^count mod 2^31 - 1, in about
// 2 log2(count) multiplications.
constexpr uint32_t jump(uint32_t s, uint64_t count) {
    uint64_t result = s;
    uint64_t power = Multiplier;
    while (count != 0) {
        if ((count & 1u) != 0) result = result * power % Modulus;
        power = power * power % Modulus;
        count >>= 1;
    }
    return static_cast<uint32_t>(result);
}

}  // namespace RandomSource
