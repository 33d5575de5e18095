#pragma once

// Helpers for pixel tests: a bitmap region as text, one character per pixel, so a
// failing test prints the expected and the actual picture side by side.

#include "render/Bitmap.h"

#include <map>
#include <string>

namespace shamblex::test {

// Each pixel becomes the character its colour maps to, '?' for colours not in the
// map; rows end with '\n'.
inline std::string asText(const Bitmap& bitmap, std::int32_t left, std::int32_t top, std::int32_t width,
    std::int32_t height, const std::map<std::uint32_t, char>& legend)
{
    std::string text;
    for (std::int32_t y = top; y < top + height; ++y) {
        for (std::int32_t x = left; x < left + width; ++x) {
            auto it = legend.find(bitmap.pixel(x, y).packed());
            text.push_back(it == legend.end() ? '?' : it->second);
        }
        text.push_back('\n');
    }
    return text;
}

// Rows joined with line feeds, for writing expected pictures one row per line.
inline std::string rows(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines) {
        text += line;
        text.push_back('\n');
    }
    return text;
}

inline int countPixels(const Bitmap& bitmap, Colour colour)
{
    int count = 0;
    for (std::int32_t y = 0; y < bitmap.height(); ++y)
        for (std::int32_t x = 0; x < bitmap.width(); ++x)
            count += bitmap.pixel(x, y) == colour;
    return count;
}

}
