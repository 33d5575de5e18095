// The contract between Shamblex and a brain plug-in. A brain is a shared library
// that exports one function, ExecuteBrain, and includes this header and nothing
// else of the host.
//
// Every frame, for every human of the brain's name, the host refreshes the sight
// records of that being and calls ExecuteBrain with the address of the being's own
// record. The brain reads and writes the record in place; what it leaves there is
// the being's state from then on:
//   moveDirection   moves the being in this frame (a value above 3 stands still);
//   lookDirection   is where next frame's three sights are taken;
//   panicked        1 skips the side sights next frame, is what others see as
//                   seenPanicked, and draws the being lighter;
//   panicCounter    is what beings of the same brain see as peerCounter;
//   red/green/blue  is the colour drawn while the user-colour display is on;
//   statusText      is shown after the brain name for the being under the pointer;
//   memory          is the brain's own and never read by the host.
//
// The record is packed, little-endian, with the offsets checked below. statusText is
// the host's std::string: build the plug-in with the same compiler and C++ runtime as
// the host, and change the text only by assigning to it.
//
// A packed record puts statusText at byte 330, where a std::string is aligned only
// when the record itself starts the right distance past an aligned address. The host
// always places the record so (at an address 6 past a multiple of 8 on 64-bit
// systems); a test that calls a brain itself uses PlacedBrainRecord below to do the
// same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

namespace shamblex {

#pragma pack(push, 1)

// What a being sees along one direction, up to ten cells away. The look stops at the
// first cell that is not empty, at the board's edge, or after the tenth cell.
struct SightRecord {
    std::uint32_t seenKind = 0; // 0 nothing within range, 1 zombie, 2 human, 3 wall or edge
    std::uint32_t distance = 0; // cells stepped, 1 to 10 (10 when nothing was seen)
    std::uint32_t peerCounter = 0; // the seen being's panicCounter when it shares the viewer's brain
    std::uint32_t seenSerial = 0; // the seen being's serialNumber
    std::uint8_t sameBrain = 0; // 1 when the seen being has the viewer's brain name
    std::uint8_t seenPanicked = 0; // the seen being's panicked byte
};

struct BrainRecord {
    std::uint32_t lookDirection = 0; // 0 up, 1 right, 2 down, 3 left, 4 none
    std::uint32_t moveDirection = 4;
    SightRecord sightLeft; // along the left quarter turn of lookDirection
    SightRecord sightAhead; // along lookDirection
    SightRecord sightRight; // along the right quarter turn of lookDirection
    std::uint8_t panicked = 0;
    std::uint32_t panicCounter = 0;
    std::uint8_t memory[256] = {};
    std::uint32_t serialNumber = 0;
    std::uint8_t red = 255;
    std::uint8_t green = 0;
    std::uint8_t blue = 255;
    std::string statusText;
};

#pragma pack(pop)

static_assert(sizeof(SightRecord) == 18);
static_assert(offsetof(SightRecord, seenKind) == 0);
static_assert(offsetof(SightRecord, distance) == 4);
static_assert(offsetof(SightRecord, peerCounter) == 8);
static_assert(offsetof(SightRecord, seenSerial) == 12);
static_assert(offsetof(SightRecord, sameBrain) == 16);
static_assert(offsetof(SightRecord, seenPanicked) == 17);

static_assert(offsetof(BrainRecord, lookDirection) == 0);
static_assert(offsetof(BrainRecord, moveDirection) == 4);
static_assert(offsetof(BrainRecord, sightLeft) == 8);
static_assert(offsetof(BrainRecord, sightAhead) == 26);
static_assert(offsetof(BrainRecord, sightRight) == 44);
static_assert(offsetof(BrainRecord, panicked) == 62);
static_assert(offsetof(BrainRecord, panicCounter) == 63);
static_assert(offsetof(BrainRecord, memory) == 67);
static_assert(sizeof(BrainRecord::memory) == 256);
static_assert(offsetof(BrainRecord, serialNumber) == 323);
static_assert(offsetof(BrainRecord, red) == 327);
static_assert(offsetof(BrainRecord, green) == 328);
static_assert(offsetof(BrainRecord, blue) == 329);
static_assert(offsetof(BrainRecord, statusText) == 330);
static_assert(sizeof(BrainRecord) == 330 + sizeof(std::string));

// Where a record must start so that its statusText is aligned, counted from an
// address aligned for std::string.
inline constexpr std::size_t brainRecordPlacement
    = (alignof(std::string) - offsetof(BrainRecord, statusText) % alignof(std::string)) % alignof(std::string);

// One fresh BrainRecord placed as the host places the records it passes to a brain,
// for code that calls ExecuteBrain itself (a brain's own tests).
class PlacedBrainRecord {
public:
    PlacedBrainRecord() { m_record = new (m_bytes + brainRecordPlacement) BrainRecord; }
    ~PlacedBrainRecord() { m_record->~BrainRecord(); }
    PlacedBrainRecord(const PlacedBrainRecord&) = delete;
    PlacedBrainRecord& operator=(const PlacedBrainRecord&) = delete;

    BrainRecord* get() { return m_record; }
    const BrainRecord* get() const { return m_record; }
    BrainRecord& operator*() { return *m_record; }
    const BrainRecord& operator*() const { return *m_record; }
    BrainRecord* operator->() { return m_record; }
    const BrainRecord* operator->() const { return m_record; }

private:
    alignas(std::string) unsigned char m_bytes[brainRecordPlacement + sizeof(BrainRecord)];
    BrainRecord* m_record = nullptr;
};

}

// The one function a brain exports: plain C linkage, caller-cleans convention.
#if defined(_WIN32)
#define SHAMBLEX_BRAIN_EXPORT extern "C" __declspec(dllexport)
#define SHAMBLEX_BRAIN_CALL __cdecl
#else
#define SHAMBLEX_BRAIN_EXPORT extern "C" __attribute__((visibility("default")))
#define SHAMBLEX_BRAIN_CALL
#endif

extern "C" {
typedef void(SHAMBLEX_BRAIN_CALL* ExecuteBrainFn)(shamblex::BrainRecord* record);
}
