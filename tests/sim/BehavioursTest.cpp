#include "sim/Behaviours.h"

#include "TestWorld.h"

#include <gtest/gtest.h>

// The exact order of the rules' random draws is pinned by the golden replays; these
// tests show what each rule does with what a being sees.

using namespace shamblex;
using shamblex::test::stateWhere;
using shamblex::test::TestWorld;

TEST(SmartZombie, InfectsEveryoneOnTheCellAheadWithoutDrawingOrTurning)
{
    TestWorld world(10, 10);
    Actor& zombie = world.put(5, 5, CellKind::Zombie, Direction::Right, Direction::Down);
    Actor& victim = world.put(6, 5, CellKind::Human, Direction::Up, Direction::Up, "alpha");
    // A second being on the same cell that has not marked it yet.
    ActorIndex sharer = world.population.append(freshHuman(6, 5));
    Actor& bystander = world.put(6, 6, CellKind::Human, Direction::Up, Direction::Up);

    std::uint32_t before = world.random.state();
    World w = world.world();
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(victim.kind(), CellKind::Zombie);
    EXPECT_EQ(victim.brain, BrainNames::zombie);
    EXPECT_EQ(world.population[sharer].kind(), CellKind::Zombie);
    EXPECT_EQ(bystander.kind(), CellKind::Human);
    EXPECT_EQ(zombie.lookDir(), Direction::Right);
    EXPECT_EQ(zombie.moveDir(), Direction::Down);
    EXPECT_EQ(world.random.state(), before);
    EXPECT_EQ(world.kind(6, 5), CellKind::Human) << "the cell shows the old kind until the victim's update";
}

TEST(SmartZombie, EatsTheWallAlongItsMoveDirectionAndTurnsBack)
{
    TestWorld world(10, 10);
    Actor& zombie = world.put(5, 5, CellKind::Zombie, Direction::Up, Direction::Up);
    world.wall(5, 4);
    World w = world.world(ZombieMind::Smart, WallEating::On);
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(world.kind(5, 4), CellKind::Empty);
    EXPECT_EQ(zombie.lookDir(), Direction::Down);
    EXPECT_EQ(zombie.moveDir(), Direction::Down);

    // A fresh zombie faces up but stands still: the cell along its move direction is
    // its own, which it eats; the wall above stays and it faces nowhere.
    Actor& fresh = world.put(2, 2, CellKind::Zombie, Direction::Up, Direction::None);
    world.wall(2, 1);
    runSmartZombieRule(fresh, w);
    EXPECT_EQ(world.kind(2, 2), CellKind::Empty);
    EXPECT_EQ(world.population.occupant(world.board.index(2, 2)), noActor);
    EXPECT_EQ(world.kind(2, 1), CellKind::Wall);
    EXPECT_EQ(fresh.lookDir(), Direction::None);
    EXPECT_EQ(fresh.moveDir(), Direction::None);
}

TEST(SmartZombie, TurnsTowardsAHumanOnOneSideButNotWhenBothSidesHaveOne)
{
    TestWorld world(30, 30);
    Actor& zombie = world.put(10, 10, CellKind::Zombie, Direction::Up, Direction::Up);
    world.put(6, 10, CellKind::Human, Direction::Up, Direction::Up); // to its left
    Actor& torn = world.put(20, 20, CellKind::Zombie, Direction::Up, Direction::Up);
    world.put(17, 20, CellKind::Human, Direction::Up, Direction::Up);
    world.put(23, 20, CellKind::Human, Direction::Up, Direction::Up);
    world.wall(20, 18);
    World w = world.world();
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(zombie.lookDir(), Direction::Left);
    EXPECT_EQ(zombie.moveCredit, 0) << "the human is four cells away: no lunge";

    runSmartZombieRule(torn, w);
    EXPECT_EQ(torn.lookDir(), Direction::Up) << "the right turn undoes the left one";
    EXPECT_GE(torn.panicCounter, 5u);
    EXPECT_EQ(torn.moveCredit, moveCreditPerStep) << "the wall two cells ahead makes it lunge";
}

TEST(SimpleZombie, KeepsFollowingAZombieAheadAndEatsWallsAlongItsMoveDirection)
{
    TestWorld world(30, 30);
    Actor& follower = world.put(10, 10, CellKind::Zombie, Direction::Right, Direction::Right);
    world.put(14, 10, CellKind::Zombie, Direction::Up, Direction::None);
    Actor& eater = world.put(10, 20, CellKind::Zombie, Direction::Left, Direction::Left);
    world.wall(9, 20);
    world.put(14, 20, CellKind::Zombie, Direction::Up, Direction::None); // seen ahead once it turned
    World w = world.world(ZombieMind::Simple, WallEating::On);

    world.random.setState(stateWhere([](Random& r) { return r.below(10) != 1; }));
    runSimpleZombieRule(follower, w);
    EXPECT_EQ(follower.lookDir(), Direction::Right);

    world.random.setState(stateWhere([](Random& r) { return r.below(10) != 1; }));
    runSimpleZombieRule(eater, w);
    EXPECT_EQ(world.kind(9, 20), CellKind::Empty);
    EXPECT_EQ(eater.moveDir(), Direction::Right);
}

TEST(SimpleZombie, TurnsAwayFromAnAdjacentHumanBeforeItCanBiteIt)
{
    // The human right ahead along the move direction counts as an obstacle: the
    // zombie draws a random heading first, and bites only if it still faces the human.
    for (Direction drawn : { Direction::Up, Direction::Right }) {
        TestWorld world(30, 30);
        Actor& zombie = world.put(10, 10, CellKind::Zombie, Direction::Right, Direction::Right);
        Actor& human = world.put(11, 10, CellKind::Human, Direction::Up, Direction::None);
        // Table index 0 draws Up, 2 draws Right. Facing up it sees nothing and draws
        // once more; that draw must not turn it right back to the human.
        int code = drawn == Direction::Up ? 0 : 2;
        world.random.setState(stateWhere([code](Random& r) {
            return r.below(10) != 1 && r.below(4) == code && (code != 0 || r.below(4) != 2);
        }));
        World w = world.world(ZombieMind::Simple);
        runSimpleZombieRule(zombie, w);
        EXPECT_EQ(human.kind(), drawn == Direction::Right ? CellKind::Zombie : CellKind::Human);
    }
}

TEST(Human, ZombieAheadPanicsAndTurnsItAroundButACalmHumanDoesNot)
{
    TestWorld world(40, 40);
    Actor& human = world.put(20, 20, CellKind::Human, Direction::Right, Direction::Right);
    auto see = [&](CellKind kind, std::uint8_t panicked) {
        SightReport ahead { static_cast<std::uint32_t>(kind), 4, 0, 0, 0, panicked };
        // No check of the way and no random turn, whether the first draw is the check's
        // roll (calm) or the turn's (panicked).
        world.random.setState(stateWhere([](Random& r) {
            int first = r.next();
            return first % 10 <= 5 && first % 8 != 1 && r.next() % 8 != 1;
        }));
        runDefaultHumanRule(human, ahead, world.random);
    };
    see(CellKind::Human, 0);
    EXPECT_EQ(human.panicked, 0) << "a calm human ahead causes no panic";
    see(CellKind::Human, 1);
    EXPECT_EQ(human.panicked, 1);
    EXPECT_EQ(human.lookDir(), Direction::Right) << "a panicked human ahead spreads panic, not a turn";
    see(CellKind::Zombie, 0);
    EXPECT_EQ(human.panicCounter, 10u);
    EXPECT_EQ(human.lookDir(), Direction::Left);
    EXPECT_EQ(human.moveDir(), Direction::Left);
}

TEST(Human, PanicCalmsInTheTenthQuietFrameAndRestartsOnASighting)
{
    TestWorld world(40, 40);
    Actor& human = world.put(20, 20, CellKind::Human, Direction::Up, Direction::None);
    human.panicked = 1;
    human.panicCounter = 10;
    auto frame = [&](CellKind seen) {
        SightReport ahead { static_cast<std::uint32_t>(seen), seen == CellKind::Empty ? 10u : 4u, 0, 0, 0, 0 };
        world.random.setState(stateWhere([](Random& r) { return r.below(8) != 1; }));
        runDefaultHumanRule(human, ahead, world.random);
    };
    for (int i = 1; i <= 5; ++i)
        frame(CellKind::Empty);
    EXPECT_EQ(human.panicCounter, 5u);
    frame(CellKind::Zombie);
    EXPECT_EQ(human.panicCounter, 10u);
    for (int i = 1; i <= 9; ++i) {
        frame(CellKind::Empty);
        EXPECT_EQ(human.panicked, 1) << "quiet frame " << i;
    }
    frame(CellKind::Empty);
    EXPECT_EQ(human.panicCounter, 0u);
    EXPECT_EQ(human.panicked, 0);
}
