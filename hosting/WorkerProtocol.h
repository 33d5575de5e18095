#pragma once

#include "base/Wire.h"
#include "session/SessionStart.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The messages between a program (the host) and its brain worker: the same program
// started again in a hidden mode, which runs the outbreak and its brains in a
// sandbox while the host keeps the display, the files and the time.
//
// The host sends a request and waits for the worker's answer; while it works, the
// worker may send remarks (reports, pictures to save, outputs) before the answer.
// Every message from the worker is checked: sizes, counts and values in range, or the
// worker is at fault.

namespace shamblex::worker {

// The hidden mode: "<program> --brain-worker <channel handle> <host process id>".
inline constexpr std::string_view modeWord = "--brain-worker";

enum class Role : std::uint32_t {
    Saver = 1, // a saver session driven call by call (the window, full screen, the hack)
    Run = 2, // a run of shamblex-cli, its outputs sent back
    ArenaRun = 3, // one run of the arena, its result sent back
};

enum class Request : std::uint32_t {
    Hello = 1, // the role, its setup, the sandbox, the brains; handles: the control block, brain files
    Brains, // the brain files of a new scan, before a reload (no answer)
    Resize, // the client and window sizes; handle: the new frame
    Tick, // this many ticks
    Character,
    PointerMoved,
    LeftButton,
    RightButton,
    MiddleButton,
    Settings, // the settings file's bytes, for the window's close
    NewOutbreak,
    TakeDamage, // this many ticks first, then what was drawn since the last time
    Notice, // a line for the status band, or none
    Go, // a run: the outputs are open, play
};

enum class Answer : std::uint32_t {
    Ready = 100, // started; the state
    State, // a request is done; the state
    Damage, // the state, then the rectangles drawn
    Settings, // the settings file's 30 bytes
    Report, // a remark for the host's reporter (no answer)
    Picture, // the "p" key: frame number and PNG bytes, for the host to save (no answer)
    Output, // a run's output segments (no answer)
    VideoFrame, // a run's drawn frame (no answer)
    Result, // an arena run's result, JSON
    Done, // the role ended: its exit status and a last line
    Failed, // the role could not start: why
};

// The largest message either side accepts (a PNG of a huge frame, a run's output).
inline constexpr std::size_t maximumMessage = 256u << 20;
// Limits on what a worker says.
inline constexpr std::size_t maximumLine = 4096;
inline constexpr std::size_t maximumRectangles = 1u << 16;

// What a saver session tells its host after each request.
struct SaverState {
    std::int32_t timerPeriod = 5;
    bool outbreakOver = false;
    bool helpShown = false;
    bool lastTickDrewNothing = false;
    std::int32_t frameNumber = 0;
    std::uint32_t beings = 0;
    std::int32_t humans = 0;
    Settings settings; // as the keys left them
};

void writeState(WireWriter&, const SaverState&);
std::optional<SaverState> readState(WireReader&);

void writeStart(WireWriter&, const SessionStart&);
std::optional<SessionStart> readStart(WireReader&);

// One brain file the host offers: its name in the folder and either why it is no
// brain, or the number under which it was handed over (its sealed copy's handle
// travels with the message that first offers the number).
struct OfferedFile {
    std::string fileName;
    std::string refusal; // empty for a file that may be loaded
    std::int32_t library = -1;
};

struct BrainOffer {
    std::string folderError; // why the folder could not be read; empty when it could
    std::vector<OfferedFile> files;
    std::vector<std::int32_t> newLibraries; // the numbers whose handles come with the message, in order
};

void writeOffer(WireWriter&, const BrainOffer&);
std::optional<BrainOffer> readOffer(WireReader&);

}
