// How long a frame step takes per being, without drawing, on the default outbreak
// and on a large one. Each measurement runs the first frames of fresh simulations,
// rebuilt outside the timing, so that every repetition sees the same stage of the
// outbreak.
#include "sim/BrainHost.h"
#include "sim/Random.h"
#include "sim/Settings.h"
#include "sim/Simulation.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace shamblex;

void frameStepWithoutDrawing(benchmark::State& state)
{
    Settings settings;
    settings.beingCount = static_cast<std::int32_t>(state.range(0));
    settings.boardWidth = settings.boardHeight = static_cast<std::int32_t>(state.range(1));
    const std::int64_t framesPerSimulation = state.range(2);

    Random random;
    NoBrains brains;
    Simulation simulation(settings, random, brains);
    if (!simulation.newSimulation()) {
        state.SkipWithError("the outbreak does not fit in memory");
        return;
    }

    std::int64_t frames = 0;
    std::int64_t beingUpdates = 0;
    for (auto _ : state) {
        if (frames == framesPerSimulation) {
            state.PauseTiming();
            if (!simulation.newSimulation())
                state.SkipWithError("rebuild failed");
            frames = 0;
            state.ResumeTiming();
        }
        simulation.frameStep(Drawing::Off);
        ++frames;
        beingUpdates += static_cast<std::int64_t>(simulation.population().size());
    }
    state.counters["beings"] = static_cast<double>(simulation.population().size());
    state.counters["perBeingUpdate"] = benchmark::Counter(static_cast<double>(beingUpdates),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void buildOutbreak(benchmark::State& state)
{
    Settings settings;
    settings.beingCount = static_cast<std::int32_t>(state.range(0));
    settings.boardWidth = settings.boardHeight = static_cast<std::int32_t>(state.range(1));
    Random random;
    NoBrains brains;
    for (auto _ : state) {
        auto simulation = std::make_unique<Simulation>(settings, random, brains);
        if (!simulation->newSimulation())
            state.SkipWithError("the outbreak does not fit in memory");
        benchmark::DoNotOptimize(simulation->population().size());
        // The outbreak is freed outside the timing.
        state.PauseTiming();
        simulation.reset();
        state.ResumeTiming();
    }
}

}

// beings, board side, frames per simulation
BENCHMARK(frameStepWithoutDrawing)->Name("FrameStep/default_1000_beings_250x250")->Args({ 1000, 250, 2000 });
BENCHMARK(frameStepWithoutDrawing)->Name("FrameStep/large_100000_beings_2500x2500")->Args({ 100000, 2500, 300 });
BENCHMARK(frameStepWithoutDrawing)
    ->Name("FrameStep/huge_1000000_beings_5000x5000")
    ->Args({ 1000000, 5000, 300 })
    ->Unit(benchmark::kMillisecond);
// The city generator and the placement of every being, without a frame step.
BENCHMARK(buildOutbreak)->Name("Build/huge_1000000_beings_5000x5000")->Args({ 1000000, 5000 })->Unit(benchmark::kMillisecond);
