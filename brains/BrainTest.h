// Testing a brain without an outbreak: describe what a being sees, call the brain's
// ExecuteBrain from its built library, and look at what it decided. Header-only and
// tied to no test framework: use it with GoogleTest, Catch2 or plain assert.
//
//   #include "brains/BrainTest.h"
//   using namespace shamblex::braintest;
//
//   Brain brain(MYBRAIN_PATH);                    // the built mybrain.dll
//   Situation s;
//   s.look = up;
//   s.ahead = sees(zombie, 2);                    // a zombie two cells ahead
//   Decision d = brain.decide(s);
//   assert(d.move != up);                         // it does not walk into it
//
// A Situation is the record a brain gets; a Decision is the record as the brain
// left it. decide() can be called again with the decision's memory to play the same
// being over several frames (Situation::from(decision) keeps its state). The brain
// runs in this process: a brain that crashes crashes the test, which is the point.
#pragma once

#include "brains/BrainRecord.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace shamblex::braintest {

// Directions, as the record numbers them.
inline constexpr std::uint32_t up = 0;
inline constexpr std::uint32_t right = 1;
inline constexpr std::uint32_t down = 2;
inline constexpr std::uint32_t left = 3;
inline constexpr std::uint32_t none = 4;

// What a sight can see.
inline constexpr std::uint32_t nothing = 0;
inline constexpr std::uint32_t zombie = 1;
inline constexpr std::uint32_t human = 2;
inline constexpr std::uint32_t wall = 3; // a wall or the board's edge

// One sight: nothing for ten cells unless told otherwise.
struct Sight {
    std::uint32_t seen = nothing;
    std::uint32_t distance = 10; // 1 to 10
    std::uint32_t peerCounter = 0; // the seen human's panic counter when it shares the brain
    std::uint32_t serial = 0; // the seen being's serial number
    bool sameBrain = false;
    bool panicked = false;
};

// "sees(zombie, 2)": the kind seen and how far.
inline Sight sees(std::uint32_t kind, std::uint32_t distance)
{
    Sight sight;
    sight.seen = kind;
    sight.distance = distance;
    return sight;
}

// A fellow human of the same brain, with its panic counter.
inline Sight seesFriend(std::uint32_t distance, std::uint32_t peerCounter = 0, bool panicked = false)
{
    Sight sight = sees(human, distance);
    sight.sameBrain = true;
    sight.peerCounter = peerCounter;
    sight.panicked = panicked;
    return sight;
}

struct Decision;

// What a being is and sees when its brain is called.
struct Situation {
    std::uint32_t look = up;
    std::uint32_t move = none;
    Sight leftSight; // along the left quarter turn of look
    Sight ahead;
    Sight rightSight;
    bool panicked = false;
    std::uint32_t panicCounter = 0;
    std::uint32_t serial = 0;
    std::array<std::uint8_t, 256> memory {};
    std::array<std::uint8_t, 3> colour { 255, 0, 255 };
    std::string status;

    // The same being one frame later: what the brain left, with fresh sights to set.
    static Situation from(const Decision&);
};

// The record as the brain left it.
struct Decision {
    std::uint32_t look = 0;
    std::uint32_t move = 0;
    bool panicked = false;
    std::uint32_t panicCounter = 0;
    std::uint32_t serial = 0;
    std::array<std::uint8_t, 256> memory {};
    std::array<std::uint8_t, 3> colour {};
    std::string status;
};

inline Situation Situation::from(const Decision& decision)
{
    Situation next;
    next.look = decision.look;
    next.move = decision.move;
    next.panicked = decision.panicked;
    next.panicCounter = decision.panicCounter;
    next.serial = decision.serial;
    next.memory = decision.memory;
    next.colour = decision.colour;
    next.status = decision.status;
    return next;
}

// A brain library, loaded for the test's life.
class Brain {
public:
    // Loads the library and finds ExecuteBrain; throws std::runtime_error with the
    // reason when it cannot.
    explicit Brain(const std::string& path)
    {
#if defined(_WIN32)
        m_library = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
        if (!m_library)
            throw std::runtime_error("cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
        m_execute = reinterpret_cast<ExecuteBrainFn>(
            reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_library), "ExecuteBrain")));
#else
        m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_library)
            throw std::runtime_error("cannot load " + path + ": " + dlerror());
        m_execute = reinterpret_cast<ExecuteBrainFn>(dlsym(m_library, "ExecuteBrain"));
#endif
        if (!m_execute) {
            close();
            throw std::runtime_error(path + " exports no ExecuteBrain (did it forget SHAMBLEX_BRAIN_EXPORT?)");
        }
    }
    ~Brain() { close(); }
    Brain(const Brain&) = delete;
    Brain& operator=(const Brain&) = delete;

    // One call, as the host makes it: the record filled from the situation, the
    // brain's function, the record read back.
    Decision decide(const Situation& situation) const
    {
        PlacedBrainRecord record;
        BrainRecord& being = *record;
        being.lookDirection = situation.look;
        being.moveDirection = situation.move;
        fill(being.sightLeft, situation.leftSight);
        fill(being.sightAhead, situation.ahead);
        fill(being.sightRight, situation.rightSight);
        being.panicked = situation.panicked ? 1 : 0;
        being.panicCounter = situation.panicCounter;
        std::memcpy(being.memory, situation.memory.data(), situation.memory.size());
        being.serialNumber = situation.serial;
        being.red = situation.colour[0];
        being.green = situation.colour[1];
        being.blue = situation.colour[2];
        being.statusText = situation.status;
        m_execute(record.get());
        Decision decision;
        decision.look = being.lookDirection;
        decision.move = being.moveDirection;
        decision.panicked = being.panicked != 0;
        decision.panicCounter = being.panicCounter;
        decision.serial = being.serialNumber;
        std::memcpy(decision.memory.data(), being.memory, decision.memory.size());
        decision.colour = { being.red, being.green, being.blue };
        decision.status = being.statusText;
        return decision;
    }

private:
    static void fill(SightRecord& record, const Sight& sight)
    {
        record.seenKind = sight.seen;
        record.distance = sight.distance;
        record.peerCounter = sight.peerCounter;
        record.seenSerial = sight.serial;
        record.sameBrain = sight.sameBrain ? 1 : 0;
        record.seenPanicked = sight.panicked ? 1 : 0;
    }

    void close()
    {
        if (!m_library)
            return;
#if defined(_WIN32)
        FreeLibrary(static_cast<HMODULE>(m_library));
#else
        dlclose(m_library);
#endif
        m_library = nullptr;
    }

    void* m_library = nullptr;
    ExecuteBrainFn m_execute = nullptr;
};

}
