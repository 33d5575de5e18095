// baseline: the rule every human follows when no brain drives it, as a brain of its
// own. It is the opponent a new brain is measured against: a brain that cannot
// outlive baseline in the arena plays no better than the humans Shamblex ships with.
//
// The rule, once per call:
//   1. While panicked (counter not 0), or on four calls in ten while calm, check the
//      way ahead: when the next cell is taken or off the board, take a random
//      heading; then count the panic down, calming when it reaches 0.
//   2. A zombie ahead, or a panicked human ahead, starts ten calls of panic.
//   3. A zombie ahead: turn around.
//   4. One call in eight: take a random heading.
//
// It draws its numbers from a generator of its own, the same kind the host uses,
// started where the host's starts; the host's generator, which the zombies draw
// from, is never touched by a brain.
#include "brains/BrainRecord.h"

#include <cstdint>

namespace {

constexpr std::uint32_t panicLength = 10;
constexpr std::uint32_t zombieKind = 1;
constexpr std::uint32_t humanKind = 2;
constexpr std::uint32_t noDirection = 4;
constexpr int checkOdds = 10; // a calm human checks its way four times in ten
constexpr int checkAbove = 5;
constexpr int turnOdds = 8; // and turns at random one time in eight

// The Microsoft C runtime's rand(): results 0 to 32767, the same on every platform,
// so that a baseline human plays the same on Linux and Windows.
class Generator {
public:
    int below(int n)
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu) % n;
    }

private:
    std::uint32_t m_state = 1;
};

// One per loaded library: every baseline human of a run draws from it in turn.
Generator generator;

std::uint32_t randomDirection()
{
    static constexpr std::uint32_t table[4] = { 0, 2, 1, 3 };
    return table[generator.below(4)];
}

std::uint32_t turnAround(std::uint32_t direction)
{
    return direction < 4 ? (direction + 2) % 4 : noDirection;
}

void setHeading(shamblex::BrainRecord& being, std::uint32_t direction)
{
    being.lookDirection = direction;
    being.moveDirection = direction;
}

}

SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(shamblex::BrainRecord* record)
{
    shamblex::BrainRecord& being = *record;
    const shamblex::SightRecord& ahead = being.sightAhead;

    if (being.panicCounter != 0 || generator.below(checkOdds) > checkAbove) {
        if (ahead.distance == 1)
            setHeading(being, randomDirection());
        if (being.panicCounter != 0) {
            --being.panicCounter;
            if (being.panicCounter == 0 && being.panicked == 1)
                being.panicked = 0;
        }
    }

    if (ahead.seenKind == zombieKind || (ahead.seenKind == humanKind && ahead.seenPanicked == 1)) {
        being.panicCounter = panicLength;
        being.panicked = 1;
    }
    if (ahead.seenKind == zombieKind)
        setHeading(being, turnAround(being.lookDirection));

    if (generator.below(turnOdds) == 1)
        setHeading(being, randomDirection());
}
