// A library that is not a brain: it exports something, but not ExecuteBrain.
#include "brains/BrainRecord.h"

SHAMBLEX_BRAIN_EXPORT int SHAMBLEX_BRAIN_CALL NotABrain()
{
    return 42;
}
