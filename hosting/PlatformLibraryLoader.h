#pragma once

#include "brains/LibraryLoader.h"

#include <memory>

namespace shamblex {

// The brain library loader of the platform this program was built for.
std::unique_ptr<LibraryLoader> makePlatformLibraryLoader();

}
