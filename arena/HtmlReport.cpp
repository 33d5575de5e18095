#include "arena/HtmlReport.h"

#include "brains/BrainRegistry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace shamblex::arena {

namespace {

// Decimal places, as the other files round them.
constexpr int framePlaces = 1;
constexpr int humanPlaces = 2;

// The survival chart's drawing area in SVG units.
constexpr int chartWidth = 860;
constexpr int chartHeight = 360;
constexpr int chartLeft = 60;
constexpr int chartTop = 20;
constexpr int plotWidth = chartWidth - chartLeft - 20;
constexpr int plotHeight = chartHeight - chartTop - 50;

// The seeds listed for a brain before "and N more".
constexpr std::size_t listedSeeds = 20;

constexpr std::string_view style = R"(
body { font: 15px/1.45 system-ui, sans-serif; color: #1d1d1f; background: #fafafa; margin: 2em auto; max-width: 72em; padding: 0 1em; }
h1 { font-size: 1.7em; margin-bottom: 0.2em; }
h2 { margin-top: 1.8em; border-bottom: 1px solid #ccc; }
table { border-collapse: collapse; margin: 0.6em 0; }
th, td { padding: 0.25em 0.7em; border-bottom: 1px solid #ddd; text-align: right; }
td { white-space: nowrap; }
th { background: #eee; }
td.name, th.name { text-align: left; }
tr.tier-start td { border-top: 2px solid #555; }
.swatch { display: inline-block; width: 0.9em; height: 0.9em; margin-right: 0.4em; vertical-align: -0.1em; border: 1px solid #333; }
td.better { background: #d6f5d6; } td.worse { background: #f8d7d7; } td.none { background: #f1f1f1; color: #555; }
code { font-size: 0.9em; background: #eee; padding: 0 0.3em; word-break: break-all; }
.note { color: #555; font-size: 0.92em; }
svg text { font: 12px system-ui, sans-serif; fill: #333; }
)";

std::string escaped(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string fixed(double value, int places)
{
    char digits[64];
    auto result = std::to_chars(digits, digits + sizeof digits, rounded(value, places), std::chars_format::fixed, places);
    return std::string(digits, result.ptr);
}

std::string plusMinus(const Estimate& estimate, int places, bool sign = false)
{
    std::string mean = fixed(estimate.mean, places);
    if (sign && mean[0] != '-')
        mean = "+" + mean;
    return mean + " ± " + (estimate.halfWidth ? fixed(*estimate.halfWidth, places) : "?");
}

std::string colourOf(std::size_t brain)
{
    const Colour colour = brainPalette[brain % brainPalette.size()];
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

// An HTML id made of the name's letters and digits, numbered so it is unique.
std::string anchorOf(const std::string& name, std::size_t brain)
{
    std::string id = "brain-" + std::to_string(brain + 1) + "-";
    for (char c : name)
        id += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return id;
}

std::string survivalChart(const ArenaResults& results, const ArenaSummary& summary)
{
    const ArenaSetup& setup = results.setup;
    const std::int32_t frames = std::max(setup.frames, 1);
    std::string svg = "<svg id=\"survival-curves\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 "
        + std::to_string(chartWidth) + " " + std::to_string(chartHeight) + "\" width=\"" + std::to_string(chartWidth)
        + "\" height=\"" + std::to_string(chartHeight) + "\" role=\"img\" aria-label=\"survival curves\">\n";
    auto x = [&](double frame) { return chartLeft + plotWidth * frame / frames; };
    auto y = [&](double share) { return chartTop + plotHeight * (1 - share); };
    // The grid: shares every 25%, frames every fifth of the run.
    for (int tick = 0; tick <= 4; ++tick) {
        const double share = tick / 4.0;
        svg += "<line x1=\"" + fixed(x(0), 1) + "\" y1=\"" + fixed(y(share), 1) + "\" x2=\"" + fixed(x(frames), 1)
            + "\" y2=\"" + fixed(y(share), 1) + "\" stroke=\"#ddd\"/>";
        svg += "<text x=\"" + std::to_string(chartLeft - 8) + "\" y=\"" + fixed(y(share) + 4, 1)
            + "\" text-anchor=\"end\">" + std::to_string(tick * 25) + "%</text>\n";
        const double frame = frames * tick / 4.0;
        svg += "<text x=\"" + fixed(x(frame), 1) + "\" y=\"" + std::to_string(chartTop + plotHeight + 18)
            + "\" text-anchor=\"middle\">" + std::to_string(static_cast<long long>(std::lround(frame))) + "</text>\n";
    }
    svg += "<text x=\"" + std::to_string(chartLeft + plotWidth / 2) + "\" y=\"" + std::to_string(chartHeight - 8)
        + "\" text-anchor=\"middle\">frame (share of the finished runs in which the brain still has humans)</text>\n";

    for (const BrainSummary& brain : summary.ranking) {
        std::vector<std::int32_t> fell;
        std::int64_t runs = 0;
        for (const RunResult& run : results.runs) {
            if (run.outcome != RunOutcome::Finished || brain.brain >= run.brains.size())
                continue;
            ++runs;
            if (run.brains[brain.brain].lastHumanFell)
                fell.push_back(*run.brains[brain.brain].lastHumanFell);
        }
        if (runs == 0)
            continue;
        std::sort(fell.begin(), fell.end());
        // A step down at every frame a run lost the brain's last human.
        std::string points = fixed(x(0), 1) + "," + fixed(y(1), 1);
        std::int64_t alive = runs;
        for (std::size_t i = 0; i < fell.size();) {
            const std::int32_t frame = fell[i];
            std::size_t same = i;
            while (same < fell.size() && fell[same] == frame)
                ++same;
            points += " " + fixed(x(frame), 1) + "," + fixed(y(static_cast<double>(alive) / runs), 1);
            alive -= static_cast<std::int64_t>(same - i);
            points += " " + fixed(x(frame), 1) + "," + fixed(y(static_cast<double>(alive) / runs), 1);
            i = same;
        }
        points += " " + fixed(x(frames), 1) + "," + fixed(y(static_cast<double>(alive) / runs), 1);
        svg += "<polyline class=\"curve\" data-brain=\"" + escaped(brain.name) + "\" fill=\"none\" stroke=\""
            + colourOf(brain.brain) + "\" stroke-width=\"2.5\" points=\"" + points + "\"><title>" + escaped(brain.name)
            + "</title></polyline>\n";
    }
    svg += "<rect x=\"" + std::to_string(chartLeft) + "\" y=\"" + std::to_string(chartTop) + "\" width=\""
        + std::to_string(plotWidth) + "\" height=\"" + std::to_string(plotHeight)
        + "\" fill=\"none\" stroke=\"#888\"/>\n</svg>\n";
    return svg;
}

// The five-number spread of a brain's scores over the finished runs.
std::string spreadOf(const ArenaResults& results, std::size_t brain)
{
    std::vector<double> scores;
    for (const RunResult& run : results.runs)
        if (run.outcome == RunOutcome::Finished && brain < run.brains.size())
            scores.push_back(static_cast<double>(run.brains[brain].score(results.setup.frames)));
    if (scores.empty())
        return "no finished run";
    std::sort(scores.begin(), scores.end());
    auto quantile = [&](double q) {
        const double at = q * static_cast<double>(scores.size() - 1);
        const auto low = static_cast<std::size_t>(std::floor(at));
        const std::size_t high = std::min(low + 1, scores.size() - 1);
        return scores[low] + (scores[high] - scores[low]) * (at - static_cast<double>(low));
    };
    return "lowest " + fixed(scores.front(), framePlaces) + ", lower quartile " + fixed(quantile(0.25), framePlaces)
        + ", median " + fixed(quantile(0.5), framePlaces) + ", upper quartile " + fixed(quantile(0.75), framePlaces)
        + ", highest " + fixed(scores.back(), framePlaces);
}

}

std::string htmlReport(const ArenaResults& results, const ArenaSummary& summary)
{
    const ArenaSetup& setup = results.setup;
    const std::size_t brains = setup.brainNames.size();
    std::string outbreak;
    for (const std::string& word : setup.outbreakArguments)
        outbreak += (outbreak.empty() ? "" : " ") + word;
    const std::int64_t played = static_cast<std::int64_t>(results.runs.size());

    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Shamblex arena: "
        + std::to_string(brains) + " brains, " + std::to_string(played) + " runs</title>\n<style>"
        + std::string(style) + "</style>\n</head>\n<body>\n";
    html += "<h1>Shamblex arena</h1>\n<p class=\"note\">" + std::to_string(brains) + " brains, "
        + std::to_string(played) + " runs of " + std::to_string(setup.frames) + " frames. The brains are "
        + escaped(std::string(rankingRule)) + ".</p>\n";

    // The ranking, tier by tier.
    html += "<h2 id=\"ranking\">Ranking</h2>\n<table id=\"ranking-table\">\n<tr><th>rank</th><th>tier</th>"
            "<th class=\"name\">brain</th><th>runs</th><th>score, mean ± 95%</th><th>survival, mean ± 95%</th>"
            "<th>median survival</th><th>humans left at the last frame</th><th>humans at end, mean ± 95%</th>"
            "<th>faults</th></tr>\n";
    std::size_t lastTier = 0;
    for (std::size_t place = 0; place < summary.ranking.size(); ++place) {
        const BrainSummary& brain = summary.ranking[place];
        const std::int64_t faults = brain.forfeited + brain.crashed + brain.threw + brain.timedOut;
        html += std::string("<tr class=\"brain-row") + (brain.tier != lastTier && place > 0 ? " tier-start" : "")
            + "\" data-brain=\"" + escaped(brain.name) + "\"><td>" + std::to_string(place + 1) + "</td><td>"
            + std::to_string(brain.tier) + "</td><td class=\"name\"><span class=\"swatch\" style=\"background:"
            + colourOf(brain.brain) + "\"></span><a href=\"#" + anchorOf(brain.name, brain.brain) + "\">"
            + escaped(brain.name) + "</a></td><td>" + std::to_string(brain.finishedRuns) + "</td><td>"
            + plusMinus(brain.score, framePlaces) + "</td><td>" + plusMinus(brain.survival, framePlaces) + "</td><td>"
            + fixed(brain.medianSurvival, framePlaces) + "</td><td>" + std::to_string(brain.reachedCap) + " of "
            + std::to_string(brain.finishedRuns) + "</td><td>" + plusMinus(brain.humansAtEnd, humanPlaces) + "</td><td>"
            + std::to_string(faults) + "</td></tr>\n";
        lastTier = brain.tier;
    }
    html += "</table>\n<p class=\"note\">Tiers: " + escaped(std::string(tierRule))
        + ". A difference \"the runs cannot tell\" is not transitive, which is why tiers are not cut at every "
          "such pair.</p>\n";

    html += "<h2 id=\"survival\">Survival curves</h2>\n" + survivalChart(results, summary);
    html += "<p class=\"note\">";
    for (const BrainSummary& brain : summary.ranking)
        html += "<span class=\"swatch\" style=\"background:" + colourOf(brain.brain) + "\"></span>"
            + escaped(brain.name) + " &nbsp; ";
    html += "</p>\n";

    // Every pair: the row brain against the column brain, run by run.
    html += "<h2 id=\"pairs\">Every pair</h2>\n<p class=\"note\">Each cell: the row brain's score minus the column "
            "brain's, mean over the same seeds with its 95% interval; green when the row brain is better by the "
            "runs, red when it is worse, grey when the runs cannot tell.</p>\n<table id=\"pairwise-matrix\">\n<tr><th></th>";
    for (const BrainSummary& column : summary.ranking)
        html += "<th>" + escaped(column.name) + "</th>";
    html += "</tr>\n";
    for (const BrainSummary& row : summary.ranking) {
        html += "<tr><th class=\"name\">" + escaped(row.name) + "</th>";
        for (const BrainSummary& column : summary.ranking) {
            if (row.brain == column.brain) {
                html += "<td class=\"none\">—</td>";
                continue;
            }
            for (const PairedComparison& pair : summary.pairs) {
                const bool forward = pair.leader == row.brain && pair.other == column.brain;
                const bool backward = pair.leader == column.brain && pair.other == row.brain;
                if (!forward && !backward)
                    continue;
                Estimate difference = pair.scoreDifference;
                Verdict verdict = pair.verdict;
                if (backward) {
                    difference.mean = -difference.mean;
                    verdict = verdict == Verdict::Better ? Verdict::Worse
                        : verdict == Verdict::Worse      ? Verdict::Better
                                                         : Verdict::NoDifference;
                }
                const std::string kind = verdict == Verdict::Better ? "better" : verdict == Verdict::Worse ? "worse" : "none";
                html += "<td class=\"" + kind + "\" title=\"" + std::string(verdictName(verdict)) + "\">"
                    + plusMinus(difference, framePlaces, true) + "</td>";
            }
        }
        html += "</tr>\n";
    }
    html += "</table>\n";

    // A section per brain.
    for (const BrainSummary& brain : summary.ranking) {
        const std::size_t b = brain.brain;
        html += "<h2 id=\"" + anchorOf(brain.name, b) + "\"><span class=\"swatch\" style=\"background:" + colourOf(b)
            + "\"></span>" + escaped(brain.name) + "</h2>\n";
        if (b < setup.brainDigests.size())
            html += "<p>File SHA-256: <code>" + escaped(setup.brainDigests[b]) + "</code></p>\n";
        html += "<p>Scores: " + spreadOf(results, b) + ". Humans left at the last frame in " + std::to_string(brain.reachedCap)
            + " of " + std::to_string(brain.finishedRuns) + " runs.</p>\n";

        std::string faults;
        for (const RunResult& run : results.runs) {
            if (run.outcome == RunOutcome::Finished && b < run.brains.size() && run.brains[b].fault)
                faults += "<li>seed " + std::to_string(run.seed) + ", frame " + std::to_string(run.brains[b].fault->frame)
                    + ": " + escaped(run.brains[b].fault->what) + " (it sat out the rest of the run) <code>"
                    + escaped(setup.replayCommand(run.seed)) + "</code></li>\n";
            else if (run.outcome != RunOutcome::Finished && run.culprit && *run.culprit == brain.name)
                faults += "<li>seed " + std::to_string(run.seed) + ": the run was spoiled, " + escaped(outcomeName(run.outcome))
                    + (run.detail.empty() ? "" : ": " + escaped(run.detail)) + " <code>"
                    + escaped(setup.replayCommand(run.seed)) + "</code></li>\n";
        }
        html += faults.empty() ? "<p>No faults.</p>\n" : "<p>Faults, each with the command that replays it:</p>\n<ul>\n" + faults + "</ul>\n";

        // The runs in which its last human fell before every other brain's.
        std::vector<std::uint32_t> lostFirst;
        for (const RunResult& run : results.runs) {
            if (run.outcome != RunOutcome::Finished || b >= run.brains.size() || !run.brains[b].lastHumanFell)
                continue;
            bool first = brains > 1;
            for (std::size_t other = 0; other < run.brains.size() && first; ++other)
                first = other == b || run.brains[other].survivalFrames(setup.frames) > *run.brains[b].lastHumanFell;
            if (first)
                lostFirst.push_back(run.seed);
        }
        if (lostFirst.empty()) {
            html += "<p>It never lost its last human before every other brain.</p>\n";
        } else {
            html += "<p>Seeds it lost first (" + std::to_string(lostFirst.size()) + "):";
            for (std::size_t i = 0; i < lostFirst.size() && i < listedSeeds; ++i)
                html += " <code title=\"" + escaped(setup.replayCommand(lostFirst[i])) + "\">"
                    + std::to_string(lostFirst[i]) + "</code>";
            if (lostFirst.size() > listedSeeds)
                html += " and " + std::to_string(lostFirst.size() - listedSeeds) + " more";
            html += ". Replay one with <code>" + escaped(setup.replayCommand(lostFirst.front())) + "</code>.</p>\n";
        }
    }

    // The setup, last: what a reader needs to play the arena again.
    html += "<h2 id=\"setup\">Setup</h2>\n<table id=\"setup-table\">\n";
    auto row = [&](std::string_view label, const std::string& value) {
        html += "<tr><th class=\"name\">" + std::string(label) + "</th><td class=\"name\">" + value + "</td></tr>\n";
    };
    row("brains folder", "<code>" + escaped(setup.brainsFolder) + "</code>");
    row("runs", std::to_string(setup.runs) + " (seeds " + std::to_string(setup.firstSeed) + " to "
            + std::to_string(setup.seedOf(setup.runs - 1)) + ")"
            + (results.shard.isWhole() ? "" : ", shard " + results.shard.text()));
    row("frames", std::to_string(setup.frames));
    row("outbreak", outbreak.empty() ? "the defaults" : "<code>" + escaped(outbreak) + "</code>");
    row("time limit", std::to_string(setup.timeoutSeconds) + " s a run");
    row("Shamblex", escaped(setup.version));
    for (std::size_t b = 0; b < brains && b < setup.brainDigests.size(); ++b)
        row("brain " + escaped(setup.brainNames[b]), "<code>" + escaped(setup.brainDigests[b]) + "</code>");
    for (const SkippedBrain& skipped : setup.skipped)
        row("skipped " + escaped(skipped.fileName), escaped(skipped.reason));
    html += "</table>\n<p class=\"note\">Made by shamblex-arena " + escaped(setup.version) + ".</p>\n</body>\n</html>\n";
    return html;
}

}
