#include "os/Process.h"

#include "os/WindowsCommandLine.h"
#include "os/WindowsErrorText.h"

#include <mutex>
#include <thread>

#include <windows.h>

namespace shamblex {

namespace {

// Handles a child inherits must be inheritable while it is created, so two threads
// creating children at once would hand each other's files on: one at a time. The
// list of handles to inherit narrows it further where the system honours it.
std::mutex creating;

HANDLE inheritableFile(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit { sizeof inherit, nullptr, TRUE };
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
        disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE asHandle(NativeHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

NativeHandle asNative(HANDLE handle)
{
    return handle == nullptr || handle == INVALID_HANDLE_VALUE ? invalidHandle : reinterpret_cast<NativeHandle>(handle);
}

// This process's token with every privilege but change-notify dropped and the low
// integrity level, for a confined child; null where the system refuses one.
HANDLE restrictedToken()
{
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(),
            TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT, &own))
        return nullptr;
    HANDLE restricted = nullptr;
    BOOL made = CreateRestrictedToken(own, DISABLE_MAX_PRIVILEGE, 0, nullptr, 0, nullptr, 0, nullptr, &restricted);
    CloseHandle(own);
    if (!made)
        return nullptr;
    // S-1-16-4096: the low mandatory level.
    SID_IDENTIFIER_AUTHORITY mandatory = SECURITY_MANDATORY_LABEL_AUTHORITY;
    PSID low = nullptr;
    if (AllocateAndInitializeSid(&mandatory, 1, SECURITY_MANDATORY_LOW_RID, 0, 0, 0, 0, 0, 0, 0, &low)) {
        TOKEN_MANDATORY_LABEL label {};
        label.Label.Attributes = SE_GROUP_INTEGRITY;
        label.Label.Sid = low;
        SetTokenInformation(restricted, TokenIntegrityLevel, &label, sizeof label + GetLengthSid(low));
        FreeSid(low);
    }
    return restricted;
}

}

void closeHandle(NativeHandle handle)
{
    if (handle != invalidHandle)
        CloseHandle(asHandle(handle));
}

Process::~Process()
{
    closeInput();
    if (running()) {
        kill();
        reap(true);
    }
    closeHandle(m_output);
    closeHandle(m_errors);
    closeHandle(m_job);
}

NativeHandle Process::handle() const
{
    return m_process;
}

std::optional<Process::Failure> Process::start(const std::vector<std::string>& command, const ProcessOptions& options)
{
    if (command.empty())
        return Failure { StartFailure::Other, "no program to start" };
    std::lock_guard lock(creating);
    SECURITY_ATTRIBUTES inherit { sizeof inherit, nullptr, TRUE };
    // Our ends of the pipes and the child's ends; the child's are closed here once it
    // has them.
    HANDLE childIn = INVALID_HANDLE_VALUE, childOut = INVALID_HANDLE_VALUE, childErr = INVALID_HANDLE_VALUE;
    HANDLE ourIn = nullptr, ourOut = nullptr, ourErr = nullptr;
    auto closeChildEnds = [&] {
        for (HANDLE handle : { childIn, childOut, childErr }) {
            if (handle != INVALID_HANDLE_VALUE && handle != nullptr && handle != GetStdHandle(STD_OUTPUT_HANDLE)
                && handle != GetStdHandle(STD_ERROR_HANDLE))
                CloseHandle(handle);
        }
    };
    auto failed = [&](DWORD code) {
        closeChildEnds();
        for (HANDLE handle : { ourIn, ourOut, ourErr }) {
            if (handle)
                CloseHandle(handle);
        }
        bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        return Failure { missing ? StartFailure::NotFound : StartFailure::Other, windowsErrorText(code) };
    };

    if (options.input == ChildInput::Pipe) {
        if (!CreatePipe(&childIn, &ourIn, &inherit, 0))
            return failed(GetLastError());
        SetHandleInformation(ourIn, HANDLE_FLAG_INHERIT, 0);
    } else {
        childIn = inheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
    }
    auto connect = [&](ChildOutput kind, const std::string& file, HANDLE& child, HANDLE& ours, DWORD standard) {
        if (kind == ChildOutput::File) {
            child = inheritableFile(file, GENERIC_WRITE, CREATE_ALWAYS);
        } else if (kind == ChildOutput::Pipe) {
            if (!CreatePipe(&ours, &child, &inherit, 0))
                return false;
            SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0);
        } else {
            child = GetStdHandle(standard);
        }
        return child != INVALID_HANDLE_VALUE;
    };
    if (childIn == INVALID_HANDLE_VALUE || !connect(options.output, options.outputFile, childOut, ourOut, STD_OUTPUT_HANDLE)
        || !connect(options.errors, options.errorFile, childErr, ourErr, STD_ERROR_HANDLE))
        return failed(GetLastError());

    // Exactly these handles go to the child.
    std::vector<HANDLE> handed { childIn };
    for (HANDLE handle : { childOut, childErr }) {
        if (handle && handle != INVALID_HANDLE_VALUE)
            handed.push_back(handle);
    }
    for (NativeHandle handle : options.inherited) {
        SetHandleInformation(asHandle(handle), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        handed.push_back(asHandle(handle));
    }
    // The standard handles of this process may not be inheritable (a console's).
    for (HANDLE handle : handed)
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);

    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> attributeStore(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeStore.data());
    bool listed = InitializeProcThreadAttributeList(attributes, 1, 0, &size)
        && UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handed.data(),
            handed.size() * sizeof(HANDLE), nullptr, nullptr);

    STARTUPINFOEXA startup {};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = childIn;
    startup.StartupInfo.hStdOutput = childOut;
    startup.StartupInfo.hStdError = childErr;
    if (listed)
        startup.lpAttributeList = attributes;
    DWORD flags = (listed ? EXTENDED_STARTUPINFO_PRESENT : 0) | (options.ownGroup ? CREATE_SUSPENDED : 0);
    // An empty environment block is two zero characters.
    char noEnvironment[2] = { 0, 0 };
    PROCESS_INFORMATION process {};
    std::string line = windowsCommandLine(command);
    HANDLE token = options.confined ? restrictedToken() : nullptr;
    BOOL started = token
        ? CreateProcessAsUserA(token, options.searchPath ? nullptr : command[0].c_str(), line.data(), nullptr, nullptr,
            TRUE, flags, options.emptyEnvironment ? noEnvironment : nullptr, nullptr, &startup.StartupInfo, &process)
        : FALSE;
    if (!started)
        started = CreateProcessA(options.searchPath ? nullptr : command[0].c_str(), line.data(), nullptr, nullptr, TRUE,
            flags, options.emptyEnvironment ? noEnvironment : nullptr, nullptr, &startup.StartupInfo, &process);
    DWORD code = GetLastError();
    if (token)
        CloseHandle(token);
    if (listed)
        DeleteProcThreadAttributeList(attributes);
    for (NativeHandle handle : options.inherited)
        SetHandleInformation(asHandle(handle), HANDLE_FLAG_INHERIT, 0);
    if (!started)
        return failed(code);
    closeChildEnds();

    if (options.ownGroup) {
        // The job ends with the last handle to it, which this object holds: whatever
        // the child starts ends with it, even when this process is killed.
        HANDLE job = CreateJobObjectA(nullptr, nullptr);
        if (job) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits {};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            if (options.confined) {
                limits.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_ACTIVE_PROCESS | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
                limits.BasicLimitInformation.ActiveProcessLimit = 1;
                if (options.memoryLimit > 0) {
                    limits.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
                    limits.ProcessMemoryLimit = static_cast<SIZE_T>(options.memoryLimit);
                }
                JOBOBJECT_BASIC_UI_RESTRICTIONS restrictions {};
                restrictions.UIRestrictionsClass = JOB_OBJECT_UILIMIT_DESKTOP | JOB_OBJECT_UILIMIT_DISPLAYSETTINGS
                    | JOB_OBJECT_UILIMIT_EXITWINDOWS | JOB_OBJECT_UILIMIT_GLOBALATOMS | JOB_OBJECT_UILIMIT_HANDLES
                    | JOB_OBJECT_UILIMIT_READCLIPBOARD | JOB_OBJECT_UILIMIT_SYSTEMPARAMETERS
                    | JOB_OBJECT_UILIMIT_WRITECLIPBOARD;
                SetInformationJobObject(job, JobObjectBasicUIRestrictions, &restrictions, sizeof restrictions);
            }
            SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
            AssignProcessToJobObject(job, process.hProcess);
            m_job = asNative(job);
        }
        ResumeThread(process.hThread);
    }
    CloseHandle(process.hThread);
    m_process = reinterpret_cast<std::intptr_t>(process.hProcess);
    m_id = process.dwProcessId;
    m_ownGroup = options.ownGroup;
    m_killed = false;
    m_input = asNative(ourIn);
    m_output = asNative(ourOut);
    m_errors = asNative(ourErr);
    return std::nullopt;
}

bool Process::write(const void* bytes, std::size_t size)
{
    if (m_input == invalidHandle)
        return false;
    const char* from = static_cast<const char*>(bytes);
    while (size > 0) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        if (!WriteFile(asHandle(m_input), from, chunk, &written, nullptr) || written == 0)
            return false;
        from += written;
        size -= written;
    }
    return true;
}

void Process::closeInput()
{
    closeHandle(m_input);
    m_input = invalidHandle;
}

void Process::kill()
{
    if (!running())
        return;
    m_killed = true;
    if (m_job != -1)
        TerminateJobObject(asHandle(m_job), 1);
    TerminateProcess(asHandle(m_process), 1);
}

Process::Ending Process::reap(bool block)
{
    HANDLE process = asHandle(m_process);
    Ending ending;
    if (WaitForSingleObject(process, block ? INFINITE : 0) == WAIT_TIMEOUT)
        return ending;
    DWORD status = 0;
    GetExitCodeProcess(process, &status);
    CloseHandle(process);
    m_process = invalidProcess;
    if (m_killed)
        ending.kind = Ending::Kind::Killed;
    // An unhandled exception ends a process with the exception's code, which has
    // its top bits set; no program returns such a status on purpose.
    else if (status >= 0xC0000000u)
        ending = { Ending::Kind::Crashed, status };
    else
        ending = { Ending::Kind::Exited, status };
    return ending;
}

Process::Ending Process::waitUntil(std::chrono::steady_clock::time_point deadline, const std::atomic<bool>* cancel)
{
    closeInput();
    if (!running())
        return { Ending::Kind::Killed, 0 };
    // Waited for in short slices, so that a cancel is seen soon.
    constexpr DWORD slice = 50; // milliseconds
    for (;;) {
        if (std::chrono::steady_clock::now() >= deadline || (cancel && cancel->load())) {
            kill();
            return reap(true);
        }
        auto left = deadline - std::chrono::steady_clock::now();
        DWORD wait = slice;
        if (left < std::chrono::milliseconds(slice))
            wait = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count());
        if (WaitForSingleObject(asHandle(m_process), wait) != WAIT_TIMEOUT)
            return reap(true);
    }
}

}
