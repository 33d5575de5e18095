#include "render/Bitmap.h"

#include "Pixels.h"

#include <gtest/gtest.h>

#include <array>

using namespace shamblex;

TEST(Bitmap, RowStridesRoundThreeBytesPerPixelUpToFour)
{
    Bitmap bitmap;
    for (auto [width, stride] : { std::pair { 1, 4 }, std::pair { 2, 8 }, std::pair { 3, 12 }, std::pair { 4, 12 },
             std::pair { 150, 452 }, std::pair { 300, 900 }, std::pair { 401, 1204 }, std::pair { 1366, 4100 } }) {
        ASSERT_TRUE(bitmap.create(width, 2, 24, RowOrder::TopDown));
        EXPECT_EQ(bitmap.rowStride(), stride) << "width " << width;
        EXPECT_EQ(bitmap.byteSize(), static_cast<std::size_t>(2 * stride));
    }
    for (auto [width, stride] : { std::pair { 1, 4 }, std::pair { 4, 4 }, std::pair { 5, 8 } }) {
        ASSERT_TRUE(bitmap.create(width, 1, 8, RowOrder::TopDown));
        EXPECT_EQ(bitmap.rowStride(), stride) << "8-bit width " << width;
    }
}

TEST(Bitmap, PixelsAreStoredBlueGreenRed)
{
    Bitmap bitmap;
    ASSERT_TRUE(bitmap.create(4, 3, 24, RowOrder::TopDown));
    bitmap.setPixel(0, 0, 1, 2, 3);
    bitmap.setPixel(1, 2, 10, 20, 30);
    const std::uint8_t* bits = bitmap.bits();
    EXPECT_EQ((std::array<std::uint8_t, 3> { bits[0], bits[1], bits[2] }), (std::array<std::uint8_t, 3> { 3, 2, 1 }));
    const std::uint8_t* third = bits + 2 * bitmap.rowStride() + 3;
    EXPECT_EQ((std::array<std::uint8_t, 3> { third[0], third[1], third[2] }),
        (std::array<std::uint8_t, 3> { 30, 20, 10 }));
    EXPECT_EQ(bitmap.pixel(1, 2), (Colour { 10, 20, 30 }));
}

TEST(Bitmap, DepthSpecificOperationsLeaveOtherDepthsAlone)
{
    Bitmap indexed;
    ASSERT_TRUE(indexed.create(4, 4, 8, RowOrder::TopDown));
    indexed.setPixel(1, 1, 9, 9, 9);
    for (std::size_t i = 0; i < indexed.byteSize(); ++i)
        ASSERT_EQ(indexed.bits()[i], 0) << "setPixel wrote into an 8-bit store";

    Bitmap trueColour;
    ASSERT_TRUE(trueColour.create(4, 4, 24, RowOrder::TopDown));
    std::array<std::uint8_t, 768> palette {};
    palette.fill(7);
    trueColour.setPalette(palette);
    EXPECT_EQ(trueColour.palette()[0], 0) << "setPalette at 24 bits";
    indexed.setPalette(palette);
    EXPECT_EQ(indexed.palette()[5], 7);
}

TEST(Bitmap, CreatingAgainGivesAFreshStoreAndReleasingTwiceIsHarmless)
{
    Bitmap bitmap;
    ASSERT_TRUE(bitmap.create(5, 5, 24, RowOrder::TopDown));
    bitmap.fill(200);
    ASSERT_TRUE(bitmap.create(5, 5, 24, RowOrder::TopDown));
    EXPECT_EQ(bitmap.pixel(2, 2), (Colour { 0, 0, 0 }));
    bitmap.release();
    bitmap.release();
    EXPECT_TRUE(bitmap.isEmpty());
    EXPECT_EQ(bitmap.bits(), nullptr);
    bitmap.setPixel(0, 0, 1, 1, 1); // an empty bitmap takes no pixels
    bitmap.fill(3);
}

TEST(Bitmap, BottomUpStoresTheBottomLineFirst)
{
    Bitmap bitmap;
    ASSERT_TRUE(bitmap.create(2, 3, 24, RowOrder::BottomUp));
    bitmap.setPixel(0, 0, 9, 8, 7); // store row 0
    EXPECT_EQ(bitmap.pixel(0, 2), (Colour { 9, 8, 7 })) << "store row 0 is the image's bottom line";
    EXPECT_EQ(bitmap.imageLine(2), bitmap.bits());

    Bitmap topDown;
    ASSERT_TRUE(topDown.create(2, 3, 24, RowOrder::TopDown));
    EXPECT_EQ(topDown.imageLine(0), topDown.bits());
}

TEST(Bitmap, BlockCopyClipsAtEveryEdge)
{
    Bitmap page;
    ASSERT_TRUE(page.create(3, 2, 24, RowOrder::TopDown));
    page.fill(255);
    page.setPixel(0, 0, 255, 0, 0);
    std::map<std::uint32_t, char> legend { { 0x000000, '.' }, { 0xFFFFFF, '#' }, { 0x0000FF, 'r' } };

    for (auto [x, y, expected] : {
             std::tuple { 1, 1, test::rows({ ".....", ".r##.", ".###.", "....." }) },
             std::tuple { -1, -1, test::rows({ "##...", ".....", ".....", "....." }) },
             std::tuple { 3, 3, test::rows({ ".....", ".....", ".....", "...r#" }) },
             std::tuple { 5, 0, test::rows({ ".....", ".....", ".....", "....." }) },
             std::tuple { -2147483647, 2147483647, test::rows({ ".....", ".....", ".....", "....." }) },
         }) {
        Bitmap frame;
        ASSERT_TRUE(frame.create(5, 4, 24, RowOrder::TopDown));
        frame.copyFrom(page, x, y);
        EXPECT_EQ(test::asText(frame, 0, 0, 5, 4, legend), expected) << "page at " << x << "," << y;
    }
}

TEST(Bitmap, BlockCopyFromEightBitsGoesThroughThePalette)
{
    Bitmap indexed;
    ASSERT_TRUE(indexed.create(2, 1, 8, RowOrder::TopDown));
    std::array<std::uint8_t, 768> palette {};
    palette[3] = 10; // colour 1 = (10, 20, 30)
    palette[4] = 20;
    palette[5] = 30;
    indexed.setPalette(palette);
    indexed.bits()[1] = 1;
    Bitmap frame;
    ASSERT_TRUE(frame.create(2, 1, 24, RowOrder::TopDown));
    frame.fill(99);
    frame.copyFrom(indexed, 0, 0);
    EXPECT_EQ(frame.pixel(0, 0), (Colour { 0, 0, 0 }));
    EXPECT_EQ(frame.pixel(1, 0), (Colour { 10, 20, 30 }));
}

TEST(Bitmap, ARefusedStoreLeavesAnEmptyBitmap)
{
    Bitmap bitmap;
    EXPECT_FALSE(bitmap.create(0, 10, 24, RowOrder::TopDown));
    EXPECT_TRUE(bitmap.isEmpty());
    EXPECT_FALSE(bitmap.create(2000000000, 2000000000, 24, RowOrder::TopDown));
    EXPECT_TRUE(bitmap.isEmpty());
    EXPECT_EQ(bitmap.width(), 0);
}
