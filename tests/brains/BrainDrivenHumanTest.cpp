#include "brains/BrainRegistry.h"

#include "../sim/Printers.h"
#include "../sim/TestWorld.h"
#include "BrainLibraries.h"
#include "hosting/PlatformLibraryLoader.h"
#include "sim/Random.h"
#include "sim/Settings.h"
#include "sim/Simulation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <stdexcept>

using namespace shamblex;
using namespace shamblex::test;

namespace {

// What the counting test brain copied of its sights into the being's memory: the 18
// bytes of each sight record as the brain saw them.
SightReport sightSeen(const BeingMind& mind, int which) // 0 left, 1 ahead, 2 right
{
    const std::uint8_t* bytes = mind.memory.data() + 16 + 18 * which;
    SightReport sight;
    std::memcpy(&sight.seenKind, bytes, 4);
    std::memcpy(&sight.distance, bytes + 4, 4);
    std::memcpy(&sight.peerCounter, bytes + 8, 4);
    std::memcpy(&sight.seenSerial, bytes + 12, 4);
    sight.sameBrain = bytes[16];
    sight.seenPanicked = bytes[17];
    return sight;
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

// A world whose brains are the registry given.
struct BrainWorld : TestWorld {
    explicit BrainWorld(BrainRegistry& registry)
        : TestWorld(30, 30)
    {
        brains = &registry;
    }
};

}

TEST(BrainDrivenHuman, EachLivingHumanCallsItsBrainOncePerFrame)
{
    BrainOutbreak outbreak({ "alpha.dll", "beta.dll", "gamma.dll" });
    Simulation& simulation = outbreak.simulation;
    ASSERT_TRUE(simulation.newSimulation());
    ASSERT_EQ(simulation.population().size(), 1003u);
    std::map<std::string, int> humans;
    for (const Actor& actor : simulation.population())
        humans[simulation.brainName(actor)] += actor.isHuman();
    EXPECT_EQ(humans, (std::map<std::string, int> { { "Zombie", 0 }, { "alpha", 334 }, { "beta", 334 },
                          { "gamma", 334 } }));

    const int frames = 60;
    for (int frame = 0; frame < frames; ++frame)
        simulation.frameStep(Drawing::Off);
    int checked = 0;
    for (const Actor& actor : simulation.population()) {
        if (!actor.isHuman())
            continue;
        const BeingMind& record = simulation.population().mind(actor);
        EXPECT_EQ(callsOf(record), static_cast<std::uint32_t>(frames)) << "#" << actor.serialNumber;
        EXPECT_EQ(record.statusText.rfind("called 60 times", 0), 0u);
        ++checked;
    }
    EXPECT_GT(checked, 900);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto* series = simulation.history().find(outbreak.brains.brainNames()[i]);
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(series->samples.size(), static_cast<std::size_t>(frames));
        EXPECT_EQ(series->samples.back(), simulation.humansPerBrain()[i]);
    }
}

TEST(BrainDrivenHuman, BrainSeesFreshSightsAndWhatItWritesIsTheBeingsState)
{
    BrainOutbreak outbreak({ "alpha.dll" });
    BrainWorld world(outbreak.brains);
    Actor& being = world.put(10, 10, CellKind::Human, Direction::Up, Direction::None, "alpha");
    world.put(10, 4, CellKind::Zombie, Direction::Up, Direction::None);
    world.put(13, 10, CellKind::Human, Direction::Up, Direction::None, "alpha");
    world.wall(6, 10);
    World w = world.world();
    const BeingMind& record = world.population.mind(being);

    SightReport ahead, left, right;
    w.lookInto(being, Direction::Up, ahead);
    w.lookInto(being, Direction::Left, left);
    w.lookInto(being, Direction::Right, right);
    world.update(being, w);
    EXPECT_TRUE(sightSeen(record, 1) == ahead);
    EXPECT_TRUE(sightSeen(record, 0) == left);
    EXPECT_TRUE(sightSeen(record, 2) == right);
    EXPECT_EQ(sightSeen(record, 1).seenKind, 1u);
    EXPECT_EQ(sightSeen(record, 2).sameBrain, 1);

    // The brain heads right and looks down; the being moves right in the same frame
    // (credit permitting) and looks down next frame.
    world.update(being, w);
    EXPECT_EQ(being.x, 11);
    EXPECT_EQ(being.lookDir(), Direction::Down);
    EXPECT_EQ(record.colour, (Colour { 1, 2, 3 }));
    EXPECT_EQ(sightSeen(record, 1).distance, 10u) << "the second call looked down, at nothing";

    being.panicked = 1;
    world.update(being, w);
    EXPECT_TRUE(sightSeen(record, 0) == SightReport {}) << "a panicked being gets zeroed side sights";
    EXPECT_TRUE(sightSeen(record, 2) == SightReport {});
}

TEST(BrainDrivenHuman, AnInfectedHumanLosesItsBrainAndItsMind)
{
    BrainOutbreak outbreak({ "alpha.dll" });
    BrainWorld world(outbreak.brains);
    Actor& being = world.put(5, 5, CellKind::Human, Direction::Up, Direction::Right, "alpha");
    world.put(6, 5, CellKind::Zombie, Direction::Up, Direction::None);
    World w = world.world();
    world.update(being, w);
    EXPECT_EQ(callsOf(world.population.mind(being)), 1u);
    world.update(being, w);
    EXPECT_EQ(being.kind(), CellKind::Zombie);
    EXPECT_EQ(being.mind, Actor::noMind);
    // A fresh human of the brain starts from a fresh mind: memory zero, purple, no text.
    world.population.becomeHuman(world.indexOf(being), world.names.intern("alpha"), true, world.random);
    const BeingMind& fresh = world.population.mind(being);
    EXPECT_EQ(callsOf(fresh), 0u);
    EXPECT_EQ(fresh.statusText, "");
    EXPECT_EQ(fresh.colour, (Colour { 255, 0, 255 }));
}

TEST(BrainDrivenHuman, ABrainThatThrowsIsDisabledAndItsHumansStandStill)
{
    BrainRegistry registry;
    std::vector<std::string> reports;
    registry.setReporter([&](std::string_view line) { reports.emplace_back(line); });
    static int calls = 0;
    calls = 0;
    registry.enterBrain("thrower", [](BrainRecord* being) {
        being->moveDirection = 1;
        if (++calls == 3)
            throw std::runtime_error("out of ideas");
    });
    BrainWorld world(registry);
    Actor& first = world.put(5, 5, CellKind::Human, Direction::Up, Direction::Right, "thrower");
    Actor& second = world.put(5, 8, CellKind::Human, Direction::Up, Direction::Right, "thrower");
    World w = world.world();
    for (int frame = 0; frame < 4; ++frame) {
        world.update(first, w);
        world.update(second, w);
    }
    EXPECT_EQ(calls, 3) << "no call after the throw";
    EXPECT_EQ(first.moveDir(), Direction::None);
    EXPECT_EQ(second.moveDir(), Direction::None);
    EXPECT_EQ(world.population.mind(second).statusText, "disabled: out of ideas");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("'thrower' threw \"out of ideas\""), std::string::npos) << reports[0];
}

TEST(BrainDrivenHuman, TheHostKeepsAtMostFourKibibytesOfStatusText)
{
    BrainRegistry registry;
    registry.enterBrain("talker", [](BrainRecord* being) { being->statusText.assign(10'000'000, 'x'); });
    BrainWorld world(registry);
    Actor& being = world.put(5, 5, CellKind::Human, Direction::Up, Direction::Right, "talker");
    World w = world.world();
    world.update(being, w);
    const std::string& text = world.population.mind(being).statusText;
    // 4096 bytes is what docs/brains.md promises a brain.
    EXPECT_EQ(text.size(), 4096u);
    EXPECT_LE(text.capacity(), 4096u) << "the long text's memory is given back";
}
