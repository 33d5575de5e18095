#include "render/Bitmap.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace shamblex {

bool Bitmap::create(std::int32_t width, std::int32_t height, int bitsPerPixel, RowOrder rowOrder)
{
    assert(bitsPerPixel == paletteDepth || bitsPerPixel == trueColourDepth);
    release();
    m_bitsPerPixel = bitsPerPixel;
    m_rowOrder = rowOrder;
    if (width <= 0 || height <= 0 || (bitsPerPixel != paletteDepth && bitsPerPixel != trueColourDepth))
        return false;
    // A row's byte count must fit the 32-bit stride.
    if (std::int64_t { width } * 3 + 3 > std::numeric_limits<std::int32_t>::max())
        return false;
    m_width = width;
    std::size_t size = static_cast<std::size_t>(rowStride()) * static_cast<std::size_t>(height);
    try {
        m_pixels.assign(size, 0);
    } catch (const std::bad_alloc&) {
        release();
        return false;
    }
    m_height = height;
    return true;
}

void Bitmap::release()
{
    m_pixels = decltype(m_pixels)();
    m_width = 0;
    m_height = 0;
}

void Bitmap::setPalette(std::span<const std::uint8_t, paletteSize * 3> rgb)
{
    if (m_bitsPerPixel != paletteDepth)
        return;
    std::copy(rgb.begin(), rgb.end(), m_palette.begin());
}

std::int32_t Bitmap::rowStride() const
{
    assert(m_bitsPerPixel == paletteDepth || m_bitsPerPixel == trueColourDepth);
    if (m_bitsPerPixel == trueColourDepth)
        return (3 * m_width + 3) & ~3;
    if (m_bitsPerPixel == paletteDepth)
        return (m_width + 3) & ~3;
    return 0;
}

void Bitmap::fill(std::uint8_t value)
{
    std::fill(m_pixels.begin(), m_pixels.end(), value);
}

const std::uint8_t* Bitmap::imageLine(std::int32_t line) const
{
    std::int32_t row = m_rowOrder == RowOrder::TopDown ? line : m_height - 1 - line;
    return m_pixels.data() + static_cast<std::size_t>(row) * stride();
}

std::uint8_t* Bitmap::imageLine(std::int32_t line)
{
    return const_cast<std::uint8_t*>(std::as_const(*this).imageLine(line));
}

Colour Bitmap::pixel(std::int32_t x, std::int32_t y) const
{
    assert(x >= 0 && y >= 0 && x < m_width && y < m_height);
    const std::uint8_t* line = imageLine(y);
    if (m_bitsPerPixel == paletteDepth) {
        const std::uint8_t* entry = &m_palette[3 * std::size_t { line[x] }];
        return { entry[0], entry[1], entry[2] };
    }
    const std::uint8_t* bytes = line + 3 * static_cast<std::size_t>(x);
    return { bytes[2], bytes[1], bytes[0] };
}

void Bitmap::copyFrom(const Bitmap& source, std::int32_t x, std::int32_t y)
{
    if (isEmpty() || source.isEmpty() || m_bitsPerPixel != trueColourDepth)
        return;
    // The part of the source that lands inside this image, computed in 64 bits so
    // that far-away positions cannot overflow.
    std::int64_t left = std::max<std::int64_t>(0, x);
    std::int64_t top = std::max<std::int64_t>(0, y);
    std::int64_t right = std::min<std::int64_t>(m_width, std::int64_t { x } + source.m_width);
    std::int64_t bottom = std::min<std::int64_t>(m_height, std::int64_t { y } + source.m_height);
    if (left >= right || top >= bottom)
        return;
    auto columns = static_cast<std::size_t>(right - left);
    auto sourceLeft = static_cast<std::size_t>(left - x);

    for (std::int64_t line = top; line < bottom; ++line) {
        std::uint8_t* to = imageLine(static_cast<std::int32_t>(line)) + 3 * static_cast<std::size_t>(left);
        const std::uint8_t* from = source.imageLine(static_cast<std::int32_t>(line - y));
        if (source.m_bitsPerPixel == trueColourDepth) {
            std::memcpy(to, from + 3 * sourceLeft, 3 * columns);
            continue;
        }
        for (std::size_t column = 0; column < columns; ++column) {
            const std::uint8_t* entry = &source.m_palette[3 * std::size_t { from[sourceLeft + column] }];
            to[3 * column] = entry[2];
            to[3 * column + 1] = entry[1];
            to[3 * column + 2] = entry[0];
        }
    }
}

}
