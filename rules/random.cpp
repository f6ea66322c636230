#include "rules/random.h"

namespace RandomSource {

namespace {
constexpr uint32_t Modulus = 0x7FFFFFFFu;  // 2^31 - 1
constexpr uint32_t Multiplier = 16807u;
}  // namespace

uint32_t state = 1;

uint32_t next() {
    const uint32_t lo = state & 0xFFFFu;
    const uint32_t hi = state >> 16;
    const uint32_t pLo = lo * Multiplier;
    const uint32_t pHi = hi * Multiplier;
    uint32_t r = pLo + ((pHi & 0x7FFFu) << 16);
    if (r > Modulus) r = (r & Modulus) + 1;
    r += pHi >> 15;
    if (r > Modulus) r = (r & Modulus) + 1;
    state = r;
    return r;
}

uint32_t below(uint32_t n) {
    if (n == 0) return 0;
    return next() % n;
}

void seed(uint32_t v) {
    state = v & Modulus;
    if (state == 0) state = 1;
    if (state == Modulus) state = Modulus - 1;
}

}  // namespace RandomSource
