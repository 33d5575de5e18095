#include "cli/Runner.h"

#include "base/Text.h"

#include "cli/OutputFile.h"
#include "cli/VideoOutput.h"
#include "render/PngEncoder.h"
#include "hosting/BrainGuard.h"
#include "hosting/PlatformLibraryLoader.h"
#include "session/SaverSession.h"
#include "session/SessionStart.h"

#include <array>
#include <charconv>
#include <string>

namespace shamblex::cli {

namespace {

constexpr std::string_view statsHeader = "frame,zombies,humans\n";
constexpr std::string_view dumpHeader = "frame,index,kind,x,y,lookDirection,moveDirection,panicked,panicCounter,"
                                        "moveCredit,serialNumber,brainName\n";

// Appends decimal numbers and fields to a line without allocating per number.
class Line {
public:
    template<typename Number>
    Line& number(Number value)
    {
        char digits[24];
        auto result = std::to_chars(digits, digits + sizeof digits, value);
        m_text.append(digits, result.ptr);
        return *this;
    }
    Line& text(std::string_view text)
    {
        m_text.append(text);
        return *this;
    }
    Line& comma() { return text(","); }
    Line& csvField(std::string_view field)
    {
        appendCsvField(m_text, field);
        return *this;
    }
    Line& end() { return text("\n"); }

    std::string_view view() const { return m_text; }
    void clear() { m_text.clear(); }

private:
    std::string m_text;
};

class Run {
public:
    Run(const RunOptions& options, std::FILE* output, std::FILE* errors)
        : m_options(options)
        , m_output(output)
        , m_errors(errors)
    {
    }

    int execute();

private:
    enum Slot { Stats, Dump, BoardDump, Png, SlotCount };

    bool openOutputs();
    void discardOutputs();
    bool finishOutputs();
    void step();
    // After every step the session runs; false once an interrupt asks the run to stop.
    bool afterStep(Drawing);
    void writeDump();
    void writeBoardDump();
    bool writePicture();
    // One line on the error stream; control characters (a file name may hold a line
    // break) are shown as '?' so that a message stays one line.
    void report(const std::string& message)
    {
        std::fprintf(m_errors, "shamblex-cli: %s\n", singleLine(message).c_str());
    }

    const RunOptions& m_options;
    std::FILE* m_output;
    std::FILE* m_errors;

    // The runner is a shell like the others: it drives a saver session, with a
    // picture only when one is to be saved.
    SaverSession m_session { SaverMode::Headless, makePlatformLibraryLoader(),
        m_options.drawn() ? Picture::Drawn : Picture::None };
    Simulation& m_simulation = m_session.simulation();

    std::array<OutputFile, SlotCount> m_files;
    VideoOutput m_video;
    std::int64_t m_stepsRun = 0;
    Interrupt m_interrupt = Interrupt::None;
    Line m_line;
};

bool Run::openOutputs()
{
    const std::optional<std::string>* paths[SlotCount] = { &m_options.statsFile, &m_options.dumpFile,
        &m_options.boardDumpFile, &m_options.pngFile };
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (!*paths[slot])
            continue;
        const std::string& path = **paths[slot];
        bool shared = false;
        for (int earlier = 0; earlier < slot && !shared; ++earlier) {
            if (m_files[earlier].isOpen() && sameOutput(m_files[earlier].path(), path)) {
                m_files[slot].share(m_files[earlier]);
                shared = true;
            }
        }
        if (shared)
            continue;
        if (auto reason = m_files[slot].open(path, m_output)) {
            report("cannot write '" + path + "': " + *reason);
            discardOutputs();
            return false;
        }
    }
    return true;
}

void Run::discardOutputs()
{
    for (int slot = SlotCount - 1; slot >= 0; --slot)
        m_files[slot].discard();
    m_video.discard();
}

bool Run::finishOutputs()
{
    // A run with a failed write leaves every old file as it was.
    for (OutputFile& file : m_files) {
        if (file.isOpen() && !file.healthy()) {
            report("writing '" + file.path() + "' failed: " + file.failure());
            discardOutputs();
            return false;
        }
    }
    if (auto reason = m_video.finish()) {
        report("writing the video '" + *m_options.videoFile + "' failed: " + *reason);
        discardOutputs();
        return false;
    }
    // Outputs that share a stream were opened after its owner; finishing in reverse
    // completes every stream after its last user.
    bool ok = true;
    for (int slot = SlotCount - 1; slot >= 0; --slot) {
        if (!m_files[slot].isOpen())
            continue;
        std::string path = m_files[slot].path();
        if (auto reason = m_files[slot].finish()) {
            report("writing '" + path + "' failed: " + *reason);
            ok = false;
        }
    }
    return ok;
}

void Run::step()
{
    // The session calls afterStep() for this step and for fast-forward steps alike.
    m_session.tick();
}

bool Run::afterStep(Drawing drawing)
{
    ++m_stepsRun;
    if (drawing == Drawing::On && m_video.isOpen())
        m_video.addFrame(m_session.frame());
    if (m_files[Stats].isOpen()) {
        m_line.clear();
        m_line.number(m_simulation.frameNumber()).comma();
        m_line.number(m_simulation.zombieCount()).comma();
        m_line.number(m_simulation.humanCount()).end();
        m_files[Stats].write(m_line.view());
    }
    if (m_files[Dump].isOpen() && m_options.dumpEvery && m_stepsRun % *m_options.dumpEvery == 0)
        writeDump();
    m_interrupt = interruptRequested();
    return m_interrupt == Interrupt::None;
}

void Run::writeDump()
{
    OutputFile& file = m_files[Dump];
    std::size_t index = 0;
    for (const Actor& actor : m_simulation.population()) {
        m_line.clear();
        m_line.number(m_simulation.frameNumber()).comma();
        m_line.number(index++).comma();
        m_line.number(static_cast<std::int32_t>(actor.kind())).comma();
        m_line.number(actor.x).comma();
        m_line.number(actor.y).comma();
        m_line.number(actor.lookDirection).comma();
        m_line.number(actor.moveDirection).comma();
        m_line.number(unsigned { actor.panicked }).comma();
        m_line.number(actor.panicCounter).comma();
        m_line.number(actor.moveCredit).comma();
        m_line.number(actor.serialNumber).comma();
        m_line.csvField(m_simulation.brainName(actor)).end();
        file.write(m_line.view());
    }
}

void Run::writeBoardDump()
{
    const Board& board = m_simulation.board();
    std::string row;
    row.reserve(static_cast<std::size_t>(board.width()) + 1);
    for (std::int32_t y = 0; y < board.height(); ++y) {
        row.clear();
        for (std::int32_t x = 0; x < board.width(); ++x)
            row.push_back(static_cast<char>('0' + static_cast<int>(board.kind(x, y))));
        row.push_back('\n');
        m_files[BoardDump].write(row);
    }
}

bool Run::writePicture()
{
    std::vector<std::uint8_t> png = encodePng(m_session.frame());
    if (png.empty()) {
        report("the picture of " + std::to_string(m_session.frame().width()) + "x"
            + std::to_string(m_session.frame().height()) + " pixels could not be encoded");
        return false;
    }
    m_files[Png].write(png.data(), png.size());
    return true;
}

int Run::execute()
{
    // Everything that can be checked is checked before any output is touched: the
    // brain folder, the memory for the first simulation, then the output folders.
    m_session.setReporter([this](std::string_view line) { report(std::string(line)); });
    SessionStart start;
    start.settings = m_options.settings;
    if (auto failure = startSession(m_session, start)) {
        report(*failure);
        return 1;
    }
    m_session.setStepListener([this](Drawing drawing) { return afterStep(drawing); });
    // The window reports its client size, as after a saver window's creation.
    if (m_options.drawn()) {
        m_session.resize(m_options.windowWidth, m_options.windowHeight, m_options.windowWidth, m_options.windowHeight);
        if (m_session.frame().isEmpty()) {
            report("a picture of " + std::to_string(m_options.windowWidth) + "x"
                + std::to_string(m_options.windowHeight) + " pixels does not fit in memory");
            return 1;
        }
    }
    if (!openOutputs())
        return 1;
    if (m_options.videoFile) {
        if (auto reason = m_video.open(*m_options.videoFile, m_options.windowWidth, m_options.windowHeight,
                m_options.videoFrameRate)) {
            report(*reason);
            discardOutputs();
            return 1;
        }
    }
    if (m_files[Stats].isOpen())
        m_files[Stats].write(statsHeader);
    if (m_files[Dump].isOpen())
        m_files[Dump].write(dumpHeader);

    auto running = [this] { return m_interrupt == Interrupt::None; };
    for (const ScriptCommand& command : m_options.script) {
        if (!running())
            break;
        switch (command.kind) {
        case ScriptCommand::Kind::Step:
            for (std::int32_t i = 0; i < command.count && running(); ++i)
                step();
            break;
        case ScriptCommand::Kind::Key:
            m_session.character(command.key);
            break;
        // Mouse tokens name cells directly, so they act even when the window is too
        // small to show the board.
        case ScriptCommand::Kind::Left:
            m_session.placeHuman({ command.x, command.y });
            break;
        case ScriptCommand::Kind::Right:
            m_session.placeZombie({ command.x, command.y });
            break;
        case ScriptCommand::Kind::Watch:
            m_session.watchCell({ command.x, command.y });
            break;
        }
    }
    for (std::int32_t i = 0; i < m_options.frames && running(); ++i)
        step();

    // An interrupted run ends as if it had been asked for this many steps: the files
    // hold every whole step and the final outputs, and are renamed into place.
    if (m_files[Dump].isOpen())
        writeDump();
    if (m_files[BoardDump].isOpen())
        writeBoardDump();
    bool pictured = !m_files[Png].isOpen() || writePicture();
    if (!pictured) {
        discardOutputs();
        return 1;
    }
    if (!finishOutputs())
        return 1;
    if (m_interrupt != Interrupt::None) {
        report("interrupted after frame " + std::to_string(m_simulation.frameNumber())
            + "; the outputs hold every step until then");
        return interruptStatus(m_interrupt);
    }
    return 0;
}

}

int run(const RunOptions& options, std::FILE* output, std::FILE* errors)
{
    Run run(options, output, errors);
    return run.execute();
}

}
