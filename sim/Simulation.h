#pragma once

#include "sim/Board.h"
#include "sim/BrainNames.h"
#include "sim/Population.h"
#include "sim/PopulationHistory.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

class BrainHost;
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
// brains of the host it is given; all three outlive it.
class Simulation {
public:
    Simulation(const Settings&, Random&, BrainHost&);

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
    // nothing on a wall, the being that marked the cell converted, otherwise a new
    // being appended. Returns the being, or noActor for a wall (or when memory for a
    // new being is refused).
    ActorIndex placeBeing(std::int32_t column, std::int32_t row, CellKind, std::string_view brainName);
    // Removes every zombie and clears its cell.
    void killAllZombies();
    // Removes every being of the brain at that place of the brain list, then the
    // name; nothing when the list has no such place.
    void removeBrain(int index);
    // Every being becomes a plain human again and the first one a zombie, on the same
    // board; frame number, history and pause stay.
    void restartBoard();
    // Every wall of the running board becomes ground at once (the open-arena switch).
    void clearWalls();

    Board& board() { return m_board; }
    const Board& board() const { return m_board; }
    Population& population() { return m_population; }
    const Population& population() const { return m_population; }
    const PopulationHistory& history() const { return m_history; }
    const BrainNames& brainNames() const { return m_names; }
    const std::string& brainName(const Actor& actor) const { return m_names.name(actor.brain); }
    // The text a brain gave the being; empty for beings without a brain.
    const std::string& statusText(const Actor&) const;
    // The being that marked the cell, or noActor (also off the board).
    ActorIndex occupant(std::int32_t column, std::int32_t row) const;

    // Humans per listed brain after the latest simulated frame, in list order.
    std::span<const std::int32_t> humansPerBrain() const { return m_listedHumans; }

    bool stopped() const { return m_stopped; }
    void setStopped(bool stopped) { m_stopped = stopped; }
    std::int32_t frameNumber() const { return m_frameNumber; }
    std::int32_t zombieCount() const { return m_zombieCount; }
    std::int32_t humanCount() const { return m_humanCount; }
    bool fullRedrawPending() const { return m_fullRedrawPending; }
    void requestFullRedraw() { m_fullRedrawPending = true; }

    // The being under the pointer, or noActor. Operations that remove beings follow
    // it as it is renumbered and clear it when it goes.
    ActorIndex watchedActor() const { return m_watchedActor; }
    // A marked watched being (one pinned) also gets an outline around its cell.
    void setWatchedActor(ActorIndex actor, bool marked = false)
    {
        m_watchedActor = actor;
        m_watchMarked = marked;
    }
    // A being a tool follows (the runner's trace of one being), renumbered and
    // cleared the same way.
    ActorIndex followedActor() const { return m_followedActor; }
    void setFollowedActor(ActorIndex actor) { m_followedActor = actor; }

private:
    void tallyBrains();
    void removeWhere(bool (*remove)(const Actor&, BrainId), BrainId);

    const Settings& m_settings;
    Random& m_random;
    BrainHost& m_brains;
    SceneDrawer* m_drawer = nullptr;

    Board m_board;
    Population m_population;
    BrainNames m_names;
    bool m_stopped = false;
    std::int32_t m_frameNumber = 0;
    std::int32_t m_zombieCount = 0;
    std::int32_t m_humanCount = 0;
    bool m_fullRedrawPending = false;
    ActorIndex m_watchedActor = noActor;
    bool m_watchMarked = false;
    ActorIndex m_followedActor = noActor;
    PopulationHistory m_history;
    std::vector<std::int32_t> m_humansPerName; // by brain id, reused every frame
    std::vector<std::int32_t> m_listedHumans; // by place in the brain list
};

}
