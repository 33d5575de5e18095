#include "session/SaverSession.h"

#include "brains/LibraryLoader.h"
#include "os/SharedMemory.h"
#include "os/WholeFile.h"
#include "render/PngEncoder.h"
#include "session/SharedPixels.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace shamblex {

namespace {

constexpr std::array<std::uint8_t, 4> settingsVersionMark { '0', '.', '5', 0 };

}

std::array<std::uint8_t, 30> settingsFileBytes(const Settings& settings)
{
    std::array<std::uint8_t, 30> bytes {};
    std::copy(settingsVersionMark.begin(), settingsVersionMark.end(), bytes.begin());
    auto record = settings.toBytes();
    std::copy(record.begin(), record.end(), bytes.begin() + settingsVersionMark.size());
    return bytes;
}

std::string picturePath(const std::string& settingsFile, std::int32_t frame)
{
    std::filesystem::path folder = std::filesystem::path(settingsFile).parent_path();
    char number[16];
    std::snprintf(number, sizeof number, "%06d", frame);
    std::string stem = std::string("shamblex-frame-") + number;
    std::filesystem::path path = folder / (stem + ".png");
    for (int copy = 2; std::filesystem::exists(path); ++copy)
        path = folder / (stem + "-" + std::to_string(copy) + ".png");
    return path.string();
}

std::string savePicture(const std::string& settingsFile, std::int32_t frame, std::span<const std::uint8_t> png)
{
    std::string path = picturePath(settingsFile, frame);
    // Never over a file that appeared since the name was chosen.
    if (auto reason = writeNewFile(path, png))
        return "cannot save the picture as '" + path + "': " + *reason;
    return "saved the picture as '" + path + "'";
}

std::optional<std::string> saveSettings(const Settings& settings, const std::string& path)
{
    // Written whole: a saver ended while writing leaves the old file or the new one.
    return writeWholeFile(path, settingsFileBytes(settings));
}

SaverSession::SaverSession(SaverMode mode, std::unique_ptr<LibraryLoader> loader, Picture picture)
    : m_mode(mode)
    , m_picture(picture)
    , m_brains(std::move(loader))
{
    if (drawn()) {
        m_simulation.setDrawer(&m_painter);
        // A shell looks at the frame once a display refresh, not once a tick.
        m_painter.setDeferred(true);
    }
}

bool SaverSession::create()
{
    if (drawn())
        m_frame.create(initialFrameSize, initialFrameSize);
    m_frameMemory.reset();
    // The timer period stays as set before (the 5 ms a window starts with, or the
    // period a --speed option chose).
    return m_simulation.newSimulation();
}

void SaverSession::resize(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t windowWidth,
    std::int32_t windowHeight)
{
    if (clientWidth <= 0 || clientHeight <= 0)
        return;
    if (m_sharedFrames && drawn()) {
        const std::size_t size = Bitmap::storeSize(clientWidth, clientHeight);
        std::string error;
        if (auto memory = size > 0 ? SharedMemory::create(size, error) : std::nullopt) {
            auto shared = std::make_shared<SharedMemory>(std::move(*memory));
            if (resize(clientWidth, clientHeight, windowWidth, windowHeight,
                    sharedPixels(shared, size))) {
                m_frameMemory = std::move(shared);
                return;
            }
        }
    }
    m_frameMemory.reset();
    m_settings.windowWidth = windowWidth;
    m_settings.windowHeight = windowHeight;
    if (drawn()) {
        m_frame.create(clientWidth, clientHeight);
        m_painter.paintBackground();
    }
    m_simulation.requestFullRedraw();
}

bool SaverSession::resize(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t windowWidth,
    std::int32_t windowHeight, PixelMemory memory)
{
    if (clientWidth <= 0 || clientHeight <= 0 || !drawn()
        || memory.size < Bitmap::storeSize(clientWidth, clientHeight))
        return false;
    m_settings.windowWidth = windowWidth;
    m_settings.windowHeight = windowHeight;
    m_frameMemory.reset();
    m_frame.create(clientWidth, clientHeight, std::move(memory));
    m_painter.paintBackground();
    m_simulation.requestFullRedraw();
    return true;
}

bool SaverSession::stepped(Drawing drawing)
{
    return !m_stepListener || m_stepListener(drawing);
}

void SaverSession::setNotice(std::string notice)
{
    m_notice = std::move(notice);
}

void SaverSession::tick()
{
    if (m_pinSerial) {
        // The first being, in population order, that holds the serial now.
        const Population& population = m_simulation.population();
        for (ActorIndex index = 0; index < static_cast<ActorIndex>(population.size()); ++index) {
            if (population[index].serialNumber == *m_pinSerial) {
                m_simulation.setWatchedActor(index, true);
                m_watchPinned = true;
                break;
            }
        }
        m_pinSerial.reset();
    }
    const std::uint64_t writesBefore = m_frame.damage().writes();
    m_simulation.frameStep(drawn() ? Drawing::On : Drawing::Off);
    if (drawn() && (m_noticeShown || !m_notice.empty())) {
        m_painter.drawNotice(m_notice);
        m_noticeShown = !m_notice.empty();
    }
    if (m_helpShown && drawn()) {
        const Layout& l = layout();
        const Rectangle page { l.boardLeft, l.boardTop, helpPageWidth, helpPageHeight };
        m_painter.settle(page);
        m_help.draw(m_frame, l.boardLeft, l.boardTop);
        m_painter.overdrawn(page);
    }
    stepped(drawn() ? Drawing::On : Drawing::Off);
    m_lastTickDrewNothing = drawn() && m_frame.damage().writes() == writesBefore && !m_painter.waiting();
}

void SaverSession::fastForward(int frames)
{
    for (int i = 0; i < frames; ++i) {
        m_simulation.frameStep(Drawing::Off);
        if (!stepped(Drawing::Off))
            break;
    }
    m_simulation.requestFullRedraw();
}

void SaverSession::newSimulationOr(const Settings& previous)
{
    if (!m_simulation.newSimulation())
        m_settings = previous;
}

const SaverCommand* SaverSession::keyCommand(SaverMode mode, char key)
{
    for (const SaverCommand& command : commands()) {
        if (command.trigger == Trigger::Key && command.modes.contains(mode) && key != 0
            && command.keys.find(key) != std::string_view::npos)
            return &command;
    }
    return nullptr;
}

bool SaverSession::commandsLoadBrains(SaverMode mode)
{
    const auto all = commands();
    return std::any_of(all.begin(), all.end(),
        [mode](const SaverCommand& command) { return command.rescansBrains && command.modes.contains(mode); });
}

void SaverSession::run(Trigger trigger, char key, const CellPosition& cell)
{
    if (trigger == Trigger::Key) {
        if (const SaverCommand* command = keyCommand(m_mode, key))
            (this->*command->run)(key, cell);
        return;
    }
    for (const SaverCommand& command : commands()) {
        if (command.trigger == trigger && command.modes.contains(m_mode)) {
            (this->*command.run)(key, cell);
            return;
        }
    }
}

void SaverSession::character(char typed)
{
    // A zero byte would match the end of no key list, but be clear about it.
    if (typed != 0)
        run(Trigger::Key, typed, {});
}

void SaverSession::removeBrainCommand(char key, const CellPosition&)
{
    m_simulation.removeBrain(key - '1');
}

void SaverSession::killZombiesCommand(char, const CellPosition&)
{
    m_simulation.killAllZombies();
}

void SaverSession::pauseCommand(char, const CellPosition&)
{
    m_simulation.setStopped(!m_simulation.stopped());
}

void SaverSession::restartBoardCommand(char, const CellPosition&)
{
    m_simulation.restartBoard();
}

void SaverSession::speedCommand(char, const CellPosition&)
{
    m_speedIndex = (m_speedIndex + 1) % static_cast<int>(speedCycle.size());
    m_timerPeriod = speedCycle[static_cast<std::size_t>(m_speedIndex)];
}

void SaverSession::moreBeingsCommand(char, const CellPosition&)
{
    // No upper limit but the machine's: a count past the 32-bit range, or a
    // population that does not fit, is not taken.
    if (m_settings.beingCount > std::numeric_limits<std::int32_t>::max() - beingStep)
        return;
    Settings previous = m_settings;
    m_settings.beingCount += beingStep;
    newSimulationOr(previous);
}

void SaverSession::fewerBeingsCommand(char, const CellPosition&)
{
    if (m_settings.beingCount <= beingStep)
        return;
    Settings previous = m_settings;
    m_settings.beingCount -= beingStep;
    newSimulationOr(previous);
}

void SaverSession::fastForwardCommand(char key, const CellPosition&)
{
    fastForward(key == 'F' ? longFastForward : shortFastForward);
}

void SaverSession::newSimulationCommand(char, const CellPosition&)
{
    (void)m_simulation.newSimulation();
}

void SaverSession::smartZombiesCommand(char, const CellPosition&)
{
    toggle(m_settings.smartZombies);
}

void SaverSession::helpCommand(char, const CellPosition&)
{
    m_helpShown = !m_helpShown;
    if (!m_helpShown)
        m_simulation.requestFullRedraw();
}

void SaverSession::smallerCityCommand(char, const CellPosition&)
{
    Settings previous = m_settings;
    if (m_settings.boardWidth > boardStep)
        m_settings.boardWidth -= boardStep;
    if (m_settings.boardHeight > boardStep)
        m_settings.boardHeight -= boardStep;
    newSimulationOr(previous);
}

void SaverSession::graphCommand(char, const CellPosition&)
{
    toggle(m_settings.showGraph);
}

void SaverSession::eatWallsCommand(char, const CellPosition&)
{
    toggle(m_settings.zombiesEatWalls);
}

void SaverSession::userColourCommand(char, const CellPosition&)
{
    toggle(m_settings.userColour);
    m_simulation.requestFullRedraw();
}

void SaverSession::biggerCityCommand(char, const CellPosition&)
{
    // The new simulation refuses a board of more than 2^31 - 1 cells.
    std::int64_t width = std::int64_t { m_settings.boardWidth } + boardStep;
    std::int64_t height = std::int64_t { m_settings.boardHeight } + boardStep;
    if (width * height > std::numeric_limits<std::int32_t>::max())
        return;
    Settings previous = m_settings;
    m_settings.boardWidth = static_cast<std::int32_t>(width);
    m_settings.boardHeight = static_cast<std::int32_t>(height);
    newSimulationOr(previous);
}

void SaverSession::directionsCommand(char, const CellPosition&)
{
    toggle(m_settings.showDirections);
    m_simulation.requestFullRedraw();
}

void SaverSession::arenaCommand(char, const CellPosition&)
{
    // Switching to an open arena clears the walls at once; switching back builds a
    // city only with the next new simulation.
    toggle(m_settings.cityBoard);
    if (m_settings.cityBoard == 0)
        m_simulation.clearWalls();
}

void SaverSession::reloadBrainsCommand(char, const CellPosition&)
{
    m_brains.reloadBrains(m_brainFolder);
    (void)m_simulation.newSimulation();
}

void SaverSession::placeHumanCommand(char, const CellPosition& cell)
{
    // A brain is chosen in proportion to its living humans.
    BrainId brain = BrainNames::human;
    std::size_t humans = 0;
    for (const Actor& actor : m_simulation.population())
        humans += actor.isHuman();
    if (humans > 0) {
        std::size_t chosen = static_cast<std::size_t>(m_random.next()) % humans;
        for (const Actor& actor : m_simulation.population()) {
            if (actor.isHuman() && chosen-- == 0) {
                brain = actor.brain;
                break;
            }
        }
    }
    // The name is copied before the being it came from may be converted.
    std::string name = m_simulation.brainNames().name(brain);
    m_simulation.placeBeing(cell.column, cell.row, CellKind::Human, name);
}

void SaverSession::placeZombieCommand(char, const CellPosition& cell)
{
    m_simulation.placeBeing(cell.column, cell.row, CellKind::Zombie, "");
}

void SaverSession::singleStepCommand(char, const CellPosition&)
{
    // Only a paused outbreak takes single steps; the step's own stop test may find no
    // humans, and the outbreak stays stopped either way.
    if (!m_simulation.stopped())
        return;
    m_simulation.setStopped(false);
    tick();
    m_simulation.setStopped(true);
}

void SaverSession::savePictureCommand(char, const CellPosition&)
{
    std::vector<std::uint8_t> png = encodePng(frame());
    if (png.empty()) {
        report("the picture could not be encoded");
        return;
    }
    if (m_pictureSaver)
        m_pictureSaver(m_simulation.frameNumber(), std::move(png));
    else
        report(savePicture(m_settingsFile, m_simulation.frameNumber(), png));
}

void SaverSession::pinCommand(char, const CellPosition& cell)
{
    if (m_watchPinned) {
        m_watchPinned = false;
        watchCell(cell);
        return;
    }
    ActorIndex being = m_simulation.occupant(cell.column, cell.row);
    if (being == noActor)
        return;
    m_simulation.setWatchedActor(being, true);
    m_watchPinned = true;
}

void SaverSession::pinCell(CellPosition cell)
{
    pinCommand('\0', cell);
}

void SaverSession::pinSerialAtFirstStep(std::uint32_t serial)
{
    m_pinSerial = serial;
}

void SaverSession::watchCell(CellPosition cell)
{
    if (m_watchPinned && m_simulation.watchedActor() != noActor)
        return;
    m_watchPinned = false;
    m_simulation.setWatchedActor(m_simulation.occupant(cell.column, cell.row));
}

void SaverSession::placeHuman(CellPosition cell)
{
    if (m_simulation.board().contains(cell.column, cell.row))
        run(Trigger::LeftButton, 0, cell);
}

void SaverSession::placeZombie(CellPosition cell)
{
    if (m_simulation.board().contains(cell.column, cell.row))
        run(Trigger::RightButton, 0, cell);
}

void SaverSession::pointerMoved(std::int32_t x, std::int32_t y)
{
    // Off the board's cells the pointer watches nothing, which a negative cell says.
    watchCell(layout().screenToCell(x, y).value_or(CellPosition { -1, -1 }));
}

void SaverSession::middleButtonReleased(std::int32_t x, std::int32_t y)
{
    run(Trigger::MiddleButton, 0, layout().screenToCell(x, y).value_or(CellPosition { -1, -1 }));
}

void SaverSession::newOutbreak(std::optional<std::uint32_t> seed)
{
    if (seed)
        m_random.setState(*seed);
    (void)m_simulation.newSimulation();
}

bool SaverSession::isTimerPeriod(int milliseconds)
{
    return milliseconds == initialTimerPeriod
        || std::find(speedCycle.begin(), speedCycle.end(), milliseconds) != speedCycle.end();
}

bool SaverSession::setTimerPeriod(int milliseconds)
{
    if (milliseconds == initialTimerPeriod) {
        m_timerPeriod = milliseconds;
        m_speedIndex = 0;
        return true;
    }
    for (std::size_t i = 0; i < speedCycle.size(); ++i) {
        if (speedCycle[i] == milliseconds) {
            m_timerPeriod = milliseconds;
            m_speedIndex = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void SaverSession::setReporter(std::function<void(std::string_view)> reporter)
{
    m_reporter = reporter;
    m_brains.setReporter(std::move(reporter));
}

void SaverSession::report(const std::string& line) const
{
    if (m_reporter)
        m_reporter(line);
}

void SaverSession::leftButtonReleased(std::int32_t x, std::int32_t y)
{
    if (auto cell = layout().screenToCell(x, y))
        placeHuman(*cell);
}

void SaverSession::rightButtonReleased(std::int32_t x, std::int32_t y)
{
    if (auto cell = layout().screenToCell(x, y))
        placeZombie(*cell);
}

std::optional<std::string> SaverSession::close()
{
    return saveSettings(m_settings, m_settingsFile);
}

}
