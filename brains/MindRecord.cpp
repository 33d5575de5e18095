#include "brains/MindRecord.h"

#include <algorithm>
#include <cstring>

namespace shamblex {

namespace {

static_assert(sizeof(BrainRecord::memory) == brainMemoryBytes);

// The same six fields each way, between the aligned report and the packed record.
template<typename From, typename To>
void copySight(const From& from, To& to)
{
    to.seenKind = from.seenKind;
    to.distance = from.distance;
    to.peerCounter = from.peerCounter;
    to.seenSerial = from.seenSerial;
    to.sameBrain = from.sameBrain;
    to.seenPanicked = from.seenPanicked;
}

}

void putIntoRecord(BeingMind& mind, BrainRecord& record)
{
    record.lookDirection = mind.lookDirection;
    record.moveDirection = mind.moveDirection;
    copySight(mind.sightLeft, record.sightLeft);
    copySight(mind.sightAhead, record.sightAhead);
    copySight(mind.sightRight, record.sightRight);
    record.panicked = mind.panicked;
    record.panicCounter = mind.panicCounter;
    std::memcpy(record.memory, mind.memory.data(), brainMemoryBytes);
    record.serialNumber = mind.serialNumber;
    record.red = mind.colour.red;
    record.green = mind.colour.green;
    record.blue = mind.colour.blue;
    record.statusText.clear();
    record.statusText.swap(mind.statusText);
}

void takeFromRecord(BrainRecord& record, BeingMind& mind, std::size_t maximumText)
{
    // A brain may write anything in the sights; the next call takes them afresh, but
    // what it left is the mind's until then.
    copySight(record.sightLeft, mind.sightLeft);
    copySight(record.sightAhead, mind.sightAhead);
    copySight(record.sightRight, mind.sightRight);
    mind.lookDirection = record.lookDirection;
    mind.moveDirection = record.moveDirection;
    mind.panicked = record.panicked;
    mind.panicCounter = record.panicCounter;
    std::memcpy(mind.memory.data(), record.memory, brainMemoryBytes);
    mind.serialNumber = record.serialNumber;
    mind.colour = { record.red, record.green, record.blue };
    mind.statusText.clear();
    mind.statusText.swap(record.statusText);
    std::string& text = mind.statusText;
    if (text.size() > maximumText || text.capacity() > maximumText)
        text = std::string(text.data(), std::min(text.size(), maximumText));
}

}
