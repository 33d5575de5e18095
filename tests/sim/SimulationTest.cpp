#include "sim/Simulation.h"

#include "Printers.h"

#include "brains/BrainRegistry.h"
#include "sim/Random.h"
#include "sim/SceneDrawer.h"
#include "sim/Settings.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace shamblex;

namespace {

struct Outbreak {
    Settings settings;
    Random random;
    BrainRegistry brains;
    Simulation simulation { settings, random, brains };
};

// Everything a simulation says about its beings, as text, for comparing runs.
std::string describe(const Simulation& simulation)
{
    std::ostringstream out;
    out << simulation.frameNumber() << ' ' << simulation.zombieCount() << ' ' << simulation.humanCount() << '\n';
    for (const Actor* actor : simulation.population()) {
        out << static_cast<int>(actor->kind()) << ' ' << actor->x() << ' ' << actor->y() << ' '
            << actor->lookDirection << ' ' << actor->moveDirection << ' ' << int { actor->panicked } << ' '
            << actor->panicCounter << ' ' << actor->moveCredit() << ' ' << actor->serialNumber << ' '
            << actor->brainName() << '\n';
    }
    for (const Cell& cell : simulation.board().cells())
        out << static_cast<int>(cell.kind);
    return out.str();
}

// Records the drawing calls of a step, one letter per call.
class RecordingDrawer : public SceneDrawer {
public:
    std::string calls;
    void paintBackground() override { calls += 'P'; }
    void eraseCell(std::int32_t, std::int32_t) override { calls += 'e'; }
    void drawActor(const Actor&) override { calls += 'a'; }
    void repaintBoard() override { calls += 'R'; }
    void drawStatusBand(const BrainTally&) override { calls += 'S'; }
    void drawRays(const Actor&) override { calls += 'r'; }
    void drawWatchedLabel(const Actor&) override { calls += 'L'; }
};

}

TEST(Simulation, DefaultStartIsNineHundredNinetyNineHumansAndTheFirstBeingAsZombie)
{
    Outbreak outbreak;
    Simulation& simulation = outbreak.simulation;
    ASSERT_TRUE(simulation.newSimulation());
    EXPECT_EQ(simulation.board().width(), 250);
    EXPECT_EQ(simulation.board().height(), 250);
    ASSERT_EQ(simulation.population().size(), 1000u);
    EXPECT_EQ(simulation.population().front().kind(), CellKind::Zombie);
    EXPECT_EQ(simulation.population().front().serialNumber, 0u);
    for (std::size_t i = 1; i < 1000; ++i) {
        const Actor& actor = simulation.population()[i];
        EXPECT_EQ(actor.kind(), CellKind::Human);
        EXPECT_EQ(actor.brainName(), "Human");
        EXPECT_EQ(actor.serialNumber, i);
        EXPECT_TRUE(simulation.board().contains(actor.x(), actor.y()));
        EXPECT_GE(actor.x(), 1);
        EXPECT_GE(actor.y(), 1);
    }
    EXPECT_TRUE(simulation.fullRedrawPending());

    simulation.frameStep(Drawing::Off);
    EXPECT_EQ(simulation.humanCount(), 999);
    EXPECT_EQ(simulation.zombieCount(), 1);
    EXPECT_EQ(simulation.frameNumber(), 1);
    EXPECT_FALSE(simulation.fullRedrawPending());
    EXPECT_TRUE(simulation.history().empty()) << "no brain listed, no history";
}

TEST(Simulation, TallyCountsHumansAfterTheMoves)
{
    Outbreak outbreak;
    ASSERT_TRUE(outbreak.simulation.newSimulation());
    for (int frame = 0; frame < 300; ++frame)
        outbreak.simulation.frameStep(Drawing::Off);
    int humans = 0;
    for (const Actor* actor : outbreak.simulation.population())
        humans += actor->kind() == CellKind::Human;
    EXPECT_EQ(outbreak.simulation.tally().at("Human"), humans);
    EXPECT_LT(humans, 999) << "after 300 frames the outbreak has spread";
}

TEST(Simulation, RunsReplayExactly)
{
    Outbreak first;
    Outbreak second;
    first.settings.beingCount = second.settings.beingCount = 400;
    first.settings.smartZombies = second.settings.smartZombies = 0;
    first.settings.zombiesEatWalls = second.settings.zombiesEatWalls = 1;
    ASSERT_TRUE(first.simulation.newSimulation());
    ASSERT_TRUE(second.simulation.newSimulation());
    for (int frame = 0; frame < 200; ++frame) {
        first.simulation.frameStep(Drawing::Off);
        second.simulation.frameStep(Drawing::Off);
    }
    EXPECT_EQ(describe(first.simulation), describe(second.simulation));
    EXPECT_EQ(first.random.state(), second.random.state());
}

TEST(Simulation, StopsInTheFrameAfterTheLastHumanIsGone)
{
    Outbreak outbreak;
    outbreak.settings.beingCount = 2;
    outbreak.settings.boardWidth = outbreak.settings.boardHeight = 4;
    outbreak.settings.cityBoard = 0;
    Simulation& simulation = outbreak.simulation;
    ASSERT_TRUE(simulation.newSimulation());
    // Let the zombie catch the one human, however long that takes.
    Actor& human = simulation.population()[1];
    int frames = 0;
    while (human.kind() == CellKind::Human && frames < 100000) {
        simulation.frameStep(Drawing::Off);
        ++frames;
    }
    ASSERT_EQ(human.kind(), CellKind::Zombie);
    EXPECT_FALSE(simulation.stopped()) << "the count of frame f was taken before the infection";
    EXPECT_EQ(simulation.humanCount(), 1);

    std::int32_t frameBefore = simulation.frameNumber();
    simulation.frameStep(Drawing::Off);
    EXPECT_EQ(simulation.humanCount(), 0);
    EXPECT_EQ(simulation.frameNumber(), frameBefore + 1) << "the stopping frame still moves and counts";
    EXPECT_TRUE(simulation.stopped());

    std::string before = describe(simulation);
    simulation.frameStep(Drawing::Off);
    EXPECT_EQ(describe(simulation), before) << "a stopped simulation stands still";

    // Pausing off again runs exactly one more frame.
    simulation.setStopped(false);
    simulation.frameStep(Drawing::Off);
    EXPECT_EQ(simulation.frameNumber(), frameBefore + 2);
    EXPECT_TRUE(simulation.stopped());
}

TEST(Simulation, NoBeingsMeansNoZombieAndAnImmediateStop)
{
    Outbreak outbreak;
    outbreak.settings.beingCount = 0;
    ASSERT_TRUE(outbreak.simulation.newSimulation());
    EXPECT_TRUE(outbreak.simulation.population().empty());
    EXPECT_FALSE(outbreak.simulation.fullRedrawPending());
    outbreak.simulation.frameStep(Drawing::Off);
    EXPECT_EQ(outbreak.simulation.frameNumber(), 1);
    EXPECT_TRUE(outbreak.simulation.stopped());
}

TEST(Simulation, OneCellWideBoardsPlaceBeingsAtColumnOneAndStillRun)
{
    for (auto [width, height] : { std::pair { 1, 40 }, std::pair { 40, 1 }, std::pair { 1, 1 } }) {
        Outbreak outbreak;
        outbreak.settings.boardWidth = width;
        outbreak.settings.boardHeight = height;
        outbreak.settings.beingCount = 30;
        ASSERT_TRUE(outbreak.simulation.newSimulation());
        for (const Actor* actor : outbreak.simulation.population()) {
            if (width == 1) {
                EXPECT_EQ(actor->x(), 1);
            }
            if (height == 1) {
                EXPECT_EQ(actor->y(), 1);
            }
        }
        for (int frame = 0; frame < 500; ++frame)
            outbreak.simulation.frameStep(Drawing::Off);
        for (const Actor* actor : outbreak.simulation.population()) {
            EXPECT_GE(actor->x(), 0);
            EXPECT_LE(actor->x(), std::max(width - 1, 1));
            EXPECT_GE(actor->y(), 0);
            EXPECT_LE(actor->y(), std::max(height - 1, 1));
        }
    }
}

TEST(Simulation, RefusedBuildLeavesTheRunningSimulationAndTheSequenceAlone)
{
    Outbreak outbreak;
    outbreak.settings.beingCount = 50;
    ASSERT_TRUE(outbreak.simulation.newSimulation());
    for (int frame = 0; frame < 20; ++frame)
        outbreak.simulation.frameStep(Drawing::Off);
    std::string before = describe(outbreak.simulation);
    std::uint32_t state = outbreak.random.state();

    outbreak.settings.boardWidth = 46341;
    outbreak.settings.boardHeight = 46341; // more cells than a signed 32-bit count
    EXPECT_FALSE(outbreak.simulation.newSimulation());
    outbreak.settings.boardWidth = outbreak.settings.boardHeight = 250;
    outbreak.settings.beingCount = 2'000'000'000; // about a terabyte of beings
    EXPECT_FALSE(outbreak.simulation.newSimulation());

    EXPECT_EQ(describe(outbreak.simulation), before);
    EXPECT_EQ(outbreak.random.state(), state);
    outbreak.simulation.frameStep(Drawing::Off);
    EXPECT_EQ(outbreak.simulation.frameNumber(), 21);
}

TEST(Simulation, DrawingSeamIsCalledAtTheFixedPointsOfAStep)
{
    Outbreak outbreak;
    outbreak.settings.beingCount = 3;
    RecordingDrawer drawer;
    outbreak.simulation.setDrawer(&drawer);
    ASSERT_TRUE(outbreak.simulation.newSimulation());
    EXPECT_EQ(drawer.calls, "P");

    drawer.calls.clear();
    outbreak.simulation.frameStep(Drawing::On);
    EXPECT_EQ(drawer.calls, "ReaeaeaS");

    // Without drawing the beings and the band are skipped; repaint, rays and label
    // are not.
    drawer.calls.clear();
    outbreak.settings.showDirections = 1;
    outbreak.simulation.setWatchedActor(&outbreak.simulation.population()[1]);
    outbreak.simulation.frameStep(Drawing::Off);
    EXPECT_EQ(drawer.calls, "RrrrL");
    EXPECT_TRUE(outbreak.simulation.fullRedrawPending()) << "the label is painted over next step";

    drawer.calls.clear();
    outbreak.settings.showDirections = 0;
    outbreak.simulation.setStopped(true);
    outbreak.simulation.frameStep(Drawing::On);
    EXPECT_EQ(drawer.calls, "RL") << "a stopped step only repaints and labels";
}

TEST(Simulation, DrawingChangesNothingInTheSimulation)
{
    Outbreak plain;
    Outbreak drawn;
    RecordingDrawer drawer;
    drawn.simulation.setDrawer(&drawer);
    ASSERT_TRUE(plain.simulation.newSimulation());
    ASSERT_TRUE(drawn.simulation.newSimulation());
    for (int frame = 0; frame < 50; ++frame) {
        plain.simulation.frameStep(Drawing::Off);
        drawn.simulation.frameStep(Drawing::On);
    }
    EXPECT_EQ(describe(plain.simulation), describe(drawn.simulation));
}
