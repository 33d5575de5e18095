#include "os/WindowsCommandLine.h"

namespace shamblex {

std::string windowsCommandLine(const std::vector<std::string>& command)
{
    std::string line;
    for (const std::string& word : command) {
        if (!line.empty())
            line += ' ';
        line += '"';
        std::size_t backslashes = 0;
        for (char c : word) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(2 * backslashes, '\\');
        line += '"';
    }
    return line;
}

}
