#include "brains/BrainRegistry.h"

#include "../sim/Printers.h"
#include "../sim/TestWorld.h"
#include "BrainLibraries.h"
#include "sim/Random.h"
#include "sim/Settings.h"
#include "sim/Simulation.h"
#include "shell/PlatformLibraryLoader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

using namespace shamblex;
using namespace shamblex::test;

namespace {

SightRecord sightSeen(const Actor& actor, int which) // 0 left, 1 ahead, 2 right
{
    SightRecord record;
    std::memcpy(&record, actor.memory + 16 + 18 * which, sizeof record);
    return record;
}

bool sameBytes(const SightRecord& a, const SightRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct BrainOutbreak {
    TempDirectory folder;
    Settings settings;
    Random random;
    BrainRegistry brains { makePlatformLibraryLoader() };
    Simulation simulation { settings, random, brains };

    explicit BrainOutbreak(std::initializer_list<const char*> files)
    {
        for (const char* file : files)
            copyLibrary(countingBrainPath, folder, file);
        brains.reloadBrains(folder.path().string());
    }
};

}

TEST(BrainDrivenHuman, EachLivingHumanCallsItsBrainOncePerFrame)
{
    BrainOutbreak outbreak({ "alpha.dll", "beta.dll", "gamma.dll" });
    ASSERT_TRUE(outbreak.simulation.newSimulation());
    const Population& population = outbreak.simulation.population();
    ASSERT_EQ(population.size(), 1003u);
    std::map<std::string, int> humans;
    for (const Actor* actor : population)
        humans[actor->brainName()] += actor->kind() == CellKind::Human;
    EXPECT_EQ(humans, (std::map<std::string, int> { { "Zombie", 0 }, { "alpha", 334 }, { "beta", 334 },
                          { "gamma", 334 } }));

    const int frames = 60;
    for (int frame = 0; frame < frames; ++frame)
        outbreak.simulation.frameStep(Drawing::Off);
    int checked = 0;
    for (const Actor* actor : population) {
        if (actor->kind() != CellKind::Human)
            continue;
        EXPECT_EQ(callsOf(*actor), static_cast<std::uint32_t>(frames)) << actor->brainName() << " #" << actor->serialNumber;
        EXPECT_EQ(actor->statusText.rfind("called 60 times", 0), 0u);
        ++checked;
    }
    EXPECT_GT(checked, 900);
    for (const char* name : { "alpha", "beta", "gamma" }) {
        const auto* series = outbreak.simulation.history().find(name);
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(series->samples.size(), static_cast<std::size_t>(frames));
        EXPECT_EQ(series->samples.back(), outbreak.simulation.tally().at(name));
    }
}

TEST(BrainDrivenHuman, BrainSeesFreshSightsAndWhatItWritesIsTheBeingsState)
{
    BrainOutbreak outbreak({ "alpha.dll" });
    TestWorld world(30, 30);
    World w { world.population, world.board, world.random, outbreak.brains };
    Actor& being = world.put(10, 10, CellKind::Human, Direction::Up, Direction::None, "alpha");
    world.put(10, 4, CellKind::Zombie, Direction::Up, Direction::None);
    world.put(13, 10, CellKind::Human, Direction::Up, Direction::None, "alpha");
    world.wall(6, 10);

    SightRecord ahead, left, right;
    being.look(world.board, 10, 10, Direction::Up, 10, &ahead);
    being.look(world.board, 10, 10, Direction::Left, 10, &left);
    being.look(world.board, 10, 10, Direction::Right, 10, &right);
    being.update(w);
    EXPECT_TRUE(sameBytes(sightSeen(being, 1), ahead));
    EXPECT_TRUE(sameBytes(sightSeen(being, 0), left));
    EXPECT_TRUE(sameBytes(sightSeen(being, 2), right));
    EXPECT_EQ(sightSeen(being, 1).seenKind, 1u);
    EXPECT_EQ(sightSeen(being, 2).sameBrain, 1);

    // The brain heads right and looks down; the being moves right in the same frame
    // (credit permitting) and looks down next frame.
    being.update(w);
    EXPECT_EQ(being.x(), 11);
    EXPECT_EQ(being.lookDir(), Direction::Down);
    EXPECT_EQ(being.userColour(), (Colour { 1, 2, 3 }));
    EXPECT_EQ(sightSeen(being, 1).distance, 10u) << "the second call looked down, at nothing";

    being.panicked = 1;
    being.update(w);
    EXPECT_TRUE(sameBytes(sightSeen(being, 0), SightRecord {})) << "a panicked being gets zeroed side sights";
    EXPECT_TRUE(sameBytes(sightSeen(being, 2), SightRecord {}));
}

TEST(BrainDrivenHuman, HumanAndEmptyNamesFollowTheBuiltInRuleEvenWhenLoaded)
{
    BrainOutbreak outbreak({ "Human.dll", ".dll" });
    EXPECT_EQ(outbreak.brains.brainNames(), (std::vector<std::string> { "", "Human" }));
    ASSERT_TRUE(outbreak.simulation.newSimulation());
    for (int frame = 0; frame < 20; ++frame)
        outbreak.simulation.frameStep(Drawing::Off);
    for (const Actor* actor : outbreak.simulation.population())
        EXPECT_EQ(callsOf(*actor), 0u) << "brain " << actor->brainName() << " was called";
}

TEST(BrainDrivenHuman, AnInfectedHumanLosesItsBrainAndItsMemory)
{
    BrainOutbreak outbreak({ "alpha.dll" });
    TestWorld world(10, 10);
    World w { world.population, world.board, world.random, outbreak.brains };
    Actor& being = world.put(5, 5, CellKind::Human, Direction::Up, Direction::Right, "alpha");
    world.put(6, 5, CellKind::Zombie, Direction::Up, Direction::None);
    being.update(w);
    being.update(w);
    EXPECT_EQ(being.kind(), CellKind::Zombie);
    EXPECT_EQ(being.brainName(), "Zombie");
    EXPECT_EQ(callsOf(being), 0u);
    EXPECT_EQ(being.statusText, "");
    EXPECT_EQ(being.userColour(), (Colour { 255, 0, 255 }));
}
