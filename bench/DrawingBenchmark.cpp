// What drawing costs on a full-HD frame with the default outbreak: a normal frame
// step that draws (each being paints its old and new cell, plus the status band),
// and a full repaint of the board.
#include "brains/BrainRegistry.h"
#include "render/Bitmap.h"
#include "render/ScenePainter.h"
#include "sim/Random.h"
#include "sim/Settings.h"
#include "sim/Simulation.h"

#include <benchmark/benchmark.h>

namespace {

using namespace shamblex;

struct FullHdOutbreak {
    Settings settings;
    Random random;
    BrainRegistry brains;
    Simulation simulation { settings, random, brains };
    Bitmap frame;
    ScenePainter painter { frame, simulation, settings, brains };

    FullHdOutbreak()
    {
        frame.create(1920, 1080, 24, RowOrder::TopDown);
        simulation.setDrawer(&painter);
        (void)simulation.newSimulation();
        simulation.frameStep(Drawing::On);
    }
};

void drawingFrameStep(benchmark::State& state)
{
    FullHdOutbreak outbreak;
    std::int64_t frames = 0;
    for (auto _ : state) {
        if (++frames % 2000 == 0) {
            state.PauseTiming();
            (void)outbreak.simulation.newSimulation();
            outbreak.simulation.frameStep(Drawing::On);
            state.ResumeTiming();
        }
        outbreak.simulation.frameStep(Drawing::On);
    }
}

void fullRepaint(benchmark::State& state)
{
    FullHdOutbreak outbreak;
    for (auto _ : state)
        outbreak.painter.repaintBoard();
}

void background(benchmark::State& state)
{
    FullHdOutbreak outbreak;
    for (auto _ : state)
        outbreak.painter.paintBackground();
}

}

BENCHMARK(drawingFrameStep)->Name("Drawing/frame_step_1920x1080_default");
BENCHMARK(fullRepaint)->Name("Drawing/full_repaint_1920x1080_default");
BENCHMARK(background)->Name("Drawing/background_1920x1080_default");
