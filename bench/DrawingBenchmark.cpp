// What drawing costs on a full-HD frame with the default outbreak: a normal frame
// step that draws (each moved being notes its old and new cell, plus the status
// band; every fourth step the frame is looked at, which paints the cells that
// changed and clears the damage, as a shell presenting at 50 Hz under a 5 ms timer
// does), and a full repaint of the board.
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
    ScenePainter& painter = outbreak.session.painter();
    const Bitmap& frame = outbreak.session.frame();
    for (auto _ : state) {
        // Every cell's pixels count as unknown, so that every cell is painted again.
        painter.overdrawn({ 0, 0, frame.width(), frame.height() });
        painter.repaintBoard();
        painter.flush();
    }
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
