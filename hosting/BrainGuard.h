#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace shamblex {

// The process's protection against brains that crash, exit or never return, and its
// handling of interrupts. A brain runs inside the process (its code is a library
// the host calls), so a fault in it is a fault of the process: the guard turns it
// into one line that names the brain, the frame and the being, and an exit status
// that says a brain failed, never success.
//
// Signal handlers and watchdog threads have no way to reach the program's objects,
// so what they need (the program's name) is process-wide, kept by this module alone;
// the files to remove when the process must end at once are the os layer's list
// (EmergencyCleanup), which the guard empties before it ends the process.

// The exit status of a process that a brain ended: it crashed, called exit, or did
// not return from a call that had to be given up.
inline constexpr int brainFailureStatus = 3;

// Installs the handlers: a crash (segmentation fault, bus error, arithmetic or
// illegal instruction, abort; on Windows an access violation and the like, with no
// debugger prompt) or an exit inside a brain call ends the process with
// brainFailureStatus and a line on standard error. Crashes outside brain calls are
// left to whatever handled them before. Call once, early.
void guardBrainCalls(std::string_view program);

enum class Interrupt {
    None,
    Interrupted, // SIGINT, Ctrl+C
    Terminated, // SIGTERM, or a console closing
};

// From now on SIGINT and SIGTERM (Ctrl+C on Windows) only set a flag, which the
// program checks between frame steps. While a brain call runs, the program cannot
// see the flag; if the call has not returned half a second after the interrupt, the
// process ends at once, naming the brain, with 128 + the signal's number.
void watchInterrupts();
Interrupt interruptRequested();
// The exit status that reports an interrupt: 130 for SIGINT, 143 for SIGTERM.
int interruptStatus(Interrupt);

// A thread that, while one brain call has run longer than `patience`, asks
// `endNow` every 50 ms whether the user wants out (a key or a move in a full-screen
// saver, a closed window); when it says so, the process ends at once with a line
// naming the brain and brainFailureStatus. `endNow` runs on the watchdog's thread,
// while the program's own thread is stuck inside the brain.
class StuckBrainWatch {
public:
    StuckBrainWatch(std::function<bool()> endNow, std::chrono::milliseconds patience = std::chrono::milliseconds(300));
    ~StuckBrainWatch();
    StuckBrainWatch(const StuckBrainWatch&) = delete;
    StuckBrainWatch& operator=(const StuckBrainWatch&) = delete;

private:
    struct Thread;
    std::unique_ptr<Thread> m_thread;
};

// Writes, into fixed storage as a signal handler may, the line
// "<program>: brain '<name>' <what> in frame F, being I\n" (or "... while it was
// loaded" during a library's start-up code) for the running brain call; the line's
// length.
std::size_t formatBrainEnding(char* text, std::size_t capacity, const char* program, const char* what);

// What a crash is called in the lines that name a brain: "crashed (segmentation
// fault)" for a signal (POSIX) or an exception code (Windows).
const char* crashDescription(std::uint32_t code);

// Ends the process at once because of the running brain call: the line
// "<program>: brain '<name>' <what> in frame F, being I", the registered files
// removed, the given status. For the watchdog and the handlers.
[[noreturn]] void endBecauseOfBrain(const char* what, int status);

}
