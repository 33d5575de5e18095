// The simulation sees brains only through its BrainHost: the registry is above it.
#include "brains/BrainRegistry.h"
