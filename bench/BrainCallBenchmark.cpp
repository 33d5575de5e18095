// What guarding a brain call costs: a brain that does almost nothing (it walks where
// it looks), called for one being the way the host calls it (in the guarded room,
// the culprit record written, exceptions caught), against a plain call of the same
// function; and the same for that brain keeping a status text. Both refresh the three
// sights and turn the being's mind into the record and back, which every call needs,
// guarded or not.
#include "brains/BrainRegistry.h"
#include "brains/MindRecord.h"
#include "cli/BrainTrace.h"
#include "cli/RunPlay.h"
#include "hosting/PlatformLibraryLoader.h"
#include "sim/Random.h"
#include "sim/Settings.h"
#include "sim/Simulation.h"

#include <benchmark/benchmark.h>

namespace {

using namespace shamblex;

void SHAMBLEX_BRAIN_CALL walkWhereYouLook(BrainRecord* being)
{
    being->moveDirection = being->lookDirection;
}

// The same brain keeping a status text, as most brains do: compared every call and
// assigned when it changes. The text is the record's last field, and a short string
// compare reads a little past it: in the guarded room, into the page after the record.
void SHAMBLEX_BRAIN_CALL walkAndStayCalm(BrainRecord* being)
{
    being->moveDirection = being->lookDirection;
    if (being->statusText != "calm")
        being->statusText = "calm";
}

// Sights as a look would leave them, a little different every call.
template<typename Sight>
void refresh(Sight& sight, std::uint32_t call)
{
    sight.seenKind = call & 3;
    sight.distance = 1 + call % 10;
    sight.peerCounter = 0;
    sight.seenSerial = call;
    sight.sameBrain = 0;
    sight.seenPanicked = 0;
}

template<ExecuteBrainFn brain>
void plainCall(benchmark::State& state)
{
    PlacedBrainRecord record;
    ExecuteBrainFn execute = brain;
    benchmark::DoNotOptimize(execute);
    BeingMind mind;
    std::uint32_t call = 0;
    for (auto _ : state) {
        ++call;
        refresh(mind.sightAhead, call);
        refresh(mind.sightLeft, call);
        refresh(mind.sightRight, call);
        putIntoRecord(mind, *record);
        execute(record.get());
        takeFromRecord(*record, mind, maximumStatusText);
        benchmark::DoNotOptimize(mind.moveDirection);
    }
}

// Calls the registry's "walker" for one being again and again, in ever later frames,
// as a run does; with a trace, flushed once a thousand calls.
void callRepeatedly(benchmark::State& state, BrainRegistry& registry, cli::BrainTrace* trace)
{
    const int slot = registry.findBrain("walker");
    BeingMind mind;
    std::uint32_t call = 0;
    for (auto _ : state) {
        ++call;
        refresh(mind.sightAhead, call);
        refresh(mind.sightLeft, call);
        refresh(mind.sightRight, call);
        registry.callBrain(slot, mind, { 1 + static_cast<std::int32_t>(call / 1000), call % 1000 });
        if (trace && call % 1000 == 0)
            trace->flush();
        benchmark::DoNotOptimize(mind.moveDirection);
    }
}

template<ExecuteBrainFn brain>
void guardedCall(benchmark::State& state)
{
    BrainRegistry registry(makePlatformLibraryLoader());
    registry.enterBrain("walker", brain);
    callRepeatedly(state, registry, nullptr);
}

// A trace's lines go nowhere: what is measured is making them.
struct CountingSink final : cli::RunSink {
    std::size_t bytes = 0;
    void write(cli::OutputSlot, std::string_view text) override { bytes += text.size(); }
    void videoFrame(const Bitmap&) override { }
    void report(const std::string&) override { }
    bool stopRequested() override { return false; }
};

// The same guarded call under --trace (every call written) or --trace-serial (the
// registry asks the trace about every call; this being is not the one followed).
void tracedCall(benchmark::State& state)
{
    const bool oneSerial = state.range(0) != 0;
    BrainRegistry registry(makePlatformLibraryLoader());
    registry.enterBrain("walker", walkWhereYouLook);
    Settings settings;
    Random random;
    Simulation simulation(settings, random, registry);
    CountingSink sink;
    cli::BrainTrace trace(sink, &simulation, oneSerial ? std::optional<std::uint32_t>(7) : std::nullopt);
    registry.setTracer(&trace);
    callRepeatedly(state, registry, &trace);
    benchmark::DoNotOptimize(sink.bytes);
}

}

BENCHMARK(plainCall<walkWhereYouLook>)->Name("BrainCall/plain");
BENCHMARK(guardedCall<walkWhereYouLook>)->Name("BrainCall/guarded");
BENCHMARK(plainCall<walkAndStayCalm>)->Name("BrainCall/plain_status_text");
BENCHMARK(guardedCall<walkAndStayCalm>)->Name("BrainCall/guarded_status_text");
BENCHMARK(tracedCall)->Name("BrainCall/guarded_trace_serial_other_being")->Arg(1);
BENCHMARK(tracedCall)->Name("BrainCall/guarded_trace_every_call")->Arg(0);
