#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace shamblex {

// A short log an installed saver keeps of what a user may want back later: the seed
// of every outbreak it started (to replay a beautiful one) and the brains that
// failed. Only the newest lines are kept, so it never grows; it is rewritten whole
// with each line, which is rare (an outbreak lasts minutes).
class SaverLog {
public:
    static constexpr std::size_t keptLines = 300;

    explicit SaverLog(std::string path)
        : m_path(std::move(path))
    {
    }

    // The log's place under the XDG state folder: $XDG_STATE_HOME/shamblex/saver.log,
    // or ~/.local/state/shamblex/saver.log; none without a home.
    static std::optional<std::string> defaultPath(const char* stateHome, const char* home);

    // Adds the line, stamped with the local time, creating the folder when missing;
    // the reason when the log cannot be written (the saver goes on without it).
    std::optional<std::string> add(std::string_view line);

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

}
