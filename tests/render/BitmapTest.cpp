#include "render/Bitmap.h"

#include "../sim/Printers.h"
#include "Pixels.h"

#include <gtest/gtest.h>

using namespace shamblex;

TEST(Bitmap, PixelsAreStoredBlueGreenRedZeroInRowsOfFourBytesEach)
{
    Bitmap bitmap;
    for (auto [width, stride] : { std::pair { 1, 4 }, std::pair { 2, 8 }, std::pair { 401, 1604 } }) {
        ASSERT_TRUE(bitmap.create(width, 2));
        EXPECT_EQ(bitmap.rowStride(), stride) << "width " << width;
        EXPECT_EQ(bitmap.byteSize(), static_cast<std::size_t>(2 * stride));
    }
    ASSERT_TRUE(bitmap.create(4, 3));
    bitmap.setPixel(0, 0, { 1, 2, 3 });
    bitmap.setPixel(1, 2, { 4, 5, 6 });
    EXPECT_EQ(bitmap.bits()[0], 3);
    EXPECT_EQ(bitmap.bits()[1], 2);
    EXPECT_EQ(bitmap.bits()[2], 1);
    EXPECT_EQ(bitmap.bits()[3], 0);
    EXPECT_EQ(bitmap.row(2)[4], 6) << "row 2 starts two strides in";
    EXPECT_EQ(bitmap.pixel(1, 2), (Colour { 4, 5, 6 }));
}

TEST(Bitmap, CreatingAgainGivesAFreshStoreAndARefusedOneLeavesItEmpty)
{
    Bitmap bitmap;
    ASSERT_TRUE(bitmap.create(5, 5));
    bitmap.fill({ 77, 77, 77 });
    ASSERT_TRUE(bitmap.create(5, 5));
    EXPECT_EQ(bitmap.pixel(4, 4), (Colour { 0, 0, 0 }));
    bitmap.release();
    bitmap.release();
    EXPECT_TRUE(bitmap.isEmpty());
    EXPECT_EQ(bitmap.bits(), nullptr);
    EXPECT_FALSE(bitmap.create(0, 10));
    EXPECT_FALSE(bitmap.create(1'000'000'000, 10)) << "a row's bytes must fit a 32-bit stride";
    EXPECT_TRUE(bitmap.isEmpty());
    bitmap.fillRect(0, 0, 5, 5, { 1, 1, 1 }); // writes nothing into an empty bitmap
}

TEST(Bitmap, FillsAndBlockCopiesClipAtEveryEdge)
{
    const std::map<std::uint32_t, char> legend { { 0, '.' }, { Colour { 9, 9, 9 }.packed(), '#' } };
    Bitmap page;
    ASSERT_TRUE(page.create(3, 2));
    page.fillRect(0, 0, 3, 2, { 9, 9, 9 });
    struct Case {
        std::int32_t x, y;
        const char* picture;
    };
    for (Case c : { Case { -1, -1, "##...\n.....\n.....\n.....\n" }, Case { 3, 3, ".....\n.....\n.....\n...##\n" },
             Case { 1, 1, ".....\n.###.\n.###.\n.....\n" }, Case { -2000000000, 2000000000, ".....\n.....\n.....\n.....\n" } }) {
        Bitmap frame;
        ASSERT_TRUE(frame.create(5, 4));
        frame.copyFrom(page, c.x, c.y);
        EXPECT_EQ(test::asText(frame, 0, 0, 5, 4, legend), c.picture) << "page at " << c.x << "," << c.y;
        Bitmap filled;
        ASSERT_TRUE(filled.create(5, 4));
        filled.fillRect(c.x, c.y, 3, 2, { 9, 9, 9 });
        EXPECT_EQ(test::asText(filled, 0, 0, 5, 4, legend), c.picture) << "fill at " << c.x << "," << c.y;
    }
}

TEST(Bitmap, RecordsWhatWasWrittenUntilItIsPresented)
{
    Bitmap frame;
    ASSERT_TRUE(frame.create(100, 40));
    EXPECT_TRUE(frame.damage().isEverything()) << "nothing of a new image has been shown";
    frame.clearDamage();
    EXPECT_TRUE(frame.damage().isEmpty());

    frame.fillRect(40, 9, 2, 2, { 1, 1, 1 }); // one tile
    frame.fillRect(-5, 30, 8, 20, { 1, 1, 1 }); // clipped to the left and bottom edges: two tile rows
    frame.markDamaged(95, 0, 500, 1); // reaches past the right edge: two tiles, the last one narrower
    std::vector<Rectangle> expected { { 64, 0, 36, 8 }, { 32, 8, 32, 8 }, { 0, 24, 32, 16 } };
    EXPECT_EQ(frame.damage().rectangles(), expected);
    EXPECT_EQ(frame.damage().bounds(), (Rectangle { 0, 0, 100, 40 }));
}

TEST(Bitmap, WrittenRectanglesOfTheSameRowsJoinWhenClose)
{
    Bitmap frame;
    ASSERT_TRUE(frame.create(200, 40));
    frame.clearDamage();
    const Colour ink { 1, 1, 1 };
    frame.fillRect(50, 10, 5, 4, ink);
    frame.fillRect(10, 10, 5, 4, ink);
    frame.fillRect(12, 10, 5, 4, ink); // overlaps the one before
    frame.fillRect(100, 10, 5, 4, ink); // 45 pixels right of the first: too far
    frame.fillRect(20, 10, 5, 3, ink); // the same top, not the same rows
    frame.fillRect(20, 2, 5, 4, ink);
    std::vector<Rectangle> expected { { 20, 2, 5, 4 }, { 20, 10, 5, 3 }, { 10, 10, 45, 4 }, { 100, 10, 5, 4 } };
    EXPECT_EQ(frame.damage().writtenRuns(40), expected);
}

TEST(Bitmap, RunsSentFromAnotherFramePresentAsThere)
{
    // A worker's frame sends its runs; the presenting side joins them as the worker's
    // own damage would be joined, whether they arrive in order or not.
    Bitmap drawn;
    ASSERT_TRUE(drawn.create(300, 60));
    drawn.clearDamage();
    const Colour ink { 1, 1, 1 };
    // Four bands of rows, ten writes in each, some close enough to be joined.
    for (int i = 0; i < 40; ++i)
        drawn.fillRect((i * 37) % 290, (i % 4) * 12, 3 + i % 4, 4, ink);
    const std::vector<Rectangle> sent = drawn.damage().writtenRuns(0);
    const std::vector<Rectangle> expected = drawn.damage().writtenRuns(40);
    ASSERT_LT(expected.size(), sent.size());

    std::vector<Rectangle> reversed(sent.rbegin(), sent.rend());
    for (const std::vector<Rectangle>& arriving : { sent, reversed }) {
        Bitmap shown;
        ASSERT_TRUE(shown.create(300, 60));
        shown.clearDamage();
        shown.markDamagedRuns(arriving);
        EXPECT_EQ(shown.damage().writtenRuns(40), expected);
        // A write after them still counts, in its place.
        shown.markDamaged(0, 0, 1, 1);
        EXPECT_EQ(shown.damage().writtenRuns(0).front(), (Rectangle { 0, 0, 1, 1 }));
    }
}

TEST(Bitmap, DamageOfMoreWritesThanAreListedFallsBackToTiles)
{
    Bitmap frame;
    ASSERT_TRUE(frame.create(2000, 100));
    frame.clearDamage();
    const Colour ink { 1, 1, 1 };
    frame.fillRect(0, 0, 1, 1, ink);
    // Single pixels a pixel apart, so that none continues the one before: far more
    // than the list holds, then one more after it overflowed.
    for (int i = 0; i < 20000; ++i)
        frame.fillRect(2 * (i % 1000), 40, 1, 1, ink);
    frame.fillRect(1990, 90, 1, 1, ink);
    const std::vector<Rectangle> expected { { 0, 0, 32, 8 }, { 0, 40, 2000, 8 }, { 1984, 88, 16, 8 } };
    EXPECT_EQ(frame.damage().rectangles(), expected);
    EXPECT_EQ(frame.damage().writtenRectangles(), expected);
    frame.clearDamage();
    frame.fillRect(40, 10, 3, 2, ink);
    frame.fillRect(43, 10, 3, 2, ink); // continues the one before
    EXPECT_EQ(frame.damage().writtenRectangles(), (std::vector<Rectangle> { { 40, 10, 6, 2 } }));
    EXPECT_EQ(frame.damage().rectangles(), (std::vector<Rectangle> { { 32, 8, 32, 8 } }));
}
