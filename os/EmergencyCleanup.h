#pragma once

#include <string>

// Files a process must not leave behind even when it has to end at once, from a
// signal handler, an exception filter or a watchdog thread, where nothing may
// allocate: the temporary files of outputs still being written. The list lives in
// fixed storage; whoever ends the process abruptly calls removeFilesNow() first.

namespace shamblex {

// Puts a path on the list (paths too long for it are not kept) or takes it off.
void removeIfEndedAtOnce(const std::string& path);
void keepIfEndedAtOnce(const std::string& path);

// Removes every file on the list. Async-signal-safe.
void removeFilesNow();

}
