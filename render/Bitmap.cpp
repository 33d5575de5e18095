#include "render/Bitmap.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace shamblex {

namespace {

// Fills up to this many pixels a line are written pixel by pixel on every line rather
// than copied: cheaper than a call per line for the board's small cells.
constexpr std::int64_t smallFillPixels = 16;

// The largest width whose row's byte count fits the 32-bit stride.
constexpr std::int64_t widestImage = std::numeric_limits<std::int32_t>::max() / Bitmap::bytesPerPixel;

// Four pixels a store: a board cell's line (7 pixels at 1920x1080, 15 at 3840x2160)
// is two or four stores rather than one a pixel. The last four pixels are stored
// over the ones before where the count is no multiple of four.
void fillPixels(std::uint8_t* to, std::int64_t count, std::uint32_t value)
{
    constexpr std::int64_t perStore = 4;
    if (count < perStore) {
        for (std::int64_t i = 0; i < count; ++i, to += Bitmap::bytesPerPixel)
            std::memcpy(to, &value, sizeof value);
        return;
    }
    const std::uint32_t four[perStore] = { value, value, value, value };
    std::uint8_t* const last = to + Bitmap::bytesPerPixel * (count - perStore);
    for (; to < last; to += sizeof four)
        std::memcpy(to, four, sizeof four);
    std::memcpy(last, four, sizeof four);
}

}

bool Bitmap::create(std::int32_t width, std::int32_t height)
{
    release();
    if (width <= 0 || height <= 0)
        return false;
    // A row's byte count must fit the 32-bit stride.
    if (width > widestImage)
        return false;
    m_width = width;
    std::size_t size = stride() * static_cast<std::size_t>(height);
    try {
        m_pixels.assign(size, 0);
    } catch (const std::bad_alloc&) {
        release();
        return false;
    }
    m_data = m_pixels.data();
    m_size = size;
    m_height = height;
    m_damage.resize(width, height);
    return true;
}

Bitmap::Bitmap(const Bitmap& other)
{
    *this = other;
}

Bitmap& Bitmap::operator=(const Bitmap& other)
{
    if (this == &other)
        return *this;
    release();
    if (other.isEmpty())
        return *this;
    m_pixels.assign(other.m_data, other.m_data + other.m_size);
    m_data = m_pixels.data();
    m_size = other.m_size;
    m_width = other.m_width;
    m_height = other.m_height;
    m_damage = other.m_damage;
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
{
    *this = std::move(other);
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept
{
    if (this == &other)
        return *this;
    m_pixels = std::move(other.m_pixels);
    m_placed = std::move(other.m_placed);
    m_data = std::exchange(other.m_data, nullptr);
    m_size = std::exchange(other.m_size, 0);
    m_width = std::exchange(other.m_width, 0);
    m_height = std::exchange(other.m_height, 0);
    m_damage = std::move(other.m_damage);
    other.m_damage.resize(0, 0);
    return *this;
}

std::size_t Bitmap::storeSize(std::int32_t width, std::int32_t height)
{
    if (width <= 0 || height <= 0 || width > widestImage)
        return 0;
    return static_cast<std::size_t>(bytesPerPixel) * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

bool Bitmap::create(std::int32_t width, std::int32_t height, PixelMemory memory)
{
    release();
    std::size_t size = storeSize(width, height);
    if (size == 0 || !memory.data || memory.size < size)
        return false;
    m_placed = std::move(memory);
    m_data = m_placed.data;
    m_size = size;
    m_width = width;
    m_height = height;
    std::memset(m_data, 0, size);
    m_damage.resize(width, height);
    return true;
}

void Bitmap::release()
{
    m_pixels = decltype(m_pixels)();
    m_placed = PixelMemory {};
    m_data = nullptr;
    m_size = 0;
    m_width = 0;
    m_height = 0;
    m_damage.resize(0, 0);
}

void Bitmap::fill(Colour colour)
{
    if (m_size > 0) {
        fillPixels(m_data, m_width, pixelValue(colour));
        for (std::int32_t y = 1; y < m_height; ++y)
            std::memcpy(row(y), m_data, stride());
    }
    m_damage.addAll();
}

void Bitmap::fillRect(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height, Colour colour)
{
    std::int64_t x0 = std::max<std::int64_t>(left, 0);
    std::int64_t y0 = std::max<std::int64_t>(top, 0);
    std::int64_t x1 = std::min<std::int64_t>(left + width, m_width);
    std::int64_t y1 = std::min<std::int64_t>(top + height, m_height);
    if (isEmpty() || width <= 0 || height <= 0 || x0 >= x1 || y0 >= y1)
        return;
    m_damage.add(x0, y0, x1 - x0, y1 - y0);
    const std::uint32_t value = pixelValue(colour);
    const std::int64_t pixels = x1 - x0;
    std::uint8_t* first = row(static_cast<std::int32_t>(y0)) + bytesPerPixel * static_cast<std::size_t>(x0);
    if (pixels <= smallFillPixels) {
        // A board cell: a few pixels a line, written in place on every line.
        for (std::int64_t y = y0; y < y1; ++y)
            fillPixels(first + static_cast<std::size_t>(y - y0) * stride(), pixels, value);
        return;
    }
    // The first line pixel by pixel, the others copied from it.
    fillPixels(first, pixels, value);
    const auto bytes = static_cast<std::size_t>(bytesPerPixel * pixels);
    for (std::int64_t y = y0 + 1; y < y1; ++y)
        std::memcpy(row(static_cast<std::int32_t>(y)) + bytesPerPixel * static_cast<std::size_t>(x0), first, bytes);
}

Colour Bitmap::pixel(std::int32_t x, std::int32_t y) const
{
    assert(x >= 0 && y >= 0 && x < m_width && y < m_height);
    const std::uint8_t* bytes = row(y) + bytesPerPixel * static_cast<std::size_t>(x);
    return { bytes[2], bytes[1], bytes[0] };
}

void Bitmap::packBgr(std::uint8_t* to) const
{
    for (std::int32_t y = 0; y < m_height; ++y) {
        const std::uint8_t* from = row(y);
        for (std::int32_t x = 0; x < m_width; ++x, from += bytesPerPixel) {
            *to++ = from[0];
            *to++ = from[1];
            *to++ = from[2];
        }
    }
}

void Bitmap::copyFrom(const Bitmap& source, std::int32_t x, std::int32_t y)
{
    if (isEmpty() || source.isEmpty())
        return;
    // The part of the source that lands inside this image, computed in 64 bits so
    // that far-away positions cannot overflow.
    std::int64_t left = std::max<std::int64_t>(0, x);
    std::int64_t top = std::max<std::int64_t>(0, y);
    std::int64_t right = std::min<std::int64_t>(m_width, std::int64_t { x } + source.m_width);
    std::int64_t bottom = std::min<std::int64_t>(m_height, std::int64_t { y } + source.m_height);
    if (left >= right || top >= bottom)
        return;
    m_damage.add(left, top, right - left, bottom - top);
    auto bytes = static_cast<std::size_t>(bytesPerPixel * (right - left));
    auto sourceLeft = static_cast<std::size_t>(left - x);
    for (std::int64_t line = top; line < bottom; ++line) {
        std::memcpy(row(static_cast<std::int32_t>(line)) + bytesPerPixel * static_cast<std::size_t>(left),
            source.row(static_cast<std::int32_t>(line - y)) + bytesPerPixel * sourceLeft, bytes);
    }
}

}
