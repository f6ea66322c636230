// The generator: the minimal standard generator's known values, its division-free step against the
// device's half-word step on every kind of state, and the rules of seeding and drawing.
#include <gtest/gtest.h>

#include <cstdint>

#include "rules/random.h"
#include "tests/rules/draws.h"

namespace {

TEST(RandomSource, StepsTheMinimalStandardGenerator) {
    RandomSource::seed(1);
    EXPECT_EQ(RandomSource::next(), 16807u);
    EXPECT_EQ(RandomSource::next(), 282475249u);
    uint32_t value = 0;
    for (int i = 2; i < 10000; ++i)
        value = RandomSource::next();
    EXPECT_EQ(value, 1043618065u) << "the 10,000th value from seed 1";
}

TEST(RandomSource, SeedingKeepsTheStateInRangeAndBelowTakesTheRemainder) {
    const struct {
        uint32_t seed, state;
    } seeds[] = {{0, 1},
                 {0x80000000u, 1},
                 {0x80000005u, 5},
                 {0x7FFFFFFEu, 0x7FFFFFFEu},
                 {0x7FFFFFFFu, 0x7FFFFFFEu},
                 {0xFFFFFFFFu, 0x7FFFFFFEu}};
    for (const auto& s : seeds) {
        RandomSource::seed(s.seed);
        EXPECT_EQ(RandomSource::state, s.state) << "seed " << s.seed;
    }
    RandomSource::seed(1);
    EXPECT_EQ(RandomSource::below(0), 0u);
    EXPECT_EQ(RandomSource::state, 1u) << "below(0) must not advance the generator";
    EXPECT_EQ(RandomSource::below(10000), 6807u);
    EXPECT_EQ(RandomSource::below(0xFFFFFFFFu), 282475249u);
}

TEST(RandomSource, StepsAsTheDeviceDoesOnEveryKindOfState) {
    // In range and out of it (states set by hand): 0, bit 31 set, the modulus and around the places
    // where either fold is needed.
    for (uint32_t s : {0u, 1u, 2u, 127773u, 127774u, 0xFFFFu, 0x10000u, 0x7FFFFFFEu, 0x7FFFFFFFu, 0x80000000u,
                       0x80000001u, 0xFFFFFFFEu, 0xFFFFFFFFu, 537541721u}) {
        RandomSource::state = s;
        ASSERT_EQ(RandomSource::next(), draws::halfWordStep(s)) << s;
        ASSERT_EQ(RandomSource::step(s), draws::halfWordStep(s)) << s;
    }
    for (uint64_t s = 0; s <= 0xFFFFFFFFu; s += 65521) {  // spread over all 2^32 states
        ASSERT_EQ(RandomSource::step(static_cast<uint32_t>(s)), draws::halfWordStep(static_cast<uint32_t>(s))) << s;
        ASSERT_EQ(RandomSource::step(static_cast<uint32_t>(s + 17)),
                  draws::halfWordStep(static_cast<uint32_t>(s + 17)))
            << s + 17;
    }
    // Around each multiple of 2^31 / 16807, where the product's high part steps up by one.
    for (uint64_t q = 1; q < 2 * 16807u; ++q) {
        const auto edge = static_cast<uint32_t>(q * 0x80000000u / 16807u);
        for (uint32_t s = edge - 2; s != edge + 3; ++s)
            ASSERT_EQ(RandomSource::step(s), draws::halfWordStep(s)) << s;
    }
}

}  // namespace
