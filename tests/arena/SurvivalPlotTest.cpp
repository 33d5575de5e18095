#include "arena/SurvivalPlot.h"

#include "ArenaResultsBuilder.h"
#include "brains/BrainRegistry.h"

#include <gtest/gtest.h>

using namespace shamblex;
using namespace shamblex::arena;
using shamblex::arena::test::ResultsBuilder;
using shamblex::arena::test::survived;

namespace {

// The rows, top to bottom, at which the colour shows in any of the columns from
// `column` on (lines that lie on one another are dashed, so one column may not show
// them all).
std::vector<std::int32_t> rowsOf(const Bitmap& plot, std::int32_t column, Colour colour)
{
    std::vector<std::int32_t> rows;
    for (std::int32_t y = 0; y < plot.height(); ++y) {
        for (std::int32_t x = column; x < column + 32; ++x) {
            if (plot.pixel(x, y) == colour) {
                rows.push_back(y);
                break;
            }
        }
    }
    return rows;
}

}

TEST(SurvivalPlot, EachBrainsLineFallsAsItsRunsLoseTheirLastHuman)
{
    // Over 1000 frames: the first brain loses its last human at frame 500 in one of
    // two runs; the second keeps humans in both.
    ResultsBuilder arena({ "falls", "stays" }, 1000);
    arena.finished(1, { { 500, 0 }, { survived, 3 } }).finished(2, { { survived, 1 }, { survived, 2 } });
    Bitmap plot = SurvivalPlot::draw(arena.results);
    ASSERT_EQ(plot.width(), SurvivalPlot::width);

    const Colour falls = brainPalette[0];
    const Colour stays = brainPalette[1];
    // A quarter and three quarters of the way across the plotting area.
    const std::int32_t early = 80 + (SurvivalPlot::width - 30 - 80) / 4;
    const std::int32_t late = 80 + 3 * (SurvivalPlot::width - 30 - 80) / 4;
    std::vector<std::int32_t> fallsEarly = rowsOf(plot, early, falls);
    std::vector<std::int32_t> fallsLate = rowsOf(plot, late, falls);
    std::vector<std::int32_t> staysLate = rowsOf(plot, late, stays);
    ASSERT_FALSE(fallsEarly.empty());
    ASSERT_FALSE(fallsLate.empty());
    ASSERT_FALSE(staysLate.empty());
    // Half the height of the area lies between 100% and 50%.
    const std::int32_t half = (SurvivalPlot::height - 64 - 64) / 2;
    EXPECT_NEAR(fallsLate.front() - fallsEarly.front(), half, 2) << "the line drops to 50% after frame 500";
    EXPECT_NEAR(staysLate.front(), fallsEarly.front(), 2) << "the other brain stays at 100%";
}
