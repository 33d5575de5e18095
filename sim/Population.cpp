#include "sim/Population.h"

#include "sim/BrainNames.h"
#include "sim/Random.h"

#include <cassert>
#include <limits>
#include <new>

namespace shamblex {

Actor freshHuman(std::int32_t x, std::int32_t y)
{
    Actor actor;
    actor.x = x;
    actor.y = y;
    actor.brain = BrainNames::human;
    return actor;
}

void Population::prepare(std::int32_t boardWidth, std::int32_t boardHeight, std::size_t capacity)
{
    clear();
    m_beings = decltype(m_beings)();
    m_boardWidth = 0;
    m_boardHeight = 0;
    // Beings are named by 31 bits in a cell's word.
    if (capacity >= markedBit)
        throw std::bad_alloc();
    m_cells.reserve(capacity);
    m_beings.reserve(capacity);
    m_boardWidth = boardWidth;
    m_boardHeight = boardHeight;
}

ActorIndex Population::append(const Actor& actor)
{
    if (m_beings.size() + 1 >= markedBit)
        throw std::bad_alloc();
    m_beings.push_back(actor);
    auto index = static_cast<ActorIndex>(m_beings.size() - 1);
    m_beings[index].nextResident = 0;
    try {
        file(index, cellOf(actor.x, actor.y));
    } catch (...) {
        m_beings.pop_back();
        throw;
    }
    return index;
}

void Population::file(ActorIndex index, std::size_t cell)
{
    auto key = static_cast<std::uint32_t>(cell);
    std::uint32_t word = m_cells.get(key);
    m_beings[index].holdsMark = 0;
    if (word & markedBit) {
        // The occupant stays first: the mark belongs to the first being.
        Actor& occupant = m_beings[(word & ~markedBit) - 1];
        m_beings[index].nextResident = occupant.nextResident;
        occupant.nextResident = index + 1;
        return;
    }
    m_cells.set(key, index + 1);
    m_beings[index].nextResident = word;
}

void Population::unfile(ActorIndex index, std::size_t cell)
{
    auto key = static_cast<std::uint32_t>(cell);
    std::uint32_t word = m_cells.get(key);
    if ((word & ~markedBit) == index + 1) {
        // Leaving first place also takes the mark: only the occupant may hold it there.
        m_cells.set(key, m_beings[index].nextResident);
        m_beings[index].holdsMark = 0;
        return;
    }
    for (std::uint32_t link = word & ~markedBit; link != 0;) {
        Actor& before = m_beings[link - 1];
        if (before.nextResident == index + 1) {
            before.nextResident = m_beings[index].nextResident;
            return;
        }
        link = before.nextResident;
    }
    assert(false && "a being was not filed under its cell");
}

void Population::takeMark(ActorIndex index)
{
    std::size_t cell = cellOf(m_beings[index].x, m_beings[index].y);
    auto key = static_cast<std::uint32_t>(cell);
    clearMark(cell);
    if (m_cells.get(key) != index + 1) {
        unfile(index, cell);
        m_beings[index].nextResident = m_cells.get(key);
    }
    m_cells.set(key, (index + 1) | markedBit);
    m_beings[index].holdsMark = 1;
}

void Population::moved(ActorIndex index, std::int32_t oldX, std::int32_t oldY)
{
    Actor& actor = m_beings[index];
    auto from = static_cast<std::uint32_t>(cellOf(oldX, oldY));
    auto to = static_cast<std::uint32_t>(cellOf(actor.x, actor.y));
    std::uint32_t* word = m_cells.find(from);
    if (from == to || !word) {
        // A being off a board one cell wide stays filed under the same cell; every
        // other being is filed where it stood.
        clearMark(from);
        mark(index);
        return;
    }
    // The old cell loses its mark, whoever held it, and this being.
    if (*word & markedBit)
        m_beings[(*word & ~markedBit) - 1].holdsMark = 0;
    if ((*word & ~markedBit) == index + 1)
        m_cells.set(from, actor.nextResident);
    else {
        *word &= ~markedBit;
        unfile(index, from);
    }
    // The new cell was empty ground, so it had no mark; the being takes it.
    actor.nextResident = 0;
    actor.holdsMark = 0;
    if (std::uint32_t* there = m_cells.find(to)) {
        if (*there & markedBit)
            m_beings[(*there & ~markedBit) - 1].holdsMark = 0;
        actor.nextResident = *there & ~markedBit;
        *there = (index + 1) | markedBit;
    } else {
        m_cells.set(to, (index + 1) | markedBit);
    }
    actor.holdsMark = 1;
}

void Population::clear()
{
    m_beings.clear();
    m_cells.clear();
    m_minds.clear();
    m_freeMinds.clear();
}

std::uint32_t Population::takeMind()
{
    if (!m_freeMinds.empty()) {
        std::uint32_t slot = m_freeMinds.back();
        m_freeMinds.pop_back();
        m_minds[slot] = BeingMind {};
        return slot;
    }
    m_minds.emplace_back();
    return static_cast<std::uint32_t>(m_minds.size() - 1);
}

void Population::dropMind(Actor& actor)
{
    if (actor.mind == Actor::noMind)
        return;
    // The text may be long; a dropped mind keeps no memory for it.
    m_minds[actor.mind].statusText = std::string();
    m_freeMinds.push_back(actor.mind);
    actor.mind = Actor::noMind;
}

void Population::becomeKind(ActorIndex index, CellKind kind)
{
    Actor& actor = m_beings[index];
    dropMind(actor);
    actor.kindCode = static_cast<std::uint8_t>(kind);
    actor.brain = kind == CellKind::Zombie ? BrainNames::zombie : BrainNames::human;
    actor.lookDirection = static_cast<std::uint32_t>(Direction::Up);
    actor.moveDirection = static_cast<std::uint32_t>(Direction::None);
    actor.panicked = 0;
    actor.panicCounter = 0;
    actor.serialNumber = 0;
    actor.moveCredit = 0;
}

void Population::becomeHuman(ActorIndex index, BrainId brain, bool needsMind, Random& random)
{
    becomeKind(index, CellKind::Human);
    Actor& actor = m_beings[index];
    actor.brain = brain;
    if (needsMind)
        actor.mind = takeMind();
    // Two separate draws, look first.
    actor.lookDirection = static_cast<std::uint32_t>(randomDirection(random));
    actor.moveDirection = static_cast<std::uint32_t>(randomDirection(random));
}

std::vector<ActorIndex> Population::identity() const
{
    std::vector<ActorIndex> map(m_beings.size());
    for (ActorIndex i = 0; i < map.size(); ++i)
        map[i] = i;
    return map;
}

std::vector<ActorIndex> Population::compact(const std::vector<bool>& removed)
{
    // Which survivors hold their cell's mark, before the renumbering.
    std::vector<bool> marking(m_beings.size());
    for (ActorIndex i = 0; i < m_beings.size(); ++i) {
        if (!removed[i])
            marking[i] = occupant(cellOf(m_beings[i].x, m_beings[i].y)) == i;
    }
    m_cells.clear();

    std::vector<ActorIndex> renumbered(m_beings.size(), noActor);
    ActorIndex kept = 0;
    for (ActorIndex i = 0; i < m_beings.size(); ++i) {
        if (removed[i]) {
            dropMind(m_beings[i]);
            continue;
        }
        renumbered[i] = kept;
        m_beings[kept++] = m_beings[i];
    }
    m_beings.resize(kept);

    for (ActorIndex i = 0; i < renumbered.size(); ++i) {
        if (renumbered[i] != noActor)
            file(renumbered[i], cellOf(m_beings[renumbered[i]].x, m_beings[renumbered[i]].y));
    }
    for (ActorIndex i = 0; i < renumbered.size(); ++i) {
        if (renumbered[i] != noActor && marking[i])
            mark(renumbered[i]);
    }
    return renumbered;
}

}
