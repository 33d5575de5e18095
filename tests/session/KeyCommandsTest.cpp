#include "SessionFixture.h"

#include "../MemoryLimit.h"
#include "../sim/Printers.h"

#include <filesystem>
#include <map>

using namespace shamblex;
using shamblex::test::WindowSession;
using namespace shamblex::test;

namespace {

std::map<std::string, int> brainsOfHumans(const Simulation& simulation)
{
    std::map<std::string, int> counts;
    for (const Actor& actor : simulation.population())
        if (actor.isHuman())
            ++counts[simulation.brainName(actor)];
    return counts;
}

}

TEST(KeyCommands, DigitsRemoveTheHumansOfTheNthListedBrain)
{
    WindowSession window({ .brains = { "a", "b", "c" } });
    window.type("1");
    EXPECT_EQ(window.simulation().population().size(), 1000u) << "no brain is listed before a reload";

    window.type("l");
    EXPECT_EQ(window.simulation().population().size(), 1003u);
    window.session.tick();
    window.type("2");
    auto counts = brainsOfHumans(window.simulation());
    EXPECT_EQ(counts.count("b"), 0u);
    EXPECT_GT(counts["a"], 0);
    EXPECT_GT(counts["c"], 0);
    EXPECT_TRUE(window.simulation().fullRedrawPending());
    window.type("2"); // now names c
    EXPECT_EQ(brainsOfHumans(window.simulation()).count("c"), 0u);
    EXPECT_EQ(window.session.brains().brainNames(), std::vector<std::string> { "a" });
    window.type("9");
    EXPECT_EQ(window.session.brains().brainNames().size(), 1u);
}

TEST(KeyCommands, KillRestartAndPause)
{
    WindowSession window;
    for (int i = 0; i < 50; ++i)
        window.session.tick();
    window.type("k");
    EXPECT_EQ(brainsOfHumans(window.simulation()).size(), 1u);
    for (const Actor& actor : window.simulation().population())
        EXPECT_EQ(actor.kind(), CellKind::Human);

    window.type("R");
    EXPECT_EQ(window.simulation().population()[0].kind(), CellKind::Zombie);
    EXPECT_EQ(window.simulation().frameNumber(), 50);

    window.type(" ");
    window.session.tick();
    EXPECT_EQ(window.simulation().frameNumber(), 50);
    window.type(" ");
    window.session.tick();
    EXPECT_EQ(window.simulation().frameNumber(), 51);
    window.type("r");
    EXPECT_EQ(window.simulation().frameNumber(), 51) << "lower-case r does nothing";
}

TEST(KeyCommands, SpaceAfterTheStopRunsOneMoreFrame)
{
    WindowSession window;
    window.settings().beingCount = 1; // a lone zombie: no humans from the start
    window.type("z");
    window.session.tick();
    EXPECT_TRUE(window.simulation().stopped());
    window.type(" ");
    window.session.tick();
    EXPECT_EQ(window.simulation().frameNumber(), 2);
    EXPECT_TRUE(window.simulation().stopped());
}

TEST(KeyCommands, SpeedsCycleFrom25Milliseconds)
{
    WindowSession window;
    EXPECT_EQ(window.session.timerPeriod(), 5);
    int expected[] = { 25, 75, 150, 1, 25 };
    for (int period : expected) {
        window.type(period == 75 ? "s" : "S");
        EXPECT_EQ(window.session.timerPeriod(), period);
    }
}

TEST(KeyCommands, PlusAndMinusChangeTheBeingsAndStartAgain)
{
    WindowSession window;
    window.session.tick();
    window.type("+");
    EXPECT_EQ(window.session.settings().beingCount, 1100);
    EXPECT_EQ(window.simulation().population().size(), 1100u);
    EXPECT_EQ(window.simulation().frameNumber(), 0);

    window.session.settings().beingCount = 200;
    window.type("-");
    EXPECT_EQ(window.session.settings().beingCount, 100);
    EXPECT_EQ(window.simulation().population().size(), 100u);
    window.session.tick();
    window.type("-");
    EXPECT_EQ(window.session.settings().beingCount, 100);
    EXPECT_EQ(window.simulation().frameNumber(), 1) << "at 100 nothing happens, the simulation runs on";
}

TEST(KeyCommands, FastForwardRunsStepsWithoutDrawingAndThenRepaints)
{
    WindowSession window;
    int steps = 0;
    int drawn = 0;
    window.session.setStepListener([&](Drawing drawing) {
        ++steps;
        drawn += drawing == Drawing::On;
        return true;
    });
    window.type("f");
    EXPECT_EQ(steps, 100);
    EXPECT_EQ(drawn, 0) << "fast-forward steps draw nothing";
    EXPECT_EQ(window.simulation().frameNumber(), 100);
    EXPECT_TRUE(window.simulation().fullRedrawPending());
    window.type("F");
    EXPECT_EQ(window.simulation().frameNumber(), 1100);

    window.type(" ");
    window.session.tick();
    window.type("f");
    EXPECT_EQ(window.simulation().frameNumber(), 1100) << "paused, fast forward only repaints";
    EXPECT_TRUE(window.simulation().fullRedrawPending());
}

TEST(KeyCommands, RuleAndDisplaySwitchesToggle)
{
    WindowSession window;
    Settings& settings = window.session.settings();
    window.type("t");
    EXPECT_EQ(settings.smartZombies, 0);
    window.type("gEcd");
    EXPECT_EQ(settings.showGraph, 1);
    EXPECT_EQ(settings.zombiesEatWalls, 1);
    EXPECT_EQ(settings.userColour, 1);
    EXPECT_EQ(settings.showDirections, 1);
    window.type("e");
    EXPECT_EQ(settings.zombiesEatWalls, 0);
    window.session.tick();
    EXPECT_FALSE(window.simulation().fullRedrawPending());
    window.type("c");
    EXPECT_TRUE(window.simulation().fullRedrawPending());
    window.session.tick();
    window.type("d");
    EXPECT_TRUE(window.simulation().fullRedrawPending());
    window.type("x\x7f");
    window.session.character(static_cast<char>(-1));
    window.session.character(0);
    EXPECT_EQ(settings.toBytes(), [] {
        Settings expected;
        expected.smartZombies = 0;
        expected.showGraph = 1;
        expected.windowWidth = 1010;
        expected.windowHeight = 730;
        return expected.toBytes();
    }());
}

TEST(KeyCommands, CitySizeStepsByFiftyDownToFifty)
{
    WindowSession window;
    Settings& settings = window.session.settings();
    window.type(">");
    EXPECT_EQ(window.simulation().board().width(), 300);
    settings.boardWidth = settings.boardHeight = 100;
    window.type("<");
    EXPECT_EQ(settings.boardWidth, 50);
    EXPECT_EQ(settings.boardHeight, 50);
    window.session.tick();
    window.type("<");
    EXPECT_EQ(settings.boardWidth, 50);
    EXPECT_EQ(window.simulation().board().width(), 50);
    EXPECT_EQ(window.simulation().frameNumber(), 0) << "still a new simulation";
}

TEST(KeyCommands, BoardOrArenaClearsWallsAtOnceAndBuildsCitiesOnlyAnew)
{
    WindowSession window;
    window.session.tick();
    window.type("b");
    for (std::uint8_t kind : window.simulation().board().kinds())
        ASSERT_NE(kind, static_cast<std::uint8_t>(CellKind::Wall));
    EXPECT_EQ(window.simulation().frameNumber(), 1) << "no new simulation";
    EXPECT_TRUE(window.simulation().fullRedrawPending());
    window.type("b");
    for (std::uint8_t kind : window.simulation().board().kinds())
        ASSERT_NE(kind, static_cast<std::uint8_t>(CellKind::Wall));
    window.type("z");
    int walls = 0;
    for (std::uint8_t kind : window.simulation().board().kinds())
        walls += kind == static_cast<std::uint8_t>(CellKind::Wall);
    EXPECT_GT(walls, 0);
}

TEST(KeyCommands, HelpIsLaidOverEveryTickUntilToggledOff)
{
    WindowSession window;
    window.type("?");
    EXPECT_TRUE(window.session.helpShown());
    window.session.tick();
    const Layout& layout = window.session.layout();
    EXPECT_EQ(window.session.frame().pixel(layout.boardLeft + 1, layout.boardTop + 1), (Colour { 255, 255, 255 }));
    window.session.tick();
    EXPECT_EQ(window.session.frame().pixel(layout.boardLeft + 1, layout.boardTop + 1), (Colour { 255, 255, 255 }));
    window.type("?");
    EXPECT_TRUE(window.simulation().fullRedrawPending());
    window.session.tick();
    EXPECT_NE(window.session.frame().pixel(layout.boardLeft + 1, layout.boardTop + 1), (Colour { 255, 255, 255 }));
}

TEST(KeyCommands, StepsTheMachineCannotHoldAreNotTaken)
{
    WindowSession window;
    window.session.tick();
    Settings& settings = window.session.settings();
    settings.boardWidth = settings.boardHeight = 46300;
    window.type(">"); // 46350 squared passes 2^31 - 1
    EXPECT_EQ(settings.boardWidth, 46300);
    EXPECT_EQ(window.simulation().frameNumber(), 1);

    settings.boardWidth = settings.boardHeight = 250;
    expectUnderMemoryLimit([&] {
#if defined(_WIN32)
        settings.beingCount = beingsNoMachineHolds;
#else
        settings.beingCount = beingsAboveTheLimit;
#endif
        std::int32_t asked = settings.beingCount;
        window.type("+");
        return settings.beingCount == asked && window.simulation().population().size() == 1000u;
    });
    settings.beingCount = std::numeric_limits<std::int32_t>::max() - 50;
    window.type("+");
    EXPECT_EQ(settings.beingCount, std::numeric_limits<std::int32_t>::max() - 50);
    window.session.tick();
    EXPECT_EQ(window.simulation().frameNumber(), 2) << "the running simulation goes on";
}

TEST(MouseCommands, PointerPicksTheWatchedBeingOnItsCell)
{
    WindowSession window;
    window.session.tick();
    CellPosition cell = window.findCell(CellKind::Human);
    auto [x, y] = window.pixelOf(cell.column, cell.row);
    window.session.pointerMoved(x, y);
    ASSERT_NE(window.simulation().watchedActor(), noActor);
    EXPECT_EQ(window.simulation().watchedActor(), window.simulation().occupant(cell.column, cell.row));

    CellPosition wall = window.findCell(CellKind::Wall);
    auto [wx, wy] = window.pixelOf(wall.column, wall.row);
    window.session.pointerMoved(wx, wy);
    EXPECT_EQ(window.simulation().watchedActor(), noActor);
    window.session.pointerMoved(5, 5); // over the status band, above the board
    EXPECT_EQ(window.simulation().watchedActor(), noActor);
}

TEST(MouseCommands, ButtonsPlaceHumansAndZombiesButNotOnWalls)
{
    WindowSession window({ .brains = { "solo" } });
    window.type("l");
    window.session.tick();
    Simulation& simulation = window.simulation();
    std::size_t beings = simulation.population().size();

    CellPosition wall = window.findCell(CellKind::Wall);
    auto [wx, wy] = window.pixelOf(wall.column, wall.row);
    window.session.leftButtonReleased(wx, wy);
    window.session.rightButtonReleased(wx, wy);
    EXPECT_EQ(simulation.population().size(), beings);

    CellPosition human = window.findCell(CellKind::Human);
    const Actor* being = &simulation.population()[simulation.occupant(human.column, human.row)];
    auto [hx, hy] = window.pixelOf(human.column, human.row);
    window.session.rightButtonReleased(hx, hy);
    EXPECT_EQ(being->kind(), CellKind::Zombie) << "a human clicked as a zombie turns in place";
    window.session.leftButtonReleased(hx, hy);
    EXPECT_EQ(being->kind(), CellKind::Human);
    EXPECT_EQ(simulation.brainName(*being), "solo") << "every living human carries that brain";
    EXPECT_EQ(simulation.population().size(), beings);

    CellPosition empty = window.findCell(CellKind::Empty);
    auto [ex, ey] = window.pixelOf(empty.column, empty.row);
    window.session.rightButtonReleased(ex, ey);
    EXPECT_EQ(simulation.population().size(), beings + 1);

    // One pixel left of the board is column 0; a whole cell left is off the board.
    window.session.settings().cityBoard = 0;
    window.type("z");
    window.session.tick();
    std::size_t before = simulation.population().size();
    const Layout& layout = window.session.layout();
    ASSERT_EQ(layout.boardLeft, 0);
    window.session.rightButtonReleased(layout.boardLeft - 1, layout.boardTop + 3 * layout.cellHeight);
    window.session.rightButtonReleased(layout.boardLeft - layout.cellWidth, layout.boardTop + 3 * layout.cellHeight);
    EXPECT_EQ(simulation.population().size(), before + 1);
}

TEST(MouseCommands, LeftClickWithoutLivingHumansPlacesAPlainHuman)
{
    WindowSession window;
    window.session.settings().beingCount = 1;
    window.type("z");
    window.session.tick();
    const Actor& zombie = window.simulation().population()[0];
    auto [x, y] = window.pixelOf(zombie.x, zombie.y);
    std::uint32_t state = window.session.random().state();
    window.session.leftButtonReleased(x, y);
    EXPECT_EQ(zombie.kind(), CellKind::Human);
    EXPECT_EQ(window.simulation().brainName(zombie), "Human");
    Random expected(state);
    randomDirection(expected);
    randomDirection(expected);
    EXPECT_EQ(window.session.random().state(), expected.state()) << "no name was drawn, only the two directions";
}

TEST(KeyCommands, DotStepsOnceWhilePausedAndPSavesNumberedPictures)
{
    WindowSession window;
    window.steps(3);
    window.type(".");
    EXPECT_EQ(window.simulation().frameNumber(), 3) << "a running outbreak takes no single steps";
    window.type(" ..");
    EXPECT_EQ(window.simulation().frameNumber(), 5);
    EXPECT_TRUE(window.simulation().stopped());

    std::vector<std::string> said;
    window.session.setReporter([&](std::string_view line) { said.emplace_back(line); });
    window.type("pp");
    std::string first = window.folder.file("shamblex-frame-000005.png");
    std::string second = window.folder.file("shamblex-frame-000005-2.png");
    EXPECT_EQ(shamblex::test::readFile(first).substr(1, 3), "PNG");
    EXPECT_EQ(shamblex::test::readFile(second).substr(1, 3), "PNG") << "the first picture is never overwritten";
    ASSERT_EQ(said.size(), 2u);
    EXPECT_NE(said[1].find("shamblex-frame-000005-2.png"), std::string::npos) << said[1];

    WindowSession headless({ .mode = SaverMode::Headless });
    headless.type("p");
    EXPECT_FALSE(std::filesystem::exists(headless.folder.file("shamblex-frame-000000.png")))
        << "the runner writes only the files it is asked for";
}

TEST(MouseCommands, MiddleButtonPinsTheWatchedBeingUntilPressedAgain)
{
    WindowSession window;
    window.session.tick();
    CellPosition cell = window.findCell(CellKind::Human);
    ActorIndex being = window.simulation().occupant(cell.column, cell.row);
    auto [x, y] = window.pixelOf(cell.column, cell.row);
    window.session.middleButtonReleased(x, y);
    EXPECT_TRUE(window.session.watchPinned());
    window.session.pointerMoved(3, 3);
    window.steps(20);
    EXPECT_EQ(window.simulation().watchedActor(), being) << "the pointer no longer picks the watched being";

    window.session.middleButtonReleased(3, 3);
    EXPECT_FALSE(window.session.watchPinned());
    EXPECT_EQ(window.simulation().watchedActor(), noActor);
}

TEST(MouseCommands, ABeingPinnedBySerialIsOutlinedWhereItStandsAndLeavesNoTrail)
{
    // Two identical outbreaks, one with the being of serial 10 pinned from the start.
    WindowSession plain;
    WindowSession pinned;
    pinned.session.pinSerialAtFirstStep(10);
    plain.steps(15);
    pinned.steps(15);
    const ActorIndex being = pinned.simulation().watchedActor();
    ASSERT_NE(being, noActor);
    EXPECT_TRUE(pinned.session.watchPinned());
    const Actor& actor = pinned.population()[being];
    EXPECT_EQ(actor.serialNumber, 10u);

    // The frames differ only in the label's line over the board's corner and in the
    // ring around the being's cell now: no outline stays where it stood before.
    const Layout& layout = pinned.session.layout();
    const std::int32_t ringLeft = layout.boardLeft + actor.x * layout.cellWidth - 2;
    const std::int32_t ringTop = layout.boardTop + actor.y * layout.cellHeight - 2;
    const std::int32_t ringRight = ringLeft + layout.cellWidth + 4;
    const std::int32_t ringBottom = ringTop + layout.cellHeight + 4;
    constexpr std::int32_t labelHeight = 16;
    int inRing = 0;
    int elsewhere = 0;
    for (std::int32_t y = 0; y < pinned.frame().height(); ++y) {
        for (std::int32_t x = 0; x < pinned.frame().width(); ++x) {
            if (pinned.frame().pixel(x, y) == plain.frame().pixel(x, y))
                continue;
            if (x >= ringLeft && x < ringRight && y >= ringTop && y < ringBottom)
                ++inRing;
            else if (!(y >= layout.boardTop && y < layout.boardTop + labelHeight))
                ++elsewhere;
        }
    }
    EXPECT_GT(inRing, 0) << "no outline around the pinned being";
    EXPECT_EQ(elsewhere, 0) << "pixels changed away from the being and its label";
}
