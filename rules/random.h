// The game's one random number generator: the Park-Miller minimal standard generator,
// stepped in 32-bit unsigned arithmetic without division.
#pragma once

#include <cstdint>

namespace RandomSource {

// The generator's state, always within 1 to 2^31 - 2; 1 until seeded.
extern uint32_t state;

// Advances the state (16807 x state mod 2^31 - 1) and returns it.
uint32_t next();

// next() modulo n; 0 without advancing when n is 0.
uint32_t below(uint32_t n);

// The state becomes v without bit 31; 0 becomes 1, and 2^31 - 1 (a fixed point of the step)
// becomes 2^31 - 2.
void seed(uint32_t v);

}  // namespace RandomSource
