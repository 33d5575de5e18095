#include "render/PngEncoder.h"

#include "render/Bitmap.h"

#include <gtest/gtest.h>

#include "../StbImage.h"

using namespace shamblex;

TEST(PngEncoder, WritesExactlyTheBitmapsPixelsAsRgb)
{
    {
        Bitmap bitmap;
        ASSERT_TRUE(bitmap.create(7, 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                bitmap.setPixel(x, y, { static_cast<std::uint8_t>(x * 30), static_cast<std::uint8_t>(y * 80), 5 });
        std::vector<std::uint8_t> png = encodePng(bitmap);
        ASSERT_FALSE(png.empty());
        int width = 0, height = 0, channels = 0;
        stbi_uc* decoded = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 0);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(width, 7);
        EXPECT_EQ(height, 3);
        EXPECT_EQ(channels, 3);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 7; ++x) {
                Colour pixel = bitmap.pixel(x, y);
                const stbi_uc* rgb = decoded + (y * 7 + x) * 3;
                EXPECT_EQ((Colour { rgb[0], rgb[1], rgb[2] }), pixel) << x << "," << y;
            }
        }
        stbi_image_free(decoded);
    }
    EXPECT_TRUE(encodePng(Bitmap {}).empty());
}
