#pragma once

#include "os/NativeHandle.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shamblex {

// How a child's standard streams are connected.
enum class ChildInput {
    Empty, // the null device
    Pipe, // a pipe this process writes to (write(), closeInput())
};

enum class ChildOutput {
    Inherit, // this process's own stream
    File, // a file, created or emptied
    Pipe, // a pipe this process reads (outputPipe(), errorPipe())
};

struct ProcessOptions {
    ChildInput input = ChildInput::Empty;
    ChildOutput output = ChildOutput::Inherit;
    std::string outputFile; // for ChildOutput::File
    ChildOutput errors = ChildOutput::Inherit;
    std::string errorFile;
    // Looks command[0] up on the PATH; otherwise it is a path to the program.
    bool searchPath = false;
    // Starts the child with no environment variable at all.
    bool emptyEnvironment = false;
    // Handles the child gets besides its standard streams, and nothing else of this
    // process: on POSIX systems they become descriptors 3, 4, ... in this order; on
    // Windows they are inherited with their values, which the command line tells.
    std::vector<NativeHandle> inherited;
    // POSIX: the child leads a process group of its own, so that kill() ends it with
    // every process it started. Windows: the child runs in a job object that ends
    // with this process, and kill() ends the job.
    bool ownGroup = false;
    // Windows, with ownGroup: the job also keeps the child from starting processes,
    // from the desktop, the clipboard, global atoms, system parameters and other
    // processes' windows, and limits its memory (`memoryLimit` bytes, 0 none); the
    // child runs with a restricted, low-integrity token where the system allows one.
    // (On POSIX systems a child confines itself, before it runs anything foreign.)
    bool confined = false;
    std::uint64_t memoryLimit = 0;
};

// Another program run as a child: the video encoder fed through a pipe, a run of the
// arena written to files, a brain worker on a channel. One class, its options say how.
class Process {
public:
    Process() = default;
    // A child still running is ended at once and waited for.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    enum class StartFailure {
        NotFound, // no such program
        Other,
    };
    struct Failure {
        StartFailure kind = StartFailure::Other;
        std::string reason;
    };

    // Starts command[0] with the rest as its arguments; the system's reason when it
    // cannot.
    std::optional<Failure> start(const std::vector<std::string>& command, const ProcessOptions& = {});

    bool running() const { return m_process != invalidProcess; }
    // The child's process id (POSIX) or process id as Windows numbers it.
    std::int64_t id() const { return m_id; }
    // The process handle on Windows; -1 elsewhere.
    NativeHandle handle() const;

    // Writes to its standard input; false once it stopped reading.
    bool write(const void* bytes, std::size_t size);
    void closeInput();
    // The reading ends of the pipes asked for; this object keeps owning them.
    NativeHandle outputPipe() const { return m_output; }
    NativeHandle errorPipe() const { return m_errors; }

    struct Ending {
        enum class Kind {
            Exited, // `code` is its exit status
            Crashed, // ended by a signal or an exception; `code` is its number
            Killed, // it passed the deadline, was cancelled or was killed, and was ended
        };
        Kind kind = Kind::Exited;
        std::uint32_t code = 0;
    };

    // Closes its input and waits for it to end; one still running at `deadline`, or
    // once `cancel` is set (by another thread), is killed.
    Ending waitUntil(std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max(),
        const std::atomic<bool>* cancel = nullptr);
    // Whether it has ended, without waiting; its ending when it has.
    std::optional<Ending> poll();

    // Ends it at once (with its group or job when it has one).
    void kill();

    // Waits for it and gives its exit status; none when it crashed or was killed.
    std::optional<int> finish();

private:
    static constexpr std::intptr_t invalidProcess = -1;
    Ending reap(bool block);

    std::intptr_t m_process = invalidProcess; // the process id, or the process handle on Windows
    std::int64_t m_id = 0;
    std::intptr_t m_job = -1; // Windows: the job object of a child with its own group
    bool m_ownGroup = false;
    bool m_killed = false;
    NativeHandle m_input = invalidHandle;
    NativeHandle m_output = invalidHandle;
    NativeHandle m_errors = invalidHandle;
};

}
