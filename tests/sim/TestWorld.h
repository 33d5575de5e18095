#pragma once

// A tiny hand-built world for testing single beings and rules: an open board, a
// population and the generator, with helpers to put beings and walls where a test
// wants them.

#include "Printers.h"
#include "brains/BrainRegistry.h"
#include "sim/Actor.h"
#include "sim/Board.h"
#include "sim/Population.h"
#include "sim/Random.h"

#include <functional>
#include <string>

namespace shamblex::test {

struct TestWorld {
    Random random;
    BrainRegistry brains;
    Board board;
    Population population;

    TestWorld(std::int32_t width, std::int32_t height)
    {
        board.reset(width, height, Terrain::OpenArena, random);
        population.prepare(width, height, 8);
    }

    // A being at (x, y) with the given kind and directions, already marked on its
    // cell as after an update. Humans get the brain name given ("Human" by default).
    Actor& put(std::int32_t x, std::int32_t y, CellKind kind, Direction look, Direction move,
        const std::string& brainName = "Human")
    {
        Actor& actor = population.append(random);
        if (kind == CellKind::Zombie)
            actor.becomeKind(CellKind::Zombie);
        else
            actor.becomeHuman(brainName, random);
        actor.lookDirection = static_cast<std::uint32_t>(look);
        actor.moveDirection = static_cast<std::uint32_t>(move);
        actor.setPosition(x, y);
        population.refile(actor);
        board.cell(x, y) = { kind, &actor };
        return actor;
    }

    void wall(std::int32_t x, std::int32_t y) { board.cell(x, y) = { CellKind::Wall, nullptr }; }

    World world(ZombieMind mind = ZombieMind::Smart, WallEating eating = WallEating::Off)
    {
        return World { population, board, random, brains, mind, eating };
    }
};

// The first generator state, counting up from 0, whose draws satisfy `wanted`: a way
// to make a rule draw the numbers a test needs without reaching into the generator.
inline std::uint32_t stateWhere(const std::function<bool(Random&)>& wanted)
{
    for (std::uint32_t state = 0;; ++state) {
        Random probe(state);
        if (wanted(probe))
            return state;
    }
}

}
