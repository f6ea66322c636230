#include <gtest/gtest.h>

#include <cstdint>

#include "rules/random.h"

namespace {

uint64_t reference(uint64_t state) {
    return state * 16807u % 2147483647u;
}

TEST(RandomSource, StepsTheMinimalStandardGenerator) {
    RandomSource::seed(1);
    EXPECT_EQ(RandomSource::next(), 16807u);
    EXPECT_EQ(RandomSource::next(), 282475249u);
    EXPECT_EQ(RandomSource::next(), 1622650073u);
    RandomSource::seed(1);
    uint32_t value = 0;
    for (int i = 0; i < 10000; ++i)
        value = RandomSource::next();
    EXPECT_EQ(value, 1043618065u);
}

TEST(RandomSource, MatchesTheDivisionFormulaAcrossTheRange) {
    // The division-free step must agree with the plain formula everywhere, the extremes included.
    const uint32_t states[] = {1u,       2u,          16807u,      127773u,     127774u,     0xFFFFu,
                               0x10000u, 0x7FFFFFFEu, 0x7FFFFFFDu, 0x40000000u, 0x3FFFFFFFu, 1043618065u};
    for (uint32_t s : states) {
        RandomSource::state = s;
        EXPECT_EQ(RandomSource::next(), reference(s)) << s;
    }
    uint32_t s = 12345;
    for (int i = 0; i < 200000; ++i) {
        s = s * 2654435761u % 0x7FFFFFFEu + 1u;  // spread over 1 .. 2^31 - 2
        RandomSource::state = s;
        ASSERT_EQ(RandomSource::next(), reference(s)) << s;
    }
}

TEST(RandomSource, SeedingKeepsTheStateInRange) {
    RandomSource::seed(0);
    EXPECT_EQ(RandomSource::state, 1u);
    RandomSource::seed(0x80000000u);
    EXPECT_EQ(RandomSource::state, 1u);
    RandomSource::seed(0x80000005u);
    EXPECT_EQ(RandomSource::state, 5u);
    // 2^31 - 1 would be a fixed point of the step; it is brought into range.
    RandomSource::seed(0x7FFFFFFFu);
    EXPECT_GE(RandomSource::state, 1u);
    EXPECT_LE(RandomSource::state, 0x7FFFFFFEu);
    const uint32_t before = RandomSource::state;
    EXPECT_NE(RandomSource::next(), before);
    RandomSource::seed(0xFFFFFFFFu);
    EXPECT_LE(RandomSource::state, 0x7FFFFFFEu);
    RandomSource::seed(0x7FFFFFFEu);
    EXPECT_EQ(RandomSource::state, 0x7FFFFFFEu);
}

TEST(RandomSource, BelowTakesTheRemainder) {
    RandomSource::seed(1);
    EXPECT_EQ(RandomSource::below(0), 0u);
    EXPECT_EQ(RandomSource::state, 1u) << "below(0) must not advance the generator";
    EXPECT_EQ(RandomSource::below(10000), 16807u % 10000u);
    EXPECT_EQ(RandomSource::below(1), 0u);
    EXPECT_EQ(RandomSource::state, 282475249u);
    RandomSource::seed(7);
    for (int i = 0; i < 1000; ++i)
        ASSERT_LT(RandomSource::below(18), 18u);
    RandomSource::seed(1);
    EXPECT_EQ(RandomSource::below(0xFFFFFFFFu), 16807u);
}

}  // namespace
