// The room a brain works on its record in: a write past the record faults (the
// bad-brain tests show the brain named for it), and the memory after it can be read
// at once, since short string compares of the status text, the record's last field,
// read a little past it and take a slow path where that memory is not mapped.
#include "hosting/PlatformLibraryLoader.h"

#include "brains/BrainRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

using namespace shamblex;

TEST(PosixLibraryLoader, TheMemoryAfterTheRecordRoomIsMappedAndReadsAsZeros)
{
    std::unique_ptr<LibraryLoader> loader = makePlatformLibraryLoader();
    auto* room = static_cast<unsigned char*>(loader->guardedRecordRoom());
    ASSERT_NE(room, nullptr);
    const unsigned char* after = room + sizeof(BrainRecord);
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(after) % page, 0u) << "the record ends where a page does";

    // Looked at before this test reads it, which would map it.
    unsigned char mapped = 0;
    ASSERT_EQ(mincore(const_cast<unsigned char*>(after), page, &mapped), 0);
    EXPECT_EQ(mapped & 1, 1);
    EXPECT_EQ(after[0], 0);
    EXPECT_EQ(after[page - 1], 0);
}
