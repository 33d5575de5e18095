// The child processes of the POSIX systems, driven through /bin/sh. (Windows' are
// exercised end to end by the arena and video tests under Wine.)
#include "os/Process.h"

#include "../TempDirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace shamblex;
using shamblex::test::readFile;
using shamblex::test::TempDirectory;

namespace {

std::string readAll(NativeHandle pipe)
{
    std::string text;
    char buffer[256];
    ssize_t got;
    while ((got = read(static_cast<int>(pipe), buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

// Running, not merely waiting to be reaped.
bool alive(pid_t process)
{
    std::string status = readFile("/proc/" + std::to_string(process) + "/stat");
    auto state = status.rfind(')');
    return state != std::string::npos && state + 2 < status.size() && status[state + 2] != 'Z';
}

}

TEST(Process, FeedsItsInputAndReadsItsOutputsThroughPipesOrFiles)
{
    TempDirectory folder;
    Process child;
    ProcessOptions options;
    options.input = ChildInput::Pipe;
    options.output = ChildOutput::Pipe;
    options.errors = ChildOutput::File;
    options.errorFile = folder.file("errors.txt");
    ASSERT_FALSE(child.start({ "/bin/sh", "-c", "tr a-z A-Z; echo remark >&2; exit 7" }, options));
    ASSERT_TRUE(child.write("shamble\n", 8));
    child.closeInput();
    EXPECT_EQ(readAll(child.outputPipe()), "SHAMBLE\n");
    EXPECT_EQ(child.finish(), 7);
    EXPECT_EQ(readFile(folder.file("errors.txt")), "remark\n");
}

TEST(Process, HandsOnOnlyTheDescriptorsAskedForAndNoEnvironmentWhenAskedNot)
{
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    int stray = open("/dev/null", O_RDONLY); // no close-on-exec: still kept here
    ASSERT_GE(stray, 0);
    Process child;
    ProcessOptions options;
    options.output = ChildOutput::Pipe;
    options.inherited = { ends[1] };
    options.emptyEnvironment = true;
    setenv("SHAMBLEX_TEST_SECRET", "leaked", 1);
    std::string script = "echo handed >&3; ls /proc/self/fd | sort -n | tr '\\n' ' '; echo \"[$SHAMBLEX_TEST_SECRET]\"";
    ASSERT_FALSE(child.start({ "/bin/sh", "-c", script }, options));
    close(ends[1]);
    std::string listed = readAll(child.outputPipe());
    EXPECT_EQ(child.finish(), 0);
    EXPECT_EQ(readAll(ends[0]), "handed\n");
    // 0-2, the inherited 3, and the descriptor ls itself opens to read the folder.
    EXPECT_EQ(listed, "0 1 2 3 4 []\n");
    close(ends[0]);
    close(stray);
    unsetenv("SHAMBLEX_TEST_SECRET");
}

TEST(Process, KillingAChildWithItsOwnGroupEndsWhatItStarted)
{
    Process child;
    ProcessOptions options;
    options.output = ChildOutput::Pipe;
    options.ownGroup = true;
    ASSERT_FALSE(child.start({ "/bin/sh", "-c", "sleep 60 & echo $!; wait" }, options));
    char buffer[32] = {};
    ASSERT_GT(read(static_cast<int>(child.outputPipe()), buffer, sizeof buffer - 1), 0);
    const pid_t grandchild = static_cast<pid_t>(std::stol(buffer));
    ASSERT_TRUE(alive(grandchild));
    Process::Ending ending = child.waitUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(50));
    EXPECT_EQ(ending.kind, Process::Ending::Kind::Killed);
    for (int wait = 0; wait < 200 && alive(grandchild); ++wait)
        usleep(10'000);
    EXPECT_FALSE(alive(grandchild));
}

TEST(Process, TellsAProgramNotFoundAndACrashFromAnExit)
{
    Process missing;
    auto failure = missing.start({ "/no/such/program" });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, Process::StartFailure::NotFound);

    Process crashing;
    ASSERT_FALSE(crashing.start({ "/bin/sh", "-c", "kill -SEGV $$" }));
    Process::Ending ending = crashing.waitUntil();
    EXPECT_EQ(ending.kind, Process::Ending::Kind::Crashed);
    EXPECT_EQ(ending.code, static_cast<std::uint32_t>(SIGSEGV));
}
