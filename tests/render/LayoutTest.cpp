#include "render/Layout.h"

#include "../sim/Printers.h"

#include <gtest/gtest.h>

using namespace shamblex;

namespace {

struct Expected {
    std::int32_t cellWidth, cellHeight, boardLeft, boardTop;
};

void expectLayout(const Layout& layout, Expected expected)
{
    EXPECT_EQ(layout.cellWidth, expected.cellWidth);
    EXPECT_EQ(layout.cellHeight, expected.cellHeight);
    EXPECT_EQ(layout.boardLeft, expected.boardLeft);
    EXPECT_EQ(layout.boardTop, expected.boardTop);
}

}

TEST(Layout, CentresTheBoardAcrossAndThreeQuartersDown)
{
    expectLayout(Layout::compute(250, 250, 400, 400), { 1, 1, 75, 112 });
    expectLayout(Layout::compute(250, 250, 1024, 768), { 4, 2, 12, 201 });
    expectLayout(Layout::compute(250, 250, 1920, 1080), { 7, 4, 85, 60 });
    Layout layout = Layout::compute(250, 250, 1920, 1080);
    EXPECT_EQ(layout.columns, 250);
    EXPECT_EQ(layout.statusBand.width, 1920);
    EXPECT_EQ(layout.statusBand.height, statusBandHeight);
    // With exactly 50 pixels left over the board reaches into the status band.
    EXPECT_EQ(Layout::compute(100, 100, 100, 150).boardTop, 37);
}

TEST(Layout, BoardsLargerThanTheFrameGetCellsOfNoSize)
{
    expectLayout(Layout::compute(500, 500, 400, 400), { 0, 0, 200, 300 });
    Layout low = Layout::compute(10, 1, 100, 30); // lower than the band
    EXPECT_LE(low.cellHeight, 0);
    EXPECT_FALSE(low.screenToCell(10, 10).has_value());
    EXPECT_FALSE(Layout::compute(500, 10, 400, 400).screenToCell(200, 200).has_value());
    Layout huge = Layout::compute(46340, 46340, 16384, 16384);
    EXPECT_EQ(huge.cellWidth, 0);
}

TEST(Layout, PointerMapsToCellsTruncatingTowardZero)
{
    Layout layout = Layout::compute(250, 250, 1024, 768); // cells 4 x 2 from (12, 201)
    auto cell = layout.screenToCell(12 + 4 * 10 + 3, 201 + 2 * 7 + 1);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->column, 10);
    EXPECT_EQ(cell->row, 7);

    auto oneLeft = layout.screenToCell(11, 201);
    ASSERT_TRUE(oneLeft);
    EXPECT_EQ(oneLeft->column, 0) << "less than a cell to the left still maps to column 0";
    auto cellLeft = layout.screenToCell(12 - 4, 201);
    ASSERT_TRUE(cellLeft);
    EXPECT_EQ(cellLeft->column, -1);

}
