#include "sim/World.h"

#include "TestWorld.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace shamblex;
using shamblex::test::TestWorld;

namespace {

bool isAllZero(const SightReport& record)
{
    return record == SightReport {};
}

// A brain name that no loaded brain answers to: such a human keeps its directions.
const std::string steadyBrain = "steady";

}

TEST(Direction, TurnsAndStepsFollowTheCompass)
{
    EXPECT_EQ(turnLeft(Direction::Up), Direction::Left);
    EXPECT_EQ(turnRight(Direction::Left), Direction::Up);
    EXPECT_EQ(turnAround(Direction::Right), Direction::Left);
    EXPECT_EQ(turnLeft(Direction::None), Direction::None);
    EXPECT_EQ(turnRight(static_cast<Direction>(7)), Direction::None);
    std::int32_t x = 5, y = 5;
    stepInDirection(Direction::Up, x, y);
    stepInDirection(Direction::Right, x, y);
    stepInDirection(static_cast<Direction>(9), x, y);
    EXPECT_EQ(x, 6);
    EXPECT_EQ(y, 4);
}

TEST(Sight, StopsAtTheFirstThingOrTheEdgeOrTheRange)
{
    TestWorld world(20, 20);
    Actor& viewer = world.put(3, 5, CellKind::Human, Direction::Right, Direction::None);
    world.wall(7, 5);
    World w = world.world();

    SightReport record;
    w.lookInto(viewer, Direction::Right, record);
    EXPECT_EQ(record.seenKind, 3u);
    EXPECT_EQ(record.distance, 4u);
    EXPECT_EQ(record.peerCounter + record.seenSerial + record.sameBrain + record.seenPanicked, 0u);

    World::Sight edge = w.scan(2, 0, Direction::Left, 10);
    EXPECT_EQ(edge.kind, CellKind::Wall);
    EXPECT_EQ(edge.distance, 3) << "the probe leaves the board on its third step";

    w.lookInto(viewer, Direction::Down, record);
    EXPECT_EQ(record.seenKind, 0u);
    EXPECT_EQ(record.distance, 10u);
    EXPECT_EQ(w.scan(3, 5, Direction::Up, 1).distance, 1);
}

TEST(Sight, ReportsTheSeenBeingAndWhetherItSharesTheBrain)
{
    TestWorld world(20, 12);
    Actor& viewer = world.put(3, 5, CellKind::Human, Direction::Down, Direction::None, "alpha");
    Actor& peer = world.put(3, 7, CellKind::Human, Direction::Up, Direction::None, "alpha");
    peer.panicCounter = 7;
    peer.panicked = 3;
    peer.serialNumber = 4000000000u;
    Actor& stranger = world.put(9, 5, CellKind::Human, Direction::Up, Direction::None, "Alpha");
    stranger.panicCounter = 7;
    stranger.panicked = 1;
    stranger.serialNumber = 5;
    World w = world.world();

    SightReport record;
    w.lookInto(viewer, Direction::Down, record);
    EXPECT_EQ(record.seenKind, 2u);
    EXPECT_EQ(record.distance, 2u);
    EXPECT_EQ(record.sameBrain, 1);
    EXPECT_EQ(record.peerCounter, 7u);
    EXPECT_EQ(record.seenPanicked, 3);
    EXPECT_EQ(record.seenSerial, 4000000000u);

    w.lookInto(viewer, Direction::Right, record);
    EXPECT_EQ(record.sameBrain, 0) << "brain names compare case-sensitively";
    EXPECT_EQ(record.peerCounter, 0u);
    EXPECT_EQ(record.seenPanicked, 1);
    EXPECT_EQ(record.seenSerial, 5u);

    // Along no direction the probe stays home and sees the viewer itself.
    viewer.panicCounter = 4;
    w.lookInto(viewer, static_cast<Direction>(12), record);
    EXPECT_EQ(record.seenKind, 2u);
    EXPECT_EQ(record.distance, 1u);
    EXPECT_EQ(record.sameBrain, 1);
    EXPECT_EQ(record.peerCounter, 4u);
}

TEST(Movement, HumansStepEverySecondFrameAndZombiesEveryFourth)
{
    TestWorld world(20, 5);
    Actor& human = world.put(3, 1, CellKind::Human, Direction::Right, Direction::Right, steadyBrain);
    Actor& zombie = world.put(10, 3, CellKind::Zombie, Direction::Right, Direction::Right);
    zombie.panicCounter = 100; // a running chase keeps a smart zombie from turning
    World w = world.world();
    std::vector<std::int32_t> humanX, zombieX;
    for (int frame = 0; frame < 4; ++frame) {
        world.update(human, w);
        world.update(zombie, w);
        humanX.push_back(human.x);
        zombieX.push_back(zombie.x);
    }
    EXPECT_EQ(humanX, (std::vector<std::int32_t> { 3, 4, 4, 5 }));
    EXPECT_EQ(zombieX, (std::vector<std::int32_t> { 10, 10, 10, 11 }));
    EXPECT_EQ(world.kind(5, 1), CellKind::Human);
    EXPECT_EQ(world.population.occupant(world.board.index(5, 1)), world.indexOf(human));
    EXPECT_EQ(world.kind(4, 1), CellKind::Empty);
    EXPECT_EQ(world.population.occupant(world.board.index(3, 1)), noActor);
}

TEST(Movement, HumanThatWalksIntoAZombieBecomesOne)
{
    TestWorld world(10, 5);
    Actor& human = world.put(3, 2, CellKind::Human, Direction::Right, Direction::Right, steadyBrain);
    world.put(4, 2, CellKind::Zombie, Direction::Up, Direction::None);
    human.serialNumber = 8;
    World w = world.world();

    world.update(human, w);
    EXPECT_EQ(human.kind(), CellKind::Human) << "1024 credit buys no step yet";
    world.update(human, w);
    EXPECT_EQ(human.kind(), CellKind::Zombie);
    EXPECT_EQ(world.names.name(human.brain), "Zombie");
    EXPECT_EQ(human.mind, Actor::noMind) << "a zombie loses its brain and its mind";
    EXPECT_EQ(human.lookDir(), Direction::Up);
    EXPECT_EQ(human.moveDir(), Direction::None);
    EXPECT_EQ(human.moveCredit, 0);
    EXPECT_EQ(human.serialNumber, 0u);
    EXPECT_EQ(human.x, 3);
    EXPECT_EQ(world.kind(3, 2), CellKind::Zombie);
}

TEST(Movement, InfectedHumanNoLongerShowsPanicOnItsCell)
{
    // Built-in humans read a seen being's panic from the mark on its cell, so an
    // infection must clear that mark at once, not at the victim's next update.
    TestWorld world(10, 5);
    Actor& victim = world.put(5, 2, CellKind::Human, Direction::Right, Direction::None, steadyBrain);
    victim.panicked = 1;
    world.board.markAt(world.board.index(5, 2), CellKind::Human, true);
    Actor& zombie = world.put(4, 2, CellKind::Zombie, Direction::Right, Direction::None);
    World w = world.world();
    ASSERT_TRUE(world.board.markedPanicked(world.board.index(5, 2)));

    w.infectCellAhead(zombie);
    EXPECT_EQ(victim.kind(), CellKind::Zombie);
    EXPECT_FALSE(world.board.markedPanicked(world.board.index(5, 2)));
}

TEST(Movement, BlockedStepsStillCostTheirCredit)
{
    TestWorld world(6, 3);
    Actor& human = world.put(5, 1, CellKind::Human, Direction::Right, Direction::Right, steadyBrain);
    World w = world.world();
    world.update(human, w);
    world.update(human, w);
    EXPECT_EQ(human.x, 5);
    EXPECT_EQ(human.moveCredit, 0) << "the edge ahead";

    Actor& blocked = world.put(1, 1, CellKind::Human, Direction::Left, Direction::Right, steadyBrain);
    world.put(2, 1, CellKind::Human, Direction::Up, Direction::None, steadyBrain);
    blocked.moveCredit = 2 * moveCreditPerStep;
    world.update(blocked, w);
    EXPECT_EQ(blocked.x, 1);
    EXPECT_EQ(blocked.moveCredit, 1024) << "another human ahead, every step lost";
}

TEST(BrainDrivenHuman, PanickedHumanTakesOnlyTheSightAhead)
{
    TestWorld world(30, 30);
    Actor& calm = world.put(10, 10, CellKind::Human, Direction::Up, Direction::None, steadyBrain);
    Actor& panicked = world.put(20, 20, CellKind::Human, Direction::Up, Direction::None, steadyBrain);
    panicked.panicked = 1;
    World w = world.world();
    world.update(calm, w);
    world.update(panicked, w);

    const BeingMind& calmRecord = world.population.mind(calm);
    const BeingMind& panickedRecord = world.population.mind(panicked);
    EXPECT_EQ(calmRecord.sightLeft.distance, 10u);
    EXPECT_EQ(calmRecord.sightRight.distance, 10u);
    EXPECT_TRUE(isAllZero(panickedRecord.sightLeft));
    EXPECT_TRUE(isAllZero(panickedRecord.sightRight));
    EXPECT_EQ(panickedRecord.sightAhead.distance, 10u);
}

TEST(BrainDrivenHuman, HumanOfAnUnloadedBrainKeepsItsDirectionsAndWalksUntilBlocked)
{
    TestWorld world(8, 3);
    Actor& human = world.put(1, 1, CellKind::Human, Direction::Down, Direction::Right, steadyBrain);
    std::uint32_t before = world.random.state();
    World w = world.world();
    for (int frame = 0; frame < 40; ++frame)
        world.update(human, w);
    EXPECT_EQ(human.x, 7);
    EXPECT_EQ(human.lookDir(), Direction::Down);
    EXPECT_EQ(human.moveDir(), Direction::Right);
    EXPECT_EQ(world.random.state(), before) << "no rule ran, so nothing was drawn";
}
