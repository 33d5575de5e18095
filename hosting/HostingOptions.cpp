#include "hosting/HostingOptions.h"

#include "session/CommandLineNumbers.h"

namespace shamblex {

OptionRead readHostingOption(
    std::span<const std::string_view> arguments, std::size_t& index, HostingOptions& options, std::string& error)
{
    std::string_view option = arguments[index];
    if (option == "--no-sandbox") {
        options.sandbox = false;
        return OptionRead::Read;
    }
    if (option != "--memory-limit")
        return OptionRead::NotMine;
    if (index + 1 >= arguments.size()) {
        error = "--memory-limit needs a value";
        return OptionRead::Malformed;
    }
    std::string_view value = arguments[++index];
    auto megabytes = parseUnsigned(value, maximumMemoryLimitMegabytes);
    if (!megabytes || *megabytes < minimumMemoryLimitMegabytes) {
        error = "--memory-limit: " + quoted(value) + " is not a number of megabytes from "
            + std::to_string(minimumMemoryLimitMegabytes) + " to " + std::to_string(maximumMemoryLimitMegabytes);
        return OptionRead::Malformed;
    }
    options.memoryLimit = *megabytes << 20;
    return OptionRead::Read;
}

std::string_view hostingOptionsHelp()
{
    return R"(  --no-sandbox         run the brains in this program, not in a sandboxed worker
                       (to debug a brain in a debugger; see docs/brains.md)
  --memory-limit MB    the memory the sandboxed outbreak may use, 64 to 1048576 (4096)
)";
}

}
