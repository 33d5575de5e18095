#pragma once

#include "brains/BrainCallTracer.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace shamblex {
class Simulation;
}

namespace shamblex::cli {

class RunSink;

// The runner's --trace: one JSON line per brain call, with the record as the brain
// found it and what the call changed. A being's memory is written whole at its
// first traced call; afterwards only the bytes a call changed (and the whole memory
// again in the rare case something else changed it between two calls), so a trace
// stays readable in size. With a serial, only the being that holds it at the run's
// first frame step is traced, followed by its place in the population whatever its
// serial becomes.
//
// The lines are kept until flush(), which sends them to the sink's trace output: once
// a frame step, so a trace costs one message a step in a brain worker.
class BrainTrace final : public BrainCallTracer {
public:
    // The simulation follows the traced being; it may be null when no serial is given.
    BrainTrace(RunSink&, Simulation*, std::optional<std::uint32_t> serial);

    bool wants(const BrainCallSite&, const BeingMind& before) override;
    void traced(const BrainCallSite&, std::string_view brain, const BeingMind& before, const BeingMind& after,
        bool ran) override;
    void flush();

private:
    RunSink& m_sink;
    Simulation* m_simulation;
    std::optional<std::uint32_t> m_serial;
    std::optional<std::int32_t> m_firstFrame; // the frame of the first call seen
    using Memory = std::array<std::uint8_t, brainMemoryBytes>;
    std::map<std::uint32_t, Memory> m_memories; // by being: the memory its last call left
    std::string m_lines;
};

}
