#pragma once

#include "arena/RunResult.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace shamblex::arena {

// Plays an arena's runs, each in a child process of its own (see RunPlayer), at
// most `jobs` at a time. The results come back in seed order whatever order the
// runs finished in, so that the files do not depend on the number of jobs.
class ArenaRunner {
public:
    // `program` is the arena program to start as the children; the children's output
    // is kept in a folder of its own under `temporaryRoot` until it has been read.
    ArenaRunner(std::string program, std::filesystem::path temporaryRoot, int jobs);
    ~ArenaRunner();
    ArenaRunner(const ArenaRunner&) = delete;
    ArenaRunner& operator=(const ArenaRunner&) = delete;

    // Why the runner cannot run children at all (its folder could not be made), or
    // nothing.
    const std::optional<std::string>& failure() const { return m_failure; }

    // The names of the folder's brains, in list order, as a run will load them, or
    // why they cannot be listed. Lines the listing had to say (skipped files) go to
    // `remark`.
    std::variant<std::vector<std::string>, std::string> listBrains(
        const std::string& folder, std::int32_t timeoutSeconds, const std::function<void(std::string_view)>& remark);

    // Plays the shard's runs of the setup. `progress` is called on the caller's
    // thread, now and then and once at the end, with the runs done; `stop` is asked
    // at the same times whether to give up (an interrupt), in which case the runs
    // under way are ended and nothing is returned.
    std::optional<std::vector<RunResult>> play(const ArenaSetup&, const Shard&,
        const std::function<void(std::int64_t done, std::int64_t total)>& progress, const std::function<bool()>& stop);

private:
    std::string m_program;
    std::filesystem::path m_folder;
    int m_jobs = 1;
    std::optional<std::string> m_failure;
};

}
