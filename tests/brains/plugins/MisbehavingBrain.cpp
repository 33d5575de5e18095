// Brains that misbehave, one way per build (MISBEHAVIOUR names it), for the tests of
// what the host does about them. Each one behaves for its first two calls, then:
//   THROWS    throws a std::runtime_error
//   CRASHES   writes through a null pointer
//   OVERRUNS  writes past the end of the record it was given
//   EXITS     calls exit(0), as if all had gone well
//   LOOPS     never returns
//   CRASHES_SOMETIMES writes through a null pointer when its third being looks up,
//             which depends on the outbreak's seed: it spoils some runs, not all
//   OLD_ABI   (built with the old C++ string ABI) assigns the status text
#if MISBEHAVIOUR_OLD_ABI
#define _GLIBCXX_USE_CXX11_ABI 0
#endif

#include "brains/BrainRecord.h"

#ifndef MISBEHAVIOUR_CRASHES_SOMETIMES
#define MISBEHAVIOUR_CRASHES_SOMETIMES 0
#endif

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

int calls = 0;

}

SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(shamblex::BrainRecord* being)
{
    being->moveDirection = 1;
    if (++calls <= 2)
        return;
#if MISBEHAVIOUR_THROWS
    throw std::runtime_error("no idea where to go");
#elif MISBEHAVIOUR_CRASHES || MISBEHAVIOUR_CRASHES_SOMETIMES
    if (!MISBEHAVIOUR_CRASHES_SOMETIMES || (calls == 3 && being->lookDirection == 0)) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    }
#elif MISBEHAVIOUR_OVERRUNS
    std::memset(reinterpret_cast<char*>(being) + sizeof *being, 0x5A, 64);
#elif MISBEHAVIOUR_EXITS
    std::exit(0);
#elif MISBEHAVIOUR_LOOPS
    volatile int stop = 0;
    while (stop == 0) {
    }
#elif MISBEHAVIOUR_OLD_ABI
    being->statusText = "written with another string layout";
#endif
}
