#pragma once

#include "sim/LargeAllocator.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace shamblex {

// A word per board cell, kept only for the cells whose word is not 0: a hash table
// keyed by cell index, with open addressing. The population keeps its bookkeeping of
// which beings stand where in it, so that it costs memory and cache per being, not
// per board cell: a board of 25 million cells with a million beings holds a table of
// 16 MB instead of an array of 100 MB, and a being looking at its neighbours mostly
// finds their entries in cache.
class CellTable {
public:
    // Empties the table and makes room for `entries` words without growing.
    void reserve(std::size_t entries);
    void clear();

    // The cell's word; 0 when the table has none.
    std::uint32_t get(std::uint32_t cell) const
    {
        const std::uint32_t* word = find(cell);
        return word ? *word : 0;
    }

    // The cell's word in place, or null when the table has none. A caller may change
    // it to anything but 0 (set() removes a cell).
    std::uint32_t* find(std::uint32_t cell)
    {
        return const_cast<std::uint32_t*>(static_cast<const CellTable*>(this)->find(cell));
    }
    const std::uint32_t* find(std::uint32_t cell) const
    {
        if (m_slots.empty())
            return nullptr;
        for (std::size_t i = home(cell);; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (slot.cell == cell)
                return &slot.word;
            if (slot.cell == noCell)
                return nullptr;
        }
    }

    // Sets the cell's word; a word of 0 removes the cell from the table. Throws
    // std::bad_alloc when the table has to grow and cannot.
    void set(std::uint32_t cell, std::uint32_t word);

    std::size_t size() const { return m_used; }

    // Asks the processor to fetch the cell's home slot now, ahead of a look at it.
    void prefetch(std::uint32_t cell) const
    {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[home(cell)]);
    }

private:
    struct Slot {
        std::uint32_t cell = noCell;
        std::uint32_t word = 0;
    };
    static constexpr std::uint32_t noCell = 0xFFFF'FFFFu;

    std::size_t home(std::uint32_t cell) const
    {
        // Fibonacci hashing: neighbouring cells land far apart.
        return static_cast<std::size_t>((std::uint64_t { cell } * 0x9E37'79B9'7F4A'7C15ull) >> m_shift);
    }
    void erase(std::size_t at);
    void grow(std::size_t capacity);

    std::vector<Slot, LargeAllocator<Slot>> m_slots;
    std::size_t m_mask = 0;
    int m_shift = 64;
    std::size_t m_used = 0;
};

}
