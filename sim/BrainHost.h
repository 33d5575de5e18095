#pragma once

#include "sim/BeingMind.h"
#include "sim/Colour.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

// The colour of a brain name without one of its own: purple (255, 0, 255).
inline constexpr Colour unlistedBrainColour { 255, 0, 255 };

// Where a brain call happens, for reports about a brain that misbehaves.
struct BrainCallSite {
    std::int32_t frame = 0; // the frame being simulated
    std::uint32_t being = 0; // the being's place in population order
};

enum class BrainCallOutcome {
    Ran,
    // The brain no longer runs (it threw earlier or now); its being stands still.
    Disabled,
};

// What the simulation needs of the brains, and all it knows of them: the listed
// brain names that new simulations deal humans out to, the colours they are drawn
// in, and a way to call the loaded brain of a name. The brain registry provides it;
// the simulation holds it by reference and never owns it.
class BrainHost {
public:
    virtual ~BrainHost() = default;

    // The listed brains, in list order.
    virtual const std::vector<std::string>& brainNames() const = 0;
    // Takes the name at `index` off the list; the names after it move up.
    virtual void unlistBrain(std::size_t index) = 0;
    // The colour of a brain's humans; purple for a name without one.
    virtual Colour brainColour(std::string_view name) const = 0;

    // The loaded brain of this name as a slot number for callBrain, or -1 when none
    // was loaded.
    virtual int findBrain(std::string_view name) const = 0;
    // Calls the brain in the slot once on the being's mind: what the brain writes of
    // it is there after the call.
    virtual BrainCallOutcome callBrain(int slot, BeingMind&, const BrainCallSite&) = 0;
    // Why a disabled brain stopped, for its beings' status text.
    virtual const std::string& disabledReason(int slot) const = 0;

    // Grows whenever any answer above may have changed, so that callers may keep
    // what they looked up until then.
    virtual std::uint64_t generation() const = 0;
};

// A host without brains: nothing listed, nothing to call.
class NoBrains final : public BrainHost {
public:
    const std::vector<std::string>& brainNames() const override { return m_none; }
    void unlistBrain(std::size_t) override { }
    Colour brainColour(std::string_view) const override { return unlistedBrainColour; }
    int findBrain(std::string_view) const override { return -1; }
    BrainCallOutcome callBrain(int, BeingMind&, const BrainCallSite&) override { return BrainCallOutcome::Disabled; }
    const std::string& disabledReason(int) const override { return m_reason; }
    std::uint64_t generation() const override { return 0; }

private:
    std::vector<std::string> m_none;
    std::string m_reason;
};

}
