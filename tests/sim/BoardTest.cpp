#include "sim/Board.h"

#include "sim/KindTable.h"
#include "sim/Random.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace shamblex;

namespace {

int countKind(const Board& board, CellKind kind)
{
    return static_cast<int>(std::count(board.kinds().begin(), board.kinds().end(), static_cast<std::uint8_t>(kind)));
}

// How many numbers the generator drew between `before` and `after`.
int drawsBetween(std::uint32_t before, std::uint32_t after)
{
    Random probe(before);
    for (int draws = 0; draws < 100000; ++draws) {
        if (probe.state() == after)
            return draws;
        probe.next();
    }
    return -1;
}

}

TEST(Board, ResetIsAllEmptyWhateverTheOldSizeAndDrawsNothing)
{
    Random random;
    Board board;
    board.reset(6, 6, Terrain::City, random);
    board.setKindAt(board.index(1, 1), CellKind::Human);
    for (auto [w, h] : { std::pair { 7, 5 }, std::pair { 9, 9 }, std::pair { 3, 4 } }) {
        std::uint32_t before = random.state();
        board.reset(w, h, Terrain::OpenArena, random);
        EXPECT_EQ(board.cellCount(), static_cast<std::size_t>(w * h));
        EXPECT_EQ(countKind(board, CellKind::Empty), w * h) << w << "x" << h;
        EXPECT_EQ(random.state(), before);
    }
}

TEST(Board, CityPaintsOneBlockPer625CellsThenOnePlazaPer2083)
{
    // Four draws per rectangle when both sides exceed one cell.
    struct Case {
        int width, height, rectangles;
    };
    for (Case c : { Case { 250, 250, 100 + 30 }, Case { 100, 100, 16 + 4 }, Case { 24, 26, 0 } }) {
        Random random;
        Board board;
        board.reset(c.width, c.height, Terrain::City, random);
        EXPECT_EQ(drawsBetween(Random::defaultState, random.state()), 4 * c.rectangles) << c.width << "x" << c.height;
    }
    Random random;
    Board small;
    small.reset(24, 26, Terrain::City, random);
    EXPECT_EQ(countKind(small, CellKind::Wall), 0);
}

TEST(Board, CityDrawsCornerThenHeightThenWidthAndPaintsInteriorBeforeRing)
{
    // A 25 x 25 board takes exactly one block. The first four draws (41, 18467, 6334,
    // 26500) give the corner (18, 12), height offset 34 and width offset 40: the
    // block runs from (18, 12) to (68, 56) and wraps around the board twice. Its
    // interior covers everything; the ring, painted afterwards, opens rows 12 and
    // 56 mod 25 = 6 and column 18 (= 68 mod 25).
    Random random;
    Board board;
    board.reset(25, 25, Terrain::City, random);
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 25; ++x) {
            bool street = y == 12 || y == 6 || x == 18;
            EXPECT_EQ(board.kind(x, y), street ? CellKind::Empty : CellKind::Wall) << "cell " << x << "," << y;
        }
    }
}

TEST(Board, RectanglesWrapPastTheRightEdge)
{
    Random random;
    Board board;
    board.reset(250, 40, Terrain::OpenArena, random);
    // A block at x0 = 245 with width offset 10 reaches column 265, that is 15.
    board.fillRect(245, 5, 265, 20, CellKind::Empty, CellKind::Wall);
    EXPECT_EQ(board.kind(245, 10), CellKind::Empty); // left ring
    EXPECT_EQ(board.kind(15, 10), CellKind::Empty); // right ring, wrapped
    EXPECT_EQ(board.kind(249, 10), CellKind::Wall);
    EXPECT_EQ(board.kind(0, 10), CellKind::Wall);
    EXPECT_EQ(board.kind(14, 10), CellKind::Wall);
    EXPECT_EQ(board.kind(16, 10), CellKind::Empty);
    EXPECT_EQ(board.kind(244, 10), CellKind::Empty);
    EXPECT_EQ(countKind(board, CellKind::Wall), 19 * 14); // columns 246..249 and 0..14, rows 6..19
}

TEST(Board, CellsWrapAndOneWideBoardsDrawNoColumn)
{
    Random random;
    Board board;
    board.reset(250, 250, Terrain::OpenArena, random);
    EXPECT_EQ(board.wrappedIndex(250, 0), board.index(0, 0));
    EXPECT_EQ(board.wrappedIndex(3, 251), board.index(3, 1));

    // One column: corners sit at column 1 (wrapping to 0) without a draw, so each
    // rectangle draws three numbers: row, height and width offsets.
    Random narrow;
    Board tall;
    tall.reset(1, 1250, Terrain::City, narrow);
    EXPECT_EQ(drawsBetween(Random::defaultState, narrow.state()), 3 * 2);
}

TEST(Board, RectanglesThatFitArePaintedAsInTheExactOrder)
{
    // Rectangles no larger than the board are painted row by row; the result must be
    // what the exact order (interior column by column, then the ring) paints.
    Random random(9);
    for (int round = 0; round < 200; ++round) {
        std::int32_t width = 1 + random.below(30);
        std::int32_t height = 1 + random.below(30);
        Board board;
        Random unused;
        board.reset(width, height, Terrain::OpenArena, unused);
        std::vector<std::uint8_t> expected(board.kinds().begin(), board.kinds().end());
        std::int32_t x0 = random.below(2 * width), y0 = random.below(2 * height);
        std::int32_t x1 = x0 + random.below(width), y1 = y0 + random.below(height);
        auto at = [&](std::int32_t x, std::int32_t y) -> std::uint8_t& { return expected[board.wrappedIndex(x, y)]; };
        for (std::int32_t x = x0 + 1; x < x1; ++x)
            for (std::int32_t y = y0 + 1; y < y1; ++y)
                at(x, y) = 3;
        for (std::int32_t x = x0; x <= x1; ++x)
            at(x, y0) = at(x, y1) = 1;
        for (std::int32_t y = y0; y <= y1; ++y)
            at(x0, y) = at(x1, y) = 1;
        board.fillRect(x0, y0, x1, y1, CellKind::Zombie, CellKind::Wall);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), board.kinds().begin()))
            << "(" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ") on " << width << "x" << height;
    }
}

TEST(KindTable, ColoursPackRedLowBlueHigh)
{
    EXPECT_EQ(kindColour(CellKind::Human), 244u + 194u * 256u + 194u * 65536u);
    EXPECT_EQ(kindColour(CellKind::Zombie), 0x00FF00u);
    EXPECT_EQ(kindColour(CellKind::Wall), 50u + 50u * 256u + 60u * 65536u);
    EXPECT_EQ(kindInfo(CellKind::Human).speed, 2 * kindInfo(CellKind::Zombie).speed);
}
