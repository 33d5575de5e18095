#include "render/ScenePainter.h"

#include "../session/SessionFixture.h"
#include "../sim/Printers.h"
#include "Pixels.h"
#include "render/Bitmap.h"
#include "render/TextPainter.h"
#include "sim/KindTable.h"

#include <gtest/gtest.h>

using namespace shamblex;

namespace {

// A drawn outbreak: a frame of the given size, an open arena of the given size, and
// brains listed under the given names.
test::WindowSession drawn(std::int32_t frameWidth, std::int32_t frameHeight, std::int32_t columns, std::int32_t rows,
    std::int32_t beings, std::vector<std::string> brains = {})
{
    return test::WindowSession({ .brains = brains,
        .brainsListed = true,
        .frameWidth = frameWidth,
        .frameHeight = frameHeight,
        .columns = columns,
        .rows = rows,
        .beings = beings,
        .openArena = true });
}

Colour colourAt(const Bitmap& bitmap, std::int32_t x, std::int32_t y)
{
    return bitmap.pixel(x, y);
}

}

TEST(ScenePainter, BackgroundIsGreyWithWallsAndGroundInTheirColours)
{
    auto outbreak = drawn(400, 400, 250, 250, 0);
    Bitmap& frame = outbreak.frame();
    EXPECT_EQ(colourAt(frame, 0, 0), (Colour { 128, 128, 128 }));
    EXPECT_EQ(colourAt(frame, 74, 200), (Colour { 128, 128, 128 })) << "margin left of the board";
    EXPECT_EQ(colourAt(frame, 75, 112), (Colour { 0, 0, 0 })) << "the board starts at (75, 112)";
    EXPECT_EQ(colourAt(frame, 324, 361), (Colour { 0, 0, 0 }));
    EXPECT_EQ(colourAt(frame, 325, 361), (Colour { 128, 128, 128 }));

    outbreak.settings().cityBoard = 1;
    ASSERT_TRUE(outbreak.simulation().newSimulation());
    int walls = 0;
    for (std::uint8_t kind : outbreak.simulation().board().kinds())
        walls += kind == static_cast<std::uint8_t>(CellKind::Wall);
    EXPECT_EQ(test::countPixels(frame, Colour { 50, 50, 60 }), walls);
}

TEST(ScenePainter, RaysStartAtTheCellCentreAndRunTheLargerCellSide)
{
    // One-pixel cells: every ray is one pixel.
    auto small = drawn(400, 400, 250, 250, 0);
    small.painter().drawRay(10, 20, Direction::Up, lookRayColour, RayLength::Long);
    EXPECT_EQ(colourAt(small.frame(), 85, 132), lookRayColour);
    EXPECT_EQ(colourAt(small.frame(), 85, 131), (Colour { 0, 0, 0 }));

    // Cells of 5 x 3 pixels from (0, 37): rays of 5 and 7 pixels from (2, 38).
    auto wide = drawn(50, 80, 10, 10, 0);
    ASSERT_EQ(wide.painter().layout().cellWidth, 5);
    ASSERT_EQ(wide.painter().layout().cellHeight, 3);
    wide.painter().drawRay(0, 0, Direction::Right, moveRayColour, RayLength::Long);
    wide.painter().drawRay(0, 1, Direction::Right, lookRayColour, RayLength::Short);
    std::map<std::uint32_t, char> legend { { 0x000000, '.' }, { 0x808080, 'm' }, { 0xFFFFFF, 'l' } };
    EXPECT_EQ(test::asText(wide.frame(), 0, 37, 12, 6, legend),
        test::rows({ "............", "..mmmmmmm...", "............", "............", "..lllll.....", "............" }));

    // No direction: a dot on the centre pixel; off the frame nothing is written.
    wide.painter().drawRay(5, 5, Direction::None, lookRayColour, RayLength::Long);
    EXPECT_EQ(colourAt(wide.frame(), 27, 53), lookRayColour);
    wide.painter().drawRay(9, 9, Direction::Right, lookRayColour, RayLength::Long);
    wide.painter().drawRay(0, 0, Direction::Up, lookRayColour, RayLength::Long);
    wide.painter().drawRay(-100, -100, Direction::Left, lookRayColour, RayLength::Long);
}

TEST(ScenePainter, BeingsAreDrawnInKindBrainOrUserColours)
{
    // Brains are listed by file name: "first" gets red, "second" blue.
    auto outbreak = drawn(400, 400, 50, 50, 20, { "second", "first" });
    outbreak.simulation().frameStep(Drawing::Off); // every being marks its cell
    ScenePainter& painter = outbreak.painter();
    const Actor& zombie = outbreak.simulation().population()[0];
    EXPECT_EQ(painter.actorColour(zombie), (Colour { 0, 255, 0 }));

    Actor& blue = outbreak.humanOf("second");
    EXPECT_EQ(painter.actorColour(blue), (Colour { 0, 0, 255 }));
    blue.panicked = 1;
    EXPECT_EQ(painter.actorColour(blue), (Colour { 191, 191, 255 }));
    outbreak.settings().userColour = 1;
    outbreak.population().mind(blue).colour.red = 10;
    EXPECT_EQ(painter.actorColour(blue), (Colour { 10, 0, 255 })) << "the user colour, not brightened";
    EXPECT_EQ(painter.actorColour(zombie), (Colour { 0, 255, 0 }));
    outbreak.settings().userColour = 0;

    // A being converted by a click: a default human, then one of a brain never listed.
    Actor& plain = outbreak.humanOf("first");
    Simulation& simulation = outbreak.simulation();
    simulation.placeBeing(plain.x, plain.y, CellKind::Human, "Human");
    const Actor& converted = simulation.population()[simulation.occupant(plain.x, plain.y)];
    ASSERT_EQ(&converted, &plain) << "the being that marked the cell is converted";
    plain.panicked = 1;
    EXPECT_EQ(painter.actorColour(plain), (Colour { 244, 194, 194 })) << "default humans are never brightened";
    simulation.placeBeing(plain.x, plain.y, CellKind::Human, "forgotten");
    simulation.frameStep(Drawing::Off); // colours of names are looked up once a step
    plain.panicked = 0;
    EXPECT_EQ(painter.actorColour(plain), (Colour { 255, 0, 255 }));
    plain.panicked = 1;
    EXPECT_EQ(painter.actorColour(plain), (Colour { 255, 191, 255 }));
}

TEST(ScenePainter, StatusBandShowsTheCountsWithTrailingBlanks)
{
    auto outbreak = drawn(400, 400, 100, 100, 1000);
    for (int frame = 0; frame < 250; ++frame)
        outbreak.simulation().frameStep(Drawing::On);
    const Simulation& simulation = outbreak.simulation();

    Bitmap expected;
    expected.create(400, 50);
    expected.fill({ 128, 128, 128 });
    TextPainter text;
    text.setColours({ Colour { 128, 128, 128 }, Colour { 255, 255, 255 } });
    text.drawText(expected, 0, 0, "Frame:   " + std::to_string(simulation.frameNumber()) + "    ");
    text.setColour(1, Colour { 0, 255, 0 });
    text.drawText(expected, 0, 13, "Zombies: " + std::to_string(simulation.zombieCount()) + "    ");
    text.setColour(1, Colour { 244, 194, 194 });
    text.drawText(expected, 0, 26, "Humans:  " + std::to_string(simulation.humanCount()) + "    ");
    EXPECT_EQ(simulation.frameNumber(), 250);

    std::map<std::uint32_t, char> legend { { 0x808080, '_' }, { 0xFFFFFF, 'w' }, { 0x00FF00, 'z' },
        { 0xC2C2F4, 'h' }, { 0, '.' } };
    EXPECT_EQ(test::asText(outbreak.frame(), 0, 0, 200, 36, legend), test::asText(expected, 0, 0, 200, 36, legend));
}

TEST(ScenePainter, AStatusBandThatWaitsForTheFlushLeavesWhatDrawingEveryBandWould)
{
    // Between looks: lines that shrink by more than their trailing blanks, cells
    // filled between the draws in the board rows that reach into the band, a notice
    // over the band, the background painted over it all, and (the second time) a
    // brain name long enough to run under the next column's lines.
    for (const std::string first : { "a", "a-brain-whose-name-runs-into-the-next-column" }) {
        const std::vector<std::string> brains { first, "b", "c", "d", "e" };
        auto immediate = drawn(1000, 300, 125, 125, 0, brains);
        auto deferred = drawn(1000, 300, 125, 125, 0, brains);
        immediate.painter().setDeferred(false);
        deferred.painter().setDeferred(true);
        const std::vector<std::vector<std::int32_t>> counts { { 7, 123456789, 5, 777777777, 1 },
            { 1, 5, 7, 1, 88888888 }, { 22, 1, 1, 333333333, 1 }, { 1, 1, 1, 1, 1 } };
        const Colour inks[] = { Colour { 200, 0, 0 }, Colour { 0, 0, 200 }, Colour { 0, 200, 0 } };
        for (int round = 0; round < 24; ++round) {
            for (test::WindowSession* outbreak : { &immediate, &deferred }) {
                ScenePainter& painter = outbreak->painter();
                painter.drawStatusBand(counts[static_cast<std::size_t>(round) % counts.size()]);
                for (std::int32_t column = round % 3; column < 60; column += 3)
                    painter.fillCell(column, round % 4, inks[round % 3]);
                if (round % 5 == 4)
                    painter.drawNotice(round % 2 ? "a notice" : "");
                if (round % 8 == 4)
                    painter.paintBackground(); // as after a resize
            }
            if (round % 3 != 2)
                continue;
            const Bitmap& expected = immediate.frame();
            const Bitmap& frame = deferred.frame();
            for (std::int32_t y = 0; y < expected.height(); ++y)
                for (std::int32_t x = 0; x < expected.width(); ++x)
                    ASSERT_EQ(frame.pixel(x, y), expected.pixel(x, y))
                        << "at (" << x << ", " << y << ") in round " << round << " with " << first;
        }
    }
}

TEST(ScenePainter, AShorterNumberLeavesNoDigitBehind)
{
    auto many = drawn(400, 100, 100, 100, 1001); // 1000 humans
    auto fewer = drawn(400, 100, 100, 100, 1000); // 999 humans
    many.simulation().frameStep(Drawing::On);
    fewer.simulation().frameStep(Drawing::On);
    ASSERT_EQ(many.simulation().humanCount(), 1000);
    ASSERT_EQ(fewer.simulation().humanCount(), 999);

    // Draw the 999 line over the 1000 line: the picture is that of 999 alone.
    Bitmap& frame = many.frame();
    ScenePainter overPainter(frame, fewer.simulation(), fewer.settings(), fewer.session.brains());
    overPainter.paintBackground();
    fewer.simulation().frameStep(Drawing::Off);
    many.painter().drawStatusBand({});
    overPainter.drawStatusBand({});
    Bitmap alone;
    alone.create(400, 100);
    ScenePainter alonePainter(alone, fewer.simulation(), fewer.settings(), fewer.session.brains());
    alonePainter.paintBackground();
    alonePainter.drawStatusBand({});
    std::map<std::uint32_t, char> legend { { 0x808080, '_' }, { 0xFFFFFF, 'w' }, { 0x00FF00, 'z' },
        { 0xC2C2F4, 'h' } };
    EXPECT_EQ(test::asText(frame, 0, 26, 120, 10, legend), test::asText(alone, 0, 26, 120, 10, legend));
}

TEST(ScenePainter, BrainLinesFillColumnsOfThreeBesideTheCounts)
{
    auto outbreak = drawn(1024, 300, 40, 40, 40, { "a", "b", "c", "d" });
    outbreak.simulation().frameStep(Drawing::On);
    // Brain lines sit at x 180 (three of them) and 360, each starting with its name.
    for (auto [x, y, colour] : { std::tuple { 180, 0, Colour { 255, 0, 0 } }, std::tuple { 180, 13, Colour { 0, 0, 255 } },
             std::tuple { 180, 26, Colour { 255, 255, 0 } }, std::tuple { 360, 0, Colour { 255, 0, 255 } } }) {
        int ink = 0;
        for (int dy = 0; dy < 10; ++dy)
            for (int dx = 0; dx < 6; ++dx)
                ink += outbreak.frame().pixel(x + dx, y + dy) == colour;
        EXPECT_GT(ink, 5) << "no brain line at " << x << "," << y;
    }
}

TEST(ScenePainter, HistoryGraphSamplesEvenlyAcrossItsWidth)
{
    auto outbreak = drawn(1024, 300, 40, 40, 40, { "a", "b", "c", "d" });
    outbreak.settings().showGraph = 1;
    outbreak.simulation().killAllZombies(); // the humans live on, the history grows every frame
    for (int frame = 0; frame < 1000; ++frame)
        outbreak.simulation().frameStep(Drawing::Off);
    outbreak.simulation().frameStep(Drawing::On); // 1001 samples: step 1001 / 464 + 1 = 3
    ASSERT_EQ(outbreak.simulation().history().find("d")->samples.size(), 1001u);

    // Four brains: the last text column is at 360, so the graph runs from 540, 464 wide.
    const Bitmap& frame = outbreak.frame();
    EXPECT_NE(frame.pixel(539, 49), (Colour { 64, 64, 64 }));
    EXPECT_NE(frame.pixel(540 + 464, 49), (Colour { 64, 64, 64 }));
    int columns = 0;
    for (int x = 540; x < 540 + 464; ++x) {
        bool plotted = false;
        for (int y = 0; y < 50; ++y)
            plotted = plotted || frame.pixel(x, y) == Colour { 255, 0, 255 };
        columns += plotted;
        if (x >= 540 + 334) {
            EXPECT_FALSE(plotted) << "a point past the last sample, column " << x;
        }
    }
    EXPECT_EQ(columns, 334) << "1001 samples taken every third";
}

TEST(ScenePainter, GraphCurvesScaleToTheirOwnPeak)
{
    auto outbreak = drawn(1024, 300, 40, 40, 40, { "alive", "gone" });
    outbreak.settings().showGraph = 1;
    for (ActorIndex i = 0; i < outbreak.population().size(); ++i)
        if (outbreak.simulation().brainName(outbreak.population()[i]) == "gone")
            outbreak.population().becomeKind(i, CellKind::Zombie);
    outbreak.simulation().killAllZombies(); // nobody threatens "alive" now
    for (int frame = 0; frame < 30; ++frame)
        outbreak.simulation().frameStep(Drawing::On);

    // Two brains: graph from x = 180 + 180 = 360.
    const Bitmap& frame = outbreak.frame();
    for (int x = 360; x < 390; ++x)
        EXPECT_EQ(frame.pixel(x, 0), (Colour { 255, 0, 0 })) << "a constant count sits on the top row, column " << x;
    int plotted = 0;
    for (int y = 0; y < statusBandHeight; ++y)
        for (int x = 360; x < 1024 - 20; ++x)
            plotted += frame.pixel(x, y) == Colour { 0, 0, 255 };
    EXPECT_EQ(plotted, 0) << "a brain that never had a human draws nothing";
}

TEST(ScenePainter, NoGraphWithoutRoomForIt)
{
    auto outbreak = drawn(640, 300, 40, 40, 40, { "a", "b", "c", "d", "e", "f", "g" });
    outbreak.settings().showGraph = 1;
    outbreak.simulation().frameStep(Drawing::On);
    EXPECT_EQ(test::countPixels(outbreak.frame(), Colour { 64, 64, 64 }), 0);
}

TEST(ScenePainter, WatchedLabelIsWhiteOnBlackAtTheBoardsCorner)
{
    // A being whose brain gave it a status text.
    auto labelled = drawn(400, 400, 250, 250, 5, { "alpha" });
    Actor& being = labelled.humanOf("alpha");
    labelled.population().mind(being).statusText = "x";
    labelled.painter().drawWatchedLabel(being);
    Bitmap expected;
    expected.create(400, 400);
    TextPainter().drawText(expected, 0, 0, "alpha: x");
    std::map<std::uint32_t, char> legend { { 0, '.' }, { 0xFFFFFF, '#' } };
    EXPECT_EQ(test::asText(labelled.frame(), 75, 112, 48, 10, legend), test::asText(expected, 0, 0, 48, 10, legend));
}

TEST(ScenePainter, NormalFramesPaintOnlyAroundTheBeings)
{
    auto outbreak = drawn(1920, 1080, 250, 250, 1000);
    outbreak.simulation().frameStep(Drawing::On); // the first frame repaints everything
    Bitmap before;
    before.create(1920, 1080);
    before.copyFrom(outbreak.frame(), 0, 0);
    outbreak.simulation().frameStep(Drawing::On);
    int changed = 0;
    for (std::int32_t y = statusBandHeight; y < 1080; ++y)
        for (std::int32_t x = 0; x < 1920; ++x)
            changed += outbreak.frame().pixel(x, y) != before.pixel(x, y);
    // Each being paints at most its old and its new cell of 7 x 4 pixels.
    EXPECT_GT(changed, 0);
    EXPECT_LE(changed, 1000 * 2 * 7 * 4);
}

TEST(ScenePainter, EveryPainterStaysInsideAnyBitmap)
{
    // Frames smaller than the board, lower than the status band, empty; boards one
    // cell wide with beings standing at column 1. The sanitizers catch any stray write.
    for (auto [frameWidth, frameHeight, columns, rows] : { std::tuple { 10, 10, 250, 250 }, std::tuple { 300, 30, 5, 1 },
             std::tuple { 300, 30, 1, 40 }, std::tuple { 1, 1, 1, 1 }, std::tuple { 7, 200, 1, 3 } }) {
        auto outbreak = drawn(frameWidth, frameHeight, columns, rows, 30, { "a", "b", "c", "d" });
        outbreak.settings().showDirections = 1;
        outbreak.settings().showGraph = 1;
        outbreak.simulation().setWatchedActor(1);
        for (int frame = 0; frame < 20; ++frame)
            outbreak.simulation().frameStep(Drawing::On);
        for (std::int32_t x = -3; x < 3; ++x)
            outbreak.painter().fillCell(x, x, Colour { 1, 2, 3 });
    }
    auto empty = drawn(10, 10, 20, 20, 10);
    empty.frame().release();
    empty.painter().paintBackground();
    empty.settings().showDirections = 1;
    empty.simulation().frameStep(Drawing::On);
    EXPECT_TRUE(empty.frame().isEmpty());
}
