#pragma once

#include "cli/BrainTrace.h"
#include "cli/CommandLine.h"
#include "session/SaverSession.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {
class LibraryLoader;
}

namespace shamblex::cli {

// The runner's outputs, by the option that asks for each.
enum class OutputSlot : std::uint8_t {
    Stats,
    Dump,
    BoardDump,
    Png,
    Trace,
    BrainStats,
};
inline constexpr std::size_t outputSlotCount = 6;

// Where a played run sends what it makes: to the output files when the run plays in
// the runner itself, over the channel when it plays in a brain worker. Every call
// comes from the run's own thread.
class RunSink {
public:
    virtual ~RunSink() = default;
    virtual void write(OutputSlot, std::string_view bytes) = 0;
    // A drawn frame for the video, as the window would show it.
    virtual void videoFrame(const Bitmap&) = 0;
    // A remark, one line.
    virtual void report(const std::string&) = 0;
    // Whether the run is asked to stop after the current frame step (an interrupt).
    virtual bool stopRequested() = 0;
    // The run has played this many frame steps (for a progress line).
    virtual void stepped(std::int64_t) { }
};

// One run of shamblex-cli as its options say: the outbreak, the script and the
// frames, and the contents of every output, sent to a sink as they are made. The
// files themselves are the runner's (cli::run), which may be another process.
class RunPlay {
public:
    enum class Ending {
        Finished,
        Stopped, // asked to stop: the outputs hold every whole step until then
        Failed, // the picture could not be encoded (reported)
    };

    RunPlay(const RunOptions&, std::unique_ptr<LibraryLoader>, RunSink&);

    // The first simulation with the options' settings and brains, and the window at
    // its size when the run draws; the reason, in one line, when it cannot start.
    std::optional<std::string> start();
    // Plays the script and the frames, then writes the outputs made at the end.
    Ending play();

    std::int32_t frameNumber() const { return m_session.simulation().frameNumber(); }

private:
    bool afterStep(Drawing);
    void writeDump();
    void writeBrainStats();
    void writeBoardDump();
    bool writePicture();

    const RunOptions& m_options;
    RunSink& m_sink;
    SaverSession m_session;
    std::unique_ptr<BrainTrace> m_trace;
    std::int64_t m_stepsRun = 0;
    bool m_stopped = false;
    std::string m_line;
    std::vector<std::int32_t> m_brainCounts; // humans and panicked humans, by brain id
};

}
