#include "arena/ResultFiles.h"

#include "base/Text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <map>

namespace shamblex::arena {

namespace {

using Json = nlohmann::ordered_json;

// Decimal places of the figures in the files and the table.
constexpr int framePlaces = 1;
constexpr int humanPlaces = 2;
constexpr int sharePlaces = 4;

constexpr std::string_view survivedWord = "survived";

std::string fixed(double value, int places)
{
    char digits[64];
    auto result = std::to_chars(digits, digits + sizeof digits, rounded(value, places), std::chars_format::fixed, places);
    return std::string(digits, result.ptr);
}

std::string faultText(const BrainFault& fault)
{
    return "faulted at frame " + std::to_string(fault.frame) + ": " + fault.what;
}

Json rounded(const std::optional<double>& value, int places)
{
    return value ? Json(arena::rounded(*value, places)) : Json(nullptr);
}

}

std::string csvText(const ArenaResults& results)
{
    const ArenaSetup& setup = results.setup;
    std::string text = "seed,brain,last_human_fell,humans_at_end,score,outcome,culprit,detail,replay\n";
    // Files of the folder that played no part come first, with why.
    for (const SkippedBrain& skipped : setup.skipped)
        text += "," + csvField(skipped.fileName) + ",,,,skipped,," + csvField(skipped.reason) + ",\n";
    for (const RunResult& run : results.runs) {
        const std::string replay = csvField(setup.replayCommand(run.seed));
        for (std::size_t b = 0; b < setup.brainNames.size(); ++b) {
            text += std::to_string(run.seed) + "," + csvField(setup.brainNames[b]) + ",";
            std::string detail = run.detail;
            if (run.outcome == RunOutcome::Finished && b < run.brains.size()) {
                const BrainResult& brain = run.brains[b];
                text += brain.lastHumanFell ? std::to_string(*brain.lastHumanFell) : std::string(survivedWord);
                text += "," + std::to_string(brain.humansAtEnd);
                text += "," + std::to_string(brain.score(setup.frames));
                if (brain.fault)
                    detail = faultText(*brain.fault);
            } else {
                text += ",,";
            }
            text += "," + csvField(outcomeName(run.outcome)) + "," + csvField(run.culprit.value_or("")) + ","
                + csvField(detail) + "," + replay + "\n";
        }
    }
    return text;
}

std::string jsonText(const ArenaResults& results, const ArenaSummary& summary)
{
    const ArenaSetup& setup = results.setup;
    Json document;
    document["arena"] = {
        { "brains_folder", setup.brainsFolder },
        { "brains", setup.brainNames },
        { "runs", setup.runs },
        { "first_seed", setup.firstSeed },
        { "frames", setup.frames },
        { "outbreak", setup.outbreakArguments },
        { "timeout_seconds", setup.timeoutSeconds },
        { "version", setup.version },
    };
    Json files = Json::array();
    for (std::size_t b = 0; b < setup.brainNames.size() && b < setup.brainDigests.size(); ++b)
        files.push_back({ { "brain", setup.brainNames[b] }, { "sha256", setup.brainDigests[b] } });
    document["arena"]["brain_files"] = files;
    Json skipped = Json::array();
    for (const SkippedBrain& file : setup.skipped)
        skipped.push_back({ { "file", file.fileName }, { "reason", file.reason } });
    document["arena"]["skipped"] = skipped;
    if (!results.shard.isWhole())
        document["shard"] = results.shard.text();

    Json ranking = Json::array();
    for (std::size_t place = 0; place < summary.ranking.size(); ++place) {
        const BrainSummary& brain = summary.ranking[place];
        ranking.push_back({
            { "rank", place + 1 },
            { "tier", brain.tier },
            { "brain", brain.name },
            { "finished_runs", brain.finishedRuns },
            { "mean_score", arena::rounded(brain.score.mean, framePlaces) },
            { "score_ci95", rounded(brain.score.halfWidth, framePlaces) },
            { "reached_frame_cap", brain.reachedCap },
            { "mean_survival", arena::rounded(brain.survival.mean, framePlaces) },
            { "survival_ci95", rounded(brain.survival.halfWidth, framePlaces) },
            { "median_survival", arena::rounded(brain.medianSurvival, framePlaces) },
            { "outlived_all", arena::rounded(brain.outlivedAllShare, sharePlaces) },
            { "mean_humans_at_end", arena::rounded(brain.humansAtEnd.mean, humanPlaces) },
            { "humans_at_end_ci95", rounded(brain.humansAtEnd.halfWidth, humanPlaces) },
            { "forfeited", brain.forfeited },
            { "crashed", brain.crashed },
            { "threw", brain.threw },
            { "timed_out", brain.timedOut },
        });
    }
    auto comparison = [&](const PairedComparison& pair) {
        return Json {
            { "leader", setup.brainNames[pair.leader] },
            { "other", setup.brainNames[pair.other] },
            { "survival_difference", arena::rounded(pair.survivalDifference.mean, framePlaces) },
            { "survival_difference_ci95", rounded(pair.survivalDifference.halfWidth, framePlaces) },
            { "humans_difference", arena::rounded(pair.humansDifference.mean, humanPlaces) },
            { "humans_difference_ci95", rounded(pair.humansDifference.halfWidth, humanPlaces) },
            { "score_difference", arena::rounded(pair.scoreDifference.mean, framePlaces) },
            { "score_difference_ci95", rounded(pair.scoreDifference.halfWidth, framePlaces) },
            { "verdict", verdictName(pair.verdict) },
        };
    };
    Json comparisons = Json::array();
    for (const PairedComparison& pair : summary.againstLeader)
        comparisons.push_back(comparison(pair));
    Json pairs = Json::array();
    for (const PairedComparison& pair : summary.pairs)
        pairs.push_back(comparison(pair));
    document["summary"] = {
        { "finished_runs", summary.finishedRuns },
        { "spoiled_runs",
            { { "crashed", summary.crashed }, { "threw", summary.threw }, { "timed_out", summary.timedOut },
                { "failed", summary.failed }, { "no_brain_named", summary.unknownCulprit } } },
        { "ranking_rule", rankingRule },
        { "tier_rule", tierRule },
        { "ranking", ranking },
        { "against_leader", comparisons },
        { "pairs", pairs },
    };

    Json runs = Json::array();
    for (const RunResult& run : results.runs) {
        Json brains = Json::array();
        for (std::size_t b = 0; b < setup.brainNames.size(); ++b) {
            Json fell = nullptr, humans = nullptr, fault = nullptr;
            if (run.outcome == RunOutcome::Finished && b < run.brains.size()) {
                const BrainResult& brain = run.brains[b];
                fell = brain.lastHumanFell ? Json(*brain.lastHumanFell) : Json(survivedWord);
                humans = brain.humansAtEnd;
                if (brain.fault)
                    fault = { { "frame", brain.fault->frame }, { "what", brain.fault->what } };
            }
            brains.push_back({ { "brain", setup.brainNames[b] }, { "last_human_fell", fell }, { "humans_at_end", humans },
                { "fault", fault } });
        }
        runs.push_back({
            { "seed", run.seed },
            { "outcome", outcomeName(run.outcome) },
            { "culprit", run.culprit ? Json(*run.culprit) : Json(nullptr) },
            { "detail", run.detail },
            { "replay", setup.replayCommand(run.seed) },
            { "brains", brains },
        });
    }
    document["runs"] = runs;
    return document.dump(2) + "\n";
}

std::string summaryText(const ArenaResults& results, const ArenaSummary& summary)
{
    const ArenaSetup& setup = results.setup;
    std::string text;
    auto line = [&text](const std::string& words) { text += words + "\n"; };

    std::string outbreak;
    for (const std::string& word : setup.outbreakArguments)
        outbreak += (outbreak.empty() ? "" : " ") + word;
    const std::int64_t played = static_cast<std::int64_t>(results.runs.size());
    std::string runs = std::to_string(setup.runs) + " runs (seeds " + std::to_string(setup.firstSeed) + " to "
        + std::to_string(setup.seedOf(setup.runs - 1)) + ")";
    if (!results.shard.isWhole())
        runs = std::to_string(played) + " of " + runs + ", shard " + results.shard.text();
    line(std::to_string(setup.brainNames.size()) + " brains from '" + setup.brainsFolder + "', " + runs + " of "
        + std::to_string(setup.frames) + " frames; outbreak: " + (outbreak.empty() ? "the defaults" : outbreak));
    line("Survival: the frame at which a brain's last human fell, or " + std::to_string(setup.frames)
        + " when it had humans left. Score: survival plus the humans left at the end; it ranks.");
    line("");

    std::size_t nameWidth = 5;
    for (const std::string& name : setup.brainNames)
        nameWidth = std::max(nameWidth, name.size());
    auto padded = [](std::string words, std::size_t width, bool right) {
        // Counted in characters, not bytes: the table holds a '±'.
        std::size_t shown = 0;
        for (unsigned char c : words)
            shown += (c & 0xC0) != 0x80;
        if (shown >= width)
            return words;
        std::string pad(width - shown, ' ');
        return right ? pad + words : words + pad;
    };
    auto plusMinus = [](const Estimate& estimate, int places) {
        return fixed(estimate.mean, places) + " ± " + (estimate.halfWidth ? fixed(*estimate.halfWidth, places) : "?");
    };
    line("rank  tier  " + padded("brain", nameWidth, false) + "  runs  " + padded("score, mean ± 95%", 20, true) + "  "
        + padded("survival, mean ± 95%", 22, true) + "  " + padded("median", 8, true) + "  outlived all  "
        + padded("humans at end", 16, true) + "  faults");
    for (std::size_t place = 0; place < summary.ranking.size(); ++place) {
        const BrainSummary& brain = summary.ranking[place];
        line(padded(std::to_string(place + 1), 4, true) + "  " + padded(std::to_string(brain.tier), 4, true) + "  "
            + padded(brain.name, nameWidth, false) + "  " + padded(std::to_string(brain.finishedRuns), 4, true) + "  "
            + padded(plusMinus(brain.score, framePlaces), 20, true) + "  "
            + padded(plusMinus(brain.survival, framePlaces), 22, true) + "  "
            + padded(fixed(brain.medianSurvival, framePlaces), 8, true) + "  "
            + padded(fixed(100 * brain.outlivedAllShare, 1) + "%", 12, true) + "  "
            + padded(plusMinus(brain.humansAtEnd, humanPlaces), 16, true) + "  "
            + padded(std::to_string(brain.forfeited + brain.crashed + brain.threw + brain.timedOut), 6, true));
    }

    if (!summary.againstLeader.empty()) {
        line("");
        for (const PairedComparison& pair : summary.againstLeader) {
            auto signedFigure = [](const Estimate& estimate, int places) {
                std::string mean = fixed(estimate.mean, places);
                return (mean[0] == '-' ? mean : "+" + mean) + " ± "
                    + (estimate.halfWidth ? fixed(*estimate.halfWidth, places) : "?");
            };
            line(setup.brainNames[pair.leader] + " against " + setup.brainNames[pair.other]
                + ", run by run: score " + signedFigure(pair.scoreDifference, framePlaces) + " ("
                + std::string(verdictName(pair.verdict)) + "), survival "
                + signedFigure(pair.survivalDifference, framePlaces) + " frames, humans at end "
                + signedFigure(pair.humansDifference, humanPlaces));
        }
        line("(95% intervals of the mean difference over the same seeds; one that holds 0 is no difference these "
             "runs can tell. Tiers: a brain joins the tier of the brain heading it unless it is worse than that "
             "brain; --json and --html hold every pair.)");
    }

    std::string forfeits;
    for (const BrainSummary& brain : summary.ranking) {
        if (brain.forfeited > 0)
            forfeits += (forfeits.empty() ? "" : ", ") + brain.name + " " + std::to_string(brain.forfeited);
    }
    if (!forfeits.empty()) {
        line("");
        line("Forfeits (a brain that faulted sat out the rest of the run, its humans standing still): " + forfeits
            + ". The files name each one with its frame and its replay.");
    }

    line("");
    const std::int64_t spoiled = played - summary.finishedRuns;
    if (spoiled == 0) {
        line(played == 1 ? "The run finished." : "All " + std::to_string(played) + " runs finished.");
        return text;
    }
    std::string kinds;
    auto add = [&kinds](std::int64_t count, const char* what) {
        if (count > 0)
            kinds += (kinds.empty() ? "" : ", ") + std::to_string(count) + " " + what;
    };
    add(summary.crashed, "crashed");
    add(summary.threw, "threw");
    add(summary.timedOut, "timed out");
    add(summary.failed, "failed");
    std::string blamed;
    for (const BrainSummary& brain : summary.ranking) {
        std::int64_t faults = brain.crashed + brain.threw + brain.timedOut;
        if (faults > 0)
            blamed += (blamed.empty() ? "" : ", ") + brain.name + " " + std::to_string(faults);
    }
    if (summary.unknownCulprit > 0)
        blamed += (blamed.empty() ? "" : ", ") + std::string("no brain named ") + std::to_string(summary.unknownCulprit);
    line("Spoiled runs, counted in no figure above: " + std::to_string(spoiled) + " of " + std::to_string(played)
        + " (" + kinds + "); by brain: " + blamed + ". The files name each one and its replay.");
    return text;
}

namespace {

std::variant<ArenaResults, std::string> readDocument(const Json& document)
{
    ArenaResults results;
    const Json& arena = document.at("arena");
    ArenaSetup& setup = results.setup;
    setup.brainsFolder = arena.at("brains_folder").get<std::string>();
    setup.brainNames = arena.at("brains").get<std::vector<std::string>>();
    setup.runs = arena.at("runs").get<std::int64_t>();
    setup.firstSeed = arena.at("first_seed").get<std::uint32_t>();
    setup.frames = arena.at("frames").get<std::int32_t>();
    setup.outbreakArguments = arena.at("outbreak").get<std::vector<std::string>>();
    setup.timeoutSeconds = arena.at("timeout_seconds").get<std::int32_t>();
    // Files of earlier versions name no version, brain files or skipped files.
    setup.version = arena.value("version", std::string());
    for (const Json& file : arena.value("brain_files", Json::array()))
        setup.brainDigests.push_back(file.at("sha256").get<std::string>());
    for (const Json& file : arena.value("skipped", Json::array()))
        setup.skipped.push_back({ file.at("file").get<std::string>(), file.at("reason").get<std::string>() });
    if (setup.runs < 1 || setup.frames < 0)
        return std::string("its arena plays no runs");
    if (document.contains("shard")) {
        std::string shard = document.at("shard").get<std::string>();
        auto parsed = parseShard(shard);
        if (!parsed)
            return "its shard " + shard + " is not K/N";
        results.shard = *parsed;
    }
    for (const Json& entry : document.at("runs")) {
        RunResult run;
        run.seed = entry.at("seed").get<std::uint32_t>();
        auto outcome = outcomeNamed(entry.at("outcome").get<std::string>());
        if (!outcome)
            return "run " + std::to_string(run.seed) + " has no known outcome";
        run.outcome = *outcome;
        if (!entry.at("culprit").is_null())
            run.culprit = entry.at("culprit").get<std::string>();
        run.detail = entry.at("detail").get<std::string>();
        const Json& brains = entry.at("brains");
        if (brains.size() != setup.brainNames.size())
            return "run " + std::to_string(run.seed) + " does not list the arena's brains";
        if (run.outcome == RunOutcome::Finished) {
            for (const Json& brain : brains) {
                BrainResult result;
                const Json& fell = brain.at("last_human_fell");
                if (!(fell.is_string() && fell.get<std::string>() == survivedWord))
                    result.lastHumanFell = fell.get<std::int32_t>();
                result.humansAtEnd = brain.at("humans_at_end").get<std::int32_t>();
                const Json& fault = brain.value("fault", Json());
                if (!fault.is_null())
                    result.fault = BrainFault { fault.at("frame").get<std::int32_t>(), fault.at("what").get<std::string>() };
                run.brains.push_back(result);
            }
        }
        results.runs.push_back(std::move(run));
    }
    return results;
}

}

std::variant<ArenaResults, std::string> readResults(std::string_view json)
{
    Json document = Json::parse(json.begin(), json.end(), nullptr, false);
    if (document.is_discarded() || !document.is_object())
        return std::string("it is not JSON written by shamblex-arena --json");
    try {
        return readDocument(document);
    } catch (const Json::exception&) {
        return std::string("it is not JSON written by shamblex-arena --json (a field is missing or of the wrong kind)");
    }
}

std::variant<ArenaResults, std::string> mergeShards(std::vector<ArenaResults> shards)
{
    if (shards.empty())
        return std::string("there is nothing to merge");
    ArenaResults merged;
    merged.setup = shards.front().setup;
    const std::int64_t count = shards.front().shard.count;
    std::map<std::int64_t, std::size_t> seen; // shard index -> which file
    for (std::size_t file = 0; file < shards.size(); ++file) {
        const ArenaResults& shard = shards[file];
        const ArenaSetup& first = merged.setup;
        if (shard.setup.version != first.version)
            return "file " + std::to_string(file + 1) + " was played by Shamblex " + shard.setup.version
                + ", file 1 by Shamblex " + first.version;
        if (shard.setup.brainNames == first.brainNames && shard.setup.brainDigests != first.brainDigests) {
            for (std::size_t b = 0; b < first.brainNames.size(); ++b) {
                if (b >= shard.setup.brainDigests.size() || b >= first.brainDigests.size()
                    || shard.setup.brainDigests[b] != first.brainDigests[b])
                    return "file " + std::to_string(file + 1) + " played another brain '" + first.brainNames[b]
                        + "' than file 1 (their SHA-256 differ)";
            }
        }
        if (!(shard.setup == merged.setup))
            return "file " + std::to_string(file + 1) + " is of another arena (its brains, runs, frames, outbreak or "
                + "time limit differ)";
        if (shard.shard.count != count)
            return "file " + std::to_string(file + 1) + " is shard " + shard.shard.text() + ", not one of "
                + std::to_string(count);
        if (!seen.emplace(shard.shard.index, file).second)
            return "shard " + shard.shard.text() + " is given twice";
        for (const RunResult& run : shard.runs) {
            std::int64_t index = static_cast<std::int64_t>(run.seed - merged.setup.firstSeed);
            if (run.seed < merged.setup.firstSeed || index >= merged.setup.runs || !shard.shard.holds(index))
                return "shard " + shard.shard.text() + " holds seed " + std::to_string(run.seed)
                    + ", which is not its own";
            merged.runs.push_back(run);
        }
    }
    for (std::int64_t index = 1; index <= count; ++index) {
        if (!seen.contains(index))
            return "shard " + std::to_string(index) + "/" + std::to_string(count) + " is missing";
    }
    std::sort(merged.runs.begin(), merged.runs.end(), [](const RunResult& a, const RunResult& b) { return a.seed < b.seed; });
    for (std::size_t i = 0; i < merged.runs.size(); ++i) {
        if (merged.runs[i].seed != merged.setup.seedOf(static_cast<std::int64_t>(i)))
            return "the shards do not hold every run once: seed " + std::to_string(merged.setup.seedOf(static_cast<std::int64_t>(i)))
                + " is missing or given twice";
    }
    if (static_cast<std::int64_t>(merged.runs.size()) != merged.setup.runs)
        return std::string("the shards hold more runs than their arena");
    return merged;
}

}
