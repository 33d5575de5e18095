#pragma once

#include <cstdint>
#include <vector>

namespace shamblex {

struct Rectangle {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    friend bool operator==(const Rectangle&, const Rectangle&) = default;
};

// The parts of an image written since the region was last cleared, so that a shell
// presents only those. It keeps a grid of tiles: every write marks the tiles it
// touches, and rectangles() merges the marked tiles of each tile row into runs, and
// runs of equal extent in consecutive tile rows into one rectangle. Marking costs
// the same whatever was written before; a present costs one rectangle per run.
class DirtyRegion {
public:
    static constexpr std::int32_t tileWidth = 32;
    static constexpr std::int32_t tileHeight = 8;

    // Forgets everything and covers an image of this size; the whole image is dirty,
    // since nothing of it has been presented.
    void resize(std::int32_t width, std::int32_t height);

    // Marks the part of the rectangle that lies inside the image. Coordinates may be
    // far outside; nothing overflows.
    void add(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height);
    void addAll();

    bool isEmpty() const { return m_marked == 0; }
    bool isEverything() const { return m_marked == m_tiles.size() && m_marked > 0; }

    // The marked tiles as rectangles clipped to the image, top to bottom.
    std::vector<Rectangle> rectangles() const;
    // The one rectangle around everything marked (empty when nothing is).
    Rectangle bounds() const;

    void clear();

private:
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_columns = 0; // tiles across
    std::int32_t m_rows = 0; // tiles down
    std::vector<std::uint8_t> m_tiles;
    std::size_t m_marked = 0;
};

}
