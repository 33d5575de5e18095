#include "sim/Actor.h"

#include "sim/KindTable.h"
#include "TestWorld.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace shamblex;
using shamblex::test::TestWorld;

namespace {

bool isAllZero(const SightRecord& record)
{
    SightRecord zero;
    return std::memcmp(&record, &zero, sizeof record) == 0;
}

// A brain name that no loaded brain answers to: such a human keeps its directions.
const std::string steadyBrain = "steady";

}

TEST(Direction, TurnsAndStepsFollowTheCompass)
{
    EXPECT_EQ(turnLeft(Direction::Up), Direction::Left);
    EXPECT_EQ(turnRight(Direction::Left), Direction::Up);
    EXPECT_EQ(turnAround(Direction::Right), Direction::Left);
    EXPECT_EQ(turnAround(Direction::Up), Direction::Down);
    EXPECT_EQ(turnLeft(Direction::None), Direction::None);
    EXPECT_EQ(turnRight(static_cast<Direction>(7)), Direction::None);
    EXPECT_EQ(turnAround(Direction::None), Direction::None);

    std::int32_t x = 5, y = 5;
    stepInDirection(Direction::Up, x, y);
    stepInDirection(Direction::Right, x, y);
    stepInDirection(Direction::Right, x, y);
    stepInDirection(static_cast<Direction>(9), x, y);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 4);
}

TEST(Direction, RandomDirectionPicksFromUpDownRightLeft)
{
    // 41, 18467, 6334, 26500 modulo 4 are 1, 3, 2, 0.
    Random random;
    EXPECT_EQ(randomDirection(random), Direction::Down);
    EXPECT_EQ(randomDirection(random), Direction::Left);
    EXPECT_EQ(randomDirection(random), Direction::Right);
    EXPECT_EQ(randomDirection(random), Direction::Up);
}

TEST(Actor, ConstructedBeingIsADefaultHumanWithTwoSeparateRandomDirections)
{
    Random random;
    Actor actor(random);
    EXPECT_EQ(actor.kind(), CellKind::Human);
    EXPECT_EQ(actor.brainName(), "Human");
    EXPECT_EQ(actor.speed(), 1024);
    EXPECT_EQ(actor.moveCredit(), 0);
    EXPECT_EQ(actor.userColour(), (Colour { 255, 0, 255 }));
    EXPECT_EQ(actor.lookDir(), Direction::Down);
    EXPECT_EQ(actor.moveDir(), Direction::Left);
    EXPECT_TRUE(isAllZero(actor.sightAhead));
    EXPECT_EQ(actor.statusText, "");
}

TEST(Actor, BecomingAKindResetsTheRecordButKeepsSightsAndPosition)
{
    TestWorld world(10, 10);
    Actor& actor = world.put(4, 6, CellKind::Human, Direction::Right, Direction::Down, "wanderer");
    actor.sightAhead.distance = 7;
    actor.memory[200] = 9;
    actor.statusText = "a long status text that does not fit the short buffer";
    actor.panicked = 1;
    actor.panicCounter = 3;
    actor.serialNumber = 12;
    actor.red = 1;
    actor.addMoveCredit(999);

    actor.becomeKind(CellKind::Zombie);
    EXPECT_EQ(actor.kind(), CellKind::Zombie);
    EXPECT_EQ(actor.brainName(), "Zombie");
    EXPECT_EQ(actor.speed(), 512);
    EXPECT_EQ(actor.moveCredit(), 0);
    EXPECT_EQ(actor.lookDir(), Direction::Up);
    EXPECT_EQ(actor.moveDir(), Direction::None);
    EXPECT_EQ(actor.panicked, 0);
    EXPECT_EQ(actor.panicCounter, 0u);
    EXPECT_EQ(actor.serialNumber, 0u);
    EXPECT_EQ(actor.memory[200], 0);
    EXPECT_EQ(actor.statusText, "");
    EXPECT_EQ(actor.userColour(), (Colour { 255, 0, 255 }));
    EXPECT_EQ(actor.sightAhead.distance, 7u);
    EXPECT_EQ(actor.x(), 4);
    EXPECT_EQ(actor.y(), 6);
}

TEST(Actor, LookStopsAtTheFirstThingOrTheEdgeOrTheRange)
{
    TestWorld world(20, 20);
    Actor& viewer = world.put(3, 5, CellKind::Human, Direction::Right, Direction::None);
    world.wall(7, 5);

    SightRecord record;
    EXPECT_EQ(viewer.look(world.board, 3, 5, Direction::Right, 10, &record), CellKind::Wall);
    EXPECT_EQ(record.distance, 4u);
    EXPECT_EQ(record.peerCounter + record.seenSerial + record.sameBrain + record.seenPanicked, 0u);

    EXPECT_EQ(viewer.look(world.board, 2, 0, Direction::Left, 10, &record), CellKind::Wall);
    EXPECT_EQ(record.distance, 3u) << "the probe leaves the board on its third step";

    EXPECT_EQ(viewer.look(world.board, 3, 5, Direction::Down, 10, &record), CellKind::Empty);
    EXPECT_EQ(record.seenKind, 0u);
    EXPECT_EQ(record.distance, 10u);

    EXPECT_EQ(viewer.look(world.board, 3, 5, Direction::Up, 1, &record), CellKind::Empty);
    EXPECT_EQ(record.distance, 1u);
}

TEST(Actor, LookReportsTheSeenBeingAndWhetherItSharesTheBrain)
{
    TestWorld world(20, 12);
    Actor& viewer = world.put(3, 5, CellKind::Human, Direction::Down, Direction::None, "alpha");
    Actor& peer = world.put(3, 7, CellKind::Human, Direction::Up, Direction::None, "alpha");
    peer.panicCounter = 7;
    peer.panicked = 3;
    peer.serialNumber = 4000000000u;

    SightRecord record;
    EXPECT_EQ(viewer.look(world.board, 3, 5, Direction::Down, 10, &record), CellKind::Human);
    EXPECT_EQ(record.distance, 2u);
    EXPECT_EQ(record.sameBrain, 1);
    EXPECT_EQ(record.peerCounter, 7u);
    EXPECT_EQ(record.seenPanicked, 3);
    EXPECT_EQ(record.seenSerial, 4000000000u);

    Actor& stranger = world.put(9, 9, CellKind::Human, Direction::Up, Direction::None, "Alpha");
    stranger.panicCounter = 7;
    stranger.panicked = 1;
    stranger.serialNumber = 5;
    EXPECT_EQ(viewer.look(world.board, 9, 11, Direction::Up, 10, &record), CellKind::Human);
    EXPECT_EQ(record.sameBrain, 0) << "brain names compare case-sensitively";
    EXPECT_EQ(record.peerCounter, 0u);
    EXPECT_EQ(record.seenPanicked, 1);
    EXPECT_EQ(record.seenSerial, 5u);
}

TEST(Actor, LookingAlongNoDirectionSeesItsOwnCell)
{
    TestWorld world(8, 8);
    Actor& actor = world.put(2, 2, CellKind::Human, Direction::None, Direction::None, "alpha");
    actor.panicCounter = 4;
    SightRecord record;
    EXPECT_EQ(actor.look(world.board, 2, 2, static_cast<Direction>(12), 10, &record), CellKind::Human);
    EXPECT_EQ(record.distance, 1u);
    EXPECT_EQ(record.sameBrain, 1);
    EXPECT_EQ(record.peerCounter, 4u);
}

TEST(Actor, HumanOnFixedCourseStepsEverySecondFrame)
{
    TestWorld world(20, 5);
    Actor& human = world.put(3, 2, CellKind::Human, Direction::Right, Direction::Right, steadyBrain);
    World w = world.world();
    human.update(w);
    EXPECT_EQ(human.x(), 3);
    human.update(w);
    EXPECT_EQ(human.x(), 4);
    human.update(w);
    human.update(w);
    EXPECT_EQ(human.x(), 5);
    EXPECT_EQ(world.board.at(5, 2), (Cell { CellKind::Human, &human }));
    EXPECT_EQ(world.board.at(4, 2), (Cell {}));
    EXPECT_EQ(world.board.at(3, 2), (Cell {}));
}

TEST(Actor, ZombieStepsEveryFourthFrame)
{
    TestWorld world(20, 5);
    Actor& zombie = world.put(3, 2, CellKind::Zombie, Direction::Right, Direction::Right);
    // A running chase memory keeps a smart zombie from drawing a new heading.
    zombie.panicCounter = 100;
    World w = world.world();
    for (int frame = 1; frame <= 3; ++frame) {
        zombie.update(w);
        EXPECT_EQ(zombie.x(), 3) << "frame " << frame;
    }
    zombie.update(w);
    EXPECT_EQ(zombie.x(), 4);
    EXPECT_EQ(zombie.moveCredit(), 0);
}

TEST(Actor, HumanThatWalksIntoAZombieBecomesOne)
{
    TestWorld world(10, 5);
    Actor& human = world.put(3, 2, CellKind::Human, Direction::Right, Direction::Right, steadyBrain);
    world.put(4, 2, CellKind::Zombie, Direction::Up, Direction::None);
    human.serialNumber = 8;
    World w = world.world();

    human.update(w);
    EXPECT_EQ(human.kind(), CellKind::Human) << "1024 credit buys no step yet";
    human.update(w);
    EXPECT_EQ(human.kind(), CellKind::Zombie);
    EXPECT_EQ(human.speed(), 512);
    EXPECT_EQ(human.brainName(), "Zombie");
    EXPECT_EQ(human.lookDir(), Direction::Up);
    EXPECT_EQ(human.moveDir(), Direction::None);
    EXPECT_EQ(human.moveCredit(), 0);
    EXPECT_EQ(human.serialNumber, 0u);
    EXPECT_EQ(human.x(), 3);
    EXPECT_EQ(world.board.at(3, 2), (Cell { CellKind::Zombie, &human }));
}

TEST(Actor, BlockedStepsStillCostTheirCredit)
{
    TestWorld world(6, 3);
    Actor& human = world.put(5, 1, CellKind::Human, Direction::Right, Direction::Right, steadyBrain);
    World w = world.world();
    human.update(w);
    EXPECT_EQ(human.moveCredit(), 1024);
    human.update(w);
    EXPECT_EQ(human.moveCredit(), 0);
    EXPECT_EQ(human.x(), 5);

    // Another human ahead blocks the same way; a lunge's extra credit is spent too.
    Actor& blocked = world.put(1, 1, CellKind::Human, Direction::Left, Direction::Right, steadyBrain);
    world.put(2, 1, CellKind::Human, Direction::Up, Direction::None, steadyBrain);
    blocked.addMoveCredit(2 * moveCreditPerStep);
    blocked.update(w);
    EXPECT_EQ(blocked.x(), 1);
    EXPECT_EQ(blocked.moveCredit(), 1024);
}

TEST(Actor, PanickedHumanTakesOnlyTheSightAhead)
{
    TestWorld world(30, 30);
    Actor& calm = world.put(10, 10, CellKind::Human, Direction::Up, Direction::None, steadyBrain);
    Actor& panicked = world.put(20, 20, CellKind::Human, Direction::Up, Direction::None, steadyBrain);
    panicked.panicked = 1;
    panicked.sightLeft.distance = 5;
    World w = world.world();
    calm.update(w);
    panicked.update(w);

    EXPECT_EQ(calm.sightLeft.distance, 10u);
    EXPECT_EQ(calm.sightRight.distance, 10u);
    EXPECT_TRUE(isAllZero(panicked.sightLeft));
    EXPECT_TRUE(isAllZero(panicked.sightRight));
    EXPECT_EQ(panicked.sightAhead.distance, 10u);
}

TEST(Actor, HumanOfAnUnloadedBrainKeepsItsDirectionsAndWalksUntilBlocked)
{
    TestWorld world(8, 3);
    Actor& human = world.put(1, 1, CellKind::Human, Direction::Down, Direction::Right, steadyBrain);
    std::uint32_t before = world.random.state();
    World w = world.world();
    for (int frame = 0; frame < 40; ++frame)
        human.update(w);
    EXPECT_EQ(human.x(), 7);
    EXPECT_EQ(human.lookDir(), Direction::Down);
    EXPECT_EQ(human.moveDir(), Direction::Right);
    EXPECT_EQ(world.random.state(), before) << "no rule ran, so nothing was drawn";
}

TEST(Actor, PlacementAvoidsRowAndColumnZeroAndKeepsTheLastTryOnAFullBoard)
{
    Random random;
    Board board;
    board.reset(3, 3, Terrain::OpenArena, random);
    Actor actor(random);
    for (int i = 0; i < 50; ++i) {
        actor.placeRandomly(board, random);
        EXPECT_GE(actor.x(), 1);
        EXPECT_GE(actor.y(), 1);
    }

    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            board.at(x, y) = { CellKind::Wall, nullptr };
    Random expected(random.state());
    actor.placeRandomly(board, random);
    std::int32_t lastX = 0, lastY = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        lastX = 1 + expected.below(2);
        lastY = 1 + expected.below(2);
    }
    EXPECT_EQ(actor.x(), lastX);
    EXPECT_EQ(actor.y(), lastY);
    EXPECT_EQ(random.state(), expected.state());
}

TEST(Actor, OneCellWideBoardPlacesBeingsAtColumnOneWithoutADraw)
{
    Random random;
    Board board;
    board.reset(1, 10, Terrain::OpenArena, random);
    Actor actor(random);
    Random expected(random.state());
    actor.placeRandomly(board, random);
    EXPECT_EQ(actor.x(), 1);
    EXPECT_EQ(actor.y(), 1 + expected.below(9));
    EXPECT_EQ(random.state(), expected.state());
}
