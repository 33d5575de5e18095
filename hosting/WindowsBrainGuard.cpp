// The brain guard on Windows: an unhandled-exception filter (with the error boxes and
// the debugger prompt turned off), an exit handler, and a console control handler
// that gives a stuck brain half a second after Ctrl+C.
#include "hosting/BrainGuard.h"

#include "brains/BrainCallState.h"
#include "os/EmergencyCleanup.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <windows.h>

namespace shamblex {

namespace {

constexpr std::size_t maximumProgramName = 64;

constexpr DWORD interruptPatience = 500; // milliseconds

char programName[maximumProgramName] = "shamblex";
std::atomic<int> pendingInterrupt { 0 }; // 0, or the Interrupt as a number
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;

}

const char* crashDescription(std::uint32_t code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "crashed (access violation)";
    case EXCEPTION_IN_PAGE_ERROR: return "crashed (page error)";
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION: return "crashed (illegal instruction)";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "crashed (arithmetic error)";
    case EXCEPTION_STACK_OVERFLOW: return "crashed (stack overflow)";
    default: return "crashed";
    }
}

namespace {

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* exception)
{
    if (brainCallState().brain.load(std::memory_order_acquire))
        endBecauseOfBrain(crashDescription(exception->ExceptionRecord->ExceptionCode), brainFailureStatus);
    return previousFilter ? previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

void onExit()
{
    if (brainCallState().brain.load(std::memory_order_acquire))
        endBecauseOfBrain("called exit", brainFailureStatus);
}

BOOL WINAPI onConsoleEvent(DWORD event)
{
    // Runs on a thread of its own: it can wait for the brain the program is stuck in.
    Interrupt interrupt = event == CTRL_C_EVENT ? Interrupt::Interrupted : Interrupt::Terminated;
    pendingInterrupt.store(static_cast<int>(interrupt));
    BrainCallState& call = brainCallState();
    if (call.brain.load(std::memory_order_acquire)) {
        std::uint64_t stuck = call.calls.load(std::memory_order_relaxed);
        Sleep(interruptPatience);
        if (call.brain.load(std::memory_order_acquire) && call.calls.load(std::memory_order_relaxed) == stuck)
            endBecauseOfBrain("did not return after an interrupt", interruptStatus(interrupt));
    }
    return TRUE;
}

}

void endBecauseOfBrain(const char* what, int status)
{
    char line[512];
    std::size_t length = formatBrainEnding(line, sizeof line, programName, what);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
    removeFilesNow();
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    for (;;)
        Sleep(INFINITE);
}

void guardBrainCalls(std::string_view program)
{
    std::size_t length = std::min(program.size(), maximumProgramName - 1);
    std::memcpy(programName, program.data(), length);
    programName[length] = 0;
    // No error box and no debugger prompt: a crash is reported by the filter.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ULONG stackLeft = 32 * 1024;
    SetThreadStackGuarantee(&stackLeft); // room for the filter after a stack overflow
    previousFilter = SetUnhandledExceptionFilter(onUnhandledException);
    std::atexit(onExit);
}

void watchInterrupts()
{
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

Interrupt interruptRequested()
{
    return static_cast<Interrupt>(pendingInterrupt.load());
}

int interruptStatus(Interrupt interrupt)
{
    // The same numbers a POSIX shell reports for SIGINT and SIGTERM.
    return interrupt == Interrupt::Terminated ? 143 : 130;
}

}
