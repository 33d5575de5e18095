#include "sim/Simulation.h"

#include "Printers.h"

#include "sim/BrainHost.h"
#include "sim/Random.h"
#include "sim/SceneDrawer.h"
#include "sim/Settings.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace shamblex;

namespace {

struct Outbreak {
    Settings settings;
    Random random;
    NoBrains brains;
    Simulation simulation { settings, random, brains };
};

// Everything a simulation says about its beings, as text, for comparing states.
std::string describe(const Simulation& simulation)
{
    std::ostringstream out;
    out << simulation.frameNumber() << ' ' << simulation.zombieCount() << ' ' << simulation.humanCount() << '\n';
    for (const Actor& actor : simulation.population()) {
        out << static_cast<int>(actor.kind()) << ' ' << actor.x << ' ' << actor.y << ' ' << actor.lookDirection << ' '
            << actor.moveDirection << ' ' << int { actor.panicked } << ' ' << actor.panicCounter << ' '
            << actor.moveCredit << ' ' << actor.serialNumber << ' ' << simulation.brainName(actor) << '\n';
    }
    for (std::uint8_t kind : simulation.board().kinds())
        out << int { kind };
    return out.str();
}

// Records the drawing calls of a step, one letter per call.
class RecordingDrawer : public SceneDrawer {
public:
    std::string calls;
    void paintBackground() override { calls += 'P'; }
    void beingUpdated(std::int32_t, std::int32_t, const Actor&) override { calls += 'a'; }
    void repaintBoard() override { calls += 'R'; }
    void drawStatusBand(std::span<const std::int32_t>) override { calls += 'S'; }
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
    ASSERT_EQ(simulation.population().size(), 1000u);
    EXPECT_EQ(simulation.population()[0].kind(), CellKind::Zombie);
    EXPECT_EQ(simulation.population()[0].serialNumber, 0u);
    for (ActorIndex i = 1; i < 1000; ++i) {
        const Actor& actor = simulation.population()[i];
        EXPECT_EQ(actor.kind(), CellKind::Human);
        EXPECT_EQ(simulation.brainName(actor), "Human");
        EXPECT_EQ(actor.serialNumber, i);
        EXPECT_GE(actor.x, 1);
        EXPECT_GE(actor.y, 1);
    }
    EXPECT_TRUE(simulation.fullRedrawPending());

    simulation.frameStep(Drawing::Off);
    EXPECT_EQ(simulation.humanCount(), 999);
    EXPECT_EQ(simulation.zombieCount(), 1);
    EXPECT_EQ(simulation.frameNumber(), 1);
    EXPECT_FALSE(simulation.fullRedrawPending());
    EXPECT_TRUE(simulation.history().empty()) << "no brain listed, no history";
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
    const Actor& human = simulation.population()[1];
    for (int frames = 0; human.kind() == CellKind::Human && frames < 100000; ++frames)
        simulation.frameStep(Drawing::Off);
    ASSERT_EQ(human.kind(), CellKind::Zombie);
    EXPECT_FALSE(simulation.stopped()) << "the count of frame f was taken before the infection";

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

TEST(Simulation, RefusedBuildLeavesTheRunningSimulationAndTheSequenceAlone)
{
    Outbreak outbreak;
    outbreak.settings.beingCount = 50;
    ASSERT_TRUE(outbreak.simulation.newSimulation());
    for (int frame = 0; frame < 20; ++frame)
        outbreak.simulation.frameStep(Drawing::Off);
    std::string before = describe(outbreak.simulation);
    std::uint32_t state = outbreak.random.state();

    // Neither asks for memory: the board has more cells than a signed 32-bit count,
    // the population more beings than a cell's bookkeeping can name.
    outbreak.settings.boardWidth = 46341;
    outbreak.settings.boardHeight = 46341;
    EXPECT_FALSE(outbreak.simulation.newSimulation());
    outbreak.settings.boardWidth = outbreak.settings.boardHeight = 20;
    outbreak.settings.beingCount = 2'147'000'000;
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
    EXPECT_EQ(drawer.calls, "RaaaS");

    // Without drawing the beings and the band are skipped; repaint, rays and label
    // are not.
    drawer.calls.clear();
    outbreak.settings.showDirections = 1;
    outbreak.simulation.setWatchedActor(1);
    outbreak.simulation.frameStep(Drawing::Off);
    EXPECT_EQ(drawer.calls, "RrrrL");
    EXPECT_TRUE(outbreak.simulation.fullRedrawPending()) << "the label is painted over next step";

    drawer.calls.clear();
    outbreak.settings.showDirections = 0;
    outbreak.simulation.setStopped(true);
    outbreak.simulation.frameStep(Drawing::On);
    EXPECT_EQ(drawer.calls, "RL") << "a stopped step only repaints and labels";
}
