#include "brains/BrainRegistry.h"

#include "BrainLibraries.h"
#include "FakeLibraryLoader.h"
#include "platform/PlatformLibraryLoader.h"

#include <gtest/gtest.h>

#include <cstring>

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

TEST(BrainRegistry, LoadsOnlyLibrariesThatExportExecuteBrainAndSkipsTheRest)
{
    TempDirectory folder;
    copyLibrary(countingBrainPath, folder, "a.dll");
    copyLibrary(noEntryPointPath, folder, "b.dll");
    writeFile(folder.file("text.dll"), "this is not a library");
    writeFile(folder.file("empty.dll"), "");
    std::filesystem::create_directory(folder.path() / "x.dll");
    copyLibrary(countingBrainPath, folder, "ignored.so");

    BrainRegistry registry(makePlatformLibraryLoader());
    registry.reloadBrains(folder.path().string());
    EXPECT_EQ(registry.brainNames(), std::vector<std::string> { "a" });
    EXPECT_EQ(registry.brainColour("a"), (Colour { 255, 0, 0 }));
    EXPECT_EQ(skippedNames(registry), (std::vector<std::string> { "b.dll", "empty.dll", "text.dll", "x.dll" }));
    EXPECT_FALSE(isLibraryLoaded(folder.file("b.dll"))) << "a file that is no brain is never loaded";
    EXPECT_TRUE(isLibraryLoaded(folder.file("a.dll")));

    BrainRecord being;
    registry.callBrain(registry.findBrain("a"), being, {});
    EXPECT_EQ(callsOf(being), 1u);
    EXPECT_EQ(registry.findBrain("b"), -1);
    EXPECT_EQ(registry.findBrain("Human"), -1);
    EXPECT_EQ(registry.brainColour("Human"), unlistedBrainColour);
    EXPECT_EQ(registry.brainColour("Zombie"), unlistedBrainColour);
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

    BrainRecord being;
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
