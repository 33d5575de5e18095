#include "sim/Behaviours.h"

#include "sim/Actor.h"
#include "sim/Board.h"
#include "sim/Population.h"
#include "sim/Random.h"

namespace shamblex {

namespace {

constexpr std::uint32_t panicFrames = 10;
constexpr std::uint32_t simpleChaseFrames = 10;
constexpr int smartChaseBase = 5;
constexpr int smartChaseSpread = 5;
constexpr std::int32_t lungeReach = 2;

// Every being standing on the cell ahead (along the look direction) becomes a fresh
// zombie, a zombie found there included.
void infectCellAhead(Actor& zombie, World& world)
{
    std::int32_t x = zombie.x();
    std::int32_t y = zombie.y();
    stepInDirection(zombie.lookDir(), x, y);
    world.population.forEachAt(x, y, [](Actor& victim) { victim.becomeKind(CellKind::Zombie); });
}

// A zombie that bumped into something along its move direction eats the wall there
// (when allowed and the wall is on the board) and turns back; otherwise it picks a
// random heading.
void turnFromObstacle(Actor& zombie, CellKind obstacle, World& world)
{
    std::int32_t x = zombie.x();
    std::int32_t y = zombie.y();
    stepInDirection(zombie.moveDir(), x, y);
    if (obstacle == CellKind::Wall && world.wallEating == WallEating::On && world.board.contains(x, y)) {
        world.board.at(x, y) = { CellKind::Empty, nullptr };
        zombie.setHeading(turnAround(zombie.moveDir()));
    } else {
        zombie.setHeading(randomDirection(world.random));
    }
}

}

void runSmartZombieRule(Actor& zombie, World& world)
{
    const Board& board = world.board;
    // For a zombie the panic counter is its chase memory.
    if (zombie.panicCounter != 0)
        --zombie.panicCounter;

    CellKind adjacent = zombie.look(board, zombie.x(), zombie.y(), zombie.lookDir(), 1);
    if (adjacent == CellKind::Human) {
        infectCellAhead(zombie, world);
        return;
    }
    if (adjacent != CellKind::Empty) {
        turnFromObstacle(zombie, adjacent, world);
        return;
    }

    Direction facing = zombie.lookDir();
    CellKind left = zombie.look(board, zombie.x(), zombie.y(), turnLeft(facing), sightRange);
    CellKind right = zombie.look(board, zombie.x(), zombie.y(), turnRight(facing), sightRange);
    CellKind ahead = zombie.look(board, zombie.x(), zombie.y(), facing, sightRange);

    // Humans on both sides cancel out: the second turn undoes the first.
    if (left == CellKind::Human && ahead != CellKind::Human)
        zombie.setHeading(turnLeft(zombie.lookDir()));
    if (right == CellKind::Human && ahead != CellKind::Human)
        zombie.setHeading(turnRight(zombie.lookDir()));

    if (left == CellKind::Human || right == CellKind::Human || ahead == CellKind::Human) {
        zombie.panicCounter = static_cast<std::uint32_t>(smartChaseBase + world.random.below(smartChaseSpread));
        if (zombie.look(board, zombie.x(), zombie.y(), zombie.lookDir(), lungeReach) != CellKind::Empty)
            zombie.addMoveCredit(moveCreditPerStep);
        return;
    }

    if (zombie.panicCounter == 0 && world.random.below(5) == 2)
        zombie.setHeading(randomDirection(world.random));
}

void runSimpleZombieRule(Actor& zombie, World& world)
{
    const Board& board = world.board;
    if (world.random.below(10) == 1)
        zombie.addMoveCredit(moveCreditPerStep);

    // Unlike the smart rule this goes on after an obstacle, and a human right ahead
    // along the move direction counts as one.
    CellKind adjacent = zombie.look(board, zombie.x(), zombie.y(), zombie.moveDir(), 1);
    if (adjacent != CellKind::Empty)
        turnFromObstacle(zombie, adjacent, world);

    if (zombie.panicCounter != 0)
        --zombie.panicCounter;

    CellKind ahead = zombie.look(board, zombie.x(), zombie.y(), zombie.lookDir(), sightRange);
    if (ahead == CellKind::Human) {
        zombie.panicCounter = simpleChaseFrames;
        if (zombie.look(board, zombie.x(), zombie.y(), zombie.lookDir(), lungeReach) != CellKind::Empty)
            zombie.addMoveCredit(moveCreditPerStep);
    }
    if (zombie.panicCounter == 0 && ahead != CellKind::Zombie)
        zombie.setHeading(randomDirection(world.random));

    if (zombie.look(board, zombie.x(), zombie.y(), zombie.lookDir(), 1) == CellKind::Human)
        infectCellAhead(zombie, world);
}

void runDefaultHumanRule(Actor& human, Random& random)
{
    const SightRecord& ahead = human.sightAhead;
    if (human.panicCounter != 0 || random.below(10) > 5) {
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

    if (random.below(8) == 1)
        human.setHeading(randomDirection(random));
}

}
