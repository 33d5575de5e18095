#include "../../brains/BrainLibraries.h"
#include "sim/Behaviours.h"
#include "sim/Population.h"
#include "sim/Random.h"

#include <gtest/gtest.h>

using namespace shamblex;
using namespace shamblex::test;

TEST(Baseline, PlaysTheBuiltInHumanRuleDrawForDraw)
{
    // The plug-in's generator starts where the host's does; given the same beings
    // and sights, the two must make the same moves with the same draws.
    OneBrain baseline(baselinePath, "baseline");
    ASSERT_GE(baseline.slot, 0);
    Random hostRule(Random::defaultState);
    Random inputs(2024);
    const std::uint32_t counters[] = { 0, 0, 0, 1, 2, 10 };
    for (int call = 0; call < 3000; ++call) {
        Actor actor = freshHuman(0, 0);
        actor.lookDirection = static_cast<std::uint32_t>(inputs.below(5));
        actor.moveDirection = static_cast<std::uint32_t>(inputs.below(5));
        actor.panicked = static_cast<std::uint8_t>(inputs.below(3));
        actor.panicCounter = counters[inputs.below(6)];
        SightReport ahead;
        ahead.seenKind = static_cast<std::uint32_t>(inputs.below(4));
        ahead.distance = static_cast<std::uint32_t>(1 + inputs.below(10));
        ahead.seenPanicked = static_cast<std::uint8_t>(inputs.below(3));

        BeingMind record;
        record.lookDirection = actor.lookDirection;
        record.moveDirection = actor.moveDirection;
        record.panicked = actor.panicked;
        record.panicCounter = actor.panicCounter;
        record.sightAhead = ahead;
        baseline.call(record);
        runDefaultHumanRule(actor, ahead, hostRule);

        ASSERT_EQ(record.lookDirection, actor.lookDirection) << "call " << call;
        ASSERT_EQ(record.moveDirection, actor.moveDirection) << "call " << call;
        ASSERT_EQ(record.panicked, actor.panicked) << "call " << call;
        ASSERT_EQ(record.panicCounter, actor.panicCounter) << "call " << call;
    }
}
