#pragma once

#include "brains/BrainRecord.h"
#include "sim/BeingMind.h"

namespace shamblex {

// The one conversion a brain call costs each way, between the simulation's aligned
// BeingMind and the packed record a brain reads and writes.

// Fills the record from the mind; the status text moves into the record (the mind's
// is left empty), so nothing is copied.
void putIntoRecord(BeingMind&, BrainRecord&);

// Fills the mind from the record after the call; the status text moves back (the
// record's is left empty), cut to `maximumText` bytes, and a text that kept more
// memory than that is copied into memory of its own size, so that a brain cannot
// make the host hold on to what it allocated.
void takeFromRecord(BrainRecord&, BeingMind&, std::size_t maximumText);

}
