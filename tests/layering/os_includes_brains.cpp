// The operating system's services know nothing of brains: brain hosting is above them.
#include "brains/BrainRegistry.h"
