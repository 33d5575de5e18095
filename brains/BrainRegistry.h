#pragma once

#include "brains/BrainRecord.h"
#include "brains/LibraryLoader.h"
#include "sim/Colour.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

// Colours of the listed brains, given in list order; the ninth brain shares the first
// brain's colour.
inline constexpr std::array<Colour, 8> brainPalette { {
    { 255, 0, 0 },
    { 0, 0, 255 },
    { 255, 255, 0 },
    { 255, 0, 255 },
    { 0, 255, 255 },
    { 255, 255, 255 },
    { 0, 128, 255 },
    { 255, 128, 128 },
} };

// The colour of a name without one: purple (255, 0, 255).
inline constexpr std::uint32_t unlistedBrainColour = 0xFF00FF;

// A brain file the last scan passed over, and why.
struct SkippedLibrary {
    std::string fileName;
    std::string reason;
};

// The host's side of the brain plug-ins: it finds brain libraries in a folder,
// loads them, keeps each one's ExecuteBrain under its brain name, lists the names in
// the order found and gives every listed brain a colour.
//
// Brains load only on request; until then the list is empty and every human follows
// the built-in rule. The registry owns one reference to every library it loaded and
// keeps it until it is destroyed, so a brain stays callable even after a later scan
// no longer finds its file.
class BrainRegistry {
public:
    // A registry that can list and call brains but not load them (no platform).
    BrainRegistry() = default;
    explicit BrainRegistry(std::unique_ptr<LibraryLoader>);
    ~BrainRegistry();
    BrainRegistry(const BrainRegistry&) = delete;
    BrainRegistry& operator=(const BrainRegistry&) = delete;

    // Loads every library of the folder that exports "ExecuteBrain", appends its brain
    // name (the file name without ".dll") to the list and enters it in the table,
    // replacing an entry of the same name. Libraries that do not load, or lack the
    // export, are skipped and reported in skippedLibraries().
    void loadBrains(const std::string& folder);

    // Empties the list and the colours, loads the folder's brains and colours them.
    void reloadBrains(const std::string& folder);

    void assignBrainColours();

    // The packed colour of a listed brain, or purple for a name without one.
    std::uint32_t brainColour(std::string_view brainName) const;

    // Calls the named brain once on the record, or nothing when no brain of that name
    // was ever loaded.
    void runBrain(std::string_view brainName, BrainRecord& record) const
    {
        auto it = m_brainTable.find(brainName);
        if (it != m_brainTable.end() && it->second.execute)
            it->second.execute(&record);
    }

    const std::vector<std::string>& brainNames() const { return m_brainNames; }

    // Takes the name at `index` off the list; the names after it move up. Its library
    // stays loaded and its colour assigned. False when there is no such place.
    bool unlistBrain(std::size_t index);

    bool isLoaded(std::string_view brainName) const { return m_brainTable.find(brainName) != m_brainTable.end(); }

    const std::vector<SkippedLibrary>& skippedLibraries() const { return m_skipped; }
    // Why the last scan could not read its folder, or empty.
    const std::string& scanError() const { return m_scanError; }

private:
    struct BrainEntry {
        LibraryLoader::Handle module = nullptr;
        ExecuteBrainFn execute = nullptr;
    };

    std::unique_ptr<LibraryLoader> m_loader;
    std::map<std::string, BrainEntry, std::less<>> m_brainTable;
    std::vector<std::string> m_brainNames;
    std::map<std::string, std::uint32_t, std::less<>> m_brainColours;
    std::vector<SkippedLibrary> m_skipped;
    std::string m_scanError;
};

// The brain name of a library file: the text after the last backslash, without its
// last four characters (the ".dll"). "wanderwit.dll" gives "wanderwit", ".dll" gives "".
std::string brainNameOf(std::string_view fileName);

}
