#include "render/PngEncoder.h"

#include "render/Bitmap.h"

#include <limits>

// stb_image_write is a single-header library: its implementation is compiled here,
// once, with its own warnings left to it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace shamblex {

namespace {

void appendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}

std::vector<std::uint8_t> encodePng(const Bitmap& bitmap)
{
    std::vector<std::uint8_t> png;
    if (bitmap.isEmpty())
        return png;
    const std::int32_t width = bitmap.width();
    const std::int32_t height = bitmap.height();
    if (std::int64_t { width } * 3 > std::numeric_limits<int>::max() / 2)
        return png;

    // The encoder wants red, green, blue; the bitmap stores blue, green, red.
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height));
    std::uint8_t* to = rgb.data();
    for (std::int32_t line = 0; line < height; ++line) {
        const std::uint8_t* from = bitmap.row(line);
        for (std::int32_t x = 0; x < width; ++x, from += Bitmap::bytesPerPixel) {
            *to++ = from[2];
            *to++ = from[1];
            *to++ = from[0];
        }
    }
    if (!stbi_write_png_to_func(appendBytes, &png, width, height, 3, rgb.data(), width * 3))
        png.clear();
    return png;
}

}
