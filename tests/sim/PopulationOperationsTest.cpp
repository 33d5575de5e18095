#include "sim/Simulation.h"

#include "../brains/FakeLibraryLoader.h"
#include "Printers.h"
#include "brains/BrainRegistry.h"
#include "sim/Random.h"
#include "sim/Settings.h"

#include <gtest/gtest.h>

#include <map>

using namespace shamblex;

namespace {

void SHAMBLEX_BRAIN_CALL idleBrain(BrainRecord*)
{
}

// A small outbreak with the brains named (through the fake loader) listed.
struct ListedOutbreak {
    Settings settings;
    Random random;
    BrainRegistry brains;
    Simulation simulation { settings, random, brains };

    explicit ListedOutbreak(std::vector<std::string> files)
        : brains([&] {
            auto loader = std::make_unique<test::FakeLibraryLoader>();
            for (const auto& file : files)
                loader->libraries[file] = idleBrain;
            return loader;
        }())
    {
        settings.beingCount = 60;
        settings.boardWidth = settings.boardHeight = 40;
        brains.reloadBrains(".");
        EXPECT_TRUE(simulation.newSimulation());
        simulation.frameStep(Drawing::Off); // beings mark their cells
    }

    std::map<std::string, int> namesCounted() const
    {
        std::map<std::string, int> counts;
        for (const Actor& actor : simulation.population())
            ++counts[simulation.brainName(actor)];
        return counts;
    }
};

}

TEST(PopulationOperations, RemovingABrainTakesItsHumansAndItsNameAndShiftsTheRest)
{
    ListedOutbreak outbreak({ "a.dll", "b.dll", "c.dll" });
    Simulation& simulation = outbreak.simulation;
    ActorIndex watchedB = noActor;
    for (ActorIndex i = 0; i < simulation.population().size(); ++i) {
        const Actor& actor = simulation.population()[i];
        if (simulation.brainName(actor) == "b" && actor.isHuman())
            watchedB = i;
    }
    ASSERT_NE(watchedB, noActor);
    simulation.setWatchedActor(watchedB);
    std::int32_t x = simulation.population()[watchedB].x, y = simulation.population()[watchedB].y;

    simulation.removeBrain(1);
    EXPECT_EQ(outbreak.brains.brainNames(), (std::vector<std::string> { "a", "c" }));
    EXPECT_EQ(outbreak.namesCounted().count("b"), 0u);
    EXPECT_EQ(simulation.watchedActor(), noActor);
    EXPECT_EQ(simulation.board().kind(x, y), CellKind::Empty);
    EXPECT_EQ(simulation.occupant(x, y), noActor);
    EXPECT_TRUE(simulation.fullRedrawPending());
    EXPECT_NE(outbreak.brains.brainColour("b"), unlistedBrainColour) << "it keeps its colour until the next reload";

    // A watched being that stays is followed through the renumbering: the last being
    // of "a" comes after beings of "c", which go.
    ActorIndex lastOfA = noActor;
    for (ActorIndex i = 0; i < simulation.population().size(); ++i)
        if (simulation.brainName(simulation.population()[i]) == "a")
            lastOfA = i;
    std::uint32_t serial = simulation.population()[lastOfA].serialNumber;
    simulation.setWatchedActor(lastOfA);
    simulation.removeBrain(1);
    ASSERT_NE(simulation.watchedActor(), noActor);
    EXPECT_LT(simulation.watchedActor(), lastOfA);
    EXPECT_EQ(simulation.population()[simulation.watchedActor()].serialNumber, serial);
    EXPECT_EQ(outbreak.brains.brainNames(), std::vector<std::string> { "a" });
    EXPECT_EQ(outbreak.namesCounted().count("c"), 0u);

    ASSERT_TRUE(simulation.newSimulation());
    EXPECT_EQ(simulation.population().size(), 62u) << "1 x (60 / 1 + 1) + 1";
}

TEST(PopulationOperations, RemovingAnUnlistedPlaceChangesNothing)
{
    ListedOutbreak outbreak({ "a.dll" });
    Simulation& simulation = outbreak.simulation;
    ASSERT_FALSE(simulation.fullRedrawPending());
    std::size_t before = simulation.population().size();
    for (int index : { 1, 8, -1 })
        simulation.removeBrain(index);
    EXPECT_EQ(simulation.population().size(), before);
    EXPECT_FALSE(simulation.fullRedrawPending());

    ListedOutbreak none({});
    none.simulation.removeBrain(0);
    EXPECT_FALSE(none.simulation.fullRedrawPending());
}

TEST(PopulationOperations, KillingAllZombiesClearsTheirCellsAndAsksForARepaint)
{
    ListedOutbreak outbreak({});
    Simulation& simulation = outbreak.simulation;
    const Actor& zombie = simulation.population()[0];
    ASSERT_EQ(zombie.kind(), CellKind::Zombie);
    std::int32_t x = zombie.x, y = zombie.y;
    simulation.setWatchedActor(0);
    simulation.killAllZombies();
    EXPECT_EQ(simulation.population().size(), 59u);
    EXPECT_EQ(simulation.board().kind(x, y), CellKind::Empty);
    EXPECT_EQ(simulation.occupant(x, y), noActor);
    EXPECT_EQ(simulation.watchedActor(), noActor);

    simulation.frameStep(Drawing::Off);
    EXPECT_FALSE(simulation.fullRedrawPending());
    simulation.killAllZombies();
    EXPECT_TRUE(simulation.fullRedrawPending()) << "also without a zombie to kill";
    for (int frame = 0; frame < 100; ++frame)
        simulation.frameStep(Drawing::Off);
    EXPECT_FALSE(simulation.stopped()) << "humans alone never stop the simulation";
}

TEST(PopulationOperations, RestartTurnsEveryoneIntoPlainHumansAndTheFirstIntoAZombie)
{
    ListedOutbreak outbreak({ "a.dll", "b.dll" });
    Simulation& simulation = outbreak.simulation;
    for (int frame = 0; frame < 10; ++frame)
        simulation.frameStep(Drawing::Off);
    simulation.setStopped(true);
    std::int32_t frame = simulation.frameNumber();
    simulation.restartBoard();
    EXPECT_EQ(outbreak.namesCounted(), (std::map<std::string, int> { { "Human", 62 }, { "Zombie", 1 } }));
    EXPECT_EQ(simulation.population()[0].kind(), CellKind::Zombie);
    EXPECT_EQ(simulation.frameNumber(), frame);
    EXPECT_TRUE(simulation.stopped());
    EXPECT_EQ(simulation.history().find("a")->samples.size(), 11u);

    ListedOutbreak empty({});
    empty.settings.beingCount = 0;
    ASSERT_TRUE(empty.simulation.newSimulation());
    empty.simulation.restartBoard(); // an empty population: nothing to do
    EXPECT_TRUE(empty.simulation.population().empty());
}

TEST(PopulationOperations, PlacingConvertsTheBeingThereOrAddsOneButNeverOnAWall)
{
    ListedOutbreak outbreak({ "a.dll" });
    Simulation& simulation = outbreak.simulation;
    Board& board = simulation.board();
    std::size_t size = simulation.population().size();

    std::int32_t wallX = -1, wallY = -1, emptyX = -1, emptyY = -1;
    for (std::int32_t y = 0; y < board.height(); ++y) {
        for (std::int32_t x = 0; x < board.width(); ++x) {
            if (board.kind(x, y) == CellKind::Wall && wallX < 0)
                wallX = x, wallY = y;
            if (board.kind(x, y) == CellKind::Empty && emptyX < 0)
                emptyX = x, emptyY = y;
        }
    }
    ASSERT_GE(wallX, 0);
    EXPECT_EQ(simulation.placeBeing(wallX, wallY, CellKind::Zombie, ""), noActor);
    EXPECT_EQ(simulation.population().size(), size);
    EXPECT_FALSE(simulation.fullRedrawPending());

    // A being that marked its cell is converted in place.
    ActorIndex marked = noActor;
    for (ActorIndex i = 0; i < size && marked == noActor; ++i) {
        const Actor& actor = simulation.population()[i];
        if (actor.isHuman() && simulation.occupant(actor.x, actor.y) == i)
            marked = i;
    }
    ASSERT_NE(marked, noActor);
    const Actor& being = simulation.population()[marked];
    EXPECT_EQ(simulation.placeBeing(being.x, being.y, CellKind::Zombie, "ignored"), marked);
    EXPECT_EQ(being.kind(), CellKind::Zombie);
    EXPECT_EQ(simulation.brainName(being), "Zombie");
    EXPECT_EQ(simulation.placeBeing(being.x, being.y, CellKind::Human, "a"), marked);
    EXPECT_EQ(being.kind(), CellKind::Human);
    EXPECT_EQ(simulation.brainName(being), "a");
    EXPECT_NE(being.mind, Actor::noMind) << "a human of a brain has its mind";
    EXPECT_EQ(simulation.population().size(), size);
    EXPECT_TRUE(simulation.fullRedrawPending());

    ActorIndex added = simulation.placeBeing(emptyX, emptyY, CellKind::Zombie, "");
    EXPECT_EQ(added, size);
    EXPECT_EQ(simulation.brainName(simulation.population()[added]), "Zombie");
    EXPECT_EQ(simulation.population()[added].x, emptyX);
    // Not yet marked: a second placement there adds a second being.
    simulation.placeBeing(emptyX, emptyY, CellKind::Human, "Human");
    EXPECT_EQ(simulation.population().size(), size + 2);
    EXPECT_EQ(simulation.population()[size + 1].serialNumber, 0u);
}
