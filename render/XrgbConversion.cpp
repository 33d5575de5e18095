#include "render/XrgbConversion.h"

#include "render/Bitmap.h"

#include <cstring>

namespace shamblex {

void convertToXrgb(const Bitmap& frame, std::span<const Rectangle> areas, std::uint8_t* target, std::size_t pitch,
    std::uint8_t fourthByte)
{
    const std::uint32_t fourth = std::uint32_t { fourthByte } << 24;
    for (const Rectangle& area : areas) {
        for (std::int32_t y = area.top; y < area.top + area.height; ++y) {
            const std::uint8_t* from = frame.row(y) + 3 * static_cast<std::size_t>(area.left);
            std::uint8_t* to = target + static_cast<std::size_t>(y) * pitch + 4 * static_cast<std::size_t>(area.left);
            // Four bytes are read at a time, which takes one byte past each pixel; the
            // very last pixel of the store, which has none after it, is read byte by byte.
            const bool endsTheStore = y == frame.height() - 1 && area.left + area.width == frame.width();
            const std::int32_t wide = endsTheStore ? area.width - 1 : area.width;
            for (std::int32_t x = 0; x < wide; ++x, from += 3, to += 4) {
                std::uint32_t value;
                std::memcpy(&value, from, 4);
                value = (value & 0x00FFFFFFu) | fourth;
                std::memcpy(to, &value, 4);
            }
            if (wide < area.width) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
                to[3] = fourthByte;
            }
        }
    }
}

}
