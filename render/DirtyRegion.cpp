#include "render/DirtyRegion.h"

#include <algorithm>

namespace shamblex {

void DirtyRegion::resize(std::int32_t width, std::int32_t height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_columns = (m_width + tileWidth - 1) / tileWidth;
    m_rows = (m_height + tileHeight - 1) / tileHeight;
    m_tiles.assign(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows), 0);
    m_marked = 0;
    m_written.clear();
    addAll();
}

void DirtyRegion::add(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height)
{
    std::int64_t x0 = std::max<std::int64_t>(left, 0);
    std::int64_t y0 = std::max<std::int64_t>(top, 0);
    std::int64_t x1 = std::min<std::int64_t>(left + width, m_width);
    std::int64_t y1 = std::min<std::int64_t>(top + height, m_height);
    if (width <= 0 || height <= 0 || x0 >= x1 || y0 >= y1)
        return;
    ++m_writes;
    m_inRunOrder = false;
    const Rectangle area { static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0),
        static_cast<std::int32_t>(x1 - x0), static_cast<std::int32_t>(y1 - y0) };
    if (m_tooManyWritten) {
        m_marked += mark(m_tiles, area);
        return;
    }
    // A write that continues the last one on the same rows (the next cell along a
    // board row) widens it: the same pixels, one entry fewer.
    if (!m_written.empty()) {
        Rectangle& last = m_written.back();
        if (last.top == area.top && last.height == area.height && last.left + last.width == area.left) {
            last.width += area.width;
            return;
        }
    }
    if (m_written.size() < maximumWritten)
        m_written.push_back(area);
    else {
        markWritten();
        m_marked += mark(m_tiles, area);
    }
}

std::size_t DirtyRegion::mark(std::vector<std::uint8_t>& tiles, const Rectangle& area) const
{
    std::size_t marked = 0;
    const std::int32_t firstColumn = area.left / tileWidth;
    const std::int32_t lastColumn = (area.left + area.width - 1) / tileWidth;
    const std::int32_t firstRow = area.top / tileHeight;
    const std::int32_t lastRow = (area.top + area.height - 1) / tileHeight;
    for (std::int32_t row = firstRow; row <= lastRow; ++row) {
        std::uint8_t* tile = &tiles[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns)];
        for (std::int32_t column = firstColumn; column <= lastColumn; ++column) {
            marked += tile[column] == 0;
            tile[column] = 1;
        }
    }
    return marked;
}

void DirtyRegion::markWritten()
{
    for (const Rectangle& area : m_written)
        m_marked += mark(m_tiles, area);
    m_written.clear();
    m_tooManyWritten = true;
}

namespace {

// The order writtenRuns() gives: by top, then height, then left.
bool inRunOrder(const Rectangle& before, const Rectangle& after)
{
    if (before.top != after.top)
        return before.top < after.top;
    if (before.height != after.height)
        return before.height < after.height;
    return before.left <= after.left;
}

}

void DirtyRegion::addRuns(std::span<const Rectangle> runs)
{
    bool ordered = m_written.empty() && !m_tooManyWritten;
    for (const Rectangle& run : runs) {
        const std::size_t listed = m_written.size();
        add(run.left, run.top, run.width, run.height);
        if (ordered && m_written.size() > listed && listed > 0)
            ordered = inRunOrder(m_written[listed - 1], m_written[listed]);
    }
    m_inRunOrder = ordered && !m_tooManyWritten;
}

void DirtyRegion::addAll()
{
    std::fill(m_tiles.begin(), m_tiles.end(), 1);
    ++m_writes;
    m_marked = m_tiles.size();
    m_tooManyWritten = true;
    m_written.clear();
}

void DirtyRegion::clear()
{
    m_written.clear();
    m_tooManyWritten = false;
    m_inRunOrder = false;
    if (m_marked == 0)
        return;
    std::fill(m_tiles.begin(), m_tiles.end(), 0);
    m_marked = 0;
}

std::vector<Rectangle> DirtyRegion::writtenRectangles() const
{
    return m_tooManyWritten ? rectangles() : m_written;
}

std::vector<Rectangle> DirtyRegion::writtenRuns(std::int32_t gap) const
{
    // The rectangles as written, read in place (a copy of thousands a refresh is
    // not needed: they are dealt into a sorted list of their own below).
    std::vector<Rectangle> tiles;
    if (m_tooManyWritten)
        tiles = rectangles();
    const std::vector<Rectangle>& written = m_tooManyWritten ? tiles : m_written;
    if (m_inRunOrder && !m_tooManyWritten)
        return joinedRuns(written, gap);
    // Sorted by rows, then left to right. A saver sorts thousands a refresh: they are
    // dealt out by their top line first (a pass over the image's height, not a
    // comparison sort), then each line's few are sorted by height and left.
    std::vector<std::uint32_t> firstOfTop(static_cast<std::size_t>(m_height) + 1, 0);
    for (const Rectangle& area : written)
        ++firstOfTop[static_cast<std::size_t>(area.top) + 1];
    for (std::size_t top = 1; top < firstOfTop.size(); ++top)
        firstOfTop[top] += firstOfTop[top - 1];
    std::vector<Rectangle> sorted(written.size());
    {
        std::vector<std::uint32_t> next(firstOfTop.begin(), firstOfTop.end() - 1);
        for (const Rectangle& area : written)
            sorted[next[static_cast<std::size_t>(area.top)]++] = area;
    }
    for (std::size_t top = 0; top + 1 < firstOfTop.size(); ++top) {
        if (firstOfTop[top + 1] - firstOfTop[top] > 1) {
            std::sort(sorted.begin() + firstOfTop[top], sorted.begin() + firstOfTop[top + 1],
                [](const Rectangle& a, const Rectangle& b) {
                    return a.height != b.height ? a.height < b.height : a.left < b.left;
                });
        }
    }
    return joinedRuns(sorted, gap);
}

std::vector<Rectangle> DirtyRegion::joinedRuns(const std::vector<Rectangle>& sorted, std::int32_t gap)
{
    std::vector<Rectangle> runs;
    for (const Rectangle& area : sorted) {
        if (!runs.empty()) {
            Rectangle& run = runs.back();
            const std::int64_t right = std::int64_t { run.left } + run.width;
            if (run.top == area.top && run.height == area.height && area.left <= right + gap) {
                run.width = static_cast<std::int32_t>(std::max<std::int64_t>(right, std::int64_t { area.left } + area.width) - run.left);
                continue;
            }
        }
        runs.push_back(area);
    }
    return runs;
}

std::vector<Rectangle> DirtyRegion::rectangles() const
{
    if (m_tooManyWritten || m_written.empty())
        return runsOf(m_tiles);
    // The tiles as they would be marked: the ones marked as a whole (none, unless
    // everything was) and those under every rectangle listed.
    std::vector<std::uint8_t> tiles = m_tiles;
    for (const Rectangle& area : m_written)
        mark(tiles, area);
    return runsOf(tiles);
}

std::vector<Rectangle> DirtyRegion::runsOf(const std::vector<std::uint8_t>& marks) const
{
    std::vector<Rectangle> result;
    // Runs of the tile row above that may still grow downwards, by their first column.
    std::vector<std::size_t> open;
    std::vector<std::size_t> stillOpen;
    for (std::int32_t row = 0; row < m_rows; ++row) {
        const std::uint8_t* tiles = &marks[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns)];
        std::int32_t top = row * tileHeight;
        std::int32_t height = std::min(tileHeight, m_height - top);
        stillOpen.clear();
        std::size_t next = 0; // the first open run not yet passed
        for (std::int32_t column = 0; column < m_columns;) {
            if (!tiles[column]) {
                ++column;
                continue;
            }
            // A run, with the short gaps inside it.
            std::int32_t start = column;
            std::int32_t end = column;
            while (column < m_columns) {
                if (tiles[column]) {
                    end = ++column;
                    continue;
                }
                std::int32_t gap = column;
                while (gap < m_columns && !tiles[gap] && gap - end < mergedGap)
                    ++gap;
                if (gap == m_columns || !tiles[gap])
                    break;
                column = gap;
            }
            column = end;
            std::int32_t left = start * tileWidth;
            std::int32_t width = std::min(column * tileWidth, m_width) - left;
            while (next < open.size() && result[open[next]].left < left)
                ++next;
            if (next < open.size() && result[open[next]].left == left && result[open[next]].width == width) {
                result[open[next]].height += height;
                stillOpen.push_back(open[next++]);
            } else {
                result.push_back({ left, top, width, height });
                stillOpen.push_back(result.size() - 1);
            }
        }
        open.swap(stillOpen);
    }
    return result;
}

Rectangle DirtyRegion::bounds() const
{
    return boundsOf(rectangles());
}

Rectangle boundsOf(std::span<const Rectangle> areas)
{
    if (areas.empty())
        return {};
    std::int64_t left = areas.front().left;
    std::int64_t top = areas.front().top;
    std::int64_t right = left;
    std::int64_t bottom = top;
    for (const Rectangle& area : areas) {
        left = std::min<std::int64_t>(left, area.left);
        top = std::min<std::int64_t>(top, area.top);
        right = std::max<std::int64_t>(right, std::int64_t { area.left } + area.width);
        bottom = std::max<std::int64_t>(bottom, std::int64_t { area.top } + area.height);
    }
    return { static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(right - left),
        static_cast<std::int32_t>(bottom - top) };
}

}
