#pragma once

#include "sim/BeingMind.h"
#include "sim/Actor.h"
#include "sim/Board.h"
#include "sim/BrainHost.h"
#include "sim/BrainNames.h"
#include "sim/Population.h"
#include "sim/Rules.h"

#include <cstdint>

namespace shamblex {

class Random;

// Everything a being's update touches besides the being itself, for one frame step:
// the board, the population, the random generator, the brains and the rule switches.
// The simulation makes one per step; tests make their own around tiny boards.
// A being that was reset (no longer panicked) clears the panic mark on the cell it
// holds, so that beings looking at that cell see it calm.
void markCalmed(Board&, const Population&, ActorIndex);

class World {
public:
    World(Board& board, Population& population, Random& random, BrainNames& names, BrainHost& brains,
        ZombieMind zombieMind = ZombieMind::Smart, WallEating wallEating = WallEating::Off, std::int32_t frame = 1)
        : board(board)
        , population(population)
        , random(random)
        , names(names)
        , brains(brains)
        , zombieMind(zombieMind)
        , wallEating(wallEating)
        , frame(frame)
    {
    }

    // What a look found: the kind that stopped it (Wall past the edge, Empty when
    // nothing did within range), the cells stepped, and the board cell it stopped on
    // (noCell past the edge).
    struct Sight {
        CellKind kind = CellKind::Empty;
        std::int32_t distance = 0;
        std::size_t cell = noCell;
    };
    static constexpr std::size_t noCell = static_cast<std::size_t>(-1);

    // Looks from (x, y) along a direction for at most range cells (range >= 1). Along
    // no direction the probe stays on the start cell and sees what it holds.
    Sight scan(std::int32_t x, std::int32_t y, Direction, std::int32_t range) const;
    CellKind look(std::int32_t x, std::int32_t y, Direction direction, std::int32_t range) const
    {
        return scan(x, y, direction, range).kind;
    }
    // The viewer's sight record along a direction, range 10: what stopped the look,
    // and of a being seen there its serial number, panic and, when it shares the
    // viewer's brain name, its panic counter.
    void lookInto(const Actor& viewer, Direction, SightReport&) const;

    // One frame of the being: its sights, its rule or brain, then its move.
    void update(ActorIndex);

    // Every being standing on the cell ahead of the zombie (along its look direction)
    // becomes a fresh zombie, a zombie found there included.
    void infectCellAhead(const Actor& zombie);

    // Eats the wall or turns: a zombie that bumped into something along its move
    // direction eats the wall there (when allowed and the wall is on the board) and
    // turns back; otherwise it picks a random heading.
    void turnFromObstacle(Actor& zombie, CellKind obstacle);

    Board& board;
    Population& population;
    Random& random;
    BrainNames& names;
    BrainHost& brains;
    ZombieMind zombieMind;
    WallEating wallEating;
    std::int32_t frame; // the frame being simulated, for reports about brains

private:
    void runBrain(ActorIndex);
    void moveOn(ActorIndex);
};

}
