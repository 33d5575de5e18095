#include "arena/RunPlayer.h"

#include "hosting/BrainGuard.h"

#include <gtest/gtest.h>

using namespace shamblex;
using namespace shamblex::arena;
using Kind = Process::Ending::Kind;

namespace {

ArenaSetup setupOf(std::vector<std::string> brains)
{
    ArenaSetup setup;
    setup.brainsFolder = "b";
    setup.brainNames = std::move(brains);
    setup.timeoutSeconds = 9;
    return setup;
}

Process::Ending exited(int status) { return { Kind::Exited, static_cast<std::uint32_t>(status) }; }

}

TEST(RunReport, TheGuardsLineNamesTheBrainEvenWhenNamesOverlap)
{
    // One listed name is the start of another, and holds a quote and a space.
    ArenaSetup setup = setupOf({ "a", "a' b" });
    RunResult crashed = readRun(setup, 3, exited(brainFailureStatus), "",
        "shamblex-arena: skipped 'x.dll': no brain\n"
        "shamblex-arena: brain 'a' b' crashed (segmentation fault) in frame 3, being 2\n");
    EXPECT_EQ(crashed.outcome, RunOutcome::Crashed);
    EXPECT_EQ(crashed.culprit, "a' b");
    EXPECT_EQ(crashed.detail, "brain 'a' b' crashed (segmentation fault) in frame 3, being 2");
    EXPECT_TRUE(crashed.brains.empty());

    RunResult stuck = readRun(
        setup, 3, exited(brainFailureStatus), "", "shamblex-arena: brain 'a' did not return in frame 9, being 1\n");
    EXPECT_EQ(stuck.outcome, RunOutcome::TimedOut);
    EXPECT_EQ(stuck.culprit, "a");

    RunResult unnamed = readRun(setup, 3, exited(brainFailureStatus), "", "shamblex-arena: brain 'zzz' aborted\n");
    EXPECT_EQ(unnamed.outcome, RunOutcome::Crashed);
    EXPECT_FALSE(unnamed.culprit) << "a name the arena does not list blames no brain";
}

TEST(RunReport, EveryOtherEndingOfARun)
{
    ArenaSetup setup = setupOf({ "x", "y" });
    RunResult done = readRun(setup, 5, exited(0),
        R"({"brains":[{"name":"x","last_human_fell":null,"humans_at_end":4},)"
        R"({"name":"y","last_human_fell":120,"humans_at_end":0}]})",
        "");
    ASSERT_EQ(done.outcome, RunOutcome::Finished);
    EXPECT_EQ(done.seed, 5u);
    EXPECT_EQ(done.brains, (std::vector<BrainResult> { { std::nullopt, 4 }, { 120, 0 } }));

    RunResult threw = readRun(setup, 5, exited(brainThrewStatus), R"({"threw":"y","detail":"brain 'y' threw"})", "");
    EXPECT_EQ(threw.outcome, RunOutcome::Threw);
    EXPECT_EQ(threw.culprit, "y");
    EXPECT_EQ(threw.detail, "brain 'y' threw");

    struct Case {
        Process::Ending ending;
        std::string_view output, errors;
        RunOutcome outcome;
        std::string_view detail;
    };
    const Case cases[] = {
        { { Kind::Killed, 0 }, "", "", RunOutcome::TimedOut, "passed the time limit of 9 s and was ended" },
        { { Kind::Crashed, 11 }, "", "", RunOutcome::Crashed, "the run's process crashed (11)" },
        { exited(runTimedOutStatus), "", "", RunOutcome::TimedOut, "passed the time limit of 9 s" },
        { exited(1), "", "shamblex-arena: cannot read the brain folder 'b': gone\n", RunOutcome::Failed,
            "cannot read the brain folder 'b': gone" },
        // A report that lists other brains (the folder changed under the arena).
        { exited(0), R"({"brains":[{"name":"x","last_human_fell":1,"humans_at_end":0}]})", "", RunOutcome::Failed,
            "the run's report does not list the arena's brains" },
        { exited(0), R"({"brains":[{"name":"x","last_human_fell":"soon","humans_at_end":0},{"name":"y"}]})", "",
            RunOutcome::Failed, "the run's report does not list the arena's brains" },
    };
    for (const Case& c : cases) {
        RunResult run = readRun(setup, 5, c.ending, c.output, c.errors);
        EXPECT_EQ(run.outcome, c.outcome) << c.detail;
        EXPECT_EQ(run.detail, c.detail);
        EXPECT_FALSE(run.culprit);
    }
}
