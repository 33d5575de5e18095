#include "render/TextPainter.h"

#include "render/Bitmap.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace shamblex {

namespace {

constexpr char lineFeed = 10;

}

TextPainter::TextPainter()
{
    selectNearestFont(textFontWidth, textFontHeight);
}

void TextPainter::selectFont(int index)
{
    assert(index >= 0 && index < static_cast<int>(fontTable.size()));
    const BitmapFont& font = fontTable[static_cast<std::size_t>(index)];
    m_width = font.width;
    m_height = font.height;
    m_rowsAbove = font.rowsAbove;
    m_rowsBelow = font.rowsBelow;
    m_name = font.name;
    m_colourCount = font.colourCount;
    m_glyphs = font.glyphs;

    m_colours.clear();
    if (font.defaultColours) {
        m_colours.assign(font.defaultColours, font.defaultColours + 3 * font.colourCount);
        return;
    }
    // A grey ramp from black to white, truncated, the same in all three bytes.
    double step = m_colourCount > 1 ? 255.0 / (m_colourCount - 1) : 0.0;
    double value = 0.0;
    for (std::int32_t i = 0; i < m_colourCount; ++i) {
        auto grey = static_cast<std::uint8_t>(value);
        m_colours.insert(m_colours.end(), { grey, grey, grey });
        value += step;
    }
}

void TextPainter::selectNearestFont(std::int32_t width, std::int32_t height)
{
    // Each square fits 63 bits even for the most extreme requests; their sum needs 64.
    int best = 0;
    std::uint64_t bestDistance = 0;
    for (std::size_t i = 0; i < fontTable.size(); ++i) {
        std::int64_t dh = std::int64_t { height } - fontTable[i].height;
        std::int64_t dw = std::int64_t { width } - fontTable[i].width;
        std::uint64_t distance = static_cast<std::uint64_t>(dh * dh) + static_cast<std::uint64_t>(dw * dw);
        if (i == 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    selectFont(best);
}

void TextPainter::setColours(std::initializer_list<Colour> colours)
{
    m_colours.clear();
    for (Colour colour : colours)
        m_colours.insert(m_colours.end(), { colour.blue, colour.green, colour.red });
}

void TextPainter::setColour(int index, Colour colour)
{
    auto at = static_cast<std::size_t>(3 * index);
    if (m_colours.size() < at + 3)
        m_colours.resize(at + 3);
    m_colours[at] = colour.blue;
    m_colours[at + 1] = colour.green;
    m_colours[at + 2] = colour.red;
}

template<typename DrawCell>
Rectangle TextPainter::walk(std::int32_t x, std::int32_t y, std::string_view text, std::int64_t width, std::int64_t height,
    DrawCell drawCell) const
{
    std::int64_t penX = x;
    std::int64_t penY = y;
    const std::int64_t step = advance();
    // The box around every cell drawn, for the caller to know what it covered.
    std::int64_t left = penX, top = penY, right = penX, bottom = penY;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto code = static_cast<unsigned char>(text[i]);
        if (code == lineFeed) {
            penX = x;
            penY += lineHeight();
            continue;
        }
        if (code == 1 || code == 2) {
            // Marks a two-byte sequence to come; at the end of a string it ends it.
            if (i + 3 > text.size())
                break;
            continue;
        }
        if (code < 32 || code >= 128)
            code = ' ';
        // A pen far outside any bitmap draws nothing, but must not overflow.
        if (penX > -step && penX < width && penY > -lineHeight() && penY < height) {
            drawCell(static_cast<std::int32_t>(penX), static_cast<std::int32_t>(penY), code);
            left = std::min(left, penX);
            top = std::min(top, penY);
            right = std::max(right, penX + step);
            bottom = std::max(bottom, penY + lineHeight());
        }
        penX += step;
    }
    return { static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(right - left),
        static_cast<std::int32_t>(bottom - top) };
}

Rectangle TextPainter::drawText(Bitmap& bitmap, std::int32_t x, std::int32_t y, std::string_view text) const
{
    if (bitmap.isEmpty())
        return {};
    assert(m_colours.size() >= 6);
    return walk(x, y, text, bitmap.width(), bitmap.height(),
        [&](std::int32_t cellX, std::int32_t cellY, unsigned char code) { drawGlyph(bitmap, cellX, cellY, code); });
}

Rectangle TextPainter::extent(const Bitmap& bitmap, std::int32_t x, std::int32_t y, std::string_view text) const
{
    if (bitmap.isEmpty())
        return {};
    return walk(x, y, text, bitmap.width(), bitmap.height(), [](std::int32_t, std::int32_t, unsigned char) { });
}

void TextPainter::drawGlyph(Bitmap& bitmap, std::int32_t x, std::int32_t y, unsigned char code) const
{
    const std::int32_t rows = lineHeight();
    const std::uint8_t* glyph
        = m_glyphs + static_cast<std::size_t>(code - firstGlyph) * static_cast<std::size_t>((m_width * rows + 7) / 8);
    const std::uint8_t* background = &m_colours[0];
    const std::uint8_t* ink = &m_colours[3];
    bitmap.markDamaged(x, y, advance(), rows);

    std::int32_t bit = 0;
    for (std::int32_t row = 0; row < rows; ++row) {
        std::int32_t py = y + row;
        bool rowInside = py >= 0 && py < bitmap.height();
        std::uint8_t* line = rowInside ? bitmap.row(py) : nullptr;
        // The glyph's columns, then the gap column in the background colour.
        for (std::int32_t column = 0; column <= m_width; ++column) {
            bool set = false;
            if (column < m_width) {
                set = (glyph[bit >> 3] >> (7 - (bit & 7))) & 1;
                ++bit;
            }
            std::int32_t px = x + column;
            if (!rowInside || px < 0 || px >= bitmap.width())
                continue;
            const std::uint8_t* colour = set ? ink : background;
            std::uint8_t* pixel = line + Bitmap::bytesPerPixel * static_cast<std::size_t>(px);
            pixel[0] = colour[0];
            pixel[1] = colour[1];
            pixel[2] = colour[2];
            pixel[3] = 0;
        }
    }
}

}
