// mybrain: a starting point for a Shamblex brain. It is complete and plays: it
// walks straight on, turns away from what blocks it, and runs from the zombies it
// sees. Change it, build it, and measure it in the arena against baseline.
//
// A brain is one function, ExecuteBrain, that the host calls once per frame for
// every human of this brain's name, with the being's own record. Read the sights,
// write the directions; whatever the function leaves in the record is the being's
// state from then on. docs/brains.md in the Shamblex sources tells every field.
#include "brains/BrainRecord.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint32_t nothingSeen = 0;
constexpr std::uint32_t zombieKind = 1;

std::uint32_t turnLeft(std::uint32_t direction) { return (direction + 3) % 4; }
std::uint32_t turnRight(std::uint32_t direction) { return (direction + 1) % 4; }
std::uint32_t turnAround(std::uint32_t direction) { return (direction + 2) % 4; }

// A brain keeps what it needs between calls in the being's memory (256 bytes, zero
// when the being is created). Here: a small random generator of the being's own,
// so that beings do not all turn alike.
struct Memory {
    std::uint32_t random;
};

std::uint32_t nextRandom(Memory& memory, std::uint32_t serialNumber)
{
    if (memory.random == 0)
        memory.random = serialNumber * 2654435761u + 1;
    memory.random = memory.random * 1664525u + 1013904223u;
    return memory.random >> 16;
}

// Whether the first cell along a sight can be walked into.
bool open(const shamblex::SightRecord& sight) { return !(sight.distance == 1 && sight.seenKind != nothingSeen); }

}

SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(shamblex::BrainRecord* record)
{
    shamblex::BrainRecord& being = *record;
    Memory memory;
    std::memcpy(&memory, being.memory, sizeof memory);

    std::uint32_t look = being.lookDirection < 4 ? being.lookDirection : 0;
    std::uint32_t heading = look;

    // Side sights are zero while `panicked` is 1, so this brain never sets it.
    if (being.sightAhead.seenKind == zombieKind) {
        heading = turnAround(look);
    } else if (being.sightLeft.seenKind == zombieKind) {
        heading = turnRight(look);
    } else if (being.sightRight.seenKind == zombieKind) {
        heading = turnLeft(look);
    } else if (!open(being.sightAhead)) {
        // Blocked: take a free side, at random when both are free.
        bool left = open(being.sightLeft), right = open(being.sightRight);
        if (left && right)
            heading = nextRandom(memory, being.serialNumber) % 2 ? turnLeft(look) : turnRight(look);
        else if (left)
            heading = turnLeft(look);
        else if (right)
            heading = turnRight(look);
        else
            heading = turnAround(look);
    } else if (nextRandom(memory, being.serialNumber) % 16 == 0) {
        // Now and then a turn, so that beings spread over the city.
        heading = nextRandom(memory, being.serialNumber) % 2 ? turnLeft(look) : turnRight(look);
    }

    being.lookDirection = heading;
    being.moveDirection = heading;
    being.panicked = 0;
    // Shown in the saver for the being under the mouse pointer.
    being.statusText = being.sightAhead.seenKind == zombieKind ? "running" : "walking";
    std::memcpy(being.memory, &memory, sizeof memory);
}
