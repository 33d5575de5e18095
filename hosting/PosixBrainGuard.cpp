// The brain guard on POSIX systems: signal handlers for crashes and interrupts, an
// exit handler, and an interval timer that gives a stuck brain half a second after
// an interrupt. Everything the handlers do is async-signal-safe: fixed buffers,
// write(2), unlink(2), _exit(2).
#include "hosting/BrainGuard.h"

#include "brains/BrainCallState.h"
#include "os/EmergencyCleanup.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/time.h>
#include <unistd.h>

namespace shamblex {

namespace {

constexpr std::size_t maximumProgramName = 64;

// What the handlers need, in fixed storage: they may not allocate.
char programName[maximumProgramName] = "shamblex";

volatile std::sig_atomic_t pendingInterrupt = 0; // the signal's number, or 0
std::atomic<std::uint64_t> callAtInterrupt { 0 };

constexpr int crashSignals[] = { SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS, SIGTRAP };
struct sigaction previousActions[sizeof crashSignals / sizeof crashSignals[0]];

// An alternate stack, so that a brain that overflows its stack is still reported.
alignas(16) char alternateStack[64 * 1024];

}

const char* crashDescription(std::uint32_t signal)
{
    switch (static_cast<int>(signal)) {
    case SIGSEGV: return "crashed (segmentation fault)";
    case SIGBUS: return "crashed (bus error)";
    case SIGFPE: return "crashed (arithmetic error)";
    case SIGILL: return "crashed (illegal instruction)";
    case SIGABRT: return "aborted";
    case SIGSYS: return "crashed (bad system call)";
    case SIGTRAP: return "crashed (trap)";
    case SIGKILL: return "was killed (SIGKILL)";
    case SIGTERM: return "was terminated (SIGTERM)";
    case SIGINT: return "was interrupted (SIGINT)";
    default: return "crashed";
    }
}

namespace {

void onCrash(int signal, siginfo_t* info, void* context)
{
    if (brainCallState().brain.load(std::memory_order_acquire))
        endBecauseOfBrain(crashDescription(static_cast<std::uint32_t>(signal)), brainFailureStatus);
    // Not inside a brain: whoever handled this signal before (the default action, or
    // a sanitizer's report) handles it now; returning retries the faulting instruction.
    for (std::size_t i = 0; i < sizeof crashSignals / sizeof crashSignals[0]; ++i) {
        if (crashSignals[i] != signal)
            continue;
        const struct sigaction& previous = previousActions[i];
        if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
            previous.sa_sigaction(signal, info, context);
            return;
        }
        sigaction(signal, &previous, nullptr);
        if (signal == SIGABRT || previous.sa_handler == SIG_IGN)
            raise(signal);
        return;
    }
}

void onExit()
{
    if (brainCallState().brain.load(std::memory_order_acquire))
        endBecauseOfBrain("called exit", brainFailureStatus);
}

void onInterrupt(int signal)
{
    pendingInterrupt = signal;
    if (brainCallState().brain.load(std::memory_order_acquire)) {
        // The program cannot look at the flag until the brain returns: give it half
        // a second.
        callAtInterrupt.store(brainCallState().calls.load(std::memory_order_relaxed), std::memory_order_relaxed);
        itimerval timer {};
        timer.it_value.tv_usec = 500'000;
        setitimer(ITIMER_REAL, &timer, nullptr);
    }
}

void onInterruptTimeout(int)
{
    BrainCallState& call = brainCallState();
    if (call.brain.load(std::memory_order_acquire)
        && call.calls.load(std::memory_order_relaxed) == callAtInterrupt.load(std::memory_order_relaxed))
        endBecauseOfBrain("did not return after an interrupt", 128 + pendingInterrupt);
}

}

void endBecauseOfBrain(const char* what, int status)
{
    char line[512];
    std::size_t length = formatBrainEnding(line, sizeof line, programName, what);
    ssize_t ignored = write(STDERR_FILENO, line, length);
    (void)ignored;
    removeFilesNow();
    _exit(status);
}

void guardBrainCalls(std::string_view program)
{
    std::size_t length = std::min(program.size(), maximumProgramName - 1);
    std::memcpy(programName, program.data(), length);
    programName[length] = 0;

    stack_t stack {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
    for (std::size_t i = 0; i < sizeof crashSignals / sizeof crashSignals[0]; ++i) {
        struct sigaction action {};
        action.sa_sigaction = onCrash;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(crashSignals[i], &action, &previousActions[i]);
    }
    std::atexit(onExit);
    std::at_quick_exit(onExit);
}

void watchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    struct sigaction timeout {};
    timeout.sa_handler = onInterruptTimeout;
    sigemptyset(&timeout.sa_mask);
    sigaction(SIGALRM, &timeout, nullptr);
}

Interrupt interruptRequested()
{
    switch (pendingInterrupt) {
    case SIGINT: return Interrupt::Interrupted;
    case SIGTERM: return Interrupt::Terminated;
    default: return Interrupt::None;
    }
}

int interruptStatus(Interrupt interrupt)
{
    return interrupt == Interrupt::Terminated ? 128 + SIGTERM : 128 + SIGINT;
}

}
