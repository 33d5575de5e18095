// A session runs the same whoever hosts its brains: hosting is above it.
#include "hosting/BrainGuard.h"
