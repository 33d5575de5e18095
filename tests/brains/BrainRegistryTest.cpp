#include "brains/BrainRegistry.h"

#include "BrainLibraries.h"
#include "FakeLibraryLoader.h"
#include "hosting/PlatformLibraryLoader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

using namespace shamblex;
using namespace shamblex::test;

namespace {

std::vector<std::string> skippedNames(const BrainRegistry& registry)
{
    std::vector<std::string> names;
    for (const auto& skipped : registry.skippedLibraries())
        names.push_back(skipped.fileName);
    return names;
}

}

namespace {

// A copy of a library with bytes changed at an offset.
void patchedCopy(const std::string& from, const TempDirectory& folder, const std::string& name, std::uint64_t offset,
    std::initializer_list<std::uint8_t> bytes)
{
    std::string data = readFile(from);
    std::size_t at = static_cast<std::size_t>(offset);
    for (std::uint8_t byte : bytes)
        data[at++] = static_cast<char>(byte);
    writeFile(folder.file(name), data);
}

// Where a library says which machine it was built for.
std::uint64_t machineFieldOf(const std::string& library)
{
    std::string data = readFile(library);
    if (data.rfind("MZ", 0) == 0) {
        std::uint32_t header;
        std::memcpy(&header, data.data() + 0x3c, 4);
        return header + 4;
    }
    return 18; // ELF e_machine
}

}

TEST(BrainRegistry, ScanningReadsEveryFileAsDataAndLoadsOnlyRealBrains)
{
    TempDirectory folder;
    copyLibrary(countingBrainPath, folder, "good.dll");
    copyLibrary(noEntryPointPath, folder, "plain.dll");
    copyLibrary(testPlugin("test_startup_marker"), folder, "marker.dll");
    writeFile(folder.file("text.dll"), "this is not a library");
    writeFile(folder.file("empty.dll"), "");
    std::string wanderwit = readFile(wanderwitPath);
    writeFile(folder.file("truncated.dll"), wanderwit.substr(0, wanderwit.size() / 2));
    patchedCopy(wanderwitPath, folder, "arm.dll", machineFieldOf(wanderwitPath),
#if defined(_WIN32)
        { 0x64, 0xaa }
#else
        { 183, 0 }
#endif
    );
    std::filesystem::create_directory(folder.path() / "folder.dll");
    for (const char* reserved : { "Human.dll", "Zombie.dll", ".dll" })
        copyLibrary(countingBrainPath, folder, reserved);
    std::map<std::string, std::string> expected {
        { ".dll", "a brain needs a name before \".dll\"" },
        { "Human.dll", "the name \"Human\" is the built-in humans' own" },
        { "Zombie.dll", "the name \"Zombie\" is the zombies' own" },
        { "arm.dll", "built for ARM64" },
        { "empty.dll", "an empty file" },
        { "folder.dll", "a folder, not a library" },
        { "marker.dll", "exports no ExecuteBrain" },
        { "plain.dll", "exports no ExecuteBrain" },
        { "text.dll", "not a library" },
        { "truncated.dll", "truncated" },
    };
#if !defined(_WIN32)
    copyLibrary(testPlugin("test_brain_old_abi"), folder, "oldabi.dll");
    expected["oldabi.dll"] = "built with the old C++ string ABI";
    ASSERT_EQ(mkfifo(folder.file("pipe.dll").c_str(), 0600), 0);
    expected["pipe.dll"] = "not a regular file";
#endif
    std::string marker = folder.file("marker-was-loaded");
    setEnvironment("SHAMBLEX_MARKER", marker);

    BrainRegistry registry(makePlatformLibraryLoader());
    registry.reloadBrains(folder.path().string());
    EXPECT_EQ(registry.brainNames(), std::vector<std::string> { "good" });
    EXPECT_EQ(registry.brainColour("good"), (Colour { 255, 0, 0 }));
    std::map<std::string, std::string> skipped;
    for (const auto& library : registry.skippedLibraries())
        skipped[library.fileName] = library.reason;
    EXPECT_EQ(skipped, expected);
    EXPECT_FALSE(std::filesystem::exists(marker)) << "a library's start-up code ran during the scan";
    EXPECT_FALSE(isLibraryLoaded(folder.file("plain.dll"))) << "a file that is no brain is never loaded";
    EXPECT_TRUE(isLibraryLoaded(folder.file("good.dll")));

    BeingMind being;
    registry.callBrain(registry.findBrain("good"), being, {});
    EXPECT_EQ(callsOf(being), 1u);
    EXPECT_EQ(registry.findBrain("plain"), -1);
    EXPECT_EQ(registry.brainColour("Human"), unlistedBrainColour);
}

TEST(BrainRegistry, ScanningAFolderOfSystemLibrariesRunsNothing)
{
    // A folder full of libraries that are no brains, as a saver started in the
    // system's own folder would scan: none is loaded, none of their start-up code
    // runs, and the scan takes no longer than reading their headers.
    TempDirectory folder;
    copyLibrary(testPlugin("test_startup_marker"), folder, "marker.dll");
    std::string marker = folder.file("marker-was-loaded");
    setEnvironment("SHAMBLEX_MARKER", marker);
#if defined(_WIN32)
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    std::string scanned = system;
    const std::string unloaded = scanned + "\\d3d9.dll"; // a library this program never uses
    ASSERT_FALSE(isLibraryLoaded(unloaded));
#else
    int copied = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/x86_64-linux-gnu")) {
        if (copied == 200 || !entry.is_regular_file() || entry.path().string().find(".so") == std::string::npos)
            continue;
        copyLibrary(entry.path().string(), folder, "system" + std::to_string(copied++) + ".dll");
    }
    ASSERT_GT(copied, 50) << "too few system libraries to scan";
    std::string scanned = folder.path().string();
    const std::string unloaded = folder.file("system0.dll");
#endif
    auto start = std::chrono::steady_clock::now();
    BrainRegistry registry(makePlatformLibraryLoader());
    registry.reloadBrains(scanned);
    registry.reloadBrains(folder.path().string());
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(registry.brainNames().empty());
    EXPECT_FALSE(std::filesystem::exists(marker)) << "a library's start-up code ran during the scan";
    EXPECT_FALSE(isLibraryLoaded(unloaded));
    std::printf("scanned %s and the marker folder in %lld ms\n", scanned.c_str(),
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

TEST(BrainRegistry, ListsBrainsInByteOrderOfTheirFileNames)
{
    TempDirectory folder;
    for (const char* name : { "zeta.dll", "Alpha.dll", "beta.dll", "_x.dll", "Human.dll", ".dll", "Zombie.dll" })
        copyLibrary(countingBrainPath, folder, name);
    BrainRegistry registry(makePlatformLibraryLoader());
    registry.reloadBrains(folder.path().string());
    EXPECT_EQ(registry.brainNames(), (std::vector<std::string> { "Alpha", "_x", "beta", "zeta" }));
    // The names the rules give their own meaning are no brain's.
    EXPECT_EQ(skippedNames(registry), (std::vector<std::string> { ".dll", "Human.dll", "Zombie.dll" }));
}

TEST(BrainRegistry, NineBrainsShareTheEightColoursInListOrder)
{
    TempDirectory folder;
    for (int i = 1; i <= 9; ++i)
        copyLibrary(countingBrainPath, folder, "brain" + std::to_string(i) + ".dll");
    BrainRegistry registry(makePlatformLibraryLoader());
    registry.reloadBrains(folder.path().string());
    ASSERT_EQ(registry.brainNames().size(), 9u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(registry.brainColour(registry.brainNames()[i]), brainPalette[i]) << i;
    EXPECT_EQ(registry.brainColour("brain9"), (Colour { 255, 0, 0 }));
}

TEST(BrainRegistry, ReloadingListsEachBrainOnceAndKeepsVanishedBrainsLoaded)
{
    TempDirectory folder;
    copyLibrary(countingBrainPath, folder, "keep.dll");
    copyLibrary(countingBrainPath, folder, "gone.dll");
    BrainRegistry registry(makePlatformLibraryLoader());
    registry.reloadBrains(folder.path().string());
    registry.reloadBrains(folder.path().string());
    EXPECT_EQ(registry.brainNames(), (std::vector<std::string> { "gone", "keep" }));

    std::string gonePath = folder.file("gone.dll");
    std::filesystem::rename(gonePath, folder.file("gone.bak"));
    registry.reloadBrains(folder.path().string());
    EXPECT_EQ(registry.brainNames(), std::vector<std::string> { "keep" });
    EXPECT_EQ(registry.brainColour("gone"), unlistedBrainColour);
    EXPECT_TRUE(registry.isLoaded("gone")) << "a brain stays loaded until exit";

    BeingMind being;
    registry.callBrain(registry.findBrain("gone"), being, {});
    EXPECT_EQ(callsOf(being), 1u);
}

TEST(BrainRegistry, HoldsOneReferencePerNameAndGivesThemAllBackWhenDestroyed)
{
    // The fake loader counts references; a real one cannot always show an unload
    // (the C++ runtime may pin a library that uses it).
    auto loader = std::make_unique<FakeLibraryLoader>();
    std::shared_ptr<int> references = loader->loaded;
    loader->libraries["one.dll"] = [](BrainRecord*) {};
    loader->libraries["two.dll"] = [](BrainRecord*) {};
    loader->libraries["none.dll"] = nullptr;
    {
        BrainRegistry registry(std::move(loader));
        registry.reloadBrains(".");
        EXPECT_EQ(*references, 2) << "the library without ExecuteBrain is given back at once";
        registry.reloadBrains(".");
        EXPECT_EQ(*references, 2) << "an overwritten entry gives its reference back";
        EXPECT_EQ(registry.brainNames(), (std::vector<std::string> { "one", "two" }));
    }
    EXPECT_EQ(*references, 0);
}

TEST(BrainRegistry, AnUnreadableFolderListsNothing)
{
    TempDirectory folder;
    BrainRegistry registry(makePlatformLibraryLoader());
    registry.reloadBrains(folder.file("does-not-exist"));
    EXPECT_TRUE(registry.brainNames().empty());
    EXPECT_FALSE(registry.scanError().empty());

    BrainRegistry empty(makePlatformLibraryLoader());
    empty.reloadBrains(folder.path().string());
    EXPECT_TRUE(empty.brainNames().empty());
    EXPECT_TRUE(empty.scanError().empty());
}

TEST(BrainRegistry, BrainNamesAreTheFileNamesWithoutTheSuffix)
{
    EXPECT_EQ(brainNameOf("wanderwit.dll"), "wanderwit");
    EXPECT_EQ(brainNameOf(".dll"), "");
    EXPECT_EQ(brainNameOf("X.DLL"), "X");
    EXPECT_EQ(brainNameOf("a\\b.dll"), "a\\b") << "a backslash is no folder separator in a file name";
}

TEST(BrainRegistry, MatchesTheSuffixAsThePlatformsFileSearchDoes)
{
    TempDirectory folder;
    copyLibrary(countingBrainPath, folder, "Upper.DLL");
    copyLibrary(countingBrainPath, folder, "lower.dll");
    copyLibrary(countingBrainPath, folder, "longer.dllx");
    BrainRegistry registry(makePlatformLibraryLoader());
    registry.reloadBrains(folder.path().string());
#if defined(_WIN32)
    // The Windows file search ignores case: X.DLL gives the brain name X.
    EXPECT_EQ(registry.brainNames(), (std::vector<std::string> { "Upper", "lower" }));
#else
    EXPECT_EQ(registry.brainNames(), std::vector<std::string> { "lower" });
#endif
}
