#include "sim/Actor.h"

#include "brains/BrainRegistry.h"
#include "sim/Behaviours.h"
#include "sim/Board.h"
#include "sim/KindTable.h"
#include "sim/Population.h"
#include "sim/Random.h"

#include <cstring>

namespace shamblex {

namespace {

// A random placement gives up after this many occupied cells.
constexpr int placementTries = 100;

// Rows and columns 1 to extent - 1; a board one cell across has only 1.
std::int32_t randomPlacement(std::int32_t extent, Random& random)
{
    if (extent - 1 <= 0)
        return 1;
    return 1 + random.below(extent - 1);
}

}

Actor::Actor(Random& random)
{
    becomeHuman("Human", random);
}

void Actor::resetRecord()
{
    red = 255;
    green = 0;
    blue = 255;
    lookDirection = static_cast<std::uint32_t>(Direction::Up);
    moveDirection = static_cast<std::uint32_t>(Direction::None);
    panicked = 0;
    panicCounter = 0;
    serialNumber = 0;
    std::memset(memory, 0, sizeof memory);
    statusText.clear();
}

void Actor::becomeKind(CellKind kind)
{
    const KindInfo& info = kindInfo(kind);
    resetRecord();
    m_kind = info.kind;
    m_speed = info.speed;
    m_moveCredit = 0;
    m_brainName = kind == CellKind::Zombie ? "Zombie" : "Human";
}

void Actor::becomeHuman(std::string_view brainName, Random& random)
{
    becomeKind(CellKind::Human);
    m_brainName = brainName;
    resetRecord();
    // Two separate draws, look first.
    lookDirection = static_cast<std::uint32_t>(randomDirection(random));
    moveDirection = static_cast<std::uint32_t>(randomDirection(random));
}

void Actor::placeRandomly(const Board& board, Random& random)
{
    for (int attempt = 0; attempt < placementTries; ++attempt) {
        m_x = randomPlacement(board.width(), random);
        m_y = randomPlacement(board.height(), random);
        if (board.cell(m_x, m_y).kind == CellKind::Empty)
            return;
    }
}

CellKind Actor::look(const Board& board, std::int32_t x, std::int32_t y, Direction direction, std::int32_t range,
    SightRecord* record) const
{
    // The probe moves one cell per count until it meets something, leaves the board
    // (a wall) or has gone the range. Along no direction it stays on the start cell,
    // which it examines at every count.
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    stepInDirection(direction, dx, dy);
    std::int32_t count = 0;
    CellKind seen = CellKind::Empty;
    while (seen == CellKind::Empty && count < range) {
        x += dx;
        y += dy;
        ++count;
        if (!board.contains(x, y)) {
            seen = CellKind::Wall;
            break;
        }
        seen = board.at(x, y).kind;
    }
    if (record) {
        *record = SightRecord {};
        record->seenKind = static_cast<std::uint32_t>(seen);
        record->distance = static_cast<std::uint32_t>(count);
        if (board.contains(x, y)) {
            if (const Actor* other = board.at(x, y).occupant) {
                if (other->m_brainName == m_brainName) {
                    record->sameBrain = 1;
                    record->peerCounter = other->panicCounter;
                }
                record->seenPanicked = other->panicked;
                record->seenSerial = other->serialNumber;
            }
        }
    }
    return seen;
}

void Actor::update(World& world)
{
    decide(world);
    moveOn(world);
}

void Actor::decide(World& world)
{
    if (m_kind == CellKind::Zombie) {
        if (world.zombieMind == ZombieMind::Smart)
            runSmartZombieRule(*this, world);
        else
            runSimpleZombieRule(*this, world);
        return;
    }

    Direction facing = lookDir();
    look(world.board, m_x, m_y, facing, sightRange, &sightAhead);
    if (panicked == 1) {
        // All zero bytes, distance included, which tells a brain that no side look
        // was taken (a look that saw nothing reports distance 10).
        sightLeft = SightRecord {};
        sightRight = SightRecord {};
    } else {
        look(world.board, m_x, m_y, turnLeft(facing), sightRange, &sightLeft);
        look(world.board, m_x, m_y, turnRight(facing), sightRange, &sightRight);
    }

    if (hasBuiltInRule())
        runDefaultHumanRule(*this, world.random);
    else
        world.brains.runBrain(m_brainName, *this);
}

void Actor::moveOn(World& world)
{
    Board& board = world.board;
    m_moveCredit += m_speed;
    board.cell(m_x, m_y) = { CellKind::Empty, nullptr };
    // A blocked step still costs its credit. Walking into a zombie turns any being
    // into a fresh zombie, which zeroes the credit and so ends the loop.
    while (m_moveCredit >= moveCreditPerStep) {
        m_moveCredit -= moveCreditPerStep;
        CellKind ahead = look(board, m_x, m_y, moveDir(), 1);
        if (ahead == CellKind::Empty)
            stepInDirection(moveDir(), m_x, m_y);
        else if (ahead == CellKind::Zombie)
            becomeKind(CellKind::Zombie);
    }
    board.cell(m_x, m_y) = { m_kind, this };
    world.population.refile(*this);
}

}
