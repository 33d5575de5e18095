#pragma once

#include "brains/BrainRecord.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

// The host's side of the brain plug-ins: the brains listed by the last scan, in the
// order found, and the entry point of every brain loaded so far. Until brains are
// loaded the list is empty and every human follows the built-in rule.
class BrainRegistry {
public:
    const std::vector<std::string>& brainNames() const { return m_brainNames; }

    // Calls the named brain once on the record, or nothing when no brain of that
    // name is loaded.
    void runBrain(std::string_view brainName, BrainRecord& record) const
    {
        auto it = m_brainTable.find(brainName);
        if (it != m_brainTable.end() && it->second)
            it->second(&record);
    }

private:
    std::vector<std::string> m_brainNames;
    std::map<std::string, ExecuteBrainFn, std::less<>> m_brainTable;
};

}
