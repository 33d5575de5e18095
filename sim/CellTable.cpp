#include "sim/CellTable.h"

#include <algorithm>
#include <bit>

namespace shamblex {

namespace {

constexpr std::size_t minimumCapacity = 16;

}

void CellTable::reserve(std::size_t entries)
{
    m_slots = decltype(m_slots)();
    m_used = 0;
    // At most half full, so that probes stay short.
    grow(std::max(minimumCapacity, std::bit_ceil(2 * entries)));
}

void CellTable::clear()
{
    std::fill(m_slots.begin(), m_slots.end(), Slot {});
    m_used = 0;
}

void CellTable::grow(std::size_t capacity)
{
    decltype(m_slots) old;
    old.swap(m_slots);
    m_slots.assign(capacity, Slot {});
    m_mask = capacity - 1;
    m_shift = 64 - std::countr_zero(capacity);
    m_used = 0;
    for (const Slot& slot : old) {
        if (slot.cell != noCell)
            set(slot.cell, slot.word);
    }
}

void CellTable::set(std::uint32_t cell, std::uint32_t word)
{
    if (m_slots.empty())
        grow(minimumCapacity);
    std::size_t i = home(cell);
    for (;; i = (i + 1) & m_mask) {
        if (m_slots[i].cell == cell) {
            if (word == 0)
                erase(i);
            else
                m_slots[i].word = word;
            return;
        }
        if (m_slots[i].cell == noCell)
            break;
    }
    if (word == 0)
        return;
    if (2 * (m_used + 1) > m_slots.size()) {
        grow(2 * m_slots.size());
        set(cell, word);
        return;
    }
    m_slots[i] = { cell, word };
    ++m_used;
}

void CellTable::erase(std::size_t at)
{
    // Backward shift: later entries of the same probe run move up into the gap, so
    // that no search stops early at it.
    std::size_t gap = at;
    for (std::size_t i = (at + 1) & m_mask; m_slots[i].cell != noCell; i = (i + 1) & m_mask) {
        std::size_t wanted = home(m_slots[i].cell);
        // The entry may fill the gap if its home does not lie in (gap, i].
        bool movable = gap <= i ? (wanted <= gap || wanted > i) : (wanted <= gap && wanted > i);
        if (movable) {
            m_slots[gap] = m_slots[i];
            gap = i;
        }
    }
    m_slots[gap] = Slot {};
    --m_used;
}

}
