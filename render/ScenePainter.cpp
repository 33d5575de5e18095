#include "render/ScenePainter.h"

#include "brains/BrainRegistry.h"
#include "render/Bitmap.h"
#include "render/TextPainter.h"
#include "sim/Actor.h"
#include "sim/KindTable.h"
#include "sim/Settings.h"
#include "sim/Simulation.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

namespace shamblex {

namespace {

constexpr std::int32_t firstBrainLine = 39;
constexpr std::int32_t textColumnsBeforeGraph = 200; // 180 of text before the graph, 20 after it
constexpr std::string_view trailingBlanks = "    "; // paint over the digits of a longer old number

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
    const BrainRegistry& brains)
    : m_frame(frame)
    , m_simulation(simulation)
    , m_settings(settings)
    , m_brains(brains)
{
}

void ScenePainter::fillRectangle(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height,
    Colour colour)
{
    if (m_frame.isEmpty() || m_frame.bitsPerPixel() != trueColourDepth || width <= 0 || height <= 0)
        return;
    std::int64_t x0 = std::max<std::int64_t>(left, 0);
    std::int64_t y0 = std::max<std::int64_t>(top, 0);
    std::int64_t x1 = std::min<std::int64_t>(left + width, m_frame.width());
    std::int64_t y1 = std::min<std::int64_t>(top + height, m_frame.height());
    const auto stride = static_cast<std::size_t>(m_frame.rowStride());
    for (std::int64_t y = y0; y < y1; ++y) {
        std::uint8_t* pixel = m_frame.bits() + static_cast<std::size_t>(y) * stride + 3 * static_cast<std::size_t>(x0);
        for (std::int64_t x = x0; x < x1; ++x) {
            *pixel++ = colour.blue;
            *pixel++ = colour.green;
            *pixel++ = colour.red;
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
    if (m_frame.isEmpty() || m_frame.bitsPerPixel() != trueColourDepth || l.cellWidth <= 0 || l.cellHeight <= 0
        || l.columns != board.width() || l.rows != board.height())
        return;
    // The part of the board's pixels inside the frame.
    std::int64_t boardWidth = std::int64_t { l.cellWidth } * l.columns;
    std::int64_t x0 = std::max<std::int64_t>(l.boardLeft, 0);
    std::int64_t x1 = std::min<std::int64_t>(l.boardLeft + boardWidth, m_frame.width());
    if (x0 >= x1)
        return;
    m_line.resize(static_cast<std::size_t>(3 * boardWidth));
    const auto stride = static_cast<std::size_t>(m_frame.rowStride());
    for (std::int32_t row = 0; row < l.rows; ++row) {
        std::int64_t top = l.boardTop + std::int64_t { row } * l.cellHeight;
        std::int64_t y0 = std::max<std::int64_t>(top, 0);
        std::int64_t y1 = std::min<std::int64_t>(top + l.cellHeight, m_frame.height());
        if (y0 >= y1)
            continue;
        std::uint8_t* out = m_line.data();
        for (std::int32_t column = 0; column < l.columns; ++column) {
            Colour colour = colourOf(board.at(column, row));
            for (std::int32_t i = 0; i < l.cellWidth; ++i) {
                *out++ = colour.blue;
                *out++ = colour.green;
                *out++ = colour.red;
            }
        }
        const std::uint8_t* from = m_line.data() + 3 * static_cast<std::size_t>(x0 - l.boardLeft);
        auto bytes = static_cast<std::size_t>(3 * (x1 - x0));
        for (std::int64_t y = y0; y < y1; ++y)
            std::memcpy(m_frame.bits() + static_cast<std::size_t>(y) * stride + 3 * static_cast<std::size_t>(x0), from,
                bytes);
    }
}

void ScenePainter::fillCell(std::int32_t column, std::int32_t row, Colour colour)
{
    const Layout& l = m_layout;
    if (l.cellWidth <= 0 || l.cellHeight <= 0)
        return;
    fillRectangle(l.boardLeft + std::int64_t { column } * l.cellWidth, l.boardTop + std::int64_t { row } * l.cellHeight,
        l.cellWidth, l.cellHeight, colour);
}

void ScenePainter::paintBackground()
{
    const Board& board = m_simulation.board();
    m_layout = Layout::compute(board.width(), board.height(), m_frame.width(), m_frame.height());
    m_frame.fill(backgroundGrey);
    // Beings' cells are painted as ground; the full repaint that every caller asks
    // for next shows the beings.
    const Colour wall = kindColourOf(CellKind::Wall);
    const Colour ground = kindColourOf(CellKind::Empty);
    paintCells([&](const Cell& cell) { return cell.kind == CellKind::Wall ? wall : ground; });
}

void ScenePainter::eraseCell(std::int32_t column, std::int32_t row)
{
    fillCell(column, row, kindColourOf(CellKind::Empty));
}

Colour ScenePainter::actorColour(const Actor& actor) const
{
    const std::string& name = actor.brainName();
    if (name == "Zombie" || name == "Human" || name.empty())
        return kindColourOf(actor.kind());
    if (m_settings.userColoursShown())
        return actor.userColour();
    Colour colour = Colour::fromPacked(m_brains.brainColour(name));
    if (actor.panicked == 1)
        colour = { brighten(colour.red), brighten(colour.green), brighten(colour.blue) };
    return colour;
}

void ScenePainter::drawActor(const Actor& actor)
{
    fillCell(actor.x(), actor.y(), actorColour(actor));
}

void ScenePainter::repaintBoard()
{
    paintCells([](const Cell& cell) { return kindColourOf(cell.kind); });
    for (const Actor* actor : m_simulation.population())
        drawActor(*actor);
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
    for (std::int64_t i = 0; i < steps; ++i) {
        if (x >= 0 && y >= 0 && x < m_frame.width() && y < m_frame.height())
            m_frame.setPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), colour.red, colour.green,
                colour.blue);
        x += dx;
        y += dy;
    }
}

void ScenePainter::drawRays(const Actor& actor)
{
    drawRay(actor.x(), actor.y(), actor.lookDir(), lookRayColour, RayLength::Short);
    drawRay(actor.x(), actor.y(), actor.moveDir(), moveRayColour, RayLength::Long);
}

void ScenePainter::drawStatusBand(const BrainTally& tally)
{
    const Rectangle band = m_layout.statusBand;
    TextPainter text;
    text.selectNearestFont(textFontWidth, textFontHeight);
    text.setColours({ statusBackground, lookRayColour });

    std::string line;
    auto countLine = [&](std::string_view label, std::int64_t number) {
        line.assign(label);
        appendNumber(line, number);
        line.append(trailingBlanks);
        return std::string_view(line);
    };
    text.drawText(m_frame, band.left, band.top, countLine("Frame:   ", m_simulation.frameNumber()));
    text.setColour(1, kindColourOf(CellKind::Zombie));
    text.drawText(m_frame, band.left, band.top + statusLinePitch, countLine("Zombies: ", m_simulation.zombieCount()));
    text.setColour(1, kindColourOf(CellKind::Human));
    text.drawText(m_frame, band.left, band.top + 2 * statusLinePitch, countLine("Humans:  ", m_simulation.humanCount()));

    // One line per listed brain, in columns of three beside the counts.
    std::int32_t x = band.left;
    std::int32_t y = band.top + firstBrainLine;
    for (const std::string& name : m_brains.brainNames()) {
        auto it = tally.find(name);
        line.assign(name);
        line.append(": ");
        appendNumber(line, it == tally.end() ? 0 : it->second);
        line.append(trailingBlanks);
        if (y > band.height - statusLinePitch) {
            x += statusColumnWidth;
            y = band.top;
        }
        text.setColour(1, Colour::fromPacked(m_brains.brainColour(name)));
        text.drawText(m_frame, x, y, line);
        y += statusLinePitch;
    }

    if (m_settings.graphShown())
        drawHistoryGraph(x);
}

void ScenePainter::drawHistoryGraph(std::int32_t x)
{
    const Rectangle band = m_layout.statusBand;
    std::int64_t width = std::int64_t { band.width } - x - textColumnsBeforeGraph;
    if (width <= 0)
        return;
    std::int64_t left = std::int64_t { x } + statusColumnWidth;
    fillRectangle(left, band.top, width, band.height, graphBackground);

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
        Colour colour = Colour::fromPacked(m_brains.brainColour(name));
        std::int64_t column = 0;
        for (std::int64_t i = 0; i < count; i += step, ++column) {
            std::int64_t px = left + column;
            std::int64_t py = band.top + (peak - samples[static_cast<std::size_t>(i)]) * (band.height - 1) / peak;
            if (px >= 0 && py >= 0 && px < m_frame.width() && py < m_frame.height())
                m_frame.setPixel(static_cast<std::int32_t>(px), static_cast<std::int32_t>(py), colour.red,
                    colour.green, colour.blue);
        }
    }
}

void ScenePainter::drawWatchedLabel(const Actor& actor)
{
    TextPainter text;
    text.selectNearestFont(textFontWidth, textFontHeight);
    std::string label = actor.brainName();
    label.append(": ");
    label.append(actor.statusText);
    text.drawText(m_frame, m_layout.boardLeft, m_layout.boardTop, label);
}

}
