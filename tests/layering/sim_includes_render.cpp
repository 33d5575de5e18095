// The simulation draws nothing itself: rendering is above it.
#include "render/Bitmap.h"
