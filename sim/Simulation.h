#pragma once

#include "sim/Board.h"
#include "sim/Population.h"
#include "sim/PopulationHistory.h"

#include <cstdint>
#include <string_view>

namespace shamblex {

class BrainRegistry;
class Random;
class SceneDrawer;
struct Settings;

enum class Drawing {
    Off,
    On,
};

// One outbreak: the board, the population, the frame counter and counts, the
// per-brain history, and the flags that pause the simulation or ask for a full
// repaint. The program holds one; tests build as many as they like.
//
// The simulation reads the settings, draws from the random generator and calls the
// brains of the registry it is given; all three outlive it.
class Simulation {
public:
    Simulation(const Settings&, Random&, BrainRegistry&);

    // The drawing to call at the fixed points of a step, or null for none. Not owned.
    void setDrawer(SceneDrawer* drawer) { m_drawer = drawer; }

    // Builds a new board and population from the settings and the listed brains:
    // every brain gets the same number of humans, and the first being created becomes
    // the zombie. Returns false, with the running simulation and the random generator
    // exactly as they were, when the board or the population does not fit in memory
    // (or the board has more than 2^31 - 1 cells).
    [[nodiscard]] bool newSimulation();

    // One frame: count, repaint when asked, move every being in order, advance the
    // frame number and the history, draw the status band, the rays and the watched
    // label, and stop once a count found no humans. With drawing off the per-being
    // drawing and the status band are skipped.
    void frameStep(Drawing);

    // Population operations for the commands, between frame steps. None of them
    // changes whether the simulation runs.

    // Puts a being of the kind on the cell (which the caller keeps on the board):
    // nothing on a wall, the being already marked there converted, otherwise a new
    // being appended. Returns the being, or null for a wall (or when memory for a new
    // being is refused).
    Actor* placeBeing(std::int32_t column, std::int32_t row, CellKind, std::string_view brainName);
    // Removes every zombie and clears its cell.
    void killAllZombies();
    // Removes every being of the brain at that place of the brain list, then the
    // name; nothing when the list has no such place.
    void removeBrain(int index);
    // Every being becomes a plain human again and the first one a zombie, on the same
    // board; frame number, history and pause stay.
    void restartBoard();

    Board& board() { return m_board; }
    const Board& board() const { return m_board; }
    Population& population() { return m_population; }
    const Population& population() const { return m_population; }
    const PopulationHistory& history() const { return m_history; }
    const BrainTally& tally() const { return m_tally; }

    bool stopped() const { return m_stopped; }
    void setStopped(bool stopped) { m_stopped = stopped; }
    std::int32_t frameNumber() const { return m_frameNumber; }
    std::int32_t zombieCount() const { return m_zombieCount; }
    std::int32_t humanCount() const { return m_humanCount; }
    bool fullRedrawPending() const { return m_fullRedrawPending; }
    void requestFullRedraw() { m_fullRedrawPending = true; }

    // The being under the pointer, or null. The caller passes a being of this
    // population; operations that remove beings clear it when it goes.
    Actor* watchedActor() const { return m_watchedActor; }
    void setWatchedActor(Actor* actor) { m_watchedActor = actor; }

private:
    void tallyBrains();

    const Settings& m_settings;
    Random& m_random;
    BrainRegistry& m_brains;
    SceneDrawer* m_drawer = nullptr;

    Board m_board;
    Population m_population;
    bool m_stopped = false;
    std::int32_t m_frameNumber = 0;
    std::int32_t m_zombieCount = 0;
    std::int32_t m_humanCount = 0;
    bool m_fullRedrawPending = false;
    Actor* m_watchedActor = nullptr;
    PopulationHistory m_history;
    BrainTally m_tally;
};

}
