#pragma once

#include "sim/CellKind.h"
#include "sim/LargeAllocator.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace shamblex {

class Actor;
class Random;

// One square of the board. A being's cell is its own bookkeeping: the being writes
// {its kind, itself} where it ends each update and clears the cell when it starts to
// move. The occupant is never owned by the cell.
struct Cell {
    CellKind kind = CellKind::Empty;
    Actor* occupant = nullptr;

    friend bool operator==(const Cell&, const Cell&) = default;
};

enum class Terrain {
    OpenArena,
    City,
};

// The rectangular grid of walls and streets, row-major, x the column from the left
// and y the row from the top.
class Board {
public:
    // Makes the board width x height cells, all empty, and builds the city when asked.
    // Callers keep width * height within a signed 32-bit number. Throws std::bad_alloc
    // when the cells do not fit in memory; the board is then left empty.
    void reset(std::int32_t width, std::int32_t height, Terrain, Random&);

    std::int32_t width() const { return m_width; }
    std::int32_t height() const { return m_height; }

    bool contains(std::int32_t x, std::int32_t y) const
    {
        return x >= 0 && y >= 0 && x < m_width && y < m_height;
    }

    // The cell at (x mod width, y mod height). Callers pass non-negative coordinates;
    // coordinates past the right or bottom edge wrap to the other side.
    Cell& cell(std::int32_t x, std::int32_t y) { return m_cells[wrappedIndex(x, y)]; }
    const Cell& cell(std::int32_t x, std::int32_t y) const { return m_cells[wrappedIndex(x, y)]; }

    // The cell at (x, y) for a pair that contains() accepts; no wrapping, no checks.
    Cell& at(std::int32_t x, std::int32_t y) { return m_cells[index(x, y)]; }
    const Cell& at(std::int32_t x, std::int32_t y) const { return m_cells[index(x, y)]; }

    std::size_t index(std::int32_t x, std::int32_t y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
    }
    std::size_t wrappedIndex(std::int32_t x, std::int32_t y) const
    {
        if (x >= m_width)
            x %= m_width;
        if (y >= m_height)
            y %= m_height;
        return index(x, y);
    }

    // Paints the outline of the rectangle (x0, y0)-(x1, y1), ends included, with
    // ringKind and everything strictly inside with innerKind, wrapping at the right
    // and bottom edges. Callers pass 0 <= x0 <= x1 and 0 <= y0 <= y1.
    void fillRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, CellKind ringKind,
        CellKind innerKind);

    std::span<const Cell> cells() const { return m_cells; }

private:
    void buildCity(Random&);

    std::vector<Cell, LargeAllocator<Cell>> m_cells;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

}
