#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace shamblex {

// Another program run to its end under a deadline, its standard output and error
// written to files and its standard input empty: one run of the arena. Several may
// run at once, each watched by its own thread.
class SupervisedProcess {
public:
    SupervisedProcess() = default;
    // A process still running is ended at once.
    ~SupervisedProcess();
    SupervisedProcess(const SupervisedProcess&) = delete;
    SupervisedProcess& operator=(const SupervisedProcess&) = delete;

    // Starts command[0] (a path, not looked up on the PATH) with the rest as its
    // arguments; the system's reason when it cannot.
    std::optional<std::string> start(
        const std::vector<std::string>& command, const std::string& outputFile, const std::string& errorFile);

    struct Ending {
        enum class Kind {
            Exited, // `code` is its exit status
            Crashed, // ended by a signal or an exception; `code` is its number
            Killed, // it passed the deadline and was ended
        };
        Kind kind = Kind::Exited;
        std::uint32_t code = 0;
    };

    // Waits for the process to end; one still running at `deadline`, or once
    // `cancel` is set (by another thread), is killed.
    Ending waitUntil(std::chrono::steady_clock::time_point deadline, const std::atomic<bool>* cancel = nullptr);

private:
    void kill();

    std::intptr_t m_process = -1; // the process id, or the process handle on Windows
};

// The running program's own file, to start another copy of it.
std::optional<std::string> currentProgramPath();

// Whether the stream is an interactive terminal (not a pipe or a file).
bool isTerminal(std::FILE*);

}
