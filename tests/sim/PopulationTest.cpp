#include "sim/Population.h"

#include "sim/CellTable.h"
#include "sim/PopulationHistory.h"
#include "TestWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

using namespace shamblex;
using shamblex::test::TestWorld;

namespace {

std::vector<std::uint32_t> serialsAt(Population& population, std::int32_t x, std::int32_t y)
{
    std::vector<std::uint32_t> serials;
    population.forEachAt(x, y, [&](ActorIndex index) { serials.push_back(population[index].serialNumber); });
    std::sort(serials.begin(), serials.end());
    return serials;
}

}

TEST(Population, FindsEveryBeingOnACellAsTheyMoveAndKeepsTheOccupantFirst)
{
    TestWorld world(5, 5);
    Population& population = world.population;
    for (std::uint32_t i = 0; i < 4; ++i) {
        ActorIndex index = population.append(freshHuman(2, 3));
        population[index].serialNumber = i;
    }
    population.mark(2); // the third being marks the cell it shares
    EXPECT_EQ(serialsAt(population, 2, 3), (std::vector<std::uint32_t> { 0, 1, 2, 3 }));
    EXPECT_EQ(population.occupant(world.board.index(2, 3)), 2u);

    // Filing another being on a marked cell leaves the occupant alone.
    population.append(freshHuman(2, 3));
    EXPECT_EQ(population.occupant(world.board.index(2, 3)), 2u);

    for (ActorIndex moving : { 1u, 2u }) {
        population[moving].x = 4;
        population[moving].y = 4;
        population.moved(moving, 2, 3);
    }
    EXPECT_EQ(serialsAt(population, 2, 3), (std::vector<std::uint32_t> { 0, 0, 3 }));
    EXPECT_EQ(serialsAt(population, 4, 4), (std::vector<std::uint32_t> { 1, 2 }));
    EXPECT_EQ(population.occupant(world.board.index(2, 3)), noActor) << "leaving takes the mark along";
    EXPECT_EQ(population.occupant(world.board.index(4, 4)), 2u) << "the last to arrive marks the cell";
    EXPECT_EQ(population[1].holdsMark, 0);
    EXPECT_TRUE(serialsAt(population, -1, 3).empty());
}

TEST(Population, BeingsOffAOneCellWideBoardAreFoundByTheirExactPosition)
{
    TestWorld world(1, 6);
    ActorIndex index = world.population.append(freshHuman(1, 2)); // where placement puts beings on one column
    EXPECT_EQ(serialsAt(world.population, 1, 2).size(), 1u);
    EXPECT_TRUE(serialsAt(world.population, 0, 2).empty()) << "same wrapped cell, different position";
    world.population.mark(index);
    EXPECT_EQ(world.population.occupant(world.board.index(0, 2)), index);
}

TEST(Population, RemovalKeepsOrderRenumbersAndKeepsTheMarks)
{
    TestWorld world(10, 10);
    for (std::int32_t i = 0; i < 6; ++i) {
        Actor& actor = world.put(i, i, CellKind::Human, Direction::Up, Direction::Up, "alpha");
        actor.serialNumber = static_cast<std::uint32_t>(i);
        world.population.mind(actor).statusText = "long enough to live on the heap, so that leaks show";
    }
    auto renumbered = world.population.removeIf([](ActorIndex index) { return index % 2 == 0; });
    EXPECT_EQ(renumbered, (std::vector<ActorIndex> { noActor, 0, noActor, 1, noActor, 2 }));
    ASSERT_EQ(world.population.size(), 3u);
    for (ActorIndex i = 0; i < 3; ++i) {
        const Actor& actor = world.population[i];
        EXPECT_EQ(actor.serialNumber, 2 * i + 1);
        EXPECT_EQ(world.population.occupant(world.board.index(actor.x, actor.y)), i);
        EXPECT_EQ(world.population.mind(actor).statusText.substr(0, 4), "long");
    }
    EXPECT_EQ(world.population.occupant(world.board.index(0, 0)), noActor);
}

TEST(CellTable, KeepsEveryWordThroughCollisionsGrowthAndRemoval)
{
    // Checked against a plain map on enough cells to collide, grow and shift back.
    CellTable table;
    table.reserve(4);
    std::map<std::uint32_t, std::uint32_t> expected;
    Random random(5);
    for (int i = 0; i < 5000; ++i) {
        auto cell = static_cast<std::uint32_t>(random.next() % 300);
        auto word = static_cast<std::uint32_t>(random.next() % 3); // a third of the writes remove
        table.set(cell, word);
        if (word)
            expected[cell] = word;
        else
            expected.erase(cell);
    }
    EXPECT_EQ(table.size(), expected.size());
    for (std::uint32_t cell = 0; cell < 300; ++cell) {
        auto it = expected.find(cell);
        EXPECT_EQ(table.get(cell), it == expected.end() ? 0u : it->second) << "cell " << cell;
    }
}

TEST(PopulationHistory, HalvesItsResolutionAtTheLimitAndStaysEvenlySpaced)
{
    PopulationHistory history(8);
    for (int frame = 0; frame < 7; ++frame)
        history.record("alpha", frame);
    EXPECT_EQ(history.find("alpha")->samples, (std::vector<std::int32_t> { 0, 1, 2, 3, 4, 5, 6 }));
    EXPECT_EQ(history.find("beta"), nullptr);

    // Record the frame index itself, so the kept samples tell which frames they are.
    for (int frame = 7; frame < 100; ++frame)
        history.record("alpha", frame);
    const auto& samples = history.find("alpha")->samples;
    ASSERT_LT(samples.size(), 8u);
    std::uint64_t spacing = history.find("alpha")->frameSpacing;
    EXPECT_EQ(spacing, 16u);
    for (std::size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(samples[i], static_cast<std::int32_t>(i * spacing)) << "sample " << i;
    EXPECT_GE(static_cast<std::uint64_t>(samples.back()) + spacing, 100u) << "the series reaches the latest frames";
}
