// What child processes do alike on every system; the rest is in PosixProcess.cpp and
// WindowsProcess.cpp.
#include "os/Process.h"

namespace shamblex {

std::optional<Process::Ending> Process::poll()
{
    if (!running())
        return std::nullopt;
    Ending ending = reap(false);
    if (running())
        return std::nullopt;
    return ending;
}

std::optional<int> Process::finish()
{
    Ending ending = waitUntil();
    if (ending.kind != Ending::Kind::Exited)
        return std::nullopt;
    return static_cast<int>(ending.code);
}

}
