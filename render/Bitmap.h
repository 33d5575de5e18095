#pragma once

#include "sim/Colour.h"
#include "sim/LargeAllocator.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace shamblex {

// The depth of every bitmap the saver draws into; 8 bits with a palette also exist.
inline constexpr int trueColourDepth = 24;
inline constexpr int paletteDepth = 8;

enum class RowOrder {
    BottomUp,
    TopDown,
};

// An off-screen device-independent image that owns its pixel store. All drawing
// writes the store's bytes directly; the shells present it to a window.
//
// Layout of the store: rows of rowStride() bytes, each padded to a multiple of 4.
// At 24 bits a pixel is three bytes in the order blue, green, red; at 8 bits it is
// one byte, an index into the 256-colour palette. Store row y starts at
// bits() + y * rowStride(); in a top-down bitmap store row 0 is the image's top
// line, in a bottom-up one its bottom line.
class Bitmap {
public:
    static constexpr int paletteSize = 256;

    Bitmap() = default;

    // (Re)creates the image; the previous contents are gone and the caller repaints.
    // Depths other than 8 and 24 are a programming error. Returns false, leaving the
    // bitmap empty, when the store cannot be allocated.
    bool create(std::int32_t width, std::int32_t height, int bitsPerPixel, RowOrder);

    // Frees the store; the bitmap is empty again. Harmless when already empty.
    void release();

    // Only at 8 bits: 256 colours as red, green, blue bytes.
    void setPalette(std::span<const std::uint8_t, paletteSize * 3> rgb);

    // Only at 24 bits; no bounds check: the caller keeps (x, y) inside the bitmap.
    void setPixel(std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        if (m_bitsPerPixel != trueColourDepth || m_pixels.empty())
            return;
        std::uint8_t* pixel = &m_pixels[static_cast<std::size_t>(y) * stride() + 3 * static_cast<std::size_t>(x)];
        pixel[0] = blue;
        pixel[1] = green;
        pixel[2] = red;
    }

    // 3 * width (or width at 8 bits) rounded up to a multiple of 4.
    std::int32_t rowStride() const;

    // Writes one byte value over the whole store: 128 paints 24-bit mid-grey.
    void fill(std::uint8_t value);

    // Copies the whole source image into this one with its top-left corner at image
    // pixel (x, y), replacing pixels and dropping what falls outside. A 24-bit source
    // needs a 24-bit destination; an 8-bit source is translated through its palette.
    void copyFrom(const Bitmap& source, std::int32_t x, std::int32_t y);

    // The colour of image pixel (x, y), for presenting and testing. Inside the image only.
    Colour pixel(std::int32_t x, std::int32_t y) const;

    // The first byte of the image line `line` (0 the top), whatever the row order.
    const std::uint8_t* imageLine(std::int32_t line) const;
    std::uint8_t* imageLine(std::int32_t line);

    bool isEmpty() const { return m_pixels.empty(); }
    std::int32_t width() const { return m_width; }
    std::int32_t height() const { return m_height; }
    int bitsPerPixel() const { return m_bitsPerPixel; }
    RowOrder rowOrder() const { return m_rowOrder; }
    std::uint8_t* bits() { return m_pixels.empty() ? nullptr : m_pixels.data(); }
    const std::uint8_t* bits() const { return m_pixels.empty() ? nullptr : m_pixels.data(); }
    std::size_t byteSize() const { return m_pixels.size(); }
    const std::array<std::uint8_t, paletteSize * 3>& palette() const { return m_palette; }

private:
    std::size_t stride() const { return static_cast<std::size_t>(rowStride()); }

    std::vector<std::uint8_t, LargeAllocator<std::uint8_t>> m_pixels;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    int m_bitsPerPixel = trueColourDepth;
    RowOrder m_rowOrder = RowOrder::TopDown;
    std::array<std::uint8_t, paletteSize * 3> m_palette {};
};

}
