#pragma once

#include "sim/BeingMind.h"
#include "sim/BrainHost.h"

#include <string_view>

namespace shamblex {

// Watches brain calls for a tool (the runner's trace). The registry asks before each
// call whether it is wanted, so that a trace of one being costs the others nothing
// but the question, and hands over the being's mind as it was before the call and as
// the brain left it. The tracer must not keep the references.
class BrainCallTracer {
public:
    virtual ~BrainCallTracer() = default;
    virtual bool wants(const BrainCallSite&, const BeingMind& before) = 0;
    // `ran` is false when the brain threw and is disabled from now on.
    virtual void traced(const BrainCallSite&, std::string_view brain, const BeingMind& before, const BeingMind& after,
        bool ran)
        = 0;
};

}
