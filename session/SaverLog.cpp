#include "session/SaverLog.h"

#include "os/WholeFile.h"

#include <chrono>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>

namespace shamblex {

std::optional<std::string> SaverLog::defaultPath(const char* stateHome, const char* home)
{
    // The XDG rule: a relative $XDG_STATE_HOME is invalid and ignored.
    if (stateHome && stateHome[0] == '/')
        return std::string(stateHome) + "/shamblex/saver.log";
    if (home && home[0] != '\0')
        return std::string(home) + "/.local/state/shamblex/saver.log";
    return std::nullopt;
}

std::optional<std::string> SaverLog::add(std::string_view line)
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder, error)) {
        std::filesystem::create_directories(folder, error);
        if (error)
            return error.message();
        // Private, as the XDG folders are meant to be.
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    }

    std::deque<std::string> lines;
    std::ifstream old(m_path);
    for (std::string kept; std::getline(old, kept);) {
        lines.push_back(std::move(kept));
        if (lines.size() >= keptLines)
            lines.pop_front();
    }

    std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    // Only the saver's main thread writes the log, so the shared result is safe.
    const std::tm* local = std::localtime(&now);
    char stamp[32] = "";
    if (local)
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    lines.push_back(std::string(stamp) + " " + std::string(line));

    std::string text;
    for (const std::string& kept : lines)
        text += kept + "\n";
    return writeWholeFile(m_path, { reinterpret_cast<const std::uint8_t*>(text.data()), text.size() });
}

}
