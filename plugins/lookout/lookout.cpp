// lookout: a sample brain that outlives the built-in humans by using everything the
// host tells it. It is written to be read: start here when you write your own.
//
// The built-in humans see only what lies ahead and react only to a zombie right in
// front of them. A lookout instead
//   - never sets `panicked`, because a panicked being loses its two side sights;
//   - keeps notes of what it saw in each of the four directions, in the being's
//     `memory`, and looks ahead and back on alternate calls (moving and looking are
//     separate), so that its notes cover every direction every two calls;
//   - picks its way by scoring the four directions: never into something right next
//     to it, away from zombies, towards open street, and straight on when nothing
//     argues otherwise, so that it does not dither;
//   - warns its own kind: its `panicCounter` says how recently it fled, and a lookout
//     that sees a fleeing lookout nearby keeps away from that side too.
//
// It uses no random numbers at all: every decision follows from what the being sees,
// so a lookout plays the same wherever it runs.
#include "brains/BrainRecord.h"

#include <cstdint>
#include <cstring>

namespace {

// Direction codes of the record, and the kinds a sight reports.
constexpr std::uint32_t up = 0;
constexpr std::uint32_t noDirection = 4;
constexpr std::uint32_t nothingSeen = 0;
constexpr std::uint32_t zombieKind = 1;
constexpr std::uint32_t humanKind = 2;

constexpr std::uint32_t sightRange = 10;

std::uint32_t turnLeft(std::uint32_t direction) { return (direction + 3) % 4; }
std::uint32_t turnRight(std::uint32_t direction) { return (direction + 1) % 4; }
std::uint32_t turnAround(std::uint32_t direction) { return (direction + 2) % 4; }

// How many calls a note stays worth trusting. The being moves one cell every second
// call and zombies one every fourth, so a note two calls old is still close to true.
constexpr std::uint8_t trustedAge = 2;
// How long a lookout counts as fleeing after it last saw a zombie.
constexpr std::uint32_t fleeCalls = 12;
// A fleeing lookout this close is a warning to the others.
constexpr std::uint32_t warningDistance = 5;
// How strongly a zombie seen pushes the being away (per cell it is closer than the
// edge of sight): straight away from it, and off its line to either side; and how
// strongly it counts against walking towards it.
constexpr int zombieWeight = 100;
constexpr int awayWeight = 60;
constexpr int acrossWeight = 30;
// The score of a step that must not be taken.
constexpr int never = -1000000;

// What the being last saw along one direction (up, right, down, left).
struct Note {
    std::uint8_t kind = nothingSeen;
    std::uint8_t distance = sightRange;
    std::uint8_t age = 255; // calls since the note was taken; 255 is never
    std::uint8_t fleeingPeer = 0; // the being seen was a lookout that is fleeing
};

// Everything a lookout remembers, kept in the record's memory between calls. A being
// starts with zeroed memory (and gets it zeroed again when it is reset), which is
// why `started` tells a fresh being from one with notes.
struct Notes {
    std::uint8_t started = 0;
    std::uint8_t heading = up; // where it walks
    std::uint8_t lookBack = 0; // 1 when this call's sights were taken looking back
    Note directions[4];
};
static_assert(sizeof(Notes) <= sizeof(shamblex::BrainRecord::memory));

Notes load(const shamblex::BrainRecord& being)
{
    Notes notes;
    std::memcpy(&notes, being.memory, sizeof notes);
    if (!notes.started) {
        notes = Notes {};
        notes.started = 1;
        // Beings start facing a random way; walking that way spreads them out.
        notes.heading = static_cast<std::uint8_t>(being.moveDirection < 4 ? being.moveDirection : up);
    }
    return notes;
}

void store(shamblex::BrainRecord& being, const Notes& notes) { std::memcpy(being.memory, &notes, sizeof notes); }

void takeNote(Note& note, const shamblex::SightRecord& sight)
{
    note.kind = static_cast<std::uint8_t>(sight.seenKind);
    note.distance = static_cast<std::uint8_t>(sight.distance);
    note.age = 0;
    note.fleeingPeer = sight.seenKind == humanKind && sight.sameBrain == 1 && sight.peerCounter > 0;
}

// How much the being wants to walk along `direction`; the highest score wins.
int score(const Notes& notes, std::uint32_t direction)
{
    const Note& note = notes.directions[direction];
    const Note& behind = notes.directions[turnAround(direction)];
    int value = 0;

    if (note.age <= trustedAge) {
        // The next cell is taken: walking there only wastes the step, and walking into
        // a zombie makes the being one.
        if (note.distance == 1 && note.kind != nothingSeen)
            return never;
        if (note.kind == zombieKind)
            value -= zombieWeight * static_cast<int>(sightRange + 1 - note.distance);
        if (note.fleeingPeer && note.distance <= warningDistance)
            value -= 20;
        // Open street is better than a dead end.
        value += note.kind == nothingSeen ? static_cast<int>(sightRange) : static_cast<int>(note.distance);
    } else {
        value += static_cast<int>(sightRange) / 2; // unknown: neither good nor bad
    }
    // A zombie behind is a reason to go this way; a zombie to the side is a better
    // one still per step taken, since a step across its line of sight is a step out
    // of its sight, and a zombie chases only what it sees. (Weighed in the arena:
    // running straight away alone kept about two thirds as many humans alive.)
    if (behind.age <= trustedAge && behind.kind == zombieKind)
        value += awayWeight * static_cast<int>(sightRange + 1 - behind.distance);
    for (std::uint32_t side : { turnLeft(direction), turnRight(direction) }) {
        const Note& across = notes.directions[side];
        if (across.age <= trustedAge && across.kind == zombieKind)
            value += acrossWeight * static_cast<int>(sightRange + 1 - across.distance);
    }
    if (direction == notes.heading)
        value += 3;
    return value;
}

bool seesZombie(const Notes& notes)
{
    for (const Note& note : notes.directions) {
        if (note.age <= trustedAge && note.kind == zombieKind)
            return true;
    }
    return false;
}

}

SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(shamblex::BrainRecord* record)
{
    shamblex::BrainRecord& being = *record;
    Notes notes = load(being);

    // Older notes age; this call's three sights replace the notes of their
    // directions. Before the first call the look direction is the host's.
    for (Note& note : notes.directions) {
        if (note.age < 255)
            ++note.age;
    }
    std::uint32_t look = being.lookDirection;
    if (look < 4) {
        takeNote(notes.directions[look], being.sightAhead);
        // A panicked being gets no side sights; a lookout never panics, but a being
        // reset by the host might still carry the flag for one call.
        if (being.panicked != 1) {
            takeNote(notes.directions[turnLeft(look)], being.sightLeft);
            takeNote(notes.directions[turnRight(look)], being.sightRight);
        }
    }

    std::uint32_t best = noDirection;
    int bestScore = never; // only a step that may be taken beats it
    for (std::uint32_t direction = 0; direction < 4; ++direction) {
        int value = score(notes, direction);
        if (value > bestScore) {
            best = direction;
            bestScore = value;
        }
    }
    // Boxed in on every side: stand still rather than bump into something.
    being.moveDirection = best;
    if (best != noDirection)
        notes.heading = static_cast<std::uint8_t>(best);

    // Next call looks the other way, so that every direction is seen twice a step.
    notes.lookBack = !notes.lookBack;
    being.lookDirection = notes.lookBack ? turnAround(notes.heading) : notes.heading;
    being.panicked = 0;

    bool fleeing = seesZombie(notes);
    if (fleeing)
        being.panicCounter = fleeCalls;
    else if (being.panicCounter > 0)
        --being.panicCounter;

    // Green while calm, orange while it flees, for the user-colour display.
    being.red = being.panicCounter > 0 ? 255 : 40;
    being.green = being.panicCounter > 0 ? 140 : 220;
    being.blue = 40;
    const char* state = fleeing ? "fleeing" : (being.panicCounter > 0 ? "wary" : "calm");
    if (being.statusText != state)
        being.statusText = state;

    store(being, notes);
}
