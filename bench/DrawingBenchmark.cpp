// What drawing costs on a full-HD frame with the default outbreak: a normal frame
// step that draws (each moved being paints its old and new cell, plus the status
// band; the damage it records is cleared every fourth step, as a shell presenting
// at 50 Hz under a 5 ms timer clears it), and a full repaint of the board.
#include "render/ScenePainter.h"
#include "session/SaverSession.h"

#include <benchmark/benchmark.h>

namespace {

using namespace shamblex;

// A saver window of 1920 x 1080 with the default outbreak, one frame in.
struct FullHdOutbreak {
    SaverSession session { SaverMode::Window, nullptr };

    FullHdOutbreak()
    {
        session.create();
        session.resize(1920, 1080, 1920, 1080);
        session.tick();
    }
};

void drawingFrameStep(benchmark::State& state)
{
    FullHdOutbreak outbreak;
    std::int64_t frames = 0;
    for (auto _ : state) {
        if (++frames % 2000 == 0) {
            state.PauseTiming();
            outbreak.session.character('z');
            outbreak.session.tick();
            state.ResumeTiming();
        }
        outbreak.session.tick();
        if (frames % 4 == 0)
            outbreak.session.frame().clearDamage();
    }
}

void fullRepaint(benchmark::State& state)
{
    FullHdOutbreak outbreak;
    for (auto _ : state)
        outbreak.session.painter().repaintBoard();
}

void background(benchmark::State& state)
{
    FullHdOutbreak outbreak;
    for (auto _ : state)
        outbreak.session.painter().paintBackground();
}

}

BENCHMARK(drawingFrameStep)->Name("Drawing/frame_step_1920x1080_default");
BENCHMARK(fullRepaint)->Name("Drawing/full_repaint_1920x1080_default");
BENCHMARK(background)->Name("Drawing/background_1920x1080_default");
