#include "../../brains/BrainLibraries.h"
#include "brains/BrainRegistry.h"
#include "hosting/PlatformLibraryLoader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

using namespace shamblex;
using namespace shamblex::test;

namespace {

// wanderwit draws from the C library's rand(), which it shares with this process;
// a test seeds it and replays the draws it expects with rand() itself.
class Wanderwit : public ::testing::Test {
protected:
    void SetUp() override
    {
        copyLibrary(wanderwitPath, folder, "wanderwit.dll");
        registry.reloadBrains(folder.path().string());
        ASSERT_EQ(registry.brainNames(), std::vector<std::string> { "wanderwit" });
    }

    void call(BeingMind& record) { registry.callBrain(registry.findBrain("wanderwit"), record, {}); }

    // Seeds rand() so that its first draws satisfy `wanted`, and seeds it again
    // there; returns the seed.
    template<typename Predicate>
    unsigned seedWhere(Predicate wanted)
    {
        for (unsigned seed = 1;; ++seed) {
            std::srand(seed);
            if (wanted()) {
                std::srand(seed);
                return seed;
            }
        }
    }

    static int below(int n) { return std::rand() % n; }
    static std::uint32_t randomDirection()
    {
        static constexpr std::uint32_t table[4] = { 0, 2, 1, 3 };
        return table[below(4)];
    }

    TempDirectory folder;
    BrainRegistry registry { makePlatformLibraryLoader() };
};

}

TEST_F(Wanderwit, CalmBeingWithALowRollNeitherTurnsNorCountsDownButStillLabelsAndColours)
{
    BeingMind being;
    being.lookDirection = being.moveDirection = 1;
    being.sightAhead.distance = 1; // blocked, but it does not look this time
    being.serialNumber = 77;
    unsigned seed = seedWhere([] { return below(10) <= 5 && below(8) != 1; });
    call(being);

    std::srand(seed);
    below(10);
    below(8);
    EXPECT_EQ(being.colour.red, below(256));
    EXPECT_EQ(being.colour.green, below(256));
    EXPECT_EQ(being.colour.blue, below(256));
    EXPECT_EQ(being.lookDirection, 1u);
    EXPECT_EQ(being.moveDirection, 1u);
    EXPECT_EQ(being.statusText, "I am #77");
}

TEST_F(Wanderwit, LastPanicCallCalmsTheBeing)
{
    BeingMind being;
    being.panicCounter = 1;
    being.panicked = 1;
    being.sightAhead.distance = 10;
    seedWhere([] { return below(8) != 1; });
    call(being);
    EXPECT_EQ(being.panicCounter, 0u);
    EXPECT_EQ(being.panicked, 0);
}

TEST_F(Wanderwit, ZombieNextToItTurnsItRandomlyThenBackAndPanics)
{
    BeingMind being;
    being.lookDirection = being.moveDirection = 0;
    being.sightAhead.seenKind = 1;
    being.sightAhead.distance = 1;
    seedWhere([] { return below(10) > 5 && below(4) == 2 && below(8) != 1; });
    call(being);
    // The random turn drew Right (table index 2); turning back from it gives Left.
    EXPECT_EQ(being.lookDirection, 3u);
    EXPECT_EQ(being.moveDirection, 3u);
    EXPECT_EQ(being.panicCounter, 10u);
    EXPECT_EQ(being.panicked, 1);
}

TEST_F(Wanderwit, LookingNowhereAtAZombieStaysNowhere)
{
    BeingMind being;
    being.lookDirection = 4;
    being.moveDirection = 2;
    being.sightAhead.seenKind = 1;
    being.sightAhead.distance = 5;
    seedWhere([] { return below(10) <= 5 && below(8) != 1; });
    call(being);
    EXPECT_EQ(being.lookDirection, 4u);
    EXPECT_EQ(being.moveDirection, 4u);
}

TEST_F(Wanderwit, PanickedHumanAheadSpreadsPanicWithoutATurn)
{
    BeingMind being;
    being.lookDirection = being.moveDirection = 2;
    being.sightAhead.seenKind = 2;
    being.sightAhead.seenPanicked = 1;
    being.sightAhead.distance = 3;
    seedWhere([] { return below(10) <= 5 && below(8) != 1; });
    call(being);
    EXPECT_EQ(being.panicked, 1);
    EXPECT_EQ(being.panicCounter, 10u);
    EXPECT_EQ(being.lookDirection, 2u);
}

TEST_F(Wanderwit, RandomTurnOneTimeInEight)
{
    BeingMind being;
    being.lookDirection = being.moveDirection = 2;
    being.sightAhead.distance = 10;
    seedWhere([] { return below(10) <= 5 && below(8) == 1 && below(4) == 3; });
    call(being);
    EXPECT_EQ(being.lookDirection, 3u);
    EXPECT_EQ(being.moveDirection, 3u);
}

TEST_F(Wanderwit, LabelsSerialNumbersAsUnsignedDecimal)
{
    BeingMind being;
    being.serialNumber = 0;
    call(being);
    EXPECT_EQ(being.statusText, "I am #0");
    being.serialNumber = 4294967295u;
    call(being);
    EXPECT_EQ(being.statusText, "I am #4294967295");
}

TEST_F(Wanderwit, DrawsEveryNumberInItsOrder)
{
    // A panicked, blocked being: no roll to look ahead, a random turn for the block,
    // the one-in-eight roll, then three colour draws, and nothing more.
    BeingMind being;
    being.panicCounter = 4;
    being.panicked = 1;
    being.sightAhead.distance = 1;
    unsigned seed = seedWhere([] { return true; });
    call(being);
    int nextAfterCall = std::rand();

    std::srand(seed);
    std::uint32_t heading = randomDirection();
    if (below(8) == 1)
        heading = randomDirection();
    std::array<std::uint8_t, 3> colour {};
    for (auto& channel : colour)
        channel = static_cast<std::uint8_t>(below(256));
    EXPECT_EQ(being.lookDirection, heading);
    EXPECT_EQ(being.moveDirection, heading);
    EXPECT_EQ(being.panicCounter, 3u);
    EXPECT_EQ((std::array<std::uint8_t, 3> { being.colour.red, being.colour.green, being.colour.blue }), colour);
    EXPECT_EQ(nextAfterCall, std::rand()) << "the brain drew more or fewer numbers than its rule says";
}
