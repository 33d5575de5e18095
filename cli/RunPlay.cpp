#include "cli/RunPlay.h"

#include "base/Text.h"
#include "brains/LibraryLoader.h"
#include "render/PngEncoder.h"
#include "session/SessionStart.h"

#include <charconv>

namespace shamblex::cli {

namespace {

constexpr std::string_view statsHeader = "frame,zombies,humans\n";
constexpr std::string_view brainStatsHeader = "frame,brain,humans,panicked\n";
constexpr std::string_view dumpHeader = "frame,index,kind,x,y,lookDirection,moveDirection,panicked,panicCounter,"
                                        "moveCredit,serialNumber,brainName\n";

// Appends a decimal number without allocating per number.
template<typename Number>
void appendNumber(std::string& line, Number value)
{
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    line.append(digits, result.ptr);
}

template<typename Number>
void appendField(std::string& line, Number value)
{
    appendNumber(line, value);
    line.push_back(',');
}

}

RunPlay::RunPlay(const RunOptions& options, std::unique_ptr<LibraryLoader> loader, RunSink& sink)
    : m_options(options)
    , m_sink(sink)
    , m_session(SaverMode::Headless, std::move(loader), options.drawn() ? Picture::Drawn : Picture::None)
{
}

std::optional<std::string> RunPlay::start()
{
    m_session.setReporter([this](std::string_view line) { m_sink.report(std::string(line)); });
    SessionStart start;
    start.settings = m_options.settings;
    start.pinSerial = m_options.pinSerial;
    if (auto failure = startSession(m_session, start))
        return failure;
    if (m_options.traceFile) {
        m_trace = std::make_unique<BrainTrace>(m_sink, &m_session.simulation(), m_options.traceSerial);
        m_session.brains().setTracer(m_trace.get());
    }
    // The session calls afterStep() for every step, fast-forward steps included.
    m_session.setStepListener([this](Drawing drawing) { return afterStep(drawing); });
    // The window reports its client size, as after a saver window's creation.
    if (m_options.drawn()) {
        m_session.resize(m_options.windowWidth, m_options.windowHeight, m_options.windowWidth, m_options.windowHeight);
        if (m_session.frame().isEmpty())
            return "a picture of " + std::to_string(m_options.windowWidth) + "x" + std::to_string(m_options.windowHeight)
                + " pixels does not fit in memory";
    }
    return std::nullopt;
}

RunPlay::Ending RunPlay::play()
{
    if (m_options.statsFile)
        m_sink.write(OutputSlot::Stats, statsHeader);
    if (m_options.dumpFile)
        m_sink.write(OutputSlot::Dump, dumpHeader);
    if (m_options.brainStatsFile)
        m_sink.write(OutputSlot::BrainStats, brainStatsHeader);

    auto running = [this] { return !m_stopped; };
    for (const ScriptCommand& command : m_options.script) {
        if (!running())
            break;
        switch (command.kind) {
        case ScriptCommand::Kind::Step:
            for (std::int32_t i = 0; i < command.count && running(); ++i)
                m_session.tick();
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
        case ScriptCommand::Kind::Pin:
            m_session.pinCell({ command.x, command.y });
            break;
        }
    }
    for (std::int32_t i = 0; i < m_options.frames && running(); ++i)
        m_session.tick();
    if (m_trace)
        m_trace->flush();

    // A stopped run ends as if it had been asked for this many steps: the outputs hold
    // every whole step and the final outputs.
    if (m_options.dumpFile)
        writeDump();
    if (m_options.boardDumpFile)
        writeBoardDump();
    if (m_options.pngFile && !writePicture())
        return Ending::Failed;
    return m_stopped ? Ending::Stopped : Ending::Finished;
}

bool RunPlay::afterStep(Drawing drawing)
{
    ++m_stepsRun;
    if (m_trace)
        m_trace->flush();
    const Simulation& simulation = m_session.simulation();
    if (drawing == Drawing::On && m_options.videoFile)
        m_sink.videoFrame(m_session.frame());
    if (m_options.statsFile) {
        m_line.clear();
        appendField(m_line, simulation.frameNumber());
        appendField(m_line, simulation.zombieCount());
        appendNumber(m_line, simulation.humanCount());
        m_line.push_back('\n');
        m_sink.write(OutputSlot::Stats, m_line);
    }
    if (m_options.dumpFile && m_options.dumpEvery && m_stepsRun % *m_options.dumpEvery == 0)
        writeDump();
    if (m_options.brainStatsFile)
        writeBrainStats();
    m_sink.stepped(m_stepsRun);
    m_stopped = m_sink.stopRequested();
    return !m_stopped;
}

void RunPlay::writeDump()
{
    const Simulation& simulation = m_session.simulation();
    std::size_t index = 0;
    for (const Actor& actor : simulation.population()) {
        m_line.clear();
        appendField(m_line, simulation.frameNumber());
        appendField(m_line, index++);
        appendField(m_line, static_cast<std::int32_t>(actor.kind()));
        appendField(m_line, actor.x);
        appendField(m_line, actor.y);
        appendField(m_line, actor.lookDirection);
        appendField(m_line, actor.moveDirection);
        appendField(m_line, unsigned { actor.panicked });
        appendField(m_line, actor.panicCounter);
        appendField(m_line, actor.moveCredit);
        appendField(m_line, actor.serialNumber);
        appendCsvField(m_line, simulation.brainName(actor));
        m_line.push_back('\n');
        m_sink.write(OutputSlot::Dump, m_line);
    }
}

void RunPlay::writeBrainStats()
{
    // Every human brain name the outbreak knows, in the order it met them (the
    // built-in rule's "Human" among them), so that the rows of every step line up.
    const Simulation& simulation = m_session.simulation();
    const BrainNames& names = simulation.brainNames();
    m_brainCounts.assign(2 * names.size(), 0);
    for (const Actor& actor : simulation.population()) {
        if (!actor.isHuman())
            continue;
        ++m_brainCounts[2 * actor.brain];
        if (actor.panicked == 1)
            ++m_brainCounts[2 * actor.brain + 1];
    }
    m_line.clear();
    for (BrainId id = BrainNames::human; id < names.size(); ++id) {
        appendField(m_line, simulation.frameNumber());
        appendCsvField(m_line, names.name(id));
        m_line.push_back(',');
        appendField(m_line, m_brainCounts[2 * id]);
        appendNumber(m_line, m_brainCounts[2 * id + 1]);
        m_line.push_back('\n');
    }
    m_sink.write(OutputSlot::BrainStats, m_line);
}

void RunPlay::writeBoardDump()
{
    const Board& board = m_session.simulation().board();
    std::string row;
    row.reserve(static_cast<std::size_t>(board.width()) + 1);
    for (std::int32_t y = 0; y < board.height(); ++y) {
        row.clear();
        for (std::int32_t x = 0; x < board.width(); ++x)
            row.push_back(static_cast<char>('0' + static_cast<int>(board.kind(x, y))));
        row.push_back('\n');
        m_sink.write(OutputSlot::BoardDump, row);
    }
}

bool RunPlay::writePicture()
{
    std::vector<std::uint8_t> png = encodePng(m_session.frame());
    if (png.empty()) {
        m_sink.report("the picture of " + std::to_string(m_session.frame().width()) + "x"
            + std::to_string(m_session.frame().height()) + " pixels could not be encoded");
        return false;
    }
    m_sink.write(OutputSlot::Png, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
    return true;
}

}
