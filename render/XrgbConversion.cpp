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
            const std::uint8_t* from = frame.row(y) + Bitmap::bytesPerPixel * static_cast<std::size_t>(area.left);
            std::uint8_t* to = target + static_cast<std::size_t>(y) * pitch + 4 * static_cast<std::size_t>(area.left);
            if (fourthByte == 0) {
                // The frame's own layout: a plain copy.
                std::memcpy(to, from, 4 * static_cast<std::size_t>(area.width));
                continue;
            }
            for (std::int32_t x = 0; x < area.width; ++x, from += 4, to += 4) {
                std::uint32_t value;
                std::memcpy(&value, from, 4);
                value |= fourth;
                std::memcpy(to, &value, 4);
            }
        }
    }
}

}
