#include "../../brains/BrainLibraries.h"

#include <gtest/gtest.h>

using namespace shamblex;
using namespace shamblex::test;

namespace {

constexpr std::uint32_t up = 0, down = 2;

SightReport sight(std::uint32_t kind, std::uint32_t distance)
{
    SightReport record;
    record.seenKind = kind;
    record.distance = distance;
    return record;
}

}

TEST(Lookout, RunsFromAZombieWithoutPanickingAndLooksBackAtIt)
{
    OneBrain lookout(lookoutPath, "lookout");
    ASSERT_GE(lookout.slot, 0);

    // Looking up: a zombie three cells ahead, open street to the left, a wall right
    // next to it on the right.
    BeingMind being;
    being.lookDirection = up;
    being.moveDirection = up;
    being.sightAhead = sight(1, 3);
    being.sightLeft = sight(0, 10);
    being.sightRight = sight(3, 1);
    lookout.call(being);
    EXPECT_EQ(being.moveDirection, down) << "straight away from the zombie";
    EXPECT_EQ(being.panicked, 0) << "a panicked being would lose its side sights";
    EXPECT_GT(being.panicCounter, 0u) << "it tells its own kind that it flees";
    EXPECT_EQ(being.lookDirection, up) << "the next call looks back, at the zombie";

    // Boxed in: something right next to it on every side it can see, and the way
    // back noted as a wall a moment ago.
    BeingMind boxed;
    boxed.lookDirection = up;
    boxed.sightAhead = sight(2, 1);
    boxed.sightLeft = sight(3, 1);
    boxed.sightRight = sight(1, 1);
    lookout.call(boxed);
    boxed.lookDirection = down;
    boxed.sightAhead = sight(3, 1);
    boxed.sightLeft = sight(1, 1);
    boxed.sightRight = sight(3, 1);
    lookout.call(boxed);
    EXPECT_EQ(boxed.moveDirection, 4u) << "it stands rather than walk into a zombie or a wall";
}
