#pragma once

// A tiny hand-built world for testing single beings and rules: an open board, a
// population and the generator, with helpers to put beings and walls where a test
// wants them.

#include "Printers.h"
#include "sim/Actor.h"
#include "sim/Board.h"
#include "sim/BrainHost.h"
#include "sim/BrainNames.h"
#include "sim/Population.h"
#include "sim/Random.h"
#include "sim/World.h"

#include <functional>
#include <string>

namespace shamblex::test {

struct TestWorld {
    Random random;
    NoBrains noBrains;
    BrainHost* brains = &noBrains;
    BrainNames names;
    Board board;
    Population population;

    TestWorld(std::int32_t width, std::int32_t height)
    {
        board.reset(width, height, Terrain::OpenArena, random);
        population.prepare(width, height, 16);
    }

    // A being at (x, y) with the given kind and directions, already marked on its
    // cell as after an update. Humans get the brain name given ("Human" by default).
    Actor& put(std::int32_t x, std::int32_t y, CellKind kind, Direction look, Direction move,
        const std::string& brainName = "Human")
    {
        ActorIndex index = population.append(freshHuman(x, y));
        if (kind == CellKind::Zombie) {
            population.becomeKind(index, CellKind::Zombie);
        } else {
            BrainId brain = names.intern(brainName);
            population.becomeHuman(index, brain, !names.followsBuiltInRule(brain), random);
        }
        Actor& actor = population[index];
        actor.lookDirection = static_cast<std::uint32_t>(look);
        actor.moveDirection = static_cast<std::uint32_t>(move);
        board.setKindAt(board.index(x, y), kind);
        population.mark(index);
        return actor;
    }

    ActorIndex indexOf(const Actor& actor) const { return static_cast<ActorIndex>(&actor - &population[0]); }

    void wall(std::int32_t x, std::int32_t y) { board.setKindAt(board.index(x, y), CellKind::Wall); }
    CellKind kind(std::int32_t x, std::int32_t y) const { return board.kind(x, y); }

    World world(ZombieMind mind = ZombieMind::Smart, WallEating eating = WallEating::Off)
    {
        names.bind(*brains);
        return World { board, population, random, names, *brains, mind, eating };
    }

    void update(Actor& actor, World& w) { w.update(indexOf(actor)); }
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
