#pragma once

#include "sim/Actor.h"
#include "sim/Colour.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

class BrainHost;

// Every brain name the beings of a simulation have carried, each under a small id,
// so that the frame step compares ids where the rules compare names, and finds a
// being's brain and colour without a look-up by text. Ids are never reused or
// dropped; "Zombie" and "Human" have fixed ids.
class BrainNames {
public:
    static constexpr BrainId zombie = 0;
    static constexpr BrainId human = 1;
    static constexpr int noBrain = -1;

    BrainNames();

    // The id of the name, entered when new.
    BrainId intern(std::string_view name);
    // The id of a name already entered, or none.
    std::optional<BrainId> find(std::string_view name) const;

    const std::string& name(BrainId id) const { return m_entries[id].name; }
    std::size_t size() const { return m_entries.size(); }

    // "Human" and "" are driven by the built-in human rule; every other human name
    // names a brain, loaded or not.
    bool followsBuiltInRule(BrainId id) const { return m_entries[id].builtInRule; }
    // "Zombie", "Human" and "" are drawn in their kind's colour.
    bool drawnInKindColour(BrainId id) const { return m_entries[id].kindColour; }

    // Brings the host's answers for every name up to date: which loaded brain it calls
    // and its colour. Cheap when nothing changed since the last call.
    void bind(const BrainHost&);
    // The host's brain of the name, or noBrain; valid after bind().
    int brainSlot(BrainId id) const { return m_entries[id].slot; }
    Colour colour(BrainId id) const { return m_entries[id].colour; }

private:
    struct Entry {
        std::string name;
        bool builtInRule = false;
        bool kindColour = false;
        int slot = noBrain;
        Colour colour;
        bool bound = false;
    };

    std::vector<Entry> m_entries;
    std::map<std::string, BrainId, std::less<>> m_ids;
    std::uint64_t m_boundGeneration = 0;
    bool m_everBound = false;
};

}
