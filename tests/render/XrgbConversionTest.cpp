#include "render/XrgbConversion.h"

#include "render/Bitmap.h"

#include <gtest/gtest.h>

#include <vector>

using namespace shamblex;

TEST(XrgbConversion, CopiesOnlyTheGivenRectanglesWithTheChosenFourthByte)
{
    Bitmap frame;
    ASSERT_TRUE(frame.create(4, 2));
    for (std::int32_t y = 0; y < 2; ++y)
        for (std::int32_t x = 0; x < 4; ++x)
            frame.setPixel(x, y, { static_cast<std::uint8_t>(10 * y + x), 7, 200 }); // red, green, blue

    constexpr std::size_t pitch = 20; // wider than 4 * 4, as a surface's rows may be
    std::vector<std::uint8_t> target(2 * pitch, 0xEE);
    const Rectangle areas[] = { { 2, 1, 2, 1 }, { 2, 1, 1, 1 }, { 0, 0, 1, 1 } };
    convertToXrgb(frame, areas, target.data(), pitch, 0xFF);
    std::vector<std::uint8_t> plain(2 * pitch, 0xEE);
    convertToXrgb(frame, areas, plain.data(), pitch, 0);

    auto at = [&](std::int32_t x, std::int32_t y) {
        const std::uint8_t* p = &target[static_cast<std::size_t>(y) * pitch + 4 * static_cast<std::size_t>(x)];
        return std::vector<int> { p[0], p[1], p[2], p[3] };
    };
    EXPECT_EQ(at(0, 0), (std::vector<int> { 200, 7, 0, 0xFF })) << "blue, green, red, then the fourth byte";
    EXPECT_EQ(at(2, 1), (std::vector<int> { 200, 7, 12, 0xFF }));
    EXPECT_EQ(at(3, 1), (std::vector<int> { 200, 7, 13, 0xFF }));
    EXPECT_EQ(plain[pitch + 12], 200);
    EXPECT_EQ(plain[pitch + 15], 0) << "a fourth byte of zero is the frame's own";
    EXPECT_EQ(plain[4], 0xEE);
    EXPECT_EQ(at(1, 0), (std::vector<int> { 0xEE, 0xEE, 0xEE, 0xEE })) << "outside every rectangle";
    EXPECT_EQ(at(1, 1), (std::vector<int> { 0xEE, 0xEE, 0xEE, 0xEE }));
    EXPECT_EQ(target[pitch - 1], 0xEE) << "the target row's own padding";
}
