#pragma once

#include "render/DirtyRegion.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace shamblex {

class Bitmap;

// Copies the given rectangles of a frame into a 32-bit image in the layout of the
// usual X11 and SDL surfaces: blue, green, red and a fourth byte of the caller's
// choosing. The target holds the frame's height in rows of `pitch` bytes, each at
// least 4 * width; the rectangles lie inside the frame (they may overlap).
void convertToXrgb(const Bitmap& frame, std::span<const Rectangle> areas, std::uint8_t* target, std::size_t pitch,
    std::uint8_t fourthByte);

}
