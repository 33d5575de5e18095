#include "render/TextPainter.h"

#include "Pixels.h"
#include "render/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>

using namespace shamblex;
using shamblex::test::asText;
using shamblex::test::rows;

namespace {

const std::map<std::uint32_t, char> blackAndWhite { { 0x000000, '.' }, { 0xFFFFFF, '#' }, { 0x808080, '_' } };

Bitmap greyBitmap(std::int32_t width, std::int32_t height)
{
    Bitmap bitmap;
    bitmap.create(width, height);
    bitmap.fill({ 128, 128, 128 });
    return bitmap;
}

// FNV-1a over a run of bytes: a font's whole glyph data compared in one number.
std::uint64_t digest(const std::uint8_t* bytes, std::size_t size)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}

}

TEST(FontTable, ElevenFontsWithTheirMetricsBackToBack)
{
    struct Expected {
        const char* name;
        int width, height, above, below, bytesPerGlyph;
    };
    const Expected expected[] = { { "3x3 Monospaced", 3, 3, 0, 1, 2 }, { "3x4 Monospaced", 3, 4, 0, 1, 2 },
        { "3x5 Monospaced", 3, 5, 0, 0, 2 }, { "3x5 Monospaced 2", 3, 5, 0, 1, 3 }, { "4x4 Monospaced", 4, 4, 0, 0, 2 },
        { "4x4 Monospaced 2", 4, 4, 0, 1, 3 }, { "5x5 Monospaced", 5, 5, 0, 0, 4 }, { "5x7 Monospaced", 5, 7, 1, 2, 7 },
        { "7x7 Monospaced", 7, 7, 1, 2, 9 }, { "8x11 Monospaced", 8, 11, 0, 2, 13 },
        { "10x13 Monospaced", 10, 13, 2, 2, 22 } };
    const std::uint8_t* next = fontTable[0].glyphs;
    for (std::size_t i = 0; i < fontTable.size(); ++i) {
        const BitmapFont& font = fontTable[i];
        EXPECT_STREQ(font.name, expected[i].name);
        EXPECT_EQ(font.width, expected[i].width) << font.name;
        EXPECT_EQ(font.height, expected[i].height) << font.name;
        EXPECT_EQ(font.rowsAbove, expected[i].above) << font.name;
        EXPECT_EQ(font.rowsBelow, expected[i].below) << font.name;
        EXPECT_EQ(font.bytesPerGlyph(), expected[i].bytesPerGlyph) << font.name;
        EXPECT_EQ(font.colourCount, 2);
        EXPECT_EQ(font.defaultColours, nullptr);
        EXPECT_EQ(font.glyphs, next) << font.name << " does not follow its predecessor";
        next = font.glyphs + glyphCount * font.bytesPerGlyph();
    }
    EXPECT_EQ(fontGlyphDataSize, 6624u);
    EXPECT_EQ(next - fontTable[0].glyphs, 6624);
}

TEST(FontTable, FiveBySevenIsExactlyTheGivenGlyphData)
{
    // The digest of the 672 bytes of "5x7 Monospaced" as the font's definition gives
    // them, 7 bytes per glyph for codes 32 to 127.
    const BitmapFont& font = fontTable[7];
    EXPECT_EQ(digest(font.glyphs, static_cast<std::size_t>(glyphCount * font.bytesPerGlyph())), 0x2b5791753eac7949ull);
}

TEST(FontTable, EveryGlyphLeavesItsUnusedBitsClearAndEveryFontHasInk)
{
    for (const BitmapFont& font : fontTable) {
        int bits = font.width * font.rows();
        int spare = font.bytesPerGlyph() * 8 - bits;
        int ink = 0;
        for (int glyph = 0; glyph < glyphCount; ++glyph) {
            const std::uint8_t* bytes = font.glyphs + glyph * font.bytesPerGlyph();
            std::uint8_t last = bytes[font.bytesPerGlyph() - 1];
            EXPECT_EQ(last & ((1 << spare) - 1), 0) << font.name << " glyph " << glyph + firstGlyph;
            for (int i = 0; i < font.bytesPerGlyph(); ++i)
                ink += __builtin_popcount(bytes[i]);
        }
        EXPECT_GT(ink, glyphCount * 4) << font.name;
    }
}

TEST(TextPainter, NearestFontPrefersTheLowerIndexOnATie)
{
    TextPainter text;
    EXPECT_EQ(text.name(), "5x7 Monospaced");
    for (auto [width, height, name] : { std::tuple { 5, 7, "5x7 Monospaced" }, std::tuple { 4, 4, "4x4 Monospaced" },
             std::tuple { 6, 6, "5x5 Monospaced" }, std::tuple { 100, 100, "10x13 Monospaced" },
             std::tuple { 4, 5, "3x5 Monospaced" }, std::tuple { 9, 12, "8x11 Monospaced" },
             std::tuple { 2147483647, 2147483647, "10x13 Monospaced" },
             std::tuple { -2147483647, -2147483647, "3x3 Monospaced" } }) {
        text.selectNearestFont(width, height);
        EXPECT_EQ(text.name(), name) << width << "x" << height;
    }
    EXPECT_EQ(text.colours(), (std::vector<std::uint8_t> { 0, 0, 0, 255, 255, 255 })) << "the grey ramp of two";
}

TEST(TextPainter, CapitalAFillsItsWholeCell)
{
    Bitmap bitmap = greyBitmap(8, 11);
    TextPainter text;
    text.drawText(bitmap, 0, 0, "A");
    EXPECT_EQ(asText(bitmap, 0, 0, 8, 11, blackAndWhite),
        rows({ "......__", "..#...__", "..#...__", ".#.#..__", ".#.#..__", ".###..__", "#...#.__", "#...#.__",
            "......__", "......__", "________" }));
}

TEST(TextPainter, LineFeedsReturnToTheStartOneLineDown)
{
    Bitmap bitmap = greyBitmap(14, 22);
    TextPainter text;
    text.drawText(bitmap, 1, 1, "--\n..");
    EXPECT_EQ(asText(bitmap, 0, 0, 14, 22, blackAndWhite),
        rows({ "______________", "_............_", "_............_", "_............_", "_............_",
            "_#####.#####._", "_............_", "_............_", "_............_", "_............_",
            "_............_", "_............_", "_............_", "_............_", "_............_",
            "_............_", "_............_", "_............_", "_..#.....#..._", "_............_",
            "_............_", "______________" }));
}

TEST(TextPainter, ControlBytesDrawBlanksOrNothing)
{
    TextPainter text;
    for (const char* blank : { "\t", "\r", "\x80", "\xff" }) {
        Bitmap bitmap = greyBitmap(7, 10);
        text.drawText(bitmap, 0, 0, blank);
        EXPECT_EQ(test::countPixels(bitmap, Colour { 0, 0, 0 }), 60) << "a blank 6 x 10 cell for byte "
                                                                     << int(static_cast<unsigned char>(*blank));
    }

    Bitmap atEnd = greyBitmap(20, 10);
    text.drawText(atEnd, 0, 0, "I\x01");
    EXPECT_EQ(test::countPixels(atEnd, Colour { 128, 128, 128 }), 20 * 10 - 60) << "the I alone is drawn";

    Bitmap inside = greyBitmap(20, 10);
    text.drawText(inside, 0, 0, std::string_view("I\x02II", 4));
    Bitmap plain = greyBitmap(20, 10);
    text.drawText(plain, 0, 0, "III");
    EXPECT_EQ(asText(inside, 0, 0, 20, 10, blackAndWhite), asText(plain, 0, 0, 20, 10, blackAndWhite));

    Bitmap empty = greyBitmap(5, 5);
    text.drawText(empty, 0, 0, "");
    text.drawText(empty, 0, 0, "\x01");
    EXPECT_EQ(test::countPixels(empty, Colour { 128, 128, 128 }), 25);
}

TEST(TextPainter, ClipsAtEveryEdgeAndWritesOnlyInside)
{
    // Text drawn near or far past the edges of a small bitmap shows exactly the part
    // of it that falls inside: what the same text shows at the same place in a
    // bitmap large enough to hold it all.
    TextPainter text;
    text.setColours({ Colour { 1, 1, 1 }, Colour { 255, 255, 255 } });
    const std::map<std::uint32_t, char> legend { { 0x010101, '.' }, { 0xFFFFFF, '#' }, { 0x808080, '_' } };
    for (auto [x, y] : { std::pair { 3, 0 }, std::pair { -4, 2 }, std::pair { 1, -7 }, std::pair { 2, 4 } }) {
        Bitmap small = greyBitmap(6, 6);
        text.drawText(small, x, y, "Hello,\nworld");
        Bitmap large = greyBitmap(100, 60);
        text.drawText(large, x + 40, y + 30, "Hello,\nworld");
        EXPECT_EQ(asText(small, 0, 0, 6, 6, legend), asText(large, 40, 30, 6, 6, legend)) << "at " << x << "," << y;
    }
    for (auto [x, y] : { std::pair { -2147483647, -2147483647 }, std::pair { 2147483647, 0 } }) {
        Bitmap far = greyBitmap(6, 6);
        text.drawText(far, x, y, "Hello,\nworld");
        EXPECT_EQ(test::countPixels(far, Colour { 128, 128, 128 }), 36) << "a pen far outside draws nothing";
    }
    Bitmap emptyBitmap;
    EXPECT_EQ(text.drawText(emptyBitmap, 0, 0, "nothing to draw into").width, 0);
}
