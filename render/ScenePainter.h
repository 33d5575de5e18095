#pragma once

#include "render/Layout.h"
#include "render/TextPainter.h"
#include "sim/Colour.h"
#include "sim/Direction.h"
#include "sim/SceneDrawer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace shamblex {

class Bitmap;
class BrainHost;
class Simulation;
struct Settings;

// Fixed values of the picture.
inline constexpr Colour backgroundGrey { 128, 128, 128 }; // the whole frame, before the board
inline constexpr Colour lookRayColour { 255, 255, 255 };
inline constexpr Colour moveRayColour { 128, 128, 128 };
inline constexpr Colour statusBackground { 128, 128, 128 };
inline constexpr Colour graphBackground { 64, 64, 64 };
inline constexpr Colour noticeColour { 255, 64, 64 };
inline constexpr std::int32_t statusLinePitch = 13;
inline constexpr std::int32_t statusColumnWidth = 180;
inline constexpr std::int32_t graphRightMargin = 20;

enum class RayLength {
    Short, // the look ray: the larger cell side
    Long, // the move ray: one and a half times that
};

// Paints a simulation into the frame bitmap: the grey background with the board's
// walls and ground, every being as a block of its colour, the direction rays, the
// status band or history graph, and the label of the watched being. It keeps the
// layout of the board in the frame, which the shells use to map the pointer.
//
// It remembers the colour it last filled each board cell with, so that a being that
// stayed where it was, in the colour its cell already shows, costs no pixel writes:
// erasing and redrawing it would leave the same picture. Drawing that covers cells
// otherwise (the status band over a board that reaches into it, the help page, rays)
// makes the painter forget the cells beneath.
//
// A deferred painter (a saver's, whose frame is seen once a display refresh, not once
// a tick) notes the colour each cell is filled with and paints it only when the frame
// is looked at (flush) or when something else is about to draw over the cell: the
// picture is then exactly what painting every fill at once would have left, yet a cell
// filled many times between two looks is painted once, or not at all when it ends in
// the colour it already shows. An immediate painter paints every fill at once.
//
// Every operation clips to the bitmap, so nothing is written outside it whatever the
// sizes of frame and board; an empty bitmap is left alone. The frame, simulation,
// settings and brains outlive the painter.
class ScenePainter final : public SceneDrawer {
public:
    ScenePainter(Bitmap& frame, const Simulation&, const Settings&, const BrainHost&);

    void paintBackground() override;
    void beingUpdated(std::int32_t oldColumn, std::int32_t oldRow, const Actor&) override;
    void beingUpdatedNext(std::int32_t column, std::int32_t row) override
    {
        if (const std::size_t cell = cellIndex(column, row); cell != noCell)
            __builtin_prefetch(&m_cells[cell]);
    }
    void repaintBoard() override;
    void drawStatusBand(std::span<const std::int32_t> humansPerBrain) override;
    void drawRays(const Actor&) override;
    void drawWatchedLabel(const Actor&) override;
    void markBeing(const Actor&) override;

    // Whether fills wait for flush (see above); off by default. Switching it off
    // paints what waits.
    void setDeferred(bool);
    // Paints every cell fill that waits, so that the frame shows what the draws so far
    // would have left. Costs nothing when nothing waits.
    void flush();
    // Paints the fills that wait in this part of the frame, before something other
    // than this painter draws over it (then call overdrawn).
    void settle(const Rectangle&);
    // Whether any fill (or the status band) may wait for the next flush.
    bool waiting() const { return m_anyWaits || m_bandWaits; }

    // Fills the cell's rectangle, now or when the frame is next flushed; a cell width
    // or height of zero or less paints nothing.
    void fillCell(std::int32_t column, std::int32_t row, Colour colour) { fillPacked(column, row, colour.packed()); }
    Colour actorColour(const Actor& actor) const { return Colour::fromPacked(packedColourOf(actor)); }
    void drawRay(std::int32_t column, std::int32_t row, Direction, Colour, RayLength);
    // The history graph right of the status text column that starts at x.
    void drawHistoryGraph(std::int32_t x);

    // Something else drew over this part of the frame.
    void overdrawn(const Rectangle&);

    // A line the saver tells the user (a brain that faulted), at the right end of the
    // status band's first line over whatever the band shows there; an empty line
    // takes the last one away.
    void drawNotice(std::string_view);

    const Layout& layout() const { return m_layout; }

private:
    // No packed colour has these values.
    static constexpr std::uint32_t unknownColour = 0xFF000000u;
    static constexpr std::uint32_t nothingWaits = 0xFE000000u;
    static constexpr std::size_t noCell = static_cast<std::size_t>(-1);

    // The cells an area of the frame touches, clamped to the board.
    struct CellRange {
        std::int64_t firstColumn, lastColumn, firstRow, lastRow;
    };

    bool cellsVisible() const { return m_layout.cellWidth > 0 && m_layout.cellHeight > 0; }
    // The cell's index in the per-cell records, or noCell when it has none.
    std::size_t cellIndex(std::int32_t column, std::int32_t row) const
    {
        if (m_cells.empty() || static_cast<std::uint32_t>(column) >= static_cast<std::uint32_t>(m_layout.columns)
            || static_cast<std::uint32_t>(row) >= static_cast<std::uint32_t>(m_layout.rows))
            return noCell;
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_layout.columns)
            + static_cast<std::size_t>(column);
    }
    // Whether the cell shows exactly this colour once what waits is painted, as far
    // as the painter knows.
    bool shows(std::int32_t column, std::int32_t row, std::uint32_t packedColour) const
    {
        std::size_t cell = cellIndex(column, row);
        if (cell == noCell)
            return false;
        const CellColours& colours = m_cells[cell];
        return (colours.waiting != nothingWaits ? colours.waiting : colours.shown) == packedColour;
    }
    std::uint32_t packedColourOf(const Actor&) const;
    void fillPacked(std::int32_t column, std::int32_t row, std::uint32_t packedColour);
    CellRange cellsUnder(const Rectangle&) const;
    void paintCell(std::size_t cell, std::uint32_t colour);
    // Paints the cell's waiting fill, if any, and clears it.
    void paintWaiting(std::size_t cell);
    // Notes a fill of the cell (which has an index) for the next flush.
    void await(std::size_t cell, std::uint32_t colour);
    void remember(std::int32_t column, std::int32_t row, Colour);
    // Paints every cell of the board in colourOf(kind), one pixel line per board row
    // copied down the cell height: a full repaint costs a copy per pixel row, not a
    // call per pixel.
    template<typename ColourOf>
    void paintCells(ColourOf colourOf);
    void drawTextLine(std::int32_t x, std::int32_t y, std::string_view);

    // One line of the status band: where it starts, its ink, and its text.
    struct BandLine {
        std::int32_t x = 0;
        std::int32_t y = 0;
        Colour ink;
        std::string text;
    };
    // Builds this tick's band lines into m_nextBand.
    void composeBand(std::span<const std::int32_t> humansPerBrain);
    // Makes this tick's lines wait in place of the waiting ones when drawing them
    // later leaves the same pixels as drawing both now (see drawStatusBand).
    bool bandWaitsInstead();
    // Draws the waiting band, if any.
    void drawWaitingBand();
    void drawBandLine(const BandLine&);

    Bitmap& m_frame;
    const Simulation& m_simulation;
    const Settings& m_settings;
    const BrainHost& m_brains;
    Layout m_layout;
    TextPainter m_text;
    std::vector<std::uint8_t> m_line; // one pixel line of the board, reused
    // Per board cell, side by side so that one memory read finds both: the colour
    // last painted (or unknownColour) and, when deferred, the colour it waits to be
    // painted in (or nothingWaits).
    struct CellColours {
        std::uint32_t shown = unknownColour;
        std::uint32_t waiting = nothingWaits;
    };
    std::vector<CellColours> m_cells;
    bool m_deferred = false;
    // One bit per cell that may wait (a settled cell keeps its bit; the flush skips
    // it). A flush visits them in board order, row by row, so that the frame's pixel
    // lines are written in address order: cells in the order they were filled land
    // all over the frame, and at a saver's few thousand a refresh each line written
    // missed the caches and the address translation alike.
    std::vector<std::uint64_t> m_waitingBits;
    bool m_anyWaits = false;
    Rectangle m_noticeArea; // where the last notice stands
    // A saver's ticks draw the status band several times a refresh, and only the last
    // draw of each character is seen: the band waits for the flush like a cell fill.
    // m_band is what waits, each line already merged with the longer lines of the
    // ticks before it; m_nextBand is this tick's, kept to reuse its strings.
    std::vector<BandLine> m_band;
    std::vector<BandLine> m_nextBand;
    Rectangle m_bandArea; // around the waiting lines
    std::vector<Rectangle> m_lineAreas; // this tick's lines, reused
    bool m_bandWaits = false;
};

}
