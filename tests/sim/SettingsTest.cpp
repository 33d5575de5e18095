#include "sim/Settings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

using shamblex::Settings;

TEST(Settings, DefaultRecordIsTwentySixLittleEndianBytes)
{
    std::array<std::uint8_t, 26> expected { 0xE8, 0x03, 0x00, 0x00, 0xBC, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
        0x00, 0x01, 0xE8, 0x03, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x00 };
    EXPECT_EQ(Settings {}.toBytes(), expected);
}

TEST(Settings, ChangedFieldsLandAtTheirUnalignedOffsets)
{
    Settings settings;
    shamblex::toggle(settings.smartZombies);
    settings.beingCount += 200;
    settings.windowWidth = -2;
    settings.boardHeight = 0x01020304;
    auto bytes = settings.toBytes();
    EXPECT_EQ(bytes[9], 0x00);
    EXPECT_EQ((std::array<std::uint8_t, 4> { bytes[14], bytes[15], bytes[16], bytes[17] }),
        (std::array<std::uint8_t, 4> { 0xB0, 0x04, 0x00, 0x00 }));
    EXPECT_EQ((std::array<std::uint8_t, 4> { bytes[0], bytes[1], bytes[2], bytes[3] }),
        (std::array<std::uint8_t, 4> { 0xFE, 0xFF, 0xFF, 0xFF }));
    EXPECT_EQ((std::array<std::uint8_t, 4> { bytes[22], bytes[23], bytes[24], bytes[25] }),
        (std::array<std::uint8_t, 4> { 0x04, 0x03, 0x02, 0x01 }));
}

TEST(Settings, SwitchesCountAsOnOnlyWhenExactlyOne)
{
    Settings settings;
    settings.smartZombies = 2;
    EXPECT_EQ(settings.zombieMind(), shamblex::ZombieMind::Simple);
    shamblex::toggle(settings.smartZombies);
    EXPECT_EQ(settings.smartZombies, 1);
    shamblex::toggle(settings.smartZombies);
    EXPECT_EQ(settings.smartZombies, 0);
}
