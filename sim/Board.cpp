#include "sim/Board.h"

#include "sim/Random.h"

#include <algorithm>
#include <cstring>

namespace shamblex {

namespace {

// A city block or plaza per this many cells of the board.
constexpr std::int32_t cellsPerBlock = 625;
constexpr std::int32_t cellsPerPlaza = 2083;

// Blocks are 9 to 68 cells of wall inside a one-cell street ring; plazas are open
// squares of 21 to 40 cells.
constexpr int blockSpread = 60;
constexpr std::int32_t blockBase = 10;
constexpr int plazaSpread = 20;
constexpr std::int32_t plazaBase = 20;

// A rectangle's corner never lies in row 0 or column 0. On a board one cell wide
// (or high) no number is drawn and the corner sits at 1, which wraps to 0.
std::int32_t randomCorner(std::int32_t extent, Random& random)
{
    if (extent - 1 <= 0)
        return 1;
    return 1 + random.below(extent - 1);
}

}

void Board::reset(std::int32_t width, std::int32_t height, Terrain terrain, Random& random)
{
    // A fresh array leaves nothing of the previous board behind; the old cells go
    // first, so that a large board need not fit twice.
    m_width = 0;
    m_height = 0;
    m_kinds = decltype(m_kinds)();
    m_kinds.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
        static_cast<std::uint8_t>(CellKind::Empty));
    m_width = width;
    m_height = height;
    if (terrain == Terrain::City)
        buildCity(random);
}

void Board::fillRow(std::int32_t x0, std::int32_t x1, std::int32_t y, CellKind kind)
{
    // Columns x0..x1 of a rectangle no wider than the board: at most two runs, the
    // second one wrapped to the left edge.
    std::uint8_t* row = m_kinds.data() + index(0, y % m_height);
    auto value = static_cast<std::uint8_t>(kind);
    std::int32_t start = x0 % m_width;
    std::int32_t length = x1 - x0 + 1;
    std::int32_t first = std::min(length, m_width - start);
    std::memset(row + start, value, static_cast<std::size_t>(first));
    if (length > first)
        std::memset(row, value, static_cast<std::size_t>(length - first));
}

void Board::fillRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, CellKind ringKind,
    CellKind innerKind)
{
    if (x1 - x0 < m_width && y1 - y0 < m_height) {
        // No cell is written twice, so the order of writes cannot matter: row by row.
        fillRow(x0, x1, y0, ringKind);
        for (std::int32_t y = y0 + 1; y < y1; ++y) {
            fillRow(x0, x1, y, innerKind);
            setKindAt(wrappedIndex(x0, y), ringKind);
            setKindAt(wrappedIndex(x1, y), ringKind);
        }
        if (y1 != y0)
            fillRow(x0, x1, y1, ringKind);
        return;
    }
    // A rectangle larger than the board overlaps itself: the exact order decides.
    for (std::int32_t x = x0 + 1; x < x1; ++x)
        for (std::int32_t y = y0 + 1; y < y1; ++y)
            setKindAt(wrappedIndex(x, y), innerKind);
    for (std::int32_t x = x0; x <= x1; ++x) {
        setKindAt(wrappedIndex(x, y0), ringKind);
        setKindAt(wrappedIndex(x, y1), ringKind);
    }
    for (std::int32_t y = y0; y <= y1; ++y) {
        setKindAt(wrappedIndex(x0, y), ringKind);
        setKindAt(wrappedIndex(x1, y), ringKind);
    }
}

void Board::clearWalls()
{
    std::replace(m_kinds.begin(), m_kinds.end(), static_cast<std::uint8_t>(CellKind::Wall),
        static_cast<std::uint8_t>(CellKind::Empty));
}

void Board::buildCity(Random& random)
{
    std::int32_t area = m_width * m_height;

    // Blocks first: later blocks cut their street rings through older walls.
    for (std::int32_t i = 0; i < area / cellsPerBlock; ++i) {
        std::int32_t x0 = randomCorner(m_width, random);
        std::int32_t y0 = randomCorner(m_height, random);
        std::int32_t heightOffset = random.below(blockSpread);
        std::int32_t widthOffset = random.below(blockSpread);
        fillRect(x0, y0, x0 + blockBase + widthOffset, y0 + blockBase + heightOffset, CellKind::Empty, CellKind::Wall);
    }

    // Plazas last, so they open squares through everything.
    for (std::int32_t i = 0; i < area / cellsPerPlaza; ++i) {
        std::int32_t x0 = randomCorner(m_width, random);
        std::int32_t y0 = randomCorner(m_height, random);
        std::int32_t heightOffset = random.below(plazaSpread);
        std::int32_t widthOffset = random.below(plazaSpread);
        fillRect(x0, y0, x0 + plazaBase + widthOffset, y0 + plazaBase + heightOffset, CellKind::Empty, CellKind::Empty);
    }
}

}
