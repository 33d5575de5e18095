#pragma once

#include "render/DirtyRegion.h"

#include <cstdint>
#include <optional>

namespace shamblex {

// The band at the top of the frame kept for the status text and the graph.
inline constexpr std::int32_t statusBandHeight = 50;

struct CellPosition {
    std::int32_t column = 0;
    std::int32_t row = 0;
};

// Where the board and the status band lie in the frame bitmap: the size of a cell in
// pixels, the pixel where column 0, row 0 starts, and the band's rectangle. The board
// is centred across and sits three quarters of the way down the space left over.
struct Layout {
    std::int32_t cellWidth = 0;
    std::int32_t cellHeight = 0;
    std::int32_t boardLeft = 0;
    std::int32_t boardTop = 0;
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    Rectangle statusBand;

    // A board smaller than the frame gets cells of 0 pixels: nothing of it is drawn.
    static Layout compute(std::int32_t columns, std::int32_t rows, std::int32_t bitmapWidth, std::int32_t bitmapHeight);

    // The board cell under frame pixel (x, y); a pointer less than a cell left of or
    // above the board still maps to column or row 0. None when a cell has no size,
    // so that the pointer counts as off the board.
    std::optional<CellPosition> screenToCell(std::int32_t x, std::int32_t y) const;
    // Whether a cell of the board may have pixels in the area.
    bool boardMeets(const Rectangle&) const;
};

}
