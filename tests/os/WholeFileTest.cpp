#include "os/WholeFile.h"

#include "../TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace shamblex;
using shamblex::test::readFile;
using shamblex::test::TempDirectory;
using shamblex::test::writeFile;

namespace {

std::vector<std::uint8_t> bytes(std::string_view text)
{
    return { text.begin(), text.end() };
}

}

TEST(WholeFile, ReplacesAFileInOneStepAndLeavesNoTemporaryFile)
{
    TempDirectory folder;
    const std::string path = folder.file("zombie.sav");
    writeFile(path, "old contents that are longer");
    EXPECT_FALSE(writeWholeFile(path, bytes("new")));
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(WholeFile, ANewFileNeverReplacesOneThatIsThere)
{
    TempDirectory folder;
    const std::string path = folder.file("picture.png");
    EXPECT_FALSE(writeNewFile(path, bytes("first")));
    EXPECT_TRUE(writeNewFile(path, bytes("second")));
    EXPECT_EQ(readFile(path), "first");
    EXPECT_TRUE(writeNewFile(folder.file("no/such/folder.png"), bytes("x")));
}
