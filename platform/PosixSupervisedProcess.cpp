#include "platform/SupervisedProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace shamblex {

SupervisedProcess::~SupervisedProcess()
{
    if (m_process >= 0) {
        kill();
        waitUntil(std::chrono::steady_clock::time_point::max());
    }
}

std::optional<std::string> SupervisedProcess::start(
    const std::vector<std::string>& command, const std::string& outputFile, const std::string& errorFile)
{
    // The child opens its own files, so no descriptor of another thread's child is
    // handed on by accident.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> arguments;
    for (const std::string& word : command)
        arguments.push_back(const_cast<char*>(word.c_str()));
    arguments.push_back(nullptr);
    pid_t process = 0;
    int error = posix_spawn(&process, arguments[0], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return std::string(std::strerror(error));
    m_process = process;
    return std::nullopt;
}

SupervisedProcess::Ending SupervisedProcess::waitUntil(
    std::chrono::steady_clock::time_point deadline, const std::atomic<bool>* cancel)
{
    // Polled rather than blocked on: a thread cannot wait for one child with a time
    // limit otherwise. A run lasts seconds; a few milliseconds of lag are nothing.
    constexpr auto pollInterval = std::chrono::milliseconds(5);
    Ending ending;
    bool killed = false;
    int status = 0;
    for (;;) {
        pid_t waited = waitpid(static_cast<pid_t>(m_process), &status, killed ? 0 : WNOHANG);
        if (waited < 0 && errno == EINTR)
            continue;
        if (waited != 0)
            break;
        if (std::chrono::steady_clock::now() >= deadline || (cancel && cancel->load())) {
            kill();
            killed = true;
            continue;
        }
        std::this_thread::sleep_for(pollInterval);
    }
    m_process = -1;
    if (killed)
        ending.kind = Ending::Kind::Killed;
    else if (WIFSIGNALED(status))
        ending = { Ending::Kind::Crashed, static_cast<std::uint32_t>(WTERMSIG(status)) };
    else
        ending = { Ending::Kind::Exited, static_cast<std::uint32_t>(WEXITSTATUS(status)) };
    return ending;
}

void SupervisedProcess::kill()
{
    if (m_process >= 0)
        ::kill(static_cast<pid_t>(m_process), SIGKILL);
}

std::optional<std::string> currentProgramPath()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::nullopt;
    return self.string();
}

bool isTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) == 1;
}

}
