#include "sim/BrainNames.h"

#include "sim/BrainHost.h"

#include <cassert>

namespace shamblex {

BrainNames::BrainNames()
{
    [[maybe_unused]] BrainId zombieId = intern("Zombie");
    [[maybe_unused]] BrainId humanId = intern("Human");
    assert(zombieId == zombie && humanId == human);
}

BrainId BrainNames::intern(std::string_view name)
{
    if (auto found = find(name))
        return *found;
    auto id = static_cast<BrainId>(m_entries.size());
    Entry entry;
    entry.name = std::string(name);
    entry.builtInRule = name == "Human" || name.empty();
    entry.kindColour = entry.builtInRule || name == "Zombie";
    m_entries.push_back(std::move(entry));
    m_ids.emplace(std::string(name), id);
    return id;
}

std::optional<BrainId> BrainNames::find(std::string_view name) const
{
    auto it = m_ids.find(name);
    if (it == m_ids.end())
        return std::nullopt;
    return it->second;
}

void BrainNames::bind(const BrainHost& host)
{
    bool fresh = !m_everBound || host.generation() != m_boundGeneration;
    for (Entry& entry : m_entries) {
        if (entry.bound && !fresh)
            continue;
        entry.slot = host.findBrain(entry.name);
        entry.colour = host.brainColour(entry.name);
        entry.bound = true;
    }
    m_boundGeneration = host.generation();
    m_everBound = true;
}

}
