#include "sim/Simulation.h"

#include "sim/BrainHost.h"
#include "sim/Random.h"
#include "sim/SceneDrawer.h"
#include "sim/Settings.h"
#include "sim/World.h"

#include <cstdint>
#include <limits>
#include <new>

namespace shamblex {

namespace {

constexpr std::int64_t maximumBoardCells = std::numeric_limits<std::int32_t>::max();

// A random placement gives up after this many occupied cells.
constexpr int placementTries = 100;

// Rows and columns 1 to extent - 1; a board one cell across has only 1.
std::int32_t randomPlacement(std::int32_t extent, Random& random)
{
    if (extent - 1 <= 0)
        return 1;
    return 1 + random.below(extent - 1);
}

// A being as it is created: a default human facing and moving in two random
// directions (which its creator replaces at once, but the draws are made).
Actor constructedBeing(Random& random)
{
    Actor actor = freshHuman(0, 0);
    actor.lookDirection = static_cast<std::uint32_t>(randomDirection(random));
    actor.moveDirection = static_cast<std::uint32_t>(randomDirection(random));
    return actor;
}

// Tries up to 100 random cells, never in row or column 0, and keeps the first empty
// one, or the last one tried when none was empty.
void placeRandomly(Actor& actor, const Board& board, Random& random)
{
    for (int attempt = 0; attempt < placementTries; ++attempt) {
        actor.x = randomPlacement(board.width(), random);
        actor.y = randomPlacement(board.height(), random);
        if (board.kindAt(board.wrappedIndex(actor.x, actor.y)) == CellKind::Empty)
            return;
    }
}

}

Simulation::Simulation(const Settings& settings, Random& random, BrainHost& brains)
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
    std::vector<BrainId> listed;
    for (const std::string& name : m_brains.brainNames())
        listed.push_back(m_names.intern(name));
    auto brainCount = static_cast<std::int64_t>(listed.size());
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
            BrainId brain = brainCount > 0 ? listed[static_cast<std::size_t>(i % brainCount)] : BrainNames::human;
            Actor actor = constructedBeing(m_random);
            placeRandomly(actor, board, m_random);
            ActorIndex index = population.append(actor);
            population.becomeHuman(index, brain, !m_names.followsBuiltInRule(brain), m_random);
            population[index].serialNumber = static_cast<std::uint32_t>(i);
        }
        if (!population.empty())
            population.becomeKind(0, CellKind::Zombie);

        m_watchedActor = noActor;
        m_followedActor = noActor;
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
    m_names.bind(m_brains);
    if (m_drawer)
        m_drawer->paintBackground();
    return true;
}

void Simulation::frameStep(Drawing drawing)
{
    std::int32_t zombies = 0;
    std::int32_t humans = 0;
    for (const Actor& actor : m_population) {
        zombies += actor.isZombie();
        humans += actor.isHuman();
    }
    m_zombieCount = zombies;
    m_humanCount = humans;
    // A reload or a removed brain changes which brain a name calls and its colour.
    m_names.bind(m_brains);

    if (m_fullRedrawPending || m_settings.directionsShown()) {
        if (m_drawer)
            m_drawer->repaintBoard();
        m_fullRedrawPending = false;
    }

    if (!m_stopped) {
        SceneDrawer* drawer = drawing == Drawing::On ? m_drawer : nullptr;
        World world { m_board, m_population, m_random, m_names, m_brains, m_settings.zombieMind(),
            m_settings.wallEating(), m_frameNumber + 1 };
        // Beings are never added or removed during a step, so the order is stable.
        // A large board does not fit the processor's caches: the cells around the next
        // being are fetched while this one is updated.
        const auto count = static_cast<ActorIndex>(m_population.size());
        for (ActorIndex i = 0; i < count; ++i) {
            if (i + 1 < count) {
                const Actor& next = m_population[i + 1];
                std::size_t cell = m_board.wrappedIndex(next.x, next.y);
                m_board.prefetch(cell);
                m_population.prefetchCell(cell);
                if (drawer)
                    drawer->beingUpdatedNext(next.x, next.y);
            }
            const std::int32_t oldX = m_population[i].x;
            const std::int32_t oldY = m_population[i].y;
            world.update(i);
            if (drawer)
                drawer->beingUpdated(oldX, oldY, m_population[i]);
        }
        // A saver left running for years stops counting rather than wrapping negative.
        if (m_frameNumber < std::numeric_limits<std::int32_t>::max())
            ++m_frameNumber;
        tallyBrains();
        if (drawer)
            drawer->drawStatusBand(m_listedHumans);
    }

    if (m_drawer && m_settings.directionsShown()) {
        for (const Actor& actor : m_population)
            m_drawer->drawRays(actor);
    }

    if (m_watchedActor != noActor) {
        if (m_drawer && m_watchMarked)
            m_drawer->markBeing(m_population[m_watchedActor]);
        if (m_drawer)
            m_drawer->drawWatchedLabel(m_population[m_watchedActor]);
        // The next step paints over the label and the outline, so neither leaves a
        // trail.
        m_fullRedrawPending = true;
    }

    if (m_humanCount == 0)
        m_stopped = true;
}

void Simulation::tallyBrains()
{
    // Counted by brain id into an array that keeps its size from frame to frame, so
    // that a frame allocates nothing.
    m_humansPerName.assign(m_names.size(), 0);
    for (const Actor& actor : m_population) {
        if (actor.isHuman())
            ++m_humansPerName[actor.brain];
    }
    m_listedHumans.clear();
    for (const std::string& name : m_brains.brainNames()) {
        auto id = m_names.find(name);
        std::int32_t humans = id ? m_humansPerName[*id] : 0;
        m_listedHumans.push_back(humans);
        m_history.record(name, humans);
    }
}

const std::string& Simulation::statusText(const Actor& actor) const
{
    static const std::string none;
    return actor.mind == Actor::noMind ? none : m_population.mind(actor).statusText;
}

ActorIndex Simulation::occupant(std::int32_t column, std::int32_t row) const
{
    if (!m_board.contains(column, row))
        return noActor;
    return m_population.occupant(m_board.index(column, row));
}

ActorIndex Simulation::placeBeing(std::int32_t column, std::int32_t row, CellKind kind, std::string_view brainName)
{
    std::size_t cell = m_board.index(column, row);
    if (m_board.kindAt(cell) == CellKind::Wall)
        return noActor;
    ActorIndex index = m_population.occupant(cell);
    if (index == noActor) {
        std::uint32_t randomState = m_random.state();
        Actor actor = constructedBeing(m_random);
        actor.x = column;
        actor.y = row;
        try {
            index = m_population.append(actor);
        } catch (const std::bad_alloc&) {
            m_random.setState(randomState);
            return noActor;
        }
    }
    m_population.becomeKind(index, kind);
    if (kind == CellKind::Human) {
        BrainId brain = m_names.intern(brainName);
        m_population.becomeHuman(index, brain, !m_names.followsBuiltInRule(brain), m_random);
    }
    markCalmed(m_board, m_population, index);
    // The being marks its cell in its next update; until then the repaint shows it.
    m_fullRedrawPending = true;
    return index;
}

void Simulation::removeWhere(bool (*remove)(const Actor&, BrainId), BrainId brain)
{
    auto renumbered = m_population.removeIf([&](ActorIndex index) {
        const Actor& actor = m_population[index];
        if (!remove(actor, brain))
            return false;
        std::size_t cell = m_board.wrappedIndex(actor.x, actor.y);
        m_board.setKindAt(cell, CellKind::Empty);
        m_population.clearMark(cell);
        return true;
    });
    if (m_watchedActor != noActor)
        m_watchedActor = renumbered[m_watchedActor];
    if (m_followedActor != noActor)
        m_followedActor = renumbered[m_followedActor];
}

void Simulation::killAllZombies()
{
    removeWhere([](const Actor& actor, BrainId) { return actor.isZombie(); }, 0);
    m_fullRedrawPending = true;
}

void Simulation::removeBrain(int index)
{
    const auto& names = m_brains.brainNames();
    if (index < 0 || static_cast<std::size_t>(index) >= names.size())
        return;
    if (auto brain = m_names.find(names[static_cast<std::size_t>(index)]))
        removeWhere([](const Actor& actor, BrainId named) { return actor.brain == named; }, *brain);
    m_brains.unlistBrain(static_cast<std::size_t>(index));
    m_fullRedrawPending = true;
}

void Simulation::restartBoard()
{
    for (ActorIndex i = 0; i < m_population.size(); ++i) {
        m_population.becomeKind(i, CellKind::Human);
        markCalmed(m_board, m_population, i);
    }
    if (!m_population.empty())
        m_population.becomeKind(0, CellKind::Zombie);
}

void Simulation::clearWalls()
{
    m_board.clearWalls();
    m_fullRedrawPending = true;
}

}
