#include "platform/SupervisedProcess.h"

#include "platform/WindowsCommandLine.h"
#include "platform/WindowsErrorText.h"

#include <io.h>
#include <mutex>

#include <windows.h>

namespace shamblex {

namespace {

// Handles a child inherits must be inheritable while it is created, so two threads
// creating children at once would hand each other's files on: one at a time.
std::mutex creating;

HANDLE inheritableFile(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit { sizeof inherit, nullptr, TRUE };
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
        disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}

SupervisedProcess::~SupervisedProcess()
{
    if (m_process != -1) {
        kill();
        waitUntil(std::chrono::steady_clock::time_point::max());
    }
}

std::optional<std::string> SupervisedProcess::start(
    const std::vector<std::string>& command, const std::string& outputFile, const std::string& errorFile)
{
    std::lock_guard lock(creating);
    HANDLE input = inheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE output = inheritableFile(outputFile, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE errors = inheritableFile(errorFile, GENERIC_WRITE, CREATE_ALWAYS);
    auto closeAll = [&] {
        for (HANDLE handle : { input, output, errors }) {
            if (handle != INVALID_HANDLE_VALUE)
                CloseHandle(handle);
        }
    };
    if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE || errors == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        closeAll();
        return "cannot open the run's files: " + windowsErrorText(code);
    }
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process {};
    std::string line = windowsCommandLine(command);
    BOOL started = CreateProcessA(command[0].c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
        &startup, &process);
    DWORD code = GetLastError();
    closeAll();
    if (!started)
        return windowsErrorText(code);
    CloseHandle(process.hThread);
    m_process = reinterpret_cast<std::intptr_t>(process.hProcess);
    return std::nullopt;
}

SupervisedProcess::Ending SupervisedProcess::waitUntil(
    std::chrono::steady_clock::time_point deadline, const std::atomic<bool>* cancel)
{
    // Waited for in short slices, so that a cancel is seen soon.
    constexpr DWORD slice = 50; // milliseconds
    HANDLE process = reinterpret_cast<HANDLE>(m_process);
    Ending ending;
    bool ended = false;
    while (!ended) {
        if (std::chrono::steady_clock::now() >= deadline || (cancel && cancel->load()))
            break;
        ended = WaitForSingleObject(process, slice) != WAIT_TIMEOUT;
    }
    if (!ended) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, INFINITE);
        ending.kind = Ending::Kind::Killed;
    } else {
        DWORD status = 0;
        GetExitCodeProcess(process, &status);
        // An unhandled exception ends a process with the exception's code, which
        // has its top bits set; no program returns such a status on purpose.
        if (status >= 0xC0000000u)
            ending = { Ending::Kind::Crashed, status };
        else
            ending = { Ending::Kind::Exited, status };
    }
    CloseHandle(process);
    m_process = -1;
    return ending;
}

void SupervisedProcess::kill()
{
    if (m_process != -1)
        TerminateProcess(reinterpret_cast<HANDLE>(m_process), 1);
}

std::optional<std::string> currentProgramPath()
{
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return std::nullopt;
    return std::string(path, length);
}

bool isTerminal(std::FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

}
