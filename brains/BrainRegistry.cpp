#include "brains/BrainRegistry.h"

#include "base/Text.h"
#include "brains/BrainCallState.h"
#include "brains/MindRecord.h"

#include <cassert>
#include <cstdint>
#include <exception>
#include <new>
#include <utility>

namespace shamblex {

namespace {

constexpr std::size_t suffixLength = 4; // ".dll"
// What a brain threw is kept to this length in its beings' labels and reports.
constexpr std::size_t maximumReasonLength = 200;

}

std::optional<std::string> reservedNameReason(std::string_view name)
{
    if (name.empty())
        return "a brain needs a name before \".dll\"";
    if (name == "Human")
        return "the name \"Human\" is the built-in humans' own";
    if (name == "Zombie")
        return "the name \"Zombie\" is the zombies' own";
    return std::nullopt;
}

namespace {

BrainCallState ownCallState;
std::atomic<BrainCallState*> callState { &ownCallState };

}

BrainCallState& brainCallState()
{
    return *callState.load(std::memory_order_relaxed);
}

void placeBrainCallState(BrainCallState* shared)
{
    callState.store(shared ? shared : &ownCallState);
}

std::string brainNameOf(std::string_view fileName)
{
    if (fileName.size() < suffixLength)
        return {};
    fileName.remove_suffix(suffixLength);
    return std::string(fileName);
}

BrainRegistry::BrainRegistry()
    : m_ownRecord(std::make_unique<PlacedBrainRecord>())
    , m_working(m_ownRecord->get())
{
}

BrainRegistry::BrainRegistry(std::unique_ptr<LibraryLoader> loader)
    : m_loader(std::move(loader))
{
    void* room = m_loader ? m_loader->guardedRecordRoom() : nullptr;
    if (room) {
        m_working = new (room) BrainRecord;
    } else {
        m_ownRecord = std::make_unique<PlacedBrainRecord>();
        m_working = m_ownRecord->get();
    }
    // A brain assigns to the status text as a std::string where it stands.
    assert((reinterpret_cast<std::uintptr_t>(m_working) + offsetof(BrainRecord, statusText)) % alignof(std::string) == 0);
}

BrainRegistry::~BrainRegistry()
{
    if (!m_ownRecord)
        m_working->~BrainRecord();
    if (!m_loader)
        return;
    for (BrainEntry& entry : m_table) {
        if (entry.module)
            m_loader->release(entry.module);
    }
}

BrainRegistry::BrainEntry& BrainRegistry::entryFor(const std::string& name)
{
    auto it = m_slots.find(name);
    if (it != m_slots.end())
        return m_table[static_cast<std::size_t>(it->second)];
    m_slots.emplace(name, static_cast<int>(m_table.size()));
    BrainEntry entry;
    entry.name = name;
    m_table.push_back(std::move(entry));
    return m_table.back();
}

void BrainRegistry::loadBrains(const std::string& folder)
{
    m_skipped.clear();
    m_scanError.clear();
    ++m_generation;
    if (!m_loader) {
        m_scanError = "brains cannot be loaded on this platform";
        return;
    }

    for (const std::string& fileName : m_loader->findLibraries(folder, m_scanError)) {
        std::string name = brainNameOf(fileName);
        if (auto reason = reservedNameReason(name)) {
            m_skipped.push_back({ fileName, *reason });
            continue;
        }
        std::string path = m_loader->pathInFolder(folder, fileName);
        // Nothing of a file runs before it has been read as data and found to be a
        // brain of this machine: loading a library runs its start-up code.
        if (auto reason = m_loader->inspect(path)) {
            m_skipped.push_back({ fileName, *reason });
            continue;
        }
        // Loading runs the library's start-up code: an exit there is the brain's.
        std::string error;
        BrainCallState& state = brainCallState();
        const std::int32_t number = m_loader->libraryNumber(path);
        state.library.store(number, std::memory_order_relaxed);
        state.frame.store(loadingFrame, std::memory_order_relaxed);
        state.calls.store(state.calls.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        state.brain.store(fileName.c_str(), std::memory_order_release);
        LibraryLoader::Handle module = m_loader->load(path, error);
        state.brain.store(nullptr, std::memory_order_release);
        if (!module) {
            m_skipped.push_back({ fileName, "does not load: " + error });
            continue;
        }
        auto execute = reinterpret_cast<ExecuteBrainFn>(m_loader->findExport(module, "ExecuteBrain"));
        if (!execute) {
            m_loader->release(module);
            m_skipped.push_back({ fileName, "exports no ExecuteBrain" });
            continue;
        }

        m_brainNames.push_back(name);
        BrainEntry& entry = entryFor(name);
        // The entry an earlier scan left gives its reference back; the new one holds
        // its own, so the library stays loaded either way. A reloaded brain runs again.
        if (entry.module)
            m_loader->release(entry.module);
        entry.module = module;
        entry.execute = execute;
        entry.library = number;
        entry.disabled.clear();
    }
}

void BrainRegistry::enterBrain(const std::string& name, ExecuteBrainFn execute)
{
    ++m_generation;
    m_brainNames.push_back(name);
    BrainEntry& entry = entryFor(name);
    entry.execute = execute;
    entry.disabled.clear();
}

void BrainRegistry::reloadBrains(const std::string& folder)
{
    m_brainNames.clear();
    m_brainColours.clear();
    loadBrains(folder);
    assignBrainColours();
}

void BrainRegistry::assignBrainColours()
{
    ++m_generation;
    for (std::size_t i = 0; i < m_brainNames.size(); ++i)
        m_brainColours[m_brainNames[i]] = brainPalette[i % brainPalette.size()];
}

Colour BrainRegistry::brainColour(std::string_view brainName) const
{
    auto it = m_brainColours.find(brainName);
    return it == m_brainColours.end() ? unlistedBrainColour : it->second;
}

int BrainRegistry::findBrain(std::string_view brainName) const
{
    auto it = m_slots.find(brainName);
    if (it == m_slots.end() || !m_table[static_cast<std::size_t>(it->second)].execute)
        return -1;
    return it->second;
}

void BrainRegistry::unlistBrain(std::size_t index)
{
    if (index >= m_brainNames.size())
        return;
    ++m_generation;
    m_brainNames.erase(m_brainNames.begin() + static_cast<std::ptrdiff_t>(index));
}

void BrainRegistry::forfeit(Forfeit forfeit)
{
    m_forfeits.push_back(std::move(forfeit));
}

std::optional<std::string> BrainRegistry::mismatch() const
{
    if (m_mismatch)
        return m_mismatch;
    for (const Forfeit& forfeit : m_forfeits) {
        if (forfeit.call != 0)
            return "call " + std::to_string(forfeit.call) + " never came";
    }
    return std::nullopt;
}

void BrainRegistry::disable(BrainEntry& entry, const std::string& what, const BrainCallSite& site)
{
    std::string reason = singleLine(what.substr(0, maximumReasonLength), ' ');
    entry.disabled = "disabled: " + reason;
    if (m_reporter)
        m_reporter("brain '" + entry.name + "' threw \"" + reason + "\" in frame " + std::to_string(site.frame)
            + ", being " + std::to_string(site.being) + "; its humans stand still from now on");
}

bool BrainRegistry::sitsOut(BrainEntry& entry, std::uint64_t call, const BrainCallSite& site)
{
    for (auto it = m_forfeits.begin(); it != m_forfeits.end(); ++it) {
        const bool atThisCall = it->call != 0 && it->call == call;
        if (atThisCall && (it->brain != entry.name || it->frame != site.frame || it->being != site.being)) {
            m_mismatch = "call " + std::to_string(call) + " is brain '" + entry.name + "' in frame "
                + std::to_string(site.frame) + ", being " + std::to_string(site.being) + ", not brain '" + it->brain
                + "' in frame " + std::to_string(it->frame) + ", being " + std::to_string(it->being);
            m_forfeits.erase(it);
            return false;
        }
        if (atThisCall || (it->call == 0 && it->brain == entry.name && site.frame >= it->frame)) {
            entry.disabled = "disabled: " + singleLine(it->reason.substr(0, maximumReasonLength), ' ');
            m_forfeits.erase(it);
            return true;
        }
    }
    return false;
}

BrainCallOutcome BrainRegistry::callBrain(int slot, BeingMind& mind, const BrainCallSite& site)
{
    BrainEntry& entry = m_table[static_cast<std::size_t>(slot)];
    if (!entry.disabled.empty())
        return BrainCallOutcome::Disabled;

    BrainCallState& state = brainCallState();
    state.library.store(entry.library, std::memory_order_relaxed);
    state.frame.store(site.frame, std::memory_order_relaxed);
    state.being.store(site.being, std::memory_order_relaxed);
    // One thread writes the count: a plain store, not a locked add.
    const std::uint64_t call = state.calls.load(std::memory_order_relaxed) + 1;
    state.calls.store(call, std::memory_order_relaxed);
    if (!m_forfeits.empty() && sitsOut(entry, call, site))
        return BrainCallOutcome::Disabled;
    state.brain.store(entry.name.c_str(), std::memory_order_release);
    // A traced call keeps the mind as it was; the others copy nothing (the copy, or
    // even an empty place for one, cost as much as the call itself).
    if (m_tracer && m_tracer->wants(site, mind)) {
        const BeingMind before = mind;
        const BrainCallOutcome outcome = runGuarded(entry, mind, site);
        m_tracer->traced(site, entry.name, before, mind, outcome == BrainCallOutcome::Ran);
        return outcome;
    }
    return runGuarded(entry, mind, site);
}

BrainCallOutcome BrainRegistry::runGuarded(BrainEntry& entry, BeingMind& mind, const BrainCallSite& site)
{
    // The brain works on the record in the guarded room, where a write past its end
    // faults at once. Taking the record back still counts as the brain's call: a
    // brain that wrecked its status text makes the host fault there.
    putIntoRecord(mind, *m_working);
    BrainCallOutcome outcome = BrainCallOutcome::Ran;
    try {
        entry.execute(m_working);
    } catch (const std::exception& thrown) {
        disable(entry, thrown.what(), site);
        outcome = BrainCallOutcome::Disabled;
    } catch (...) {
        disable(entry, "an exception that is no std::exception", site);
        outcome = BrainCallOutcome::Disabled;
    }
    takeFromRecord(*m_working, mind, maximumStatusText);
    brainCallState().brain.store(nullptr, std::memory_order_release);
    return outcome;
}

}
