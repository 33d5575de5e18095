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
    bitmap.create(width, height, 24, RowOrder::TopDown);
    bitmap.fill(128);
    return bitmap;
}

// The glyph data of "5x7 Monospaced" as given, seven bytes per glyph, codes 32 to 127.
constexpr const char* fiveBySevenHex[16] = {
    "00000000000000 01084210040000 0294a000000000 0015f52bea0000 011f4717c40000 0033a22e600000",
    "022944564d0000 00844000000000 11108421041000 41042108444000 00095754800000 00084f90800000",
    "00000000044000 00000f80000000 00000000040000 08442211088000 03a33ae62e0000 011842108e0000",
    "03a213221f0000 03a213062e0000 008ca97c420000 07e10f062e0000 01910f462e0000 07c22110880000",
    "03a317462e0000 03a317844c0000 00004000800000 00004000880000 00026c18200000 0001f07c000000",
    "0020c1b2000000 03a21110040000 03a35ade0f0000 0108a53a310000 07a31f463e0000 03a308422e0000",
    "072518c65c0000 07e10f421f0000 07e10f42100000 03a309c62f0000 04631fc6310000 038842108e0000",
    "01c210843e0000 04654c52510000 042108421f0000 0463bdd6b10000 06735ad6730000 03a318c62e0000",
    "07a31f42100000 03a318c66f0000 07a31f46310000 03a307062e0000 07c84210840000 046318c62e0000",
    "04631528840000 046b5aa94a0000 0462a22a310000 04631710840000 07c222221f0000 72108421087000",
    "84108210420800 70842108427000 01151000000000 0000000000f800 00108200000000 0000e0be2f0000",
    "8421e8c63e0000 0000f8420f0000 0842f8c62f0000 0000e8fe0f0000 3a11e421080000 0000e8c62f0b80",
    "8421e8c6310000 0100c210840000 00806108421700 42109531490000 61084210840000 0001aad6b50000",
    "0001e8c6310000 0000e8c62e0000 0001e8c63e8400 0000f8c62f0840 00016cc2100000 0000f8383e0000",
    "0210e421070000 000118c62f0000 000118a9440000 00011ad54a0000 00011511510000 000118c62f0b80",
    "0001f1111f0000 11084410841000 21084210842000 41084110844000 0000aa00000000 07fffffffff800",
};

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
    const BitmapFont& font = fontTable[7];
    std::string actual;
    std::string expected;
    for (int row = 0; row < 16; ++row) {
        for (int glyph = 0; glyph < 6; ++glyph) {
            const std::uint8_t* bytes = font.glyphs + (row * 6 + glyph) * 7;
            char hex[3];
            for (int i = 0; i < 7; ++i) {
                std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
                actual += hex;
            }
            actual += glyph < 5 ? " " : "";
        }
        actual += "\n";
        expected += fiveBySevenHex[row];
        expected += "\n";
    }
    EXPECT_EQ(actual, expected);
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

TEST(TextPainter, ClipsAtEveryEdgeAndNeverWrites)
{
    TextPainter text;
    text.setColours({ Colour { 1, 1, 1 }, Colour { 255, 255, 255 } });
    for (auto [x, y] : { std::pair { 3, 0 }, std::pair { -4, 2 }, std::pair { 1, -7 }, std::pair { 2, 4 },
             std::pair { -2147483647, -2147483647 }, std::pair { 2147483647, 0 } }) {
        Bitmap bitmap = greyBitmap(6, 6);
        text.drawText(bitmap, x, y, "Hello,\nworld");
        // A pen far outside draws nothing; near the edges only the inside is drawn.
        int grey = test::countPixels(bitmap, Colour { 128, 128, 128 });
        EXPECT_LE(grey, 36);
    }
    Bitmap bitmap = greyBitmap(6, 6);
    text.drawText(bitmap, 3, 0, "A");
    EXPECT_EQ(asText(bitmap, 0, 0, 6, 6, { { 0x010101, '.' }, { 0xFFFFFF, '#' }, { 0x808080, '_' } }),
        rows({ "___...", "___..#", "___..#", "___.#.", "___.#.", "___.##" }))
        << "text 3 pixels from the right edge shows only its columns inside";

    Bitmap emptyBitmap;
    text.drawText(emptyBitmap, 0, 0, "nothing to draw into");
}
