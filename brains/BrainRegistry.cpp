#include "brains/BrainRegistry.h"

#include <utility>

namespace shamblex {

namespace {

constexpr std::size_t suffixLength = 4; // ".dll"

}

std::string brainNameOf(std::string_view fileName)
{
    auto backslash = fileName.rfind('\\');
    if (backslash != std::string_view::npos)
        fileName.remove_prefix(backslash + 1);
    if (fileName.size() < suffixLength)
        return {};
    fileName.remove_suffix(suffixLength);
    return std::string(fileName);
}

BrainRegistry::BrainRegistry(std::unique_ptr<LibraryLoader> loader)
    : m_loader(std::move(loader))
{
}

BrainRegistry::~BrainRegistry()
{
    if (!m_loader)
        return;
    for (auto& [name, entry] : m_brainTable) {
        if (entry.module)
            m_loader->release(entry.module);
    }
}

void BrainRegistry::loadBrains(const std::string& folder)
{
    m_skipped.clear();
    m_scanError.clear();
    if (!m_loader) {
        m_scanError = "brains cannot be loaded on this platform";
        return;
    }

    for (const std::string& fileName : m_loader->findLibraries(folder, m_scanError)) {
        std::string error;
        LibraryLoader::Handle module = m_loader->load(m_loader->pathInFolder(folder, fileName), error);
        if (!module) {
            m_skipped.push_back({ fileName, "not loadable: " + error });
            continue;
        }
        auto execute = reinterpret_cast<ExecuteBrainFn>(m_loader->findExport(module, "ExecuteBrain"));
        if (!execute) {
            m_loader->release(module);
            m_skipped.push_back({ fileName, "no ExecuteBrain" });
            continue;
        }

        std::string name = brainNameOf(fileName);
        m_brainNames.push_back(name);
        BrainEntry& entry = m_brainTable[name];
        // The entry an earlier scan left gives its reference back; the new one holds
        // its own, so the library stays loaded either way.
        if (entry.module)
            m_loader->release(entry.module);
        entry = BrainEntry { module, execute };
    }
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
    for (std::size_t i = 0; i < m_brainNames.size(); ++i)
        m_brainColours[m_brainNames[i]] = brainPalette[i % brainPalette.size()].packed();
}

std::uint32_t BrainRegistry::brainColour(std::string_view brainName) const
{
    auto it = m_brainColours.find(brainName);
    return it == m_brainColours.end() ? unlistedBrainColour : it->second;
}

bool BrainRegistry::unlistBrain(std::size_t index)
{
    if (index >= m_brainNames.size())
        return false;
    m_brainNames.erase(m_brainNames.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

}
