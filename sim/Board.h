#pragma once

#include "sim/CellKind.h"
#include "sim/LargeAllocator.h"
#include "sim/Rules.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace shamblex {

class Random;

// The rectangular grid of walls and streets, row-major, x the column from the left
// and y the row from the top. It keeps one byte per cell, the cell's kind, so that
// the sight scans every being makes read a compact array; which being marked a cell
// is the population's bookkeeping (Population::occupant). The byte also says whether
// the being that marked the cell is panicked, which is all a built-in human needs to
// know of a being it sees, so that it need not look the being up.
class Board {
public:
    // Makes the board width x height cells, all empty, and builds the city when asked.
    // Callers keep width * height within a signed 32-bit number. Throws std::bad_alloc
    // when the cells do not fit in memory; the board is then left empty.
    void reset(std::int32_t width, std::int32_t height, Terrain, Random&);

    std::int32_t width() const { return m_width; }
    std::int32_t height() const { return m_height; }
    std::size_t cellCount() const { return m_kinds.size(); }

    bool contains(std::int32_t x, std::int32_t y) const
    {
        return x >= 0 && y >= 0 && x < m_width && y < m_height;
    }

    // The index of (x, y) for a pair that contains() accepts.
    std::size_t index(std::int32_t x, std::int32_t y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
    }
    // The index of (x mod width, y mod height) for non-negative coordinates: past the
    // right or bottom edge a coordinate wraps to the other side.
    std::size_t wrappedIndex(std::int32_t x, std::int32_t y) const
    {
        if (x >= m_width)
            x %= m_width;
        if (y >= m_height)
            y %= m_height;
        return index(x, y);
    }

    void prefetch(std::size_t index) const { __builtin_prefetch(m_kinds.data() + index); }
    CellKind kindAt(std::size_t index) const { return static_cast<CellKind>(m_kinds[index] & kindBits); }
    void setKindAt(std::size_t index, CellKind kind) { m_kinds[index] = static_cast<std::uint8_t>(kind); }
    // A being marks its cell with its kind and whether it is panicked (exactly 1).
    void markAt(std::size_t index, CellKind kind, bool panicked)
    {
        m_kinds[index] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(kind) | (panicked ? panickedBit : 0));
    }
    // Whether the being that marked the cell was panicked when it did, or has not
    // calmed since (the simulation clears it when a being is reset).
    bool markedPanicked(std::size_t index) const { return (m_kinds[index] & panickedBit) != 0; }
    void clearPanicked(std::size_t index) { m_kinds[index] &= kindBits; }
    // For a pair that contains() accepts.
    CellKind kind(std::int32_t x, std::int32_t y) const { return kindAt(index(x, y)); }

    // Paints the outline of the rectangle (x0, y0)-(x1, y1), ends included, with
    // ringKind and everything strictly inside with innerKind, wrapping at the right
    // and bottom edges. Callers pass 0 <= x0 <= x1 and 0 <= y0 <= y1. Where a wrapped
    // rectangle overlaps itself the later writes win: the interior column by column
    // first, then the top and bottom rows, then the left and right columns.
    void fillRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, CellKind ringKind,
        CellKind innerKind);

    // Every wall becomes empty ground at once (the switch to an open arena).
    void clearWalls();

    // The cells' bytes: the kind in the low two bits, the panic of the being that
    // marked the cell above them.
    std::span<const std::uint8_t> kinds() const { return { m_kinds.data(), m_kinds.size() }; }

    static constexpr std::uint8_t kindBits = 3;
    static constexpr std::uint8_t panickedBit = 4;

private:
    void buildCity(Random&);
    void fillRow(std::int32_t x0, std::int32_t x1, std::int32_t y, CellKind);

    std::vector<std::uint8_t, LargeAllocator<std::uint8_t>> m_kinds;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

}
