// What guarding a brain call costs: a brain that does almost nothing (it walks where
// it looks), called for one being the way the host calls it (in the guarded room,
// the culprit record written, exceptions caught), against a plain call of the same
// function. Both refresh the three sights and turn the being's mind into the record
// and back, which every call needs, guarded or not.
#include "brains/BrainRegistry.h"
#include "brains/MindRecord.h"
#include "hosting/PlatformLibraryLoader.h"

#include <benchmark/benchmark.h>

namespace {

using namespace shamblex;

void SHAMBLEX_BRAIN_CALL walkWhereYouLook(BrainRecord* being)
{
    being->moveDirection = being->lookDirection;
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

void plainCall(benchmark::State& state)
{
    PlacedBrainRecord record;
    ExecuteBrainFn execute = walkWhereYouLook;
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

void guardedCall(benchmark::State& state)
{
    BrainRegistry registry(makePlatformLibraryLoader());
    registry.enterBrain("walker", walkWhereYouLook);
    const int slot = registry.findBrain("walker");
    BeingMind mind;
    std::uint32_t call = 0;
    for (auto _ : state) {
        ++call;
        refresh(mind.sightAhead, call);
        refresh(mind.sightLeft, call);
        refresh(mind.sightRight, call);
        registry.callBrain(slot, mind, { 1, 0 });
        benchmark::DoNotOptimize(mind.moveDirection);
    }
}

}

BENCHMARK(plainCall)->Name("BrainCall/plain");
BENCHMARK(guardedCall)->Name("BrainCall/guarded");
