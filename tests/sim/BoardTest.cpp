#include "sim/Board.h"

#include "sim/KindTable.h"
#include "sim/Random.h"
#include "TestWorld.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace shamblex;

namespace {

int countKind(const Board& board, CellKind kind)
{
    return static_cast<int>(std::count_if(board.cells().begin(), board.cells().end(),
        [kind](const Cell& cell) { return cell.kind == kind; }));
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

TEST(Board, OpenArenaResetIsAllEmptyAndDrawsNothing)
{
    Random random;
    Board board;
    board.reset(7, 5, Terrain::OpenArena, random);
    EXPECT_EQ(board.cells().size(), 35u);
    EXPECT_EQ(countKind(board, CellKind::Empty), 35);
    EXPECT_EQ(random.state(), Random::defaultState);
}

TEST(Board, ResetForgetsEveryOccupantWhateverTheNewSize)
{
    Random random;
    test::TestWorld world(6, 6);
    Actor& someone = world.put(2, 3, CellKind::Human, Direction::Up, Direction::Up);
    Board& board = world.board;
    for (auto [w, h] : { std::pair { 6, 6 }, std::pair { 9, 9 }, std::pair { 3, 4 } }) {
        board.at(1, 1) = { CellKind::Human, &someone };
        board.reset(w, h, Terrain::OpenArena, random);
        EXPECT_EQ(board.cells().size(), static_cast<std::size_t>(w * h));
        EXPECT_TRUE(std::all_of(board.cells().begin(), board.cells().end(), [](const Cell& cell) {
            return cell.kind == CellKind::Empty && cell.occupant == nullptr;
        })) << w << "x" << h;
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
            EXPECT_EQ(board.at(x, y).kind, street ? CellKind::Empty : CellKind::Wall) << "cell " << x << "," << y;
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
    EXPECT_EQ(board.at(245, 10).kind, CellKind::Empty); // left ring
    EXPECT_EQ(board.at(15, 10).kind, CellKind::Empty); // right ring, wrapped
    EXPECT_EQ(board.at(249, 10).kind, CellKind::Wall);
    EXPECT_EQ(board.at(0, 10).kind, CellKind::Wall);
    EXPECT_EQ(board.at(14, 10).kind, CellKind::Wall);
    EXPECT_EQ(board.at(16, 10).kind, CellKind::Empty);
    EXPECT_EQ(board.at(244, 10).kind, CellKind::Empty);
    EXPECT_EQ(countKind(board, CellKind::Wall), 19 * 14); // columns 246..249 and 0..14, rows 6..19
}

TEST(Board, CellsWrapAndOneWideBoardsDrawNoColumn)
{
    Random random;
    Board board;
    board.reset(250, 250, Terrain::OpenArena, random);
    EXPECT_EQ(&board.cell(250, 0), &board.cell(0, 0));
    EXPECT_EQ(&board.cell(3, 251), &board.cell(3, 1));

    // One column: corners sit at column 1 (wrapping to 0) without a draw, so each
    // rectangle draws three numbers: row, height and width offsets.
    Random narrow;
    Board tall;
    tall.reset(1, 1250, Terrain::City, narrow);
    EXPECT_EQ(drawsBetween(Random::defaultState, narrow.state()), 3 * 2);
}

TEST(KindTable, ColoursPackRedLowBlueHigh)
{
    EXPECT_EQ(kindColour(CellKind::Human), 244u + 194u * 256u + 194u * 65536u);
    EXPECT_EQ(kindColour(CellKind::Zombie), 0x00FF00u);
    EXPECT_EQ(kindColour(CellKind::Wall), 50u + 50u * 256u + 60u * 65536u);
    EXPECT_EQ(kindInfo(CellKind::Human).speed, 2 * kindInfo(CellKind::Zombie).speed);
}
