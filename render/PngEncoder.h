#pragma once

#include <cstdint>
#include <vector>

namespace shamblex {

class Bitmap;

// The image as a PNG file: 8-bit RGB, exactly the bitmap's pixels, top line first.
// Empty for an empty bitmap or when encoding fails.
std::vector<std::uint8_t> encodePng(const Bitmap&);

}
