#include "sim/Population.h"

#include "sim/PopulationHistory.h"
#include "sim/Random.h"

#include <gtest/gtest.h>

#include <vector>

using namespace shamblex;

namespace {

std::vector<std::int32_t> positionsAt(Population& population, std::int32_t x, std::int32_t y)
{
    std::vector<std::int32_t> serials;
    population.forEachAt(x, y, [&](Actor& actor) { serials.push_back(static_cast<std::int32_t>(actor.serialNumber)); });
    std::sort(serials.begin(), serials.end());
    return serials;
}

}

TEST(Population, FindsEveryBeingOnACellAsTheyMove)
{
    Random random;
    Population population;
    population.prepare(5, 5, 4);
    for (std::uint32_t i = 0; i < 4; ++i) {
        Actor& actor = population.append(random);
        actor.setSerialNumber(i);
        actor.setPosition(2, 3);
        population.refile(actor);
    }
    EXPECT_EQ(positionsAt(population, 2, 3), (std::vector<std::int32_t> { 0, 1, 2, 3 }));

    population[1].setPosition(4, 4);
    population.refile(population[1]);
    population[2].setPosition(4, 4);
    population.refile(population[2]);
    EXPECT_EQ(positionsAt(population, 2, 3), (std::vector<std::int32_t> { 0, 3 }));
    EXPECT_EQ(positionsAt(population, 4, 4), (std::vector<std::int32_t> { 1, 2 }));
    EXPECT_TRUE(positionsAt(population, -1, 3).empty());
    EXPECT_TRUE(positionsAt(population, 0, 0).empty());
}

TEST(Population, BeingsOffAOneCellWideBoardAreFoundByTheirExactPosition)
{
    Random random;
    Population population;
    population.prepare(1, 6, 2);
    Actor& actor = population.append(random);
    actor.setPosition(1, 2); // where placement puts beings on a one-column board
    population.refile(actor);
    EXPECT_EQ(positionsAt(population, 1, 2).size(), 1u);
    EXPECT_TRUE(positionsAt(population, 0, 2).empty()) << "same wrapped cell, different position";
}

TEST(Population, RemovalKeepsOrderAndReusesTheFreedPlaces)
{
    Random random;
    Population population;
    population.prepare(10, 10, 6);
    for (std::uint32_t i = 0; i < 6; ++i) {
        Actor& actor = population.append(random);
        actor.setSerialNumber(i);
        actor.statusText = "a status text long enough to live on the heap, so leaks show";
    }
    population.removeIf([](const Actor& actor) { return actor.serialNumber % 2 == 0; });
    ASSERT_EQ(population.size(), 3u);
    EXPECT_EQ(population[0].serialNumber, 1u);
    EXPECT_EQ(population[1].serialNumber, 3u);
    EXPECT_EQ(population[2].serialNumber, 5u);
    EXPECT_TRUE(positionsAt(population, 0, 0).size() == 3u);

    const Actor* survivor = &population[1];
    for (int i = 0; i < 200; ++i)
        population.append(random); // past the first slab: beings must not move
    EXPECT_EQ(&population[1], survivor);
    EXPECT_EQ(population.size(), 203u);
    EXPECT_TRUE(population.contains(survivor));
}

TEST(PopulationHistory, KeepsEveryFrameBelowTheLimit)
{
    PopulationHistory history(8);
    for (int frame = 0; frame < 7; ++frame)
        history.record("alpha", frame);
    const auto* series = history.find("alpha");
    ASSERT_NE(series, nullptr);
    EXPECT_EQ(series->samples, (std::vector<std::int32_t> { 0, 1, 2, 3, 4, 5, 6 }));
    EXPECT_EQ(history.find("beta"), nullptr);
}

TEST(PopulationHistory, HalvesItsResolutionAtTheLimitAndStaysEvenlySpaced)
{
    PopulationHistory history(8);
    // Record the frame index itself, so the kept samples tell which frames they are.
    for (int frame = 0; frame < 8; ++frame)
        history.record("alpha", frame);
    EXPECT_EQ(history.find("alpha")->samples, (std::vector<std::int32_t> { 0, 2, 4, 6 }));
    EXPECT_EQ(history.find("alpha")->frameSpacing, 2u);

    for (int frame = 8; frame < 100; ++frame)
        history.record("alpha", frame);
    const auto& samples = history.find("alpha")->samples;
    ASSERT_LT(samples.size(), 8u);
    std::uint64_t spacing = history.find("alpha")->frameSpacing;
    EXPECT_EQ(spacing, 16u);
    for (std::size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(samples[i], static_cast<std::int32_t>(i * spacing)) << "sample " << i;
    EXPECT_GE(static_cast<std::uint64_t>(samples.back()) + spacing, 100u) << "the series reaches the latest frames";
}
