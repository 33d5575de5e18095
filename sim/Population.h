#pragma once

#include "sim/Actor.h"
#include "sim/LargeAllocator.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace shamblex {

class Random;

// Every being of a simulation, in order of creation, and their owner.
//
// Beings live in slabs and never move, because board cells and the watched-being
// reference point at them; a simulation's population is allocated in one slab up
// front, so that a population too large for memory is refused at once rather than
// half built.
//
// The population also files every being under the cell it stands on, so that a
// zombie infecting the cell ahead finds everyone standing there without walking
// the whole population. A being's own cell on the board cannot serve for this: a
// cell names only the being that marked it last, and beings not yet updated, or
// sharing a cell, have no mark.
class Population {
public:
    Population() = default;
    ~Population();
    Population(const Population&) = delete;
    Population& operator=(const Population&) = delete;
    Population(Population&&) noexcept;
    Population& operator=(Population&&) noexcept;

    // Empties the population and prepares it for a board of the given size with room
    // for `capacity` beings. Throws std::bad_alloc when that does not fit in memory;
    // the population is then empty.
    void prepare(std::int32_t boardWidth, std::int32_t boardHeight, std::size_t capacity);

    // Appends a new default human, filed at (0, 0) until it is placed.
    Actor& append(Random&);

    // Files the being under its current position; call after every position change.
    void refile(Actor&);

    // Calls f(actor) for every being whose position is exactly (x, y).
    template<typename F>
    void forEachAt(std::int32_t x, std::int32_t y, F f)
    {
        if (x < 0 || y < 0 || m_residents.empty())
            return;
        for (Actor* actor = m_residents[cellOf(x, y)]; actor;) {
            Actor* next = actor->m_nextResident;
            if (actor->m_x == x && actor->m_y == y)
                f(*actor);
            actor = next;
        }
    }

    // Removes and destroys, in order, every being for which remove(actor) is true.
    // The others keep their order.
    template<typename Predicate>
    void removeIf(Predicate remove)
    {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < m_order.size(); ++i) {
            Actor* actor = m_order[i];
            if (remove(*actor))
                destroy(*actor);
            else
                m_order[kept++] = actor;
        }
        m_order.resize(kept);
    }

    void clear();

    std::size_t size() const { return m_order.size(); }
    bool empty() const { return m_order.empty(); }
    Actor& operator[](std::size_t index) const { return *m_order[index]; }
    Actor& front() const { return *m_order.front(); }

    auto begin() const { return m_order.begin(); }
    auto end() const { return m_order.end(); }

    bool contains(const Actor*) const;

private:
    struct Slot {
        alignas(Actor) std::byte bytes[sizeof(Actor)];
    };
    struct SlabDeleter {
        void operator()(Slot* slots) const { LargeAllocator<Slot>().deallocate(slots, 0); }
    };
    struct Slab {
        std::unique_ptr<Slot[], SlabDeleter> slots;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };

    std::size_t cellOf(std::int32_t x, std::int32_t y) const;
    void unfile(Actor&);
    void destroy(Actor&);
    void* allocateSlot();

    static Slab makeSlab(std::size_t capacity);

    std::vector<Actor*, LargeAllocator<Actor*>> m_order;
    std::vector<Slab> m_slabs;
    std::vector<Slot*, LargeAllocator<Slot*>> m_freeSlots;
    std::vector<Actor*, LargeAllocator<Actor*>> m_residents; // per cell, the first being filed there
    std::int32_t m_boardWidth = 0;
    std::int32_t m_boardHeight = 0;
};

}
