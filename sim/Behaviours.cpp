#include "sim/Behaviours.h"

#include "sim/Actor.h"
#include "sim/Random.h"
#include "sim/World.h"

namespace shamblex {

namespace {

constexpr std::uint32_t simpleChaseFrames = 10;
constexpr int smartChaseBase = 5;
constexpr int smartChaseSpread = 5;
constexpr std::int32_t lungeReach = 2;
constexpr int wanderOdds = 5; // a smart zombie picks a new heading one time in five
constexpr int wanderRoll = 2;
constexpr int lurchOdds = 10; // a simple zombie lurches one time in ten
constexpr int checkOdds = 10; // a calm human checks its way four times in ten
constexpr int checkAbove = 5;
constexpr int turnOdds = 8; // a human turns at random one time in eight

}

void runSmartZombieRule(Actor& zombie, World& world)
{
    // For a zombie the panic counter is its chase memory.
    if (zombie.panicCounter != 0)
        --zombie.panicCounter;

    CellKind adjacent = world.look(zombie.x, zombie.y, zombie.lookDir(), 1);
    if (adjacent == CellKind::Human) {
        world.infectCellAhead(zombie);
        return;
    }
    if (adjacent != CellKind::Empty) {
        world.turnFromObstacle(zombie, adjacent);
        return;
    }

    Direction facing = zombie.lookDir();
    CellKind left = world.look(zombie.x, zombie.y, turnLeft(facing), sightRange);
    CellKind right = world.look(zombie.x, zombie.y, turnRight(facing), sightRange);
    CellKind ahead = world.look(zombie.x, zombie.y, facing, sightRange);

    // Humans on both sides cancel out: the second turn undoes the first.
    if (left == CellKind::Human && ahead != CellKind::Human)
        zombie.setHeading(turnLeft(zombie.lookDir()));
    if (right == CellKind::Human && ahead != CellKind::Human)
        zombie.setHeading(turnRight(zombie.lookDir()));

    if (left == CellKind::Human || right == CellKind::Human || ahead == CellKind::Human) {
        zombie.panicCounter = static_cast<std::uint32_t>(smartChaseBase + world.random.below(smartChaseSpread));
        if (world.look(zombie.x, zombie.y, zombie.lookDir(), lungeReach) != CellKind::Empty)
            zombie.moveCredit += moveCreditPerStep;
        return;
    }

    if (zombie.panicCounter == 0 && world.random.below(wanderOdds) == wanderRoll)
        zombie.setHeading(randomDirection(world.random));
}

void runSimpleZombieRule(Actor& zombie, World& world)
{
    if (world.random.below(lurchOdds) == 1)
        zombie.moveCredit += moveCreditPerStep;

    // Unlike the smart rule this goes on after an obstacle, and a human right ahead
    // along the move direction counts as one.
    CellKind adjacent = world.look(zombie.x, zombie.y, zombie.moveDir(), 1);
    if (adjacent != CellKind::Empty)
        world.turnFromObstacle(zombie, adjacent);

    if (zombie.panicCounter != 0)
        --zombie.panicCounter;

    CellKind ahead = world.look(zombie.x, zombie.y, zombie.lookDir(), sightRange);
    if (ahead == CellKind::Human) {
        zombie.panicCounter = simpleChaseFrames;
        if (world.look(zombie.x, zombie.y, zombie.lookDir(), lungeReach) != CellKind::Empty)
            zombie.moveCredit += moveCreditPerStep;
    }
    if (zombie.panicCounter == 0 && ahead != CellKind::Zombie)
        zombie.setHeading(randomDirection(world.random));

    if (world.look(zombie.x, zombie.y, zombie.lookDir(), 1) == CellKind::Human)
        world.infectCellAhead(zombie);
}

void runDefaultHumanRule(Actor& human, const SightReport& ahead, Random& random)
{
    if (human.panicCounter != 0 || random.below(checkOdds) > checkAbove) {
        if (ahead.distance == 1)
            human.setHeading(randomDirection(random));
        if (human.panicCounter != 0) {
            --human.panicCounter;
            if (human.panicCounter == 0 && human.panicked == 1)
                human.panicked = 0;
        }
    }

    auto seen = static_cast<CellKind>(ahead.seenKind);
    if (seen == CellKind::Zombie || (seen == CellKind::Human && ahead.seenPanicked == 1)) {
        human.panicCounter = panicFrames;
        human.panicked = 1;
    }
    if (seen == CellKind::Zombie)
        human.setHeading(turnAround(human.lookDir()));

    if (random.below(turnOdds) == 1)
        human.setHeading(randomDirection(random));
}

}
