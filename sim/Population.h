#pragma once

#include "sim/Actor.h"
#include "sim/BeingMind.h"
#include "sim/CellTable.h"
#include "sim/LargeAllocator.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace shamblex {

class Random;

// Every being of a simulation, in order of creation, with the two pieces of
// bookkeeping that tie beings to board cells:
//
// - a cell's occupant: the being that marked the cell last (a being writes its mark
//   where it ends each update; clearing the cell takes the mark away);
// - the beings filed under each cell: everyone whose position is that cell, so that
//   a zombie infecting the cell ahead finds everyone standing there without walking
//   the whole population. Beings not yet updated, or sharing a cell, have no mark,
//   so the occupant alone cannot serve for this.
//
// Both live in one word per cell: the first being filed there, and a bit saying that
// this being is also the cell's occupant (an occupant always stands on its cell, so
// it can always be put first). The words are kept in a CellTable, for the cells
// that have beings only. Beings are kept in population order in one array and named
// by their index; removing beings renumbers the rest.
//
// Brain-driven humans also own a BeingMind, kept apart from the beings so that the
// beings that need none cost nothing for it.
class Population {
public:
    // Empties the population for a board of the given size, with room for `capacity`
    // beings. Throws std::bad_alloc when that does not fit in memory; the population
    // is then empty.
    void prepare(std::int32_t boardWidth, std::int32_t boardHeight, std::size_t capacity);

    // Appends the being and files it under its position (without a mark). Throws
    // std::bad_alloc when there is no room left and none can be had.
    ActorIndex append(const Actor&);

    std::size_t size() const { return m_beings.size(); }
    bool empty() const { return m_beings.empty(); }
    Actor& operator[](ActorIndex index) { return m_beings[index]; }
    const Actor& operator[](ActorIndex index) const { return m_beings[index]; }
    auto begin() { return m_beings.begin(); }
    auto end() { return m_beings.end(); }
    auto begin() const { return m_beings.begin(); }
    auto end() const { return m_beings.end(); }

    // The cell a position is filed under: beings stand on the board, except on a
    // board one cell wide or high, where placement puts them at column or row 1,
    // which wraps like the board's own cells.
    std::size_t cellOf(std::int32_t x, std::int32_t y) const
    {
        if (x >= m_boardWidth)
            x %= m_boardWidth;
        if (y >= m_boardHeight)
            y %= m_boardHeight;
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_boardWidth) + static_cast<std::size_t>(x);
    }

    // Fetches the bookkeeping of the cell ahead of its use (see Simulation::frameStep).
    void prefetchCell(std::size_t cell) const { m_cells.prefetch(static_cast<std::uint32_t>(cell)); }

    // The being that marked the cell, or noActor.
    ActorIndex occupant(std::size_t cell) const
    {
        std::uint32_t word = m_cells.get(static_cast<std::uint32_t>(cell));
        return (word & markedBit) ? (word & ~markedBit) - 1 : noActor;
    }
    // The being marks the cell it stands on and becomes its occupant.
    void mark(ActorIndex index)
    {
        if (!m_beings[index].holdsMark)
            takeMark(index);
    }
    // The cell loses its mark (its occupant, if any, stays filed there).
    void clearMark(std::size_t cell)
    {
        std::uint32_t* word = m_cells.find(static_cast<std::uint32_t>(cell));
        if (word && (*word & markedBit)) {
            m_beings[(*word & ~markedBit) - 1].holdsMark = 0;
            *word &= ~markedBit;
        }
    }
    // The being moved from (oldX, oldY) to where it stands now: the old cell loses its
    // mark and the being, and the being marks its new cell.
    void moved(ActorIndex, std::int32_t oldX, std::int32_t oldY);

    // Calls f(index) for every being whose position is exactly (x, y).
    template<typename F>
    void forEachAt(std::int32_t x, std::int32_t y, F f)
    {
        if (x < 0 || y < 0 || m_boardWidth == 0)
            return;
        for (std::uint32_t link = m_cells.get(static_cast<std::uint32_t>(cellOf(x, y))) & ~markedBit; link != 0;) {
            ActorIndex index = link - 1;
            link = m_beings[index].nextResident;
            if (m_beings[index].x == x && m_beings[index].y == y)
                f(index);
        }
    }

    // Removes, in order, every being for which remove(index) is true; the others keep
    // their order and are renumbered. Returns each old index's new index, or noActor
    // for a removed being. Marks stay where they were, except that remove() may clear
    // cells as it goes.
    template<typename Predicate>
    std::vector<ActorIndex> removeIf(Predicate remove)
    {
        std::vector<bool> removed(m_beings.size());
        bool any = false;
        for (ActorIndex i = 0; i < m_beings.size(); ++i) {
            removed[i] = remove(i);
            any = any || removed[i];
        }
        return any ? compact(removed) : identity();
    }

    void clear();

    // The being's mind; it has one while it is a human of a brain.
    BeingMind& mind(const Actor& actor) { return m_minds[actor.mind]; }
    const BeingMind& mind(const Actor& actor) const { return m_minds[actor.mind]; }

    // Kind changes. A zombie or default human has fresh state (facing up, standing
    // still, no panic or credit, serial number 0) and no mind; a human of a brain
    // also gets a fresh mind and two random directions, look first.
    void becomeKind(ActorIndex, CellKind);
    void becomeHuman(ActorIndex, BrainId, bool needsMind, Random&);

private:
    static constexpr std::uint32_t markedBit = 0x8000'0000u;

    void takeMark(ActorIndex);
    void file(ActorIndex, std::size_t cell);
    void unfile(ActorIndex, std::size_t cell);
    std::uint32_t takeMind();
    void dropMind(Actor&);
    std::vector<ActorIndex> compact(const std::vector<bool>& removed);
    std::vector<ActorIndex> identity() const;

    std::vector<Actor, LargeAllocator<Actor>> m_beings;
    // Per cell: 1 + the first being filed there (0 for none), and markedBit.
    CellTable m_cells;
    std::vector<BeingMind> m_minds;
    std::vector<std::uint32_t> m_freeMinds;
    std::int32_t m_boardWidth = 0;
    std::int32_t m_boardHeight = 0;
};

// A fresh being at (x, y) as a new simulation or a click creates it: a default human.
Actor freshHuman(std::int32_t x, std::int32_t y);

}
