#include "platform/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace shamblex {

ChildProcess::~ChildProcess()
{
    finish();
}

std::optional<ChildProcess::Failure> ChildProcess::start(const std::vector<std::string>& command)
{
    // A reader that goes away must show as a failed write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return Failure { StartFailure::Other, std::strerror(errno) };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    std::vector<char*> arguments;
    for (const std::string& word : command)
        arguments.push_back(const_cast<char*>(word.c_str()));
    arguments.push_back(nullptr);
    pid_t process = 0;
    int error = posix_spawnp(&process, arguments[0], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[0]);
    if (error != 0) {
        close(ends[1]);
        return Failure { error == ENOENT ? StartFailure::NotFound : StartFailure::Other, std::strerror(error) };
    }
    m_process = process;
    m_input = ends[1];
    return std::nullopt;
}

bool ChildProcess::write(const void* bytes, std::size_t size)
{
    if (m_input < 0)
        return false;
    const char* from = static_cast<const char*>(bytes);
    while (size > 0) {
        ssize_t written = ::write(static_cast<int>(m_input), from, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        from += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::optional<int> ChildProcess::finish()
{
    if (m_input >= 0) {
        close(static_cast<int>(m_input));
        m_input = -1;
    }
    if (m_process < 0)
        return std::nullopt;
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(static_cast<pid_t>(m_process), &status, 0);
    } while (waited < 0 && errno == EINTR);
    m_process = -1;
    if (waited < 0 || !WIFEXITED(status))
        return std::nullopt;
    return WEXITSTATUS(status);
}

}
