// How a brain worker gets its brains on Linux: the host's sealed copies, loaded by
// descriptor. (Windows keeps the checked file itself open instead.)
#include "hosting/BrainShelf.h"

#include "../brains/BrainLibraries.h"
#include "hosting/OfferedLibraryLoader.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace shamblex;
using namespace shamblex::test;

namespace {

std::vector<OwnedHandle> copiesOf(const std::vector<NativeHandle>& handles)
{
    std::vector<OwnedHandle> copies;
    for (NativeHandle handle : handles)
        copies.emplace_back(dup(static_cast<int>(handle)));
    return copies;
}

}

TEST(BrainShelf, TheWorkerLoadsTheBytesThatWereCheckedWhateverHappensToTheFileSince)
{
    TempDirectory folder;
    copyLibrary(countingBrainPath, folder, "swapped.dll");
    copyLibrary(countingBrainPath, folder, "steady.dll");
    writeFile(folder.file("broken.dll"), "no library at all");
    BrainShelf shelf(makePlatformLibraryLoader());
    std::vector<NativeHandle> handles;
    worker::BrainOffer offer = shelf.scan(folder.path().string(), {}, handles);
    ASSERT_EQ(offer.files.size(), 3u);
    EXPECT_EQ(offer.files[0].fileName, "broken.dll");
    EXPECT_EQ(offer.files[0].refusal, "not a library");
    ASSERT_EQ(handles.size(), 2u);

    // Between the check and the load the file is swapped for one without a brain.
    copyLibrary(noEntryPointPath, folder, "swapped.dll");
    auto loader = std::make_unique<OfferedLibraryLoader>(makePlatformLibraryLoader());
    ASSERT_TRUE(loader->take(offer, copiesOf(handles)));
    BrainRegistry registry(std::move(loader));
    registry.reloadBrains(folder.path().string());
    EXPECT_EQ(registry.brainNames(), (std::vector<std::string> { "steady", "swapped" }));
    EXPECT_TRUE(registry.isLoaded("swapped")) << "the copy that was checked loaded, not the swapped file";
    ASSERT_EQ(registry.skippedLibraries().size(), 1u);
    EXPECT_EQ(registry.skippedLibraries()[0].fileName, "broken.dll");

    // A scan again hands over only what changed, under new numbers; the unchanged file
    // keeps its number, so the worker keeps the library it has.
    std::vector<NativeHandle> again;
    worker::BrainOffer rescan = shelf.scan(folder.path().string(), { "broken" }, again);
    ASSERT_EQ(rescan.files.size(), 2u);
    EXPECT_EQ(rescan.files[0].library, offer.files[1].library);
    EXPECT_EQ(rescan.files[1].refusal, "exports no ExecuteBrain");
    EXPECT_TRUE(again.empty());
}
