// The simulation keeps its own being minds: not even the plug-ins' record reaches it.
#include "brains/BrainRecord.h"
