// wanderwit, the sample brain: walks straight on, sometimes turns at random, turns
// at random when blocked, turns back and panics for ten calls on seeing a zombie,
// and panics on seeing a panicked human. It labels each being with its serial
// number and gives it a new random colour on every call.
//
// Everything it remembers about a being lives in that being's record; the library
// itself keeps no state. It uses the C library's rand() and never seeds it.
#include "brains/BrainRecord.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr std::uint32_t panicLength = 10;
constexpr std::uint32_t zombieKind = 1;
constexpr std::uint32_t noDirection = 4;

// rand() % n for n > 0; 0 without a draw otherwise.
int randomBelow(int n)
{
    return n > 0 ? std::rand() % n : 0;
}

std::uint32_t turnLeft(std::uint32_t direction)
{
    switch (direction) {
    case 0: return 3;
    case 1: return 0;
    case 2: return 1;
    case 3: return 2;
    default: return noDirection;
    }
}

std::uint32_t randomDirection()
{
    static constexpr std::uint32_t table[4] = { 0, 2, 1, 3 };
    return table[randomBelow(4)];
}

void setHeading(shamblex::BrainRecord& being, std::uint32_t direction)
{
    being.moveDirection = direction;
    being.lookDirection = direction;
}

}

SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(shamblex::BrainRecord* record)
{
    shamblex::BrainRecord& being = *record;

    // While calm, look at the way ahead four times in ten; while panicked, always.
    if (being.panicCounter != 0 || randomBelow(10) > 5) {
        if (being.sightAhead.distance == 1)
            setHeading(being, randomDirection());
        if (being.panicCounter != 0) {
            --being.panicCounter;
            if (being.panicCounter == 0 && being.panicked == 1)
                being.panicked = 0;
        }
    }

    std::uint32_t seen = being.sightAhead.seenKind;
    if (seen == zombieKind || being.sightAhead.seenPanicked == 1) {
        being.panicCounter = panicLength;
        being.panicked = 1;
    }
    if (seen == zombieKind)
        setHeading(being, turnLeft(turnLeft(being.lookDirection)));

    if (randomBelow(8) == 1)
        setHeading(being, randomDirection());

    being.statusText = "I am #" + std::to_string(being.serialNumber);

    being.red = static_cast<std::uint8_t>(randomBelow(256));
    being.green = static_cast<std::uint8_t>(randomBelow(256));
    being.blue = static_cast<std::uint8_t>(randomBelow(256));
}
