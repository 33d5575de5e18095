#pragma once

#include "brains/BrainFileCheck.h"
#include "brains/LibraryLoader.h"

#include <memory>

namespace shamblex {

// The brain library loader of the platform this program was built for.
std::unique_ptr<LibraryLoader> makePlatformLibraryLoader();

// What that loader loads: the platform's library format and this program's machine.
HostBinary platformHostBinary();

}
