#include "sim/World.h"

#include "sim/Behaviours.h"
#include "sim/Random.h"

namespace shamblex {

World::Sight World::scan(std::int32_t x, std::int32_t y, Direction direction, std::int32_t range) const
{
    // Along no direction the probe never moves: it examines the start cell at every
    // count, so it stops at once on anything there and otherwise runs out the range.
    if (static_cast<std::uint32_t>(direction) > 3) {
        if (!board.contains(x, y))
            return { CellKind::Wall, 1, noCell };
        std::size_t cell = board.index(x, y);
        CellKind kind = board.kindAt(cell);
        return { kind, kind == CellKind::Empty ? range : 1, cell };
    }

    // The cells left before the edge along the direction bound the walk; a look that
    // reaches past them stops on the edge, which reads as a wall.
    std::int32_t room = 0;
    std::ptrdiff_t stride = 0;
    switch (direction) {
    case Direction::Up: room = y; stride = -static_cast<std::ptrdiff_t>(board.width()); break;
    case Direction::Right: room = board.width() - 1 - x; stride = 1; break;
    case Direction::Down: room = board.height() - 1 - y; stride = board.width(); break;
    default: room = x; stride = -1; break;
    }
    if (!board.contains(x, y)) {
        // Only beings of a board one cell wide or high stand off it (at column or row 1);
        // their probe is checked cell by cell.
        std::int32_t px = x;
        std::int32_t py = y;
        for (std::int32_t count = 1; count <= range; ++count) {
            stepInDirection(direction, px, py);
            if (!board.contains(px, py))
                return { CellKind::Wall, count, noCell };
            std::size_t cell = board.index(px, py);
            if (CellKind kind = board.kindAt(cell); kind != CellKind::Empty)
                return { kind, count, cell };
        }
        return { CellKind::Empty, range, board.index(px, py) };
    }

    std::int32_t steps = room < range ? room : range;
    std::size_t cell = board.index(x, y);
    for (std::int32_t count = 1; count <= steps; ++count) {
        cell = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(cell) + stride);
        if (CellKind kind = board.kindAt(cell); kind != CellKind::Empty)
            return { kind, count, cell };
    }
    if (steps < range)
        return { CellKind::Wall, steps + 1, noCell };
    return { CellKind::Empty, range, cell };
}

void World::lookInto(const Actor& viewer, Direction direction, SightReport& record) const
{
    Sight sight = scan(viewer.x, viewer.y, direction, sightRange);
    record = SightReport {};
    record.seenKind = static_cast<std::uint32_t>(sight.kind);
    record.distance = static_cast<std::uint32_t>(sight.distance);
    // Only a cell marked by a being shows a being's kind.
    if (sight.kind != CellKind::Zombie && sight.kind != CellKind::Human)
        return;
    ActorIndex seen = population.occupant(sight.cell);
    if (seen == noActor)
        return;
    const Actor& other = population[seen];
    if (other.brain == viewer.brain) {
        record.sameBrain = 1;
        record.peerCounter = other.panicCounter;
    }
    record.seenPanicked = other.panicked;
    record.seenSerial = other.serialNumber;
}

void World::update(ActorIndex index)
{
    Actor& actor = population[index];
    if (actor.isZombie()) {
        if (zombieMind == ZombieMind::Smart)
            runSmartZombieRule(actor, *this);
        else
            runSimpleZombieRule(actor, *this);
    } else if (names.followsBuiltInRule(actor.brain)) {
        // The built-in rule reads only what stopped the sight ahead, how far, and
        // whether a human seen there panics: the side sights and the rest of the
        // record are not taken, since nothing would read them.
        Sight sight = scan(actor.x, actor.y, actor.lookDir(), sightRange);
        SightReport ahead;
        ahead.seenKind = static_cast<std::uint32_t>(sight.kind);
        ahead.distance = static_cast<std::uint32_t>(sight.distance);
        if (sight.kind == CellKind::Human && board.markedPanicked(sight.cell))
            ahead.seenPanicked = 1;
        runDefaultHumanRule(actor, ahead, random);
    } else {
        runBrain(index);
    }
    moveOn(index);
}

void World::runBrain(ActorIndex index)
{
    Actor& actor = population[index];
    BeingMind& mind = population.mind(actor);
    lookInto(actor, actor.lookDir(), mind.sightAhead);
    if (actor.panicked == 1) {
        // All zero bytes, distance included, which tells a brain that no side look
        // was taken (a look that saw nothing reports distance 10).
        mind.sightLeft = SightReport {};
        mind.sightRight = SightReport {};
    } else {
        lookInto(actor, turnLeft(actor.lookDir()), mind.sightLeft);
        lookInto(actor, turnRight(actor.lookDir()), mind.sightRight);
    }

    // A name no brain was loaded for calls nothing: the being keeps its directions.
    int slot = names.brainSlot(actor.brain);
    if (slot == BrainNames::noBrain)
        return;

    mind.lookDirection = actor.lookDirection;
    mind.moveDirection = actor.moveDirection;
    mind.panicked = actor.panicked;
    mind.panicCounter = actor.panicCounter;
    mind.serialNumber = actor.serialNumber;
    if (brains.callBrain(slot, mind, { frame, index }) == BrainCallOutcome::Disabled) {
        mind.moveDirection = static_cast<std::uint32_t>(Direction::None);
        const std::string& reason = brains.disabledReason(slot);
        if (mind.statusText != reason)
            mind.statusText = reason;
    }
    actor.lookDirection = mind.lookDirection;
    actor.moveDirection = mind.moveDirection;
    actor.panicked = mind.panicked;
    actor.panicCounter = mind.panicCounter;
    actor.serialNumber = mind.serialNumber;
}

void World::moveOn(ActorIndex index)
{
    Actor& actor = population[index];
    const std::int32_t oldX = actor.x;
    const std::int32_t oldY = actor.y;
    const std::size_t oldCell = board.wrappedIndex(oldX, oldY);
    actor.moveCredit += speedOf(actor.kind());
    // The cell is cleared while the being moves; its mark is dealt with once the
    // being knows where it ends up (a being that stays and holds it keeps it).
    board.setKindAt(oldCell, CellKind::Empty);
    // A blocked step still costs its credit. Walking into a zombie turns any being
    // into a fresh zombie, which zeroes the credit and so ends the loop.
    while (actor.moveCredit >= moveCreditPerStep) {
        actor.moveCredit -= moveCreditPerStep;
        CellKind ahead = look(actor.x, actor.y, actor.moveDir(), 1);
        if (ahead == CellKind::Empty)
            stepInDirection(actor.moveDir(), actor.x, actor.y);
        else if (ahead == CellKind::Zombie)
            population.becomeKind(index, CellKind::Zombie);
    }
    board.markAt(board.wrappedIndex(actor.x, actor.y), actor.kind(), actor.panicked == 1);
    if (actor.x != oldX || actor.y != oldY)
        population.moved(index, oldX, oldY);
    else
        population.mark(index);
}

void World::infectCellAhead(const Actor& zombie)
{
    std::int32_t x = zombie.x;
    std::int32_t y = zombie.y;
    stepInDirection(zombie.lookDir(), x, y);
    population.forEachAt(x, y, [this](ActorIndex victim) {
        population.becomeKind(victim, CellKind::Zombie);
        markCalmed(board, population, victim);
    });
}

void markCalmed(Board& board, const Population& population, ActorIndex index)
{
    const Actor& actor = population[index];
    if (actor.holdsMark)
        board.clearPanicked(board.wrappedIndex(actor.x, actor.y));
}

void World::turnFromObstacle(Actor& zombie, CellKind obstacle)
{
    std::int32_t x = zombie.x;
    std::int32_t y = zombie.y;
    stepInDirection(zombie.moveDir(), x, y);
    if (obstacle == CellKind::Wall && wallEating == WallEating::On && board.contains(x, y)) {
        std::size_t cell = board.index(x, y);
        board.setKindAt(cell, CellKind::Empty);
        population.clearMark(cell);
        zombie.setHeading(turnAround(zombie.moveDir()));
    } else {
        zombie.setHeading(randomDirection(random));
    }
}

}
