// Rendering knows nothing of the running saver above it.
#include "session/SaverSession.h"
