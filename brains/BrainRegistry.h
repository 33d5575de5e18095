#pragma once

#include "brains/BrainCallTracer.h"
#include "brains/BrainRecord.h"
#include "brains/LibraryLoader.h"
#include "sim/BrainHost.h"
#include "sim/Colour.h"

#include <array>
#include <cstdint>
#include <deque>
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

// A brain's status text is cut to this many bytes after every call, so that a brain
// cannot fill the machine's memory through its beings' labels.
inline constexpr std::size_t maximumStatusText = 4096;

// A brain file the last scan passed over, and why.
struct SkippedLibrary {
    std::string fileName;
    std::string reason;
};

// The host's side of the brain plug-ins: it finds brain libraries in a folder,
// checks each file as data and loads only real brains, keeps each one's ExecuteBrain
// under its brain name, lists the names in the order found and gives every listed
// brain a colour; and it calls a brain for the simulation, catching what the brain
// throws.
//
// Brains load only on request; until then the list is empty and every human follows
// the built-in rule. The registry owns one reference to every library it loaded and
// keeps it until it is destroyed, so a brain stays callable even after a later scan
// no longer finds its file.
class BrainRegistry final : public BrainHost {
public:
    // A registry that can list and call brains but not load them (no platform).
    BrainRegistry();
    explicit BrainRegistry(std::unique_ptr<LibraryLoader>);
    ~BrainRegistry() override;
    BrainRegistry(const BrainRegistry&) = delete;
    BrainRegistry& operator=(const BrainRegistry&) = delete;

    // Loads every real brain of the folder, appends its brain name (the file name
    // without ".dll") to the list and enters it in the table, replacing an entry of
    // the same name. Files that are no brain of this machine, that do not load, or
    // whose name the rules reserve are skipped and listed in skippedLibraries().
    void loadBrains(const std::string& folder);

    // Empties the list and the colours, loads the folder's brains and colours them.
    void reloadBrains(const std::string& folder);

    void assignBrainColours();

    // Where reports of misbehaving brains go (one line each); by default nowhere.
    void setReporter(std::function<void(std::string_view)> reporter) { m_reporter = std::move(reporter); }

    // BrainHost
    const std::vector<std::string>& brainNames() const override { return m_brainNames; }
    void unlistBrain(std::size_t index) override;
    Colour brainColour(std::string_view brainName) const override;
    int findBrain(std::string_view brainName) const override;
    BrainCallOutcome callBrain(int slot, BeingMind&, const BrainCallSite&) override;
    const std::string& disabledReason(int slot) const override { return m_table[static_cast<std::size_t>(slot)].disabled; }
    std::uint64_t generation() const override { return m_generation; }

    // A brain that faulted in an earlier play of the same outbreak sits out from the
    // same call on: when the call counter reaches `call` (counted as the call state
    // counts calls and loads), that call must be brain `brain`'s in frame `frame` for
    // being `being`, and instead of running it disables the brain with `reason`. A
    // call there of another brain or place is a mismatch, which mismatch() then tells.
    // With no call (0), the brain sits out from its first call in `frame` or later.
    struct Forfeit {
        std::string brain;
        std::uint64_t call = 0;
        std::int32_t frame = 0;
        std::uint32_t being = 0;
        std::string reason;
    };
    void forfeit(Forfeit);
    // A call that was not the one a forfeit expects, or a forfeit's call never reached.
    std::optional<std::string> mismatch() const;

    // Shows every call it wants to the tracer (not owned; null: none).
    void setTracer(BrainCallTracer* tracer) { m_tracer = tracer; }

    // For tests and tools: enters a brain function under a name, as a scan would.
    void enterBrain(const std::string& name, ExecuteBrainFn);

    bool isLoaded(std::string_view brainName) const { return findBrain(brainName) >= 0; }
    const std::vector<SkippedLibrary>& skippedLibraries() const { return m_skipped; }
    // Why the last scan could not read its folder, or empty.
    const std::string& scanError() const { return m_scanError; }

private:
    struct BrainEntry {
        std::string name;
        LibraryLoader::Handle module = nullptr;
        ExecuteBrainFn execute = nullptr;
        std::int32_t library = -1; // the loader's number for the file it came from
        std::string disabled; // "disabled: ..." once the brain threw
    };

    BrainEntry& entryFor(const std::string& name);
    bool sitsOut(BrainEntry&, std::uint64_t call, const BrainCallSite&);
    // The call itself: the record in the guarded room, the brain run, the record back.
    BrainCallOutcome runGuarded(BrainEntry&, BeingMind&, const BrainCallSite&);
    void disable(BrainEntry&, const std::string& what, const BrainCallSite&);

    std::unique_ptr<LibraryLoader> m_loader;
    // The record every call works on: in the loader's guarded room, or our own.
    std::unique_ptr<PlacedBrainRecord> m_ownRecord;
    BrainRecord* m_working = nullptr;
    std::deque<BrainEntry> m_table; // never shrinks: slots and name addresses stay
    std::map<std::string, int, std::less<>> m_slots;
    std::vector<std::string> m_brainNames;
    std::map<std::string, Colour, std::less<>> m_brainColours;
    std::vector<SkippedLibrary> m_skipped;
    std::string m_scanError;
    std::function<void(std::string_view)> m_reporter;
    std::uint64_t m_generation = 1;
    std::vector<Forfeit> m_forfeits;
    std::optional<std::string> m_mismatch;
    BrainCallTracer* m_tracer = nullptr;
};

// The brain name of a library file: the file name without its last four characters
// (the ".dll"). "wanderwit.dll" gives "wanderwit", ".dll" gives "".
std::string brainNameOf(std::string_view fileName);

// Why a brain may not have this name, when the rules give the name their own meaning
// (a brain of that name would never run, or would be taken for the zombies).
std::optional<std::string> reservedNameReason(std::string_view brainName);

}
