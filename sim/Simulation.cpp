#include "sim/Simulation.h"

#include "brains/BrainRegistry.h"
#include "sim/Random.h"
#include "sim/SceneDrawer.h"
#include "sim/Settings.h"

#include <cstdint>
#include <limits>
#include <new>

namespace shamblex {

namespace {

constexpr std::int64_t maximumBoardCells = std::numeric_limits<std::int32_t>::max();

}

Simulation::Simulation(const Settings& settings, Random& random, BrainRegistry& brains)
    : m_settings(settings)
    , m_random(random)
    , m_brains(brains)
{
}

bool Simulation::newSimulation()
{
    std::int32_t width = m_settings.boardWidth;
    std::int32_t height = m_settings.boardHeight;
    if (width <= 0 || height <= 0 || std::int64_t { width } * height > maximumBoardCells)
        return false;

    // With brains listed every brain gets floor(n / k) + 1 humans, and one more being
    // becomes the first zombie.
    const auto& names = m_brains.brainNames();
    auto brainCount = static_cast<std::int64_t>(names.size());
    std::int64_t beings = m_settings.beingCount < 0 ? 0 : m_settings.beingCount;
    if (brainCount > 0)
        beings = brainCount * (beings / brainCount + 1) + 1;

    // The new board and population are built aside and only then replace the running
    // ones, so that a refusal leaves everything, the random sequence included, as it was.
    std::uint32_t randomState = m_random.state();
    try {
        Board board;
        board.reset(width, height, m_settings.terrain(), m_random);
        Population population;
        population.prepare(width, height, static_cast<std::size_t>(beings));
        for (std::int64_t i = 0; i < beings; ++i) {
            std::string_view name = brainCount > 0 ? std::string_view(names[static_cast<std::size_t>(i % brainCount)])
                                                   : std::string_view("Human");
            Actor& actor = population.append(m_random);
            actor.placeRandomly(board, m_random);
            population.refile(actor);
            actor.becomeKind(CellKind::Human);
            actor.becomeHuman(name, m_random);
            actor.setSerialNumber(static_cast<std::uint32_t>(i));
        }
        if (!population.empty())
            population.front().becomeKind(CellKind::Zombie);

        m_watchedActor = nullptr;
        m_history.clear();
        m_population = std::move(population);
        m_board = std::move(board);
    } catch (const std::bad_alloc&) {
        m_random.setState(randomState);
        return false;
    }

    // Beings mark their cells in their first update; this repaint shows them.
    if (!m_population.empty())
        m_fullRedrawPending = true;
    m_frameNumber = 0;
    m_stopped = false;
    if (m_drawer)
        m_drawer->paintBackground();
    return true;
}

void Simulation::frameStep(Drawing drawing)
{
    std::int32_t zombies = 0;
    std::int32_t humans = 0;
    for (const Actor* actor : m_population) {
        if (actor->kind() == CellKind::Zombie)
            ++zombies;
        else if (actor->kind() == CellKind::Human)
            ++humans;
    }
    m_zombieCount = zombies;
    m_humanCount = humans;

    if (m_fullRedrawPending || m_settings.directionsShown()) {
        if (m_drawer)
            m_drawer->repaintBoard();
        m_fullRedrawPending = false;
    }

    if (!m_stopped) {
        SceneDrawer* drawer = drawing == Drawing::On ? m_drawer : nullptr;
        World world { m_population, m_board, m_random, m_brains, m_settings.zombieMind(), m_settings.wallEating() };
        // Beings are never added or removed during a step, so the order is stable.
        for (Actor* actor : m_population) {
            if (drawer)
                drawer->eraseCell(actor->x(), actor->y());
            actor->update(world);
            if (drawer)
                drawer->drawActor(*actor);
        }
        // A saver left running for years stops counting rather than wrapping negative.
        if (m_frameNumber < std::numeric_limits<std::int32_t>::max())
            ++m_frameNumber;
        tallyBrains();
        if (drawer)
            drawer->drawStatusBand(m_tally);
    }

    if (m_drawer && m_settings.directionsShown()) {
        for (const Actor* actor : m_population)
            m_drawer->drawRays(*actor);
    }

    if (m_watchedActor) {
        if (m_drawer)
            m_drawer->drawWatchedLabel(*m_watchedActor);
        // The next step paints over the label.
        m_fullRedrawPending = true;
    }

    if (m_humanCount == 0)
        m_stopped = true;
}

void Simulation::tallyBrains()
{
    // The tally keeps its entries from frame to frame and only zeroes them, so that a
    // frame allocates nothing; an entry at 0 reads the same as a missing one.
    for (auto& entry : m_tally)
        entry.second = 0;

    const std::string* lastName = nullptr;
    std::int32_t* lastCount = nullptr;
    for (const Actor* actor : m_population) {
        if (actor->kind() != CellKind::Human)
            continue;
        const std::string& name = actor->brainName();
        if (!lastName || name != *lastName) {
            auto it = m_tally.find(name);
            if (it == m_tally.end())
                it = m_tally.emplace(name, 0).first;
            lastName = &it->first;
            lastCount = &it->second;
        }
        ++*lastCount;
    }

    for (const std::string& name : m_brains.brainNames()) {
        auto it = m_tally.find(name);
        if (it == m_tally.end())
            it = m_tally.emplace(name, 0).first;
        m_history.record(name, it->second);
    }
}

}

namespace shamblex {

Actor* Simulation::placeBeing(std::int32_t column, std::int32_t row, CellKind kind, std::string_view brainName)
{
    Cell& cell = m_board.cell(column, row);
    if (cell.kind == CellKind::Wall)
        return nullptr;
    Actor* actor = cell.occupant;
    if (!actor) {
        try {
            actor = &m_population.append(m_random);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    actor->setPosition(column, row);
    m_population.refile(*actor);
    actor->becomeKind(kind);
    if (kind == CellKind::Human)
        actor->becomeHuman(brainName, m_random);
    // The being marks its cell in its next update; until then the repaint shows it.
    m_fullRedrawPending = true;
    return actor;
}

void Simulation::killAllZombies()
{
    m_population.removeIf([this](Actor& actor) {
        if (actor.kind() != CellKind::Zombie)
            return false;
        m_board.cell(actor.x(), actor.y()) = { CellKind::Empty, nullptr };
        if (m_watchedActor == &actor)
            m_watchedActor = nullptr;
        return true;
    });
    m_fullRedrawPending = true;
}

void Simulation::removeBrain(int index)
{
    const auto& names = m_brains.brainNames();
    if (index < 0 || static_cast<std::size_t>(index) >= names.size())
        return;
    std::string name = names[static_cast<std::size_t>(index)];
    m_population.removeIf([&](Actor& actor) {
        if (actor.brainName() != name)
            return false;
        m_board.cell(actor.x(), actor.y()) = { CellKind::Empty, nullptr };
        if (m_watchedActor == &actor)
            m_watchedActor = nullptr;
        return true;
    });
    m_brains.unlistBrain(static_cast<std::size_t>(index));
    m_fullRedrawPending = true;
}

void Simulation::restartBoard()
{
    for (Actor* actor : m_population)
        actor->becomeKind(CellKind::Human);
    if (!m_population.empty())
        m_population.front().becomeKind(CellKind::Zombie);
}

}
