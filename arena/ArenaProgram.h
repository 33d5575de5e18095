#pragma once

#include "arena/ArenaOptions.h"
#include "hosting/Sandbox.h"

#include <cstdio>

namespace shamblex::arena {

// shamblex-arena as a whole: plays the arena the options describe (or merges the
// shard files), writes its files and prints its summary. Returns the exit status.
// Messages go to `errors`, one line each, and the progress bar too when `errors` is
// a terminal.
// Each run plays in a brain worker with the given sandbox.
int runArenaProgram(const ArenaOptions&, const SandboxSettings&, std::FILE* output, std::FILE* errors);

}
