#include "sim/Behaviours.h"

#include "sim/Actor.h"
#include "TestWorld.h"

#include <gtest/gtest.h>

using namespace shamblex;
using shamblex::test::stateWhere;
using shamblex::test::TestWorld;

// ---- Smart zombies ----

TEST(SmartZombie, InfectsEveryoneOnTheCellAheadWithoutDrawingOrTurning)
{
    TestWorld world(10, 10);
    Actor& zombie = world.put(5, 5, CellKind::Zombie, Direction::Right, Direction::Down);
    Actor& victim = world.put(6, 5, CellKind::Human, Direction::Up, Direction::Up, "alpha");
    // A second being on the same cell, not yet marked there.
    Actor& sharer = world.population.append(world.random);
    sharer.setPosition(6, 5);
    world.population.refile(sharer);
    Actor& bystander = world.put(6, 6, CellKind::Human, Direction::Up, Direction::Up);

    std::uint32_t before = world.random.state();
    World w = world.world();
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(victim.kind(), CellKind::Zombie);
    EXPECT_EQ(victim.brainName(), "Zombie");
    EXPECT_EQ(sharer.kind(), CellKind::Zombie);
    EXPECT_EQ(bystander.kind(), CellKind::Human);
    EXPECT_EQ(zombie.lookDir(), Direction::Right);
    EXPECT_EQ(zombie.moveDir(), Direction::Down);
    EXPECT_EQ(world.random.state(), before);
    EXPECT_EQ(world.board.at(6, 5).kind, CellKind::Human) << "the cell shows the old kind until the victim's update";
}

TEST(SmartZombie, EatsTheWallAlongItsMoveDirectionAndTurnsBack)
{
    TestWorld world(10, 10);
    Actor& zombie = world.put(5, 5, CellKind::Zombie, Direction::Up, Direction::Up);
    world.wall(5, 4);
    World w = world.world(ZombieMind::Smart, WallEating::On);
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(world.board.at(5, 4), (Cell {}));
    EXPECT_EQ(zombie.lookDir(), Direction::Down);
    EXPECT_EQ(zombie.moveDir(), Direction::Down);
}

TEST(SmartZombie, TakesARandomHeadingAtAWallItMayNotEatOrAtTheEdge)
{
    for (WallEating eating : { WallEating::Off, WallEating::On }) {
        TestWorld world(10, 10);
        Actor& atWall = world.put(5, 5, CellKind::Zombie, Direction::Up, Direction::Up);
        world.wall(5, 4);
        Actor& atEdge = world.put(9, 2, CellKind::Zombie, Direction::Right, Direction::Right);
        world.random.setState(0);
        Random expected(0);
        World w = world.world(ZombieMind::Smart, eating);
        runSmartZombieRule(atEdge, w);
        EXPECT_EQ(atEdge.lookDir(), randomDirection(expected));
        EXPECT_EQ(atEdge.moveDir(), atEdge.lookDir());
        if (eating == WallEating::Off) {
            runSmartZombieRule(atWall, w);
            EXPECT_EQ(atWall.lookDir(), randomDirection(expected));
            EXPECT_EQ(world.board.at(5, 4).kind, CellKind::Wall);
        }
        EXPECT_EQ(world.random.state(), expected.state());
    }
}

TEST(SmartZombie, FreshZombieUnderAWallEatsItsOwnCellAndStandsFacingNowhere)
{
    TestWorld world(10, 10);
    Actor& zombie = world.put(5, 5, CellKind::Zombie, Direction::Up, Direction::None);
    world.wall(5, 4);
    World w = world.world(ZombieMind::Smart, WallEating::On);
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(world.board.at(5, 5), (Cell {})) << "its move direction points at its own cell";
    EXPECT_EQ(world.board.at(5, 4).kind, CellKind::Wall);
    EXPECT_EQ(zombie.lookDir(), Direction::None);
    EXPECT_EQ(zombie.moveDir(), Direction::None);

    // Its movement marks its cell again; next frame its look along None finds
    // itself, a zombie, and it draws a random heading.
    world.random.setState(stateWhere([](Random& r) { return r.below(5) != 2; }));
    zombie.update(w);
    EXPECT_EQ(world.board.at(5, 5).kind, CellKind::Zombie);
    Random expected(world.random.state());
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(zombie.lookDir(), randomDirection(expected));
}

TEST(SmartZombie, SightingAHumanSetsTheChaseAndLungesOnlyWhenClose)
{
    for (int distance : { 5, 2 }) {
        TestWorld world(20, 20);
        Actor& zombie = world.put(10, 10, CellKind::Zombie, Direction::Down, Direction::Left);
        world.put(10, 10 + distance, CellKind::Human, Direction::Up, Direction::Up);
        world.random.setState(77);
        Random expected(77);
        World w = world.world();
        runSmartZombieRule(zombie, w);
        EXPECT_EQ(zombie.panicCounter, static_cast<std::uint32_t>(5 + expected.below(5)));
        EXPECT_EQ(zombie.lookDir(), Direction::Down);
        EXPECT_EQ(zombie.moveDir(), Direction::Left);
        EXPECT_EQ(zombie.moveCredit(), distance <= 2 ? moveCreditPerStep : 0) << "human at distance " << distance;
        EXPECT_EQ(world.random.state(), expected.state());
    }
}

TEST(SmartZombie, TurnsTowardsAHumanOnOneSideButNotWhenBothSidesHaveOne)
{
    TestWorld world(30, 30);
    Actor& zombie = world.put(10, 10, CellKind::Zombie, Direction::Up, Direction::Up);
    world.put(6, 10, CellKind::Human, Direction::Up, Direction::Up); // to its left
    World w = world.world();
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(zombie.lookDir(), Direction::Left);
    EXPECT_EQ(zombie.moveDir(), Direction::Left);
    EXPECT_EQ(zombie.moveCredit(), 0) << "the human is four cells away: no lunge";

    TestWorld both(30, 30);
    Actor& torn = both.put(10, 10, CellKind::Zombie, Direction::Up, Direction::Right);
    both.put(6, 10, CellKind::Human, Direction::Up, Direction::Up);
    both.put(15, 10, CellKind::Human, Direction::Up, Direction::Up);
    both.wall(10, 8);
    World bw = both.world();
    runSmartZombieRule(torn, bw);
    EXPECT_EQ(torn.lookDir(), Direction::Up) << "the right turn undoes the left one";
    EXPECT_EQ(torn.moveDir(), Direction::Up);
    EXPECT_GE(torn.panicCounter, 5u);
    EXPECT_EQ(torn.moveCredit(), moveCreditPerStep) << "the wall two cells ahead makes it lunge";
}

TEST(SmartZombie, FreshZombieSeeingAHumanAboveChasesWithoutMoving)
{
    TestWorld world(20, 20);
    Actor& zombie = world.put(10, 10, CellKind::Zombie, Direction::Up, Direction::None);
    world.put(10, 8, CellKind::Human, Direction::Up, Direction::None, "steady");
    World w = world.world();
    zombie.update(w);
    EXPECT_GE(zombie.panicCounter, 5u);
    EXPECT_EQ(zombie.moveDir(), Direction::None);
    EXPECT_EQ(zombie.y(), 10) << "the lunge's credit buys no step along None";
}

TEST(SmartZombie, WandersOnlyWhenItsChaseMemoryHasRunOut)
{
    TestWorld world(30, 30);
    Actor& zombie = world.put(10, 10, CellKind::Zombie, Direction::Up, Direction::Up);
    World w = world.world();

    zombie.panicCounter = 2;
    std::uint32_t before = world.random.state();
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(zombie.panicCounter, 1u);
    EXPECT_EQ(world.random.state(), before);

    // A draw of 2 (out of five) picks a new heading from the next number.
    world.random.setState(stateWhere([](Random& r) { return r.below(5) == 2 && r.below(4) == 3; }));
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(zombie.panicCounter, 0u);
    EXPECT_EQ(zombie.lookDir(), Direction::Left);

    world.random.setState(stateWhere([](Random& r) { return r.below(5) != 2; }));
    Random expected(world.random.state());
    expected.next();
    runSmartZombieRule(zombie, w);
    EXPECT_EQ(zombie.lookDir(), Direction::Left);
    EXPECT_EQ(world.random.state(), expected.state());
}

// ---- Simple zombies ----

TEST(SimpleZombie, KeepsFollowingAZombieAheadWhileItsCounterIsZero)
{
    TestWorld world(30, 30);
    Actor& zombie = world.put(10, 10, CellKind::Zombie, Direction::Right, Direction::Right);
    world.put(15, 10, CellKind::Zombie, Direction::Up, Direction::None);
    world.random.setState(stateWhere([](Random& r) { return r.below(10) != 1; }));
    Random expected(world.random.state());
    expected.next();
    World w = world.world(ZombieMind::Simple);
    runSimpleZombieRule(zombie, w);
    EXPECT_EQ(zombie.lookDir(), Direction::Right);
    EXPECT_EQ(zombie.moveCredit(), 0);
    EXPECT_EQ(world.random.state(), expected.state()) << "only the lurch roll was drawn";
}

TEST(SimpleZombie, LurchesOneTimeInTenAndWandersWhenNothingIsSeen)
{
    TestWorld world(30, 30);
    Actor& zombie = world.put(10, 10, CellKind::Zombie, Direction::Right, Direction::Right);
    world.random.setState(stateWhere([](Random& r) { return r.below(10) == 1 && r.below(4) == 0; }));
    World w = world.world(ZombieMind::Simple);
    runSimpleZombieRule(zombie, w);
    EXPECT_EQ(zombie.moveCredit(), moveCreditPerStep);
    EXPECT_EQ(zombie.lookDir(), Direction::Up);
    EXPECT_EQ(zombie.moveDir(), Direction::Up);
}

TEST(SimpleZombie, ChasesAHumanAheadForTenFramesAndLungesWhenClose)
{
    TestWorld world(30, 30);
    Actor& zombie = world.put(10, 10, CellKind::Zombie, Direction::Down, Direction::Down);
    world.put(10, 12, CellKind::Human, Direction::Up, Direction::None);
    world.random.setState(stateWhere([](Random& r) { return r.below(10) != 1; }));
    World w = world.world(ZombieMind::Simple);
    runSimpleZombieRule(zombie, w);
    EXPECT_EQ(zombie.panicCounter, 10u);
    EXPECT_EQ(zombie.moveCredit(), moveCreditPerStep);
    EXPECT_EQ(zombie.lookDir(), Direction::Down);
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
        if (drawn == Direction::Right) {
            EXPECT_EQ(zombie.panicCounter, 10u);
            EXPECT_EQ(human.kind(), CellKind::Zombie);
        } else {
            EXPECT_EQ(human.kind(), CellKind::Human);
        }
    }
}

TEST(SimpleZombie, EatsAWallAlongItsMoveDirection)
{
    TestWorld world(30, 30);
    Actor& zombie = world.put(10, 10, CellKind::Zombie, Direction::Left, Direction::Left);
    world.wall(9, 10);
    world.put(14, 10, CellKind::Zombie, Direction::Up, Direction::None); // seen ahead, it keeps the new heading
    world.random.setState(stateWhere([](Random& r) { return r.below(10) != 1; }));
    World w = world.world(ZombieMind::Simple, WallEating::On);
    runSimpleZombieRule(zombie, w);
    EXPECT_EQ(world.board.at(9, 10), (Cell {}));
    EXPECT_EQ(zombie.moveDir(), Direction::Right);
}

// ---- Default humans ----

namespace {

// Draws that skip the occasional check (a roll of 0 to 5) and the random turn.
std::uint32_t calmDraws()
{
    return stateWhere([](Random& r) { return r.below(10) <= 5 && r.below(8) != 1; });
}

}

TEST(Human, ZombieAheadPanicsAndTurnsItAroundInTheSameFrame)
{
    TestWorld world(30, 30);
    Actor& human = world.put(10, 10, CellKind::Human, Direction::Right, Direction::Down);
    world.put(17, 10, CellKind::Zombie, Direction::Up, Direction::None);
    world.random.setState(calmDraws());
    World w = world.world();
    human.update(w);
    EXPECT_EQ(human.panicked, 1);
    EXPECT_EQ(human.panicCounter, 10u);
    EXPECT_EQ(human.lookDir(), Direction::Left);
    EXPECT_EQ(human.moveDir(), Direction::Left);
}

TEST(Human, PanicSpreadsFromPanickedHumansOnlyAndWithoutTurning)
{
    TestWorld world(30, 30);
    Actor& human = world.put(10, 10, CellKind::Human, Direction::Right, Direction::Right);
    Actor& ahead = world.put(14, 10, CellKind::Human, Direction::Up, Direction::None, "steady");
    World w = world.world();

    world.random.setState(calmDraws());
    human.update(w);
    EXPECT_EQ(human.panicked, 0) << "a calm human ahead causes no panic";

    ahead.panicked = 1;
    world.random.setState(calmDraws());
    human.update(w);
    EXPECT_EQ(human.panicked, 1);
    EXPECT_EQ(human.panicCounter, 10u);
    EXPECT_EQ(human.lookDir(), Direction::Right);
}

TEST(Human, PanicCalmsInTheTenthQuietFrameAndRestartsOnASighting)
{
    TestWorld world(40, 40);
    Actor& human = world.put(20, 20, CellKind::Human, Direction::Up, Direction::None);
    human.panicked = 1;
    human.panicCounter = 10;
    auto quietFrame = [&] {
        world.random.setState(stateWhere([](Random& r) { return r.below(8) != 1; }));
        runDefaultHumanRule(human, world.random);
    };
    for (int frame = 1; frame <= 5; ++frame)
        quietFrame();
    EXPECT_EQ(human.panicCounter, 5u);

    human.sightAhead.seenKind = static_cast<std::uint32_t>(CellKind::Zombie);
    human.sightAhead.distance = 4;
    world.random.setState(stateWhere([](Random& r) { return r.below(8) != 1; }));
    runDefaultHumanRule(human, world.random);
    EXPECT_EQ(human.panicCounter, 10u);
    human.sightAhead = SightRecord { 0, 10, 0, 0, 0, 0 };

    for (int frame = 1; frame <= 9; ++frame) {
        quietFrame();
        EXPECT_EQ(human.panicked, 1) << "quiet frame " << frame;
    }
    quietFrame();
    EXPECT_EQ(human.panicCounter, 0u);
    EXPECT_EQ(human.panicked, 0);
}

TEST(Human, ChecksABlockedWayFourTimesInTenWhileCalm)
{
    TestWorld world(10, 10);
    Actor& human = world.put(5, 5, CellKind::Human, Direction::Up, Direction::Up);
    human.sightAhead = SightRecord { static_cast<std::uint32_t>(CellKind::Wall), 1, 0, 0, 0, 0 };

    world.random.setState(stateWhere([](Random& r) { return r.below(10) <= 5 && r.below(8) != 1; }));
    runDefaultHumanRule(human, world.random);
    EXPECT_EQ(human.lookDir(), Direction::Up) << "a roll of 0 to 5 skips the check";

    world.random.setState(
        stateWhere([](Random& r) { return r.below(10) > 5 && r.below(4) == 3 && r.below(8) != 1; }));
    runDefaultHumanRule(human, world.random);
    EXPECT_EQ(human.lookDir(), Direction::Left);
    EXPECT_EQ(human.moveDir(), Direction::Left);
}

TEST(Human, PanickedHumanAdvancesAtTheSameSpeedAsACalmOne)
{
    TestWorld world(30, 5);
    Actor& human = world.put(2, 2, CellKind::Human, Direction::Right, Direction::Right, "steady");
    human.panicked = 1;
    human.panicCounter = 10;
    World w = world.world();
    for (int frame = 0; frame < 8; ++frame)
        human.update(w);
    EXPECT_EQ(human.x(), 6);
}
