#include "sim/Population.h"

#include <algorithm>
#include <new>

namespace shamblex {

namespace {

// Beings placed by hand after a simulation was built come in slabs of this many.
constexpr std::size_t minimumSlab = 64;

}

Population::~Population()
{
    clear();
}

Population::Population(Population&& other) noexcept
{
    *this = std::move(other);
}

Population& Population::operator=(Population&& other) noexcept
{
    if (this != &other) {
        clear();
        m_order = std::move(other.m_order);
        m_slabs = std::move(other.m_slabs);
        m_freeSlots = std::move(other.m_freeSlots);
        m_residents = std::move(other.m_residents);
        m_boardWidth = other.m_boardWidth;
        m_boardHeight = other.m_boardHeight;
        other.m_order.clear();
        other.m_slabs.clear();
        other.m_freeSlots.clear();
        other.m_residents.clear();
    }
    return *this;
}

void Population::prepare(std::int32_t boardWidth, std::int32_t boardHeight, std::size_t capacity)
{
    clear();
    m_slabs.clear();
    m_freeSlots.clear();
    m_residents = decltype(m_residents)();
    m_order = decltype(m_order)();
    m_boardWidth = 0;
    m_boardHeight = 0;

    decltype(m_residents) residents(static_cast<std::size_t>(boardWidth) * static_cast<std::size_t>(boardHeight));
    m_order.reserve(capacity);
    if (capacity > 0)
        m_slabs.push_back(makeSlab(capacity));
    m_residents = std::move(residents);
    m_boardWidth = boardWidth;
    m_boardHeight = boardHeight;
}

Population::Slab Population::makeSlab(std::size_t capacity)
{
    // Raw storage: beings are constructed in it one by one as they are created.
    return { std::unique_ptr<Slot[], SlabDeleter>(LargeAllocator<Slot>().allocate(capacity)), capacity, 0 };
}

void* Population::allocateSlot()
{
    if (!m_freeSlots.empty()) {
        Slot* slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        return slot;
    }
    if (m_slabs.empty() || m_slabs.back().used == m_slabs.back().capacity) {
        std::size_t capacity = std::max(minimumSlab, m_order.size() / 2);
        m_slabs.push_back(makeSlab(capacity));
    }
    Slab& slab = m_slabs.back();
    return &slab.slots[slab.used++];
}

Actor& Population::append(Random& random)
{
    m_order.reserve(m_order.size() + 1);
    void* slot = allocateSlot();
    Actor* actor;
    try {
        actor = new (slot) Actor(random);
    } catch (...) {
        m_freeSlots.push_back(static_cast<Slot*>(slot));
        throw;
    }
    m_order.push_back(actor);
    actor->m_filedCell = SIZE_MAX;
    refile(*actor);
    return *actor;
}

std::size_t Population::cellOf(std::int32_t x, std::int32_t y) const
{
    // Beings stand on the board, except on a board one cell wide or high, where
    // placement puts them at column or row 1; they are filed under the cell they
    // mark, which wraps the same way.
    if (x >= m_boardWidth)
        x %= m_boardWidth;
    if (y >= m_boardHeight)
        y %= m_boardHeight;
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_boardWidth) + static_cast<std::size_t>(x);
}

void Population::unfile(Actor& actor)
{
    if (actor.m_filedCell == SIZE_MAX)
        return;
    if (actor.m_previousResident)
        actor.m_previousResident->m_nextResident = actor.m_nextResident;
    else
        m_residents[actor.m_filedCell] = actor.m_nextResident;
    if (actor.m_nextResident)
        actor.m_nextResident->m_previousResident = actor.m_previousResident;
    actor.m_previousResident = nullptr;
    actor.m_nextResident = nullptr;
    actor.m_filedCell = SIZE_MAX;
}

void Population::refile(Actor& actor)
{
    if (m_residents.empty())
        return;
    std::size_t cell = cellOf(actor.m_x, actor.m_y);
    if (cell == actor.m_filedCell)
        return;
    unfile(actor);
    Actor*& head = m_residents[cell];
    actor.m_nextResident = head;
    if (head)
        head->m_previousResident = &actor;
    head = &actor;
    actor.m_filedCell = cell;
}

void Population::destroy(Actor& actor)
{
    unfile(actor);
    actor.~Actor();
    m_freeSlots.push_back(reinterpret_cast<Slot*>(&actor));
}

void Population::clear()
{
    for (Actor* actor : m_order)
        actor->~Actor();
    m_order.clear();
    std::fill(m_residents.begin(), m_residents.end(), nullptr);
    m_freeSlots.clear();
    for (Slab& slab : m_slabs)
        slab.used = 0;
}

bool Population::contains(const Actor* actor) const
{
    return std::find(m_order.begin(), m_order.end(), actor) != m_order.end();
}

}
