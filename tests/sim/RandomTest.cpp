#include "sim/Random.h"

#include <gtest/gtest.h>

using shamblex::Random;

TEST(Random, UnseededSequenceIsTheMicrosoftRuntimeSequence)
{
    Random random;
    int expected[] = { 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464 };
    for (int value : expected)
        EXPECT_EQ(random.next(), value);
}

TEST(Random, StartsFromAnyStateAndReducesWithRemainder)
{
    Random fromZero(0);
    EXPECT_EQ(fromZero.next(), 38); // (2531011 >> 16) & 0x7FFF

    Random random;
    EXPECT_EQ(random.below(10), 1); // 41 % 10
    EXPECT_EQ(random.below(4), 3); // 18467 % 4

    Random again(random.state());
    EXPECT_EQ(again.next(), random.next());
}

TEST(Random, ResultsStayWithinFifteenBits)
{
    Random random(0xDEADBEEF);
    for (int i = 0; i < 100000; ++i) {
        int value = random.next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, Random::maximum);
    }
}
