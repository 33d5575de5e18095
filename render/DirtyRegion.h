#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace shamblex {

struct Rectangle {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    friend bool operator==(const Rectangle&, const Rectangle&) = default;
};

// Whether the two rectangles share a pixel.
inline bool meets(const Rectangle& a, const Rectangle& b)
{
    auto apart = [](std::int64_t start, std::int64_t size, std::int64_t otherStart, std::int64_t otherSize) {
        return size <= 0 || otherSize <= 0 || start + size <= otherStart || otherStart + otherSize <= start;
    };
    return !apart(a.left, a.width, b.left, b.width) && !apart(a.top, a.height, b.top, b.height);
}

// The one rectangle around all of these (empty when there are none). The rectangles
// lie within an image, so the box's sides fit in 32 bits.
Rectangle boundsOf(std::span<const Rectangle>);

// The parts of an image written since the region was last cleared, so that a shell
// presents only those. It keeps the rectangles written, as long as they are not too
// many; past that, a grid of tiles, where every write marks the tiles it touches, and
// rectangles() merges the marked tiles of each tile row into runs, and runs of equal
// extent in consecutive tile rows into one rectangle. A saver writes a few thousand
// small rectangles a refresh, so the tiles are only worked out when asked for: a write
// costs one entry in a list, and a present costs one rectangle per run.
//
// The sizes weigh what a present costs: every rectangle is a request to the display
// (a fixed cost of about what copying a thousand pixels costs), every pixel a copy.
// Small tiles keep the pixels sent close to those written; runs with short gaps
// between them are sent as one rectangle, gap included, since the request saved is
// worth more than the few pixels added. The written rectangles themselves let a shell
// converting pixels for the display convert only those, and let the display copy
// the tiles around them.
class DirtyRegion {
public:
    static constexpr std::int32_t tileWidth = 32;
    static constexpr std::int32_t tileHeight = 8;
    static constexpr std::int32_t mergedGap = 4; // tiles between two runs that are sent as one

    // Forgets everything and covers an image of this size; the whole image is dirty,
    // since nothing of it has been presented.
    void resize(std::int32_t width, std::int32_t height);

    // Marks the part of the rectangle that lies inside the image. Coordinates may be
    // far outside; nothing overflows.
    void add(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height);
    void addAll();
    // Marks rectangles that another region's writtenRuns() gave (a brain worker's
    // frame, sent to the process that presents it). Runs that arrive in that order
    // are not sorted again when they are presented; the order is checked, not
    // believed, and runs out of order are sorted as any writes are.
    void addRuns(std::span<const Rectangle> runs);

    bool isEmpty() const { return m_marked == 0 && m_written.empty(); }
    // How many marks the region took since it was made (clearing keeps the count): a
    // caller compares two counts to learn whether anything was written in between.
    std::uint64_t writes() const { return m_writes; }
    // Whether the whole image is marked as a whole (a new image, a fill of all of it,
    // or so many writes that they were marked tile by tile and cover every tile);
    // rectangles that happen to cover it all do not count.
    bool isEverything() const { return m_marked == m_tiles.size() && m_marked > 0; }

    // The marked tiles as rectangles clipped to the image, top to bottom.
    std::vector<Rectangle> rectangles() const;
    // The rectangles written, clipped to the image, when there were not too many of
    // them (they may overlap); otherwise rectangles().
    std::vector<Rectangle> writtenRectangles() const;
    // The same, top to bottom and left to right, with the rectangles of the same
    // pixel rows (equal top and height) that lie within `gap` pixels of each other
    // joined into one: a display copies a few pixels more, and handles far fewer
    // rectangles (each costs about what copying a few hundred pixels costs).
    std::vector<Rectangle> writtenRuns(std::int32_t gap) const;
    // The one rectangle around everything marked (empty when nothing is).
    Rectangle bounds() const;

    void clear();

private:
    // Marks the tiles under the rectangle, which lies inside the image; returns how
    // many were not marked before.
    std::size_t mark(std::vector<std::uint8_t>& tiles, const Rectangle&) const;
    // Marks every rectangle listed, and from now on marks instead of listing.
    void markWritten();
    // Sorted rectangles with those of the same rows within `gap` of each other joined.
    static std::vector<Rectangle> joinedRuns(const std::vector<Rectangle>& sorted, std::int32_t gap);
    // rectangles() of these tiles.
    std::vector<Rectangle> runsOf(const std::vector<std::uint8_t>& tiles) const;

    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_columns = 0; // tiles across
    std::int32_t m_rows = 0; // tiles down
    static constexpr std::size_t maximumWritten = 16384;

    std::vector<std::uint8_t> m_tiles; // marked only once the list overflowed
    std::size_t m_marked = 0;
    std::uint64_t m_writes = 0;
    std::vector<Rectangle> m_written;
    bool m_tooManyWritten = false;
    bool m_inRunOrder = false; // m_written came from addRuns alone, in run order
};

}
