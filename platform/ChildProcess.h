#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shamblex {

// Another program fed through a pipe to its standard input (the video encoder): it
// is found on the PATH, shares the standard output and error streams, and ends when
// its input is closed.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    enum class StartFailure {
        NotFound, // no such program on the PATH
        Other,
    };
    struct Failure {
        StartFailure kind = StartFailure::Other;
        std::string reason;
    };

    // Starts command[0] with the rest as its arguments.
    std::optional<Failure> start(const std::vector<std::string>& command);

    // False once the program has stopped reading (it ended, or failed).
    bool write(const void* bytes, std::size_t size);

    // Closes its input and waits for it: its exit status, or none when it was ended
    // by a signal or could not be waited for.
    std::optional<int> finish();

private:
    std::intptr_t m_process = -1; // the process id, or the process handle on Windows
    std::intptr_t m_input = -1; // our end of the pipe
};

}
