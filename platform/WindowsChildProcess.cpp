#include "platform/ChildProcess.h"

#include "platform/WindowsCommandLine.h"

#include <string>

#include <windows.h>

namespace shamblex {

ChildProcess::~ChildProcess()
{
    finish();
}

std::optional<ChildProcess::Failure> ChildProcess::start(const std::vector<std::string>& command)
{
    SECURITY_ATTRIBUTES inherit { sizeof inherit, nullptr, TRUE };
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return Failure { StartFailure::Other, "cannot make a pipe" };
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process {};
    std::string line = windowsCommandLine(command);
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    DWORD code = GetLastError();
    CloseHandle(readEnd);
    if (!started) {
        CloseHandle(writeEnd);
        bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        return Failure { missing ? StartFailure::NotFound : StartFailure::Other, "error " + std::to_string(code) };
    }
    CloseHandle(process.hThread);
    m_process = reinterpret_cast<std::intptr_t>(process.hProcess);
    m_input = reinterpret_cast<std::intptr_t>(writeEnd);
    return std::nullopt;
}

bool ChildProcess::write(const void* bytes, std::size_t size)
{
    if (m_input == -1)
        return false;
    const char* from = static_cast<const char*>(bytes);
    while (size > 0) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        if (!WriteFile(reinterpret_cast<HANDLE>(m_input), from, chunk, &written, nullptr) || written == 0)
            return false;
        from += written;
        size -= written;
    }
    return true;
}

std::optional<int> ChildProcess::finish()
{
    if (m_input != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(m_input));
        m_input = -1;
    }
    if (m_process == -1)
        return std::nullopt;
    HANDLE process = reinterpret_cast<HANDLE>(m_process);
    m_process = -1;
    DWORD status = 0;
    bool waited = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &status);
    CloseHandle(process);
    if (!waited)
        return std::nullopt;
    return static_cast<int>(status);
}

}
