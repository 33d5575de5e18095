#include "os/Process.h"

#include "os/PosixWriting.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace shamblex {

namespace {

// The first descriptor number handed to a child beyond its standard streams.
constexpr int firstInherited = 3;
// Descriptors are moved up here before they are put in place, so that no number a
// child gets is one another action still reads from.
constexpr int aboveInherited = 64;

// A pipe whose both ends are closed on exec; the child gets its end by a dup2.
bool makePipe(int ends[2])
{
    return pipe2(ends, O_CLOEXEC) == 0;
}

// Sets up and tears down posix_spawn's file actions and attributes.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    std::vector<int> closeAfter; // our copies of what the child was handed

    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        for (int descriptor : closeAfter)
            close(descriptor);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}

void closeHandle(NativeHandle handle)
{
    if (handle != invalidHandle)
        close(static_cast<int>(handle));
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
}

NativeHandle Process::handle() const
{
    return invalidHandle;
}

std::optional<Process::Failure> Process::start(const std::vector<std::string>& command, const ProcessOptions& options)
{
    if (command.empty())
        return Failure { StartFailure::Other, "no program to start" };
    // A reader that goes away must show as a failed write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    SpawnSetup setup;
    int input[2] = { -1, -1 };
    int output[2] = { -1, -1 };
    int errors[2] = { -1, -1 };
    auto failed = [&](int error) {
        for (int descriptor : { input[1], output[0], errors[0] }) {
            if (descriptor >= 0)
                close(descriptor);
        }
        return Failure { error == ENOENT ? StartFailure::NotFound : StartFailure::Other, std::strerror(error) };
    };

    if (options.input == ChildInput::Pipe) {
        if (!makePipe(input))
            return failed(errno);
        setup.closeAfter.push_back(input[0]);
        posix_spawn_file_actions_adddup2(&setup.actions, input[0], STDIN_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    auto connect = [&](ChildOutput kind, const std::string& file, int ends[2], int target) {
        if (kind == ChildOutput::File) {
            posix_spawn_file_actions_addopen(&setup.actions, target, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        } else if (kind == ChildOutput::Pipe) {
            if (!makePipe(ends))
                return false;
            setup.closeAfter.push_back(ends[1]);
            posix_spawn_file_actions_adddup2(&setup.actions, ends[1], target);
        }
        return true;
    };
    if (!connect(options.output, options.outputFile, output, STDOUT_FILENO)
        || !connect(options.errors, options.errorFile, errors, STDERR_FILENO))
        return failed(errno);

    // Each inherited descriptor is first copied out of the way, then put in place.
    for (std::size_t i = 0; i < options.inherited.size(); ++i) {
        int copy = fcntl(static_cast<int>(options.inherited[i]), F_DUPFD_CLOEXEC, aboveInherited);
        if (copy < 0)
            return failed(errno);
        setup.closeAfter.push_back(copy);
        posix_spawn_file_actions_adddup2(&setup.actions, copy, firstInherited + static_cast<int>(i));
    }
    // Whatever this process holds without close-on-exec (a library's descriptors)
    // stays here.
    posix_spawn_file_actions_addclosefrom_np(
        &setup.actions, firstInherited + static_cast<int>(options.inherited.size()));

    // The child starts with the usual signal handling, whatever this process ignores.
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : { SIGPIPE, SIGINT, SIGTERM, SIGCHLD })
        sigaddset(&defaults, signal);
    sigset_t noneBlocked;
    sigemptyset(&noneBlocked);
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    posix_spawnattr_setsigmask(&setup.attributes, &noneBlocked);
    if (options.ownGroup) {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&setup.attributes, 0);
    }
    posix_spawnattr_setflags(&setup.attributes, flags);

    std::vector<char*> arguments;
    for (const std::string& word : command)
        arguments.push_back(const_cast<char*>(word.c_str()));
    arguments.push_back(nullptr);
    char* noEnvironment[] = { nullptr };
    char** environment = options.emptyEnvironment ? noEnvironment : environ;
    pid_t process = 0;
    int error = options.searchPath
        ? posix_spawnp(&process, arguments[0], &setup.actions, &setup.attributes, arguments.data(), environment)
        : posix_spawn(&process, arguments[0], &setup.actions, &setup.attributes, arguments.data(), environment);
    if (error != 0)
        return failed(error);

    m_process = process;
    m_id = process;
    m_ownGroup = options.ownGroup;
    m_killed = false;
    m_input = input[1];
    m_output = output[0];
    m_errors = errors[0];
    return std::nullopt;
}

bool Process::write(const void* bytes, std::size_t size)
{
    return m_input != invalidHandle && writeFully(static_cast<int>(m_input), bytes, size);
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
    // A group leader's group holds everything it started that did not leave it.
    if (m_ownGroup)
        ::kill(-static_cast<pid_t>(m_process), SIGKILL);
    ::kill(static_cast<pid_t>(m_process), SIGKILL);
}

Process::Ending Process::reap(bool block)
{
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(static_cast<pid_t>(m_process), &status, block ? 0 : WNOHANG);
    } while (waited < 0 && errno == EINTR);
    Ending ending;
    if (waited == 0)
        return ending; // still running: the caller checks running()
    // Whatever the group still holds ends with its leader.
    if (m_ownGroup)
        ::kill(-static_cast<pid_t>(m_process), SIGKILL);
    m_process = invalidProcess;
    if (waited < 0 || m_killed)
        ending.kind = Ending::Kind::Killed;
    else if (WIFSIGNALED(status))
        ending = { Ending::Kind::Crashed, static_cast<std::uint32_t>(WTERMSIG(status)) };
    else
        ending = { Ending::Kind::Exited, static_cast<std::uint32_t>(WEXITSTATUS(status)) };
    return ending;
}

Process::Ending Process::waitUntil(std::chrono::steady_clock::time_point deadline, const std::atomic<bool>* cancel)
{
    closeInput();
    if (!running())
        return { Ending::Kind::Killed, 0 };
    if (deadline == std::chrono::steady_clock::time_point::max() && !cancel)
        return reap(true);
    // Polled rather than blocked on: a thread cannot wait for one child with a time
    // limit otherwise. A run lasts seconds; a few milliseconds of lag are nothing.
    constexpr auto pollInterval = std::chrono::milliseconds(5);
    for (;;) {
        if (auto ending = poll())
            return *ending;
        if (std::chrono::steady_clock::now() >= deadline || (cancel && cancel->load())) {
            kill();
            return reap(true);
        }
        std::this_thread::sleep_for(pollInterval);
    }
}

}
