#include "hosting/HostingOptions.h"

#include "base/OptionTable.h"
#include "session/CommandLineNumbers.h"

namespace shamblex {

void addHostingOptions(OptionTable& table, HostingOptions& options)
{
    table.flag({ "--no-sandbox" }, "run the brains in this program, not in a sandboxed worker\n"
                                   "(to debug a brain in a debugger; see docs/brains.md)",
        [&] { options.sandbox = false; });
    table.value({ "--memory-limit" }, "MB", "the memory the sandboxed outbreak may use, 64 to 1048576 (4096)",
        [&](std::string_view value) {
            auto megabytes = parseUnsigned(value, maximumMemoryLimitMegabytes);
            if (!megabytes || *megabytes < minimumMemoryLimitMegabytes)
                return OptionTable::Refusal(OptionTable::notA(value, "a number of megabytes from "
                        + std::to_string(minimumMemoryLimitMegabytes) + " to "
                        + std::to_string(maximumMemoryLimitMegabytes)));
            options.memoryLimit = *megabytes << 20;
            return OptionTable::Refusal();
        });
}

}
