#include "render/ScenePainter.h"

#include "render/Bitmap.h"
#include "sim/Actor.h"
#include "sim/BrainHost.h"
#include "sim/KindTable.h"
#include "sim/Settings.h"
#include "sim/Simulation.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>

namespace shamblex {

namespace {

constexpr std::int32_t firstBrainLine = 39;
constexpr std::int32_t textColumnsBeforeGraph = statusColumnWidth + graphRightMargin;
constexpr std::string_view trailingBlanks = "    "; // paint over the digits of a longer old number
// Boards with more visible cells than this are painted without remembering each
// cell's colour (such a frame is far larger than any screen).
constexpr std::size_t maximumRememberedCells = std::size_t { 1 } << 22;
static_assert(maximumRememberedCells <= std::numeric_limits<std::uint32_t>::max());
constexpr std::size_t bitsPerWord = 64;

Colour kindColourOf(CellKind kind)
{
    return kindInfo(kind).colour;
}

// Three quarters of the way to white.
std::uint8_t brighten(std::uint8_t channel)
{
    return static_cast<std::uint8_t>(((channel + 255) / 2 + 255) / 2);
}

void appendNumber(std::string& text, std::int64_t value)
{
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, result.ptr);
}

}

ScenePainter::ScenePainter(Bitmap& frame, const Simulation& simulation, const Settings& settings,
    const BrainHost& brains)
    : m_frame(frame)
    , m_simulation(simulation)
    , m_settings(settings)
    , m_brains(brains)
{
    m_text.selectNearestFont(textFontWidth, textFontHeight);
}

void ScenePainter::remember(std::int32_t column, std::int32_t row, Colour colour)
{
    const std::size_t cell = cellIndex(column, row);
    if (cell != noCell)
        m_cells[cell].shown = colour.packed();
}

ScenePainter::CellRange ScenePainter::cellsUnder(const Rectangle& area) const
{
    const Layout& l = m_layout;
    if (area.width <= 0 || area.height <= 0 || !cellsVisible())
        return { 0, -1, 0, -1 };
    auto cellOf = [](std::int64_t pixel, std::int32_t origin, std::int32_t size) {
        std::int64_t offset = pixel - origin;
        return offset < 0 ? std::int64_t { -1 } : offset / size;
    };
    return { std::max<std::int64_t>(0, cellOf(area.left, l.boardLeft, l.cellWidth)),
        std::min<std::int64_t>(l.columns - 1, cellOf(std::int64_t { area.left } + area.width - 1, l.boardLeft, l.cellWidth)),
        std::max<std::int64_t>(0, cellOf(area.top, l.boardTop, l.cellHeight)),
        std::min<std::int64_t>(l.rows - 1, cellOf(std::int64_t { area.top } + area.height - 1, l.boardTop, l.cellHeight)) };
}

void ScenePainter::overdrawn(const Rectangle& area)
{
    if (m_cells.empty())
        return;
    const CellRange cells = cellsUnder(area);
    for (std::int64_t row = cells.firstRow; row <= cells.lastRow; ++row)
        for (std::int64_t column = cells.firstColumn; column <= cells.lastColumn; ++column)
            m_cells[static_cast<std::size_t>(row * m_layout.columns + column)].shown = unknownColour;
}

void ScenePainter::paintCell(std::size_t cell, std::uint32_t colour)
{
    const Layout& l = m_layout;
    // Cell indices stay below maximumRememberedCells: a 32-bit division is enough,
    // and far quicker than a 64-bit one at a few thousand cells a refresh.
    const auto index = static_cast<std::uint32_t>(cell);
    const auto columns = static_cast<std::uint32_t>(l.columns);
    m_frame.fillRect(l.boardLeft + std::int64_t { index % columns } * l.cellWidth,
        l.boardTop + std::int64_t { index / columns } * l.cellHeight, l.cellWidth, l.cellHeight,
        Colour::fromPacked(colour));
    m_cells[cell].shown = colour;
}

void ScenePainter::paintWaiting(std::size_t cell)
{
    CellColours& colours = m_cells[cell];
    const std::uint32_t colour = colours.waiting;
    if (colour == nothingWaits)
        return;
    colours.waiting = nothingWaits;
    // A cell that ends in the colour it shows needs no pixel written.
    if (colour != colours.shown)
        paintCell(cell, colour);
}

void ScenePainter::await(std::size_t cell, std::uint32_t colour)
{
    // Marked without looking whether it already is: reading the cell's record would
    // wait for memory on every fill, and a bit set twice costs nothing.
    m_waitingBits[cell / bitsPerWord] |= std::uint64_t { 1 } << (cell % bitsPerWord);
    m_anyWaits = true;
    m_cells[cell].waiting = colour;
}

void ScenePainter::setDeferred(bool deferred)
{
    flush();
    m_deferred = deferred;
}

void ScenePainter::flush()
{
    drawWaitingBand();
    if (!m_deferred || !m_anyWaits)
        return;
    // The records of the next word's cells are fetched while this word's are
    // painted: a saver's few thousand waiting cells lie a few cache lines apart
    // each, and reading them one by one waited on memory for every one.
    auto fetch = [this](std::size_t word) {
        for (std::uint64_t bits = m_waitingBits[word]; bits != 0; bits &= bits - 1)
            __builtin_prefetch(&m_cells[word * bitsPerWord + static_cast<std::size_t>(std::countr_zero(bits))]);
    };
    std::size_t next = 0;
    while (next < m_waitingBits.size() && m_waitingBits[next] == 0)
        ++next;
    while (next < m_waitingBits.size()) {
        const std::size_t word = next;
        std::uint64_t bits = m_waitingBits[word];
        m_waitingBits[word] = 0;
        for (++next; next < m_waitingBits.size() && m_waitingBits[next] == 0;)
            ++next;
        if (next < m_waitingBits.size())
            fetch(next);
        for (; bits != 0; bits &= bits - 1) {
            paintWaiting(word * bitsPerWord + static_cast<std::size_t>(std::countr_zero(bits)));
        }
    }
    m_anyWaits = false;
}

void ScenePainter::settle(const Rectangle& area)
{
    if (m_bandWaits && meets(area, m_bandArea))
        drawWaitingBand();
    if (!m_deferred || !m_anyWaits)
        return;
    const CellRange cells = cellsUnder(area);
    for (std::int64_t row = cells.firstRow; row <= cells.lastRow; ++row) {
        for (std::int64_t column = cells.firstColumn; column <= cells.lastColumn; ++column) {
            // The drawing over the cell must find the pixels the fills left; the cell
            // keeps its bit (a later flush skips it).
            paintWaiting(static_cast<std::size_t>(row * m_layout.columns + column));
        }
    }
}

template<typename ColourOf>
void ScenePainter::paintCells(ColourOf colourOf)
{
    const Layout& l = m_layout;
    const Board& board = m_simulation.board();
    // The layout belongs to the board it was made for; a stale one (the board changed
    // size without a background repaint) would read cells that are not there.
    if (m_frame.isEmpty() || !cellsVisible() || l.columns != board.width() || l.rows != board.height())
        return;
    // The part of the board's pixels inside the frame.
    std::int64_t boardWidth = std::int64_t { l.cellWidth } * l.columns;
    std::int64_t x0 = std::max<std::int64_t>(l.boardLeft, 0);
    std::int64_t x1 = std::min<std::int64_t>(l.boardLeft + boardWidth, m_frame.width());
    if (x0 >= x1)
        return;
    m_frame.markDamaged(l.boardLeft, l.boardTop, boardWidth, std::int64_t { l.cellHeight } * l.rows);
    m_line.resize(static_cast<std::size_t>(Bitmap::bytesPerPixel * boardWidth));
    for (std::int32_t row = 0; row < l.rows; ++row) {
        std::int64_t top = l.boardTop + std::int64_t { row } * l.cellHeight;
        std::int64_t y0 = std::max<std::int64_t>(top, 0);
        std::int64_t y1 = std::min<std::int64_t>(top + l.cellHeight, m_frame.height());
        std::uint8_t* out = m_line.data();
        for (std::int32_t column = 0; column < l.columns; ++column) {
            Colour colour = colourOf(board.kind(column, row));
            remember(column, row, colour);
            const std::uint32_t value = Bitmap::pixelValue(colour);
            for (std::int32_t i = 0; i < l.cellWidth; ++i, out += Bitmap::bytesPerPixel)
                std::memcpy(out, &value, sizeof value);
        }
        if (y0 >= y1)
            continue;
        const std::uint8_t* from = m_line.data() + Bitmap::bytesPerPixel * static_cast<std::size_t>(x0 - l.boardLeft);
        auto bytes = static_cast<std::size_t>(Bitmap::bytesPerPixel * (x1 - x0));
        for (std::int64_t y = y0; y < y1; ++y)
            std::memcpy(m_frame.row(static_cast<std::int32_t>(y)) + Bitmap::bytesPerPixel * static_cast<std::size_t>(x0), from, bytes);
    }
}

void ScenePainter::fillPacked(std::int32_t column, std::int32_t row, std::uint32_t colour)
{
    const Layout& l = m_layout;
    if (!cellsVisible())
        return;
    const std::size_t cell = cellIndex(column, row);
    if (m_deferred && cell != noCell) {
        await(cell, colour);
        return;
    }
    m_frame.fillRect(l.boardLeft + std::int64_t { column } * l.cellWidth,
        l.boardTop + std::int64_t { row } * l.cellHeight, l.cellWidth, l.cellHeight, Colour::fromPacked(colour));
    if (cell != noCell)
        m_cells[cell].shown = colour;
}

void ScenePainter::paintBackground()
{
    const Board& board = m_simulation.board();
    m_layout = Layout::compute(board.width(), board.height(), m_frame.width(), m_frame.height());
    std::size_t cells = static_cast<std::size_t>(board.width()) * static_cast<std::size_t>(board.height());
    if (cellsVisible() && !m_frame.isEmpty() && cells <= maximumRememberedCells)
        m_cells.assign(cells, CellColours {});
    else
        m_cells = {};
    // The grey covers whatever waited to be painted.
    m_waitingBits.assign((m_cells.size() + bitsPerWord - 1) / bitsPerWord, 0);
    m_anyWaits = false;
    m_bandWaits = false;
    m_frame.fill(backgroundGrey);
    // Beings' cells are painted as ground; the full repaint that every caller asks
    // for next shows the beings.
    const Colour wall = kindColourOf(CellKind::Wall);
    const Colour ground = kindColourOf(CellKind::Empty);
    paintCells([&](CellKind kind) { return kind == CellKind::Wall ? wall : ground; });
}

std::uint32_t ScenePainter::packedColourOf(const Actor& actor) const
{
    // Packed straight from the colours' bytes: a three-byte Colour handed back by
    // value goes through the stack, and reading it back stalled every being update.
    const BrainNames& names = m_simulation.brainNames();
    if (names.drawnInKindColour(actor.brain))
        return kindColourOf(actor.kind()).packed();
    if (m_settings.userColoursShown()) {
        assert(actor.mind != Actor::noMind);
        return m_simulation.population().mind(actor).colour.packed();
    }
    const Colour& colour = names.colour(actor.brain);
    if (actor.panicked != 1)
        return colour.packed();
    return Colour { brighten(colour.red), brighten(colour.green), brighten(colour.blue) }.packed();
}

void ScenePainter::beingUpdated(std::int32_t oldColumn, std::int32_t oldRow, const Actor& actor)
{
    if (!cellsVisible())
        return;
    const std::uint32_t colour = packedColourOf(actor);
    if (actor.x == oldColumn && actor.y == oldRow && shows(oldColumn, oldRow, colour))
        return;
    fillPacked(oldColumn, oldRow, kindColourOf(CellKind::Empty).packed());
    fillPacked(actor.x, actor.y, colour);
}

void ScenePainter::repaintBoard()
{
    const Board& board = m_simulation.board();
    if (m_deferred && !m_cells.empty() && m_layout.columns == board.width() && m_layout.rows == board.height()) {
        // Every cell waits for its kind's colour; the flush paints only the cells
        // that do not show it already.
        std::size_t cell = 0;
        for (std::int32_t row = 0; row < m_layout.rows; ++row)
            for (std::int32_t column = 0; column < m_layout.columns; ++column)
                m_cells[cell++].waiting = kindColourOf(board.kind(column, row)).packed();
        std::fill(m_waitingBits.begin(), m_waitingBits.end(), ~std::uint64_t { 0 });
        if (const std::size_t spare = m_waitingBits.size() * bitsPerWord - m_cells.size(); spare > 0)
            m_waitingBits.back() >>= spare;
        m_anyWaits = true;
    } else {
        paintCells([](CellKind kind) { return kindColourOf(kind); });
    }
    if (!cellsVisible())
        return;
    for (const Actor& actor : m_simulation.population())
        fillCell(actor.x, actor.y, actorColour(actor));
}

void ScenePainter::drawRay(std::int32_t column, std::int32_t row, Direction direction, Colour colour,
    RayLength length)
{
    if (m_frame.isEmpty())
        return;
    const Layout& l = m_layout;
    std::int64_t x = l.boardLeft + std::int64_t { column } * l.cellWidth + l.cellWidth / 2;
    std::int64_t y = l.boardTop + std::int64_t { row } * l.cellHeight + l.cellHeight / 2;
    std::int64_t steps = std::max(l.cellWidth, l.cellHeight);
    if (length == RayLength::Long)
        steps = 3 * steps / 2;
    int dx = 0;
    int dy = 0;
    switch (direction) {
    case Direction::Up: dy = -1; break;
    case Direction::Right: dx = 1; break;
    case Direction::Down: dy = 1; break;
    case Direction::Left: dx = -1; break;
    default: break;
    }
    if (steps <= 0)
        return;
    std::int64_t endX = x + dx * (steps - 1);
    std::int64_t endY = y + dy * (steps - 1);
    const std::int64_t left = std::max<std::int64_t>(std::min(x, endX), 0);
    const std::int64_t top = std::max<std::int64_t>(std::min(y, endY), 0);
    const std::int64_t right = std::min<std::int64_t>(std::max(x, endX) + 1, m_frame.width());
    const std::int64_t bottom = std::min<std::int64_t>(std::max(y, endY) + 1, m_frame.height());
    if (left >= right || top >= bottom)
        return;
    // The box the ray lies in, inside the frame.
    const Rectangle box { static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
        static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top) };
    settle(box);
    m_frame.markDamaged(box.left, box.top, box.width, box.height);
    for (std::int64_t i = 0; i < steps; ++i) {
        if (x >= 0 && y >= 0 && x < m_frame.width() && y < m_frame.height())
            m_frame.setPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), colour);
        x += dx;
        y += dy;
    }
    overdrawn(box);
}

void ScenePainter::drawRays(const Actor& actor)
{
    drawRay(actor.x, actor.y, actor.lookDir(), lookRayColour, RayLength::Short);
    drawRay(actor.x, actor.y, actor.moveDir(), moveRayColour, RayLength::Long);
}

void ScenePainter::drawTextLine(std::int32_t x, std::int32_t y, std::string_view line)
{
    settle(m_text.extent(m_frame, x, y, line));
    overdrawn(m_text.drawText(m_frame, x, y, line));
}

void ScenePainter::composeBand(std::span<const std::int32_t> humansPerBrain)
{
    const Rectangle band = m_layout.statusBand;
    std::size_t count = 0;
    auto next = [&](std::int32_t x, std::int32_t y, Colour ink) -> std::string& {
        if (m_nextBand.size() <= count)
            m_nextBand.emplace_back();
        BandLine& line = m_nextBand[count++];
        line.x = x;
        line.y = y;
        line.ink = ink;
        line.text.clear();
        return line.text;
    };
    auto countLine = [&](std::int32_t y, Colour ink, std::string_view label, std::int64_t number) {
        std::string& text = next(band.left, y, ink);
        text.assign(label);
        appendNumber(text, number);
        text.append(trailingBlanks);
    };
    countLine(band.top, lookRayColour, "Frame:   ", m_simulation.frameNumber());
    countLine(band.top + statusLinePitch, kindColourOf(CellKind::Zombie), "Zombies: ", m_simulation.zombieCount());
    countLine(band.top + 2 * statusLinePitch, kindColourOf(CellKind::Human), "Humans:  ", m_simulation.humanCount());

    // One line per listed brain, in columns of three beside the counts.
    std::int32_t x = band.left;
    std::int32_t y = band.top + firstBrainLine;
    const auto& names = m_brains.brainNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (y > band.height - statusLinePitch) {
            x += statusColumnWidth;
            y = band.top;
        }
        std::string& text = next(x, y, m_brains.brainColour(names[i]));
        text.assign(names[i]);
        text.append(": ");
        appendNumber(text, i < humansPerBrain.size() ? humansPerBrain[i] : 0);
        text.append(trailingBlanks);
        y += statusLinePitch;
    }
    m_nextBand.resize(count);
}

void ScenePainter::drawStatusBand(std::span<const std::int32_t> humansPerBrain)
{
    composeBand(humansPerBrain);
    if (m_deferred && !m_settings.graphShown() && bandWaitsInstead())
        return;
    drawWaitingBand();
    for (const BandLine& line : m_nextBand)
        drawBandLine(line);
    if (m_settings.graphShown()) {
        const std::int32_t x = m_nextBand.empty() ? m_layout.statusBand.left : m_nextBand.back().x;
        drawHistoryGraph(x);
    }
}

bool ScenePainter::bandWaitsInstead()
{
    // Every character cell of a line is drawn whole, background included, and the
    // same character in the same place with the same colours leaves the same pixels.
    // So two draws of a line from the same place in the same ink leave what one draw
    // of the later text leaves, followed by the earlier text's characters beyond its
    // end. That holds while nothing else draws there in between: no cell (a line that
    // would reach into the board is drawn at once; the layout keeps the board below
    // the lines today), no other line (lines that overlap are drawn at once, in
    // order), and no overlay (each settles the band first).
    const bool merging = m_bandWaits;
    if (merging && m_band.size() != m_nextBand.size())
        return false;
    m_lineAreas.clear();
    for (std::size_t i = 0; i < m_nextBand.size(); ++i) {
        const BandLine& line = m_nextBand[i];
        const bool plain = std::all_of(line.text.begin(), line.text.end(),
            [](char c) { return static_cast<unsigned char>(c) >= ' ' && static_cast<unsigned char>(c) < 128; });
        if (!plain)
            return false;
        const std::string_view longer = merging && m_band[i].text.size() > line.text.size() ? m_band[i].text : line.text;
        if (merging && (m_band[i].x != line.x || m_band[i].y != line.y || !(m_band[i].ink == line.ink)))
            return false;
        const Rectangle area = m_text.extent(m_frame, line.x, line.y, longer);
        if (m_layout.boardMeets(area))
            return false;
        for (const Rectangle& other : m_lineAreas)
            if (meets(area, other))
                return false;
        m_lineAreas.push_back(area);
    }
    if (merging) {
        for (std::size_t i = 0; i < m_nextBand.size(); ++i) {
            const std::string& earlier = m_band[i].text;
            std::string& text = m_nextBand[i].text;
            if (earlier.size() > text.size())
                text.append(earlier, text.size());
        }
    }
    m_band.swap(m_nextBand);
    m_bandArea = boundsOf(m_lineAreas);
    m_bandWaits = true;
    return true;
}

void ScenePainter::drawWaitingBand()
{
    if (!m_bandWaits)
        return;
    m_bandWaits = false; // before drawing, which settles what lies under the lines
    for (const BandLine& line : m_band)
        drawBandLine(line);
}

void ScenePainter::drawBandLine(const BandLine& line)
{
    m_text.setColours({ statusBackground, line.ink });
    drawTextLine(line.x, line.y, line.text);
}

void ScenePainter::drawHistoryGraph(std::int32_t x)
{
    const Rectangle band = m_layout.statusBand;
    std::int64_t width = std::int64_t { band.width } - x - textColumnsBeforeGraph;
    if (width <= 0)
        return;
    std::int64_t left = std::int64_t { x } + statusColumnWidth;
    // The points lie inside the background, which marks the damage for them.
    Rectangle area;
    if (left < m_frame.width())
        area = { static_cast<std::int32_t>(left), band.top,
            static_cast<std::int32_t>(std::min<std::int64_t>(width, m_frame.width() - left)), band.height };
    settle(area);
    m_frame.fillRect(left, band.top, width, band.height, graphBackground);
    overdrawn(area);

    for (const std::string& name : m_brains.brainNames()) {
        const PopulationHistory::Series* series = m_simulation.history().find(name);
        if (!series || series->samples.empty())
            continue;
        const auto& samples = series->samples;
        std::int64_t count = static_cast<std::int64_t>(samples.size());
        std::int64_t peak = *std::max_element(samples.begin(), samples.end());
        if (peak <= 0)
            continue;
        // Each brain is scaled to its own peak: the peak on the band's top row, zero
        // on its bottom row; at most one point per column, taken evenly.
        std::int64_t step = count <= width ? 1 : count / width + 1;
        Colour colour = m_brains.brainColour(name);
        std::int64_t column = 0;
        for (std::int64_t i = 0; i < count; i += step, ++column) {
            std::int64_t px = left + column;
            std::int64_t py = band.top + (peak - samples[static_cast<std::size_t>(i)]) * (band.height - 1) / peak;
            if (px >= 0 && py >= 0 && px < m_frame.width() && py < m_frame.height())
                m_frame.setPixel(static_cast<std::int32_t>(px), static_cast<std::int32_t>(py), colour);
        }
    }
}

void ScenePainter::drawNotice(std::string_view notice)
{
    if (m_noticeArea.width > 0) {
        settle(m_noticeArea);
        m_frame.fillRect(m_noticeArea.left, m_noticeArea.top, m_noticeArea.width, m_noticeArea.height, statusBackground);
        m_noticeArea = {};
    }
    if (notice.empty() || m_frame.isEmpty())
        return;
    constexpr std::int32_t rightMargin = 4;
    const Rectangle band = m_layout.statusBand;
    const std::int64_t width = std::int64_t { m_text.width() + 1 } * static_cast<std::int64_t>(notice.size());
    const std::int64_t x = std::max<std::int64_t>(band.left, band.left + band.width - width - rightMargin);
    m_text.setColours({ statusBackground, noticeColour });
    settle(m_text.extent(m_frame, static_cast<std::int32_t>(x), band.top, notice));
    m_noticeArea = m_text.drawText(m_frame, static_cast<std::int32_t>(x), band.top, notice);
    overdrawn(m_noticeArea);
}

void ScenePainter::markBeing(const Actor& actor)
{
    // Two rings around the cell, black outside and white inside: one of them stands
    // out on any colour. Clipped to the board, so the status band stays as it is.
    constexpr std::int64_t ring = 2;
    const Layout& l = m_layout;
    if (!cellsVisible())
        return;
    const std::int64_t boardRight = l.boardLeft + std::int64_t { l.columns } * l.cellWidth;
    const std::int64_t boardBottom = l.boardTop + std::int64_t { l.rows } * l.cellHeight;
    const std::int64_t left = l.boardLeft + std::int64_t { actor.x } * l.cellWidth - ring;
    const std::int64_t top = l.boardTop + std::int64_t { actor.y } * l.cellHeight - ring;
    const std::int64_t right = left + l.cellWidth + 2 * ring;
    const std::int64_t bottom = top + l.cellHeight + 2 * ring;
    const std::int64_t clipLeft = std::max<std::int64_t>(left, l.boardLeft);
    const std::int64_t clipTop = std::max<std::int64_t>(top, l.boardTop);
    const std::int64_t clipRight = std::min(right, boardRight);
    const std::int64_t clipBottom = std::min(bottom, boardBottom);
    if (clipRight <= clipLeft || clipBottom <= clipTop)
        return;
    const Rectangle area { static_cast<std::int32_t>(clipLeft), static_cast<std::int32_t>(clipTop),
        static_cast<std::int32_t>(clipRight - clipLeft), static_cast<std::int32_t>(clipBottom - clipTop) };
    settle(area);
    auto frameRect = [&](std::int64_t inset, Colour colour) {
        const std::int64_t l0 = left + inset, t0 = top + inset, r0 = right - inset, b0 = bottom - inset;
        auto fill = [&](std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
            x0 = std::max(x0, clipLeft);
            y0 = std::max(y0, clipTop);
            x1 = std::min(x1, clipRight);
            y1 = std::min(y1, clipBottom);
            if (x1 > x0 && y1 > y0)
                m_frame.fillRect(x0, y0, x1 - x0, y1 - y0, colour);
        };
        fill(l0, t0, r0, t0 + 1);
        fill(l0, b0 - 1, r0, b0);
        fill(l0, t0, l0 + 1, b0);
        fill(r0 - 1, t0, r0, b0);
    };
    frameRect(0, Colour { 0, 0, 0 });
    frameRect(1, Colour { 255, 255, 255 });
    overdrawn(area);
}

void ScenePainter::drawWatchedLabel(const Actor& actor)
{
    m_text.setColours({ Colour { 0, 0, 0 }, Colour { 255, 255, 255 } });
    std::string label = m_simulation.brainName(actor);
    label.append(": ");
    label.append(m_simulation.statusText(actor));
    drawTextLine(m_layout.boardLeft, m_layout.boardTop, label);
}

}
