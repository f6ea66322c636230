#include "rules/random.h"

namespace RandomSource {

uint32_t state = 1;

// The step and the jump agree with the plain formula on the minimal standard's known values.
static_assert(step(1) == 16807u && step(16807u) == 282475249u);
static_assert(step(Modulus - 1) == Modulus - Multiplier);
static_assert(jump(1, 10000) == 1043618065u, "the 10,000th value from seed 1");

}  // namespace RandomSource
