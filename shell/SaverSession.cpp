#include "shell/SaverSession.h"

#include "brains/LibraryLoader.h"

#include <algorithm>
#include <cstdio>
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

bool saveSettings(const Settings& settings, const std::string& path)
{
    auto bytes = settingsFileBytes(settings);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

SaverSession::SaverSession(Picture picture, std::unique_ptr<LibraryLoader> loader)
    : m_picture(picture)
    , m_brains(std::move(loader))
{
    if (m_picture == Picture::Drawn)
        m_simulation.setDrawer(&m_painter);
}

bool SaverSession::create()
{
    if (m_picture == Picture::Drawn)
        m_frame.create(initialFrameSize, initialFrameSize, trueColourDepth, RowOrder::TopDown);
    m_timerPeriod = initialTimerPeriod;
    return m_simulation.newSimulation();
}

void SaverSession::resize(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t windowWidth,
    std::int32_t windowHeight)
{
    if (clientWidth <= 0 || clientHeight <= 0)
        return;
    m_settings.windowWidth = windowWidth;
    m_settings.windowHeight = windowHeight;
    if (m_picture == Picture::Drawn) {
        m_frame.create(clientWidth, clientHeight, trueColourDepth, RowOrder::TopDown);
        m_painter.paintBackground();
    }
    m_simulation.requestFullRedraw();
}

void SaverSession::step(Drawing drawing)
{
    m_simulation.frameStep(m_picture == Picture::Drawn ? drawing : Drawing::Off);
    if (m_stepListener)
        m_stepListener();
}

void SaverSession::tick()
{
    step(Drawing::On);
    if (m_helpShown && m_picture == Picture::Drawn)
        m_help.draw(m_frame, layout().boardLeft, layout().boardTop);
}

void SaverSession::fastForward(int frames)
{
    for (int i = 0; i < frames; ++i)
        step(Drawing::Off);
    m_simulation.requestFullRedraw();
}

void SaverSession::newSimulationOr(const Settings& previous)
{
    if (!m_simulation.newSimulation())
        m_settings = previous;
}

void SaverSession::character(char typed)
{
    Settings previous = m_settings;
    switch (typed) {
    case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9':
        m_simulation.removeBrain(typed - '1');
        break;
    case 'k':
        m_simulation.killAllZombies();
        m_simulation.requestFullRedraw();
        break;
    case ' ':
        m_simulation.setStopped(!m_simulation.stopped());
        break;
    case 'R':
        m_simulation.restartBoard();
        break;
    case 'S':
    case 's':
        m_speedIndex = (m_speedIndex + 1) % static_cast<int>(speedCycle.size());
        m_timerPeriod = speedCycle[static_cast<std::size_t>(m_speedIndex)];
        break;
    case '+':
        // No upper limit but the machine's: a count past the 32-bit range, or a
        // population that does not fit, is not taken.
        if (m_settings.beingCount <= std::numeric_limits<std::int32_t>::max() - beingStep) {
            m_settings.beingCount += beingStep;
            newSimulationOr(previous);
        }
        break;
    case '-':
        if (m_settings.beingCount > beingStep) {
            m_settings.beingCount -= beingStep;
            newSimulationOr(previous);
        }
        break;
    case 'f':
        fastForward(shortFastForward);
        break;
    case 'F':
        fastForward(longFastForward);
        break;
    case 'z':
        (void)m_simulation.newSimulation();
        break;
    case 't':
        toggle(m_settings.smartZombies);
        break;
    case '?':
        m_helpShown = !m_helpShown;
        if (!m_helpShown)
            m_simulation.requestFullRedraw();
        break;
    case '<':
        if (m_settings.boardWidth > boardStep)
            m_settings.boardWidth -= boardStep;
        if (m_settings.boardHeight > boardStep)
            m_settings.boardHeight -= boardStep;
        newSimulationOr(previous);
        break;
    case 'g':
        toggle(m_settings.showGraph);
        break;
    case 'E':
    case 'e':
        toggle(m_settings.zombiesEatWalls);
        break;
    case 'c':
        toggle(m_settings.userColour);
        m_simulation.requestFullRedraw();
        break;
    case '>': {
        // The new simulation refuses a board of more than 2^31 - 1 cells.
        std::int64_t width = std::int64_t { m_settings.boardWidth } + boardStep;
        std::int64_t height = std::int64_t { m_settings.boardHeight } + boardStep;
        if (width * height <= std::numeric_limits<std::int32_t>::max()) {
            m_settings.boardWidth = static_cast<std::int32_t>(width);
            m_settings.boardHeight = static_cast<std::int32_t>(height);
            newSimulationOr(previous);
        }
        break;
    }
    case 'd':
        toggle(m_settings.showDirections);
        m_simulation.requestFullRedraw();
        break;
    case 'b':
        toggle(m_settings.cityBoard);
        if (m_settings.cityBoard == 0) {
            Board& board = m_simulation.board();
            for (std::int32_t y = 0; y < board.height(); ++y)
                for (std::int32_t x = 0; x < board.width(); ++x)
                    if (board.at(x, y).kind == CellKind::Wall)
                        board.at(x, y) = { CellKind::Empty, nullptr };
            m_simulation.requestFullRedraw();
        }
        break;
    case 'l':
        m_brains.reloadBrains(m_brainFolder);
        (void)m_simulation.newSimulation();
        break;
    default:
        break;
    }
}

void SaverSession::watchCell(CellPosition cell)
{
    m_simulation.setWatchedActor(actorAt(m_simulation.board(), cell));
}

void SaverSession::placeHuman(CellPosition cell)
{
    if (!isOnBoard(m_simulation.board(), cell))
        return;
    // A brain is chosen in proportion to its living humans.
    std::string_view name = "Human";
    std::size_t humans = 0;
    for (const Actor* actor : m_simulation.population())
        humans += actor->kind() == CellKind::Human;
    if (humans > 0) {
        std::size_t chosen = static_cast<std::size_t>(m_random.next()) % humans;
        for (const Actor* actor : m_simulation.population()) {
            if (actor->kind() != CellKind::Human)
                continue;
            if (chosen-- == 0) {
                name = actor->brainName();
                break;
            }
        }
    }
    // The name is copied before the being it came from may be converted.
    std::string brainName(name);
    m_simulation.placeBeing(cell.column, cell.row, CellKind::Human, brainName);
}

void SaverSession::placeZombie(CellPosition cell)
{
    if (isOnBoard(m_simulation.board(), cell))
        m_simulation.placeBeing(cell.column, cell.row, CellKind::Zombie, "");
}

void SaverSession::pointerMoved(std::int32_t x, std::int32_t y)
{
    auto cell = layout().screenToCell(x, y);
    m_simulation.setWatchedActor(cell ? actorAt(m_simulation.board(), *cell) : nullptr);
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

bool SaverSession::close()
{
    return saveSettings(m_settings, m_settingsFile);
}

}
