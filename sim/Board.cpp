#include "sim/Board.h"

#include "sim/Random.h"

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
    // A fresh array leaves nothing of the previous board behind, occupants included;
    // the old cells go first, so that a large board need not fit twice.
    m_width = 0;
    m_height = 0;
    m_cells = decltype(m_cells)();
    m_cells.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), Cell {});
    m_width = width;
    m_height = height;
    if (terrain == Terrain::City)
        buildCity(random);
}

void Board::fillRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, CellKind ringKind,
    CellKind innerKind)
{
    // The order of writes matters where a wrapped rectangle overlaps itself: the
    // interior first, then the top and bottom rows, then the left and right columns.
    for (std::int32_t x = x0 + 1; x < x1; ++x)
        for (std::int32_t y = y0 + 1; y < y1; ++y)
            cell(x, y) = { innerKind, nullptr };
    for (std::int32_t x = x0; x <= x1; ++x) {
        cell(x, y0) = { ringKind, nullptr };
        cell(x, y1) = { ringKind, nullptr };
    }
    for (std::int32_t y = y0; y <= y1; ++y) {
        cell(x0, y) = { ringKind, nullptr };
        cell(x1, y) = { ringKind, nullptr };
    }
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
