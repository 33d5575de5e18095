#pragma once

#include "arena/ArenaOptions.h"

#include <cstdio>

namespace shamblex::arena {

// shamblex-arena as a whole: plays the arena the options describe (or merges the
// shard files), writes its files and prints its summary. Returns the exit status.
// Messages go to `errors`, one line each, and the progress bar too when `errors` is
// a terminal.
int runArenaProgram(const ArenaOptions&, std::FILE* output, std::FILE* errors);

}
