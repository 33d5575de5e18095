#include "render/Layout.h"

namespace shamblex {

Layout Layout::compute(std::int32_t columns, std::int32_t rows, std::int32_t bitmapWidth, std::int32_t bitmapHeight)
{
    // Computed in 64 bits: a board far larger than the frame must not overflow. A
    // frame lower than the status band gives a negative cell height for a board of
    // few rows; painters draw no cell of zero or less.
    Layout layout;
    if (columns > 0)
        layout.cellWidth = static_cast<std::int32_t>(std::int64_t { bitmapWidth } / columns);
    if (rows > 0)
        layout.cellHeight = static_cast<std::int32_t>((std::int64_t { bitmapHeight } - statusBandHeight) / rows);
    layout.boardLeft
        = static_cast<std::int32_t>((bitmapWidth - std::int64_t { layout.cellWidth } * columns) / 2);
    layout.boardTop
        = static_cast<std::int32_t>((bitmapHeight - std::int64_t { layout.cellHeight } * rows) * 3 / 4);
    layout.columns = columns;
    layout.rows = rows;
    layout.statusBand = { 0, 0, bitmapWidth, statusBandHeight };
    return layout;
}

std::optional<CellPosition> Layout::screenToCell(std::int32_t x, std::int32_t y) const
{
    if (cellWidth <= 0 || cellHeight <= 0)
        return std::nullopt;
    return CellPosition { static_cast<std::int32_t>((std::int64_t { x } - boardLeft) / cellWidth),
        static_cast<std::int32_t>((std::int64_t { y } - boardTop) / cellHeight) };
}

bool Layout::boardMeets(const Rectangle& area) const
{
    // Cells are sized to fit the frame, so the board's extent fits its numbers.
    const Rectangle board { boardLeft, boardTop, cellWidth * columns, cellHeight * rows };
    return meets(board, area);
}

}
