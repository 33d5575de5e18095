#pragma once

#include "render/DirtyRegion.h"
#include "sim/Colour.h"
#include "sim/LargeAllocator.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace shamblex {

// Memory a bitmap may be placed in rather than allocate its own: memory shared with
// another process (a brain worker draws into memory its host presents). `keeper`
// holds whatever keeps the memory mapped, and the bitmap holds the keeper.
struct PixelMemory {
    std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::shared_ptr<void> keeper;
};

// An off-screen image of 32-bit pixels that owns its pixel store and records which
// parts of it were written, so that a shell can present just those. All drawing
// writes the store's bytes through it; the shells present it to a window.
//
// Layout of the store: rows of rowStride() bytes, top line first; a pixel is four
// bytes in the order blue, green, red, zero. This is the layout of a top-down 32-bit
// device-independent bitmap and of the usual true-colour X11 and SDL images (XRGB),
// so a shell hands the store to the platform as it is, with no conversion.
class Bitmap {
public:
    static constexpr int bitsPerPixel = 32;
    static constexpr int bytesPerPixel = 4;

    // A colour as the four bytes of a pixel, read as one little-endian number.
    static constexpr std::uint32_t pixelValue(Colour colour)
    {
        return static_cast<std::uint32_t>(colour.blue) | static_cast<std::uint32_t>(colour.green) << 8
            | static_cast<std::uint32_t>(colour.red) << 16;
    }

    Bitmap() = default;
    // A copy owns a copy of the pixels, wherever the original keeps them.
    Bitmap(const Bitmap&);
    Bitmap& operator=(const Bitmap&);
    Bitmap(Bitmap&&) noexcept;
    Bitmap& operator=(Bitmap&&) noexcept;

    // (Re)creates the image; the previous contents are gone and the caller repaints.
    // Returns false, leaving the bitmap empty, when the store cannot be allocated.
    bool create(std::int32_t width, std::int32_t height);
    // The same in memory given to it, which it keeps until it is recreated or released;
    // false when the memory is too small for the image.
    bool create(std::int32_t width, std::int32_t height, PixelMemory);

    // Frees the store; the bitmap is empty again. Harmless when already empty.
    void release();

    std::int32_t rowStride() const { return bytesPerPixel * m_width; }

    // No bounds check: the caller keeps (x, y) inside the image. Unlike the writes
    // below it records no damage; callers mark what they wrote.
    void setPixel(std::int32_t x, std::int32_t y, Colour colour)
    {
        const std::uint32_t value = pixelValue(colour);
        std::memcpy(row(y) + bytesPerPixel * static_cast<std::size_t>(x), &value, sizeof value);
    }

    // Paints the whole image in one colour.
    void fill(Colour);

    // Fills the part of the rectangle that lies inside the image; coordinates may be
    // far outside.
    void fillRect(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height, Colour);

    // Copies the whole source image into this one with its top-left corner at (x, y),
    // replacing pixels and dropping what falls outside.
    void copyFrom(const Bitmap& source, std::int32_t x, std::int32_t y);

    // The colour of pixel (x, y), inside the image only.
    Colour pixel(std::int32_t x, std::int32_t y) const;
    // Every pixel as three bytes, blue, green, red, row after row with no padding (what
    // a video encoder reads); `to` holds 3 * width * height bytes.
    void packBgr(std::uint8_t* to) const;

    std::uint8_t* row(std::int32_t y) { return m_data + static_cast<std::size_t>(y) * stride(); }
    const std::uint8_t* row(std::int32_t y) const { return m_data + static_cast<std::size_t>(y) * stride(); }

    bool isEmpty() const { return m_size == 0; }
    std::int32_t width() const { return m_width; }
    std::int32_t height() const { return m_height; }
    std::uint8_t* bits() { return m_size == 0 ? nullptr : m_data; }
    const std::uint8_t* bits() const { return m_size == 0 ? nullptr : m_data; }
    std::size_t byteSize() const { return m_size; }
    // The bytes an image of this size takes.
    static std::size_t storeSize(std::int32_t width, std::int32_t height);

    // What was written since the damage was last cleared: the whole image after
    // create(), then every fill, copy and marked write.
    const DirtyRegion& damage() const { return m_damage; }
    void markDamaged(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height)
    {
        m_damage.add(left, top, width, height);
    }
    void markAllDamaged() { m_damage.addAll(); }
    void markDamagedRuns(std::span<const Rectangle> runs) { m_damage.addRuns(runs); }
    void clearDamage() { m_damage.clear(); }

private:
    std::size_t stride() const { return static_cast<std::size_t>(rowStride()); }

    std::vector<std::uint8_t, LargeAllocator<std::uint8_t>> m_pixels;
    PixelMemory m_placed; // the memory given instead, if any
    std::uint8_t* m_data = nullptr; // the store in use
    std::size_t m_size = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    DirtyRegion m_damage;
};

}
