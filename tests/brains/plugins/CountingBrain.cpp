// A brain for tests: it counts its calls in the being's memory, keeps a copy of the
// three sight records it was given, heads right while looking down, and says how
// often it was called.
#include "brains/BrainRecord.h"

#include <cstring>
#include <string>

namespace {

// Where the brain keeps things in a being's memory.
constexpr std::size_t callCountAt = 0;
constexpr std::size_t sightsAt = 16;

}

SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(shamblex::BrainRecord* being)
{
    std::uint32_t calls;
    std::memcpy(&calls, being->memory + callCountAt, sizeof calls);
    ++calls;
    std::memcpy(being->memory + callCountAt, &calls, sizeof calls);

    std::memcpy(being->memory + sightsAt, &being->sightLeft, sizeof being->sightLeft);
    std::memcpy(being->memory + sightsAt + 18, &being->sightAhead, sizeof being->sightAhead);
    std::memcpy(being->memory + sightsAt + 36, &being->sightRight, sizeof being->sightRight);

    being->moveDirection = 1;
    being->lookDirection = 2;
    being->red = 1;
    being->green = 2;
    being->blue = 3;
    being->statusText = "called " + std::to_string(calls) + " times, which is a long enough text to need the heap";
}
