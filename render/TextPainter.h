#pragma once

#include "render/BitmapFont.h"
#include "render/DirtyRegion.h"
#include "sim/Colour.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

class Bitmap;

// The size every text of the saver asks for: the nearest font is "5x7 Monospaced".
inline constexpr std::int32_t textFontWidth = 5;
inline constexpr std::int32_t textFontHeight = 7;

// Draws strings opaquely with one of the built-in fonts into a 24-bit bitmap: every
// pixel of a character's cell (the glyph plus one column of gap) is written, in
// colour 1 where the glyph has ink and colour 0 elsewhere. A short-lived value: each
// drawing routine makes its own, picks a font and its colours, and drops it.
class TextPainter {
public:
    // "5x7 Monospaced", white on black.
    TextPainter();

    // Copies the metrics of fontTable[index] (0 to 10) and takes its default colours:
    // a grey ramp from black to white when the font has none of its own.
    void selectFont(int index);

    // Selects the font whose size lies nearest (squared distance) to width x height;
    // ties go to the lower index.
    void selectNearestFont(std::int32_t width, std::int32_t height);

    // Three bytes per colour in pixel order blue, green, red; colour 0 is the
    // background, colour 1 the ink.
    void setColours(std::vector<std::uint8_t> bytes) { m_colours = std::move(bytes); }
    void setColours(std::initializer_list<Colour>);
    void setColour(int index, Colour);

    // Draws `text` with the top-left of its first cell at (x, y). A line feed starts
    // a new line under the first; a byte 1 or 2 draws nothing, unless fewer than two
    // bytes follow it, which ends the string; other control bytes and bytes of 128 or
    // more draw a blank cell. Pixels outside the bitmap are skipped; nothing wraps.
    // Returns the box around the character cells drawn.
    Rectangle drawText(Bitmap&, std::int32_t x, std::int32_t y, std::string_view text) const;
    // The box drawText would return, without drawing.
    Rectangle extent(const Bitmap&, std::int32_t x, std::int32_t y, std::string_view text) const;

    std::int32_t width() const { return m_width; }
    // How far apart the cells of a line lie: the glyph and its gap column.
    std::int32_t advance() const { return m_width + 1; }
    std::int32_t height() const { return m_height; }
    std::int32_t rowsAbove() const { return m_rowsAbove; }
    std::int32_t rowsBelow() const { return m_rowsBelow; }
    std::int32_t lineHeight() const { return m_rowsAbove + m_height + m_rowsBelow; }
    const std::string& name() const { return m_name; }
    const std::vector<std::uint8_t>& colours() const { return m_colours; }

private:
    void drawGlyph(Bitmap&, std::int32_t x, std::int32_t y, unsigned char code) const;
    // Calls drawCell for every character cell of the text that lies at least partly
    // inside an image of width x height; the box around them.
    template<typename DrawCell>
    Rectangle walk(std::int32_t x, std::int32_t y, std::string_view text, std::int64_t width, std::int64_t height,
        DrawCell drawCell) const;

    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_rowsAbove = 0;
    std::int32_t m_rowsBelow = 0;
    std::string m_name;
    std::int32_t m_colourCount = 0;
    const std::uint8_t* m_glyphs = nullptr;
    std::vector<std::uint8_t> m_colours;
};

}
