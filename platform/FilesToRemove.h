#pragma once

// The guard's list of files to remove when the process has to end at once (see
// removeIfEndedAtOnce in BrainGuard.h), shared by the platforms' guards. It lives in
// fixed storage, so that a signal handler or an exception filter can walk it
// without allocating.

namespace shamblex {

// Calls `remove` with the path of every file still on the list.
void removeListedFiles(void (*remove)(const char* path));

}
