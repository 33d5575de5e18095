// The brain worker's confinement on Windows comes from its host: a job object that
// ends with the host and keeps it from starting processes and from the desktop, the
// clipboard, global atoms, system parameters and other processes' windows, a memory
// limit, and a restricted, low-integrity token (os/WindowsProcess.cpp). The worker
// itself records how it ends, with no error box and no debugger prompt.
//
// Wine, on which this is tested, ignores tokens and most job limits: there the split
// into a worker is what is verified, not the limits.
#include "hosting/Sandbox.h"

#include <windows.h>

namespace shamblex {

namespace {

WorkerControl* control = nullptr;

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* exception)
{
    if (control) {
        control->faultAddress.store(reinterpret_cast<std::uintptr_t>(exception->ExceptionRecord->ExceptionAddress),
            std::memory_order_relaxed);
        control->fatalSignal.store(static_cast<std::int32_t>(exception->ExceptionRecord->ExceptionCode),
            std::memory_order_release);
    }
    // End here, with the exception's code as Windows itself would, rather than pass
    // the exception on: Wine hands it to a debugger, which, where none is installed,
    // leaves the process running without the crashed thread, and the host would
    // never learn of the crash.
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

}

void recordWorkerEndings(WorkerControl& block)
{
    control = &block;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ULONG stackLeft = 32 * 1024;
    SetThreadStackGuarantee(&stackLeft);
    SetUnhandledExceptionFilter(onUnhandledException);
}

std::vector<std::string> enterSandbox(const SandboxSettings&, std::int64_t)
{
    return {};
}

void pinDescriptor(NativeHandle)
{
}

PinnedSystemCall pinnedSystemCall()
{
    return nullptr;
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> codeRangeOf(void* handle)
{
    // A module's handle is its base address; its headers give its size.
    auto* base = static_cast<const unsigned char*>(handle);
    if (!base)
        return std::nullopt;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    auto start = reinterpret_cast<std::uintptr_t>(base);
    return std::pair<std::uint64_t, std::uint64_t> { start, start + nt->OptionalHeader.SizeOfImage };
}

std::string systemCallName(std::int32_t number)
{
    return "system call " + std::to_string(number);
}

}
