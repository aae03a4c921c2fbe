// The settings record: defaults, its 52-byte file form, and the edits the dialogs make.
#include "common/settings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>

namespace {

using FileImage = std::array<unsigned char, kSettingsFileSize>;

FileImage encoded(const Settings& s)
{
    FileImage out;
    out.fill(0xEE);
    encodeSettings(s, out.data());
    return out;
}

Settings defaults()
{
    Settings s;
    std::memset(&s, 0x5A, sizeof s); // garbage the defaults must overwrite
    setSettingsDefaults(s);
    return s;
}

std::uint32_t slotAt(const FileImage& image, std::size_t slot)
{
    const unsigned char* b = image.data() + 4 * slot;
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

TEST(Settings, DefaultsEncodeToTheDocumentedSlots)
{
    const std::uint32_t expected[kSettingsSlots] = {1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    FileImage image = encoded(defaults());
    for (std::size_t i = 0; i < kSettingsSlots; ++i)
        EXPECT_EQ(slotAt(image, i), expected[i]) << "slot " << i;
}

TEST(Settings, EncodeWritesFieldsInFileOrderLittleEndian)
{
    Settings s{};
    std::int32_t Settings::*order[kSettingsSlots] = {
        &Settings::soundEnabled,  &Settings::sampleRateIndex, &Settings::hardwareStretch, &Settings::windowed,
        &Settings::autoFrameskip, &Settings::frameskipLevel,  &Settings::reserved,        &Settings::sortByDriver,
        &Settings::askInpName,    &Settings::useMouse,        &Settings::useJoystick,     &Settings::keepCfg,
        &Settings::showConsole,
    };
    for (std::size_t i = 0; i < kSettingsSlots; ++i)
        s.*order[i] = static_cast<std::int32_t>(0x80A0B000u + i);

    FileImage image = encoded(s);
    for (std::size_t i = 0; i < kSettingsSlots; ++i) {
        EXPECT_EQ(image[4 * i], 0x00 + i) << "slot " << i;
        EXPECT_EQ(image[4 * i + 1], 0xB0) << "slot " << i;
        EXPECT_EQ(image[4 * i + 2], 0xA0) << "slot " << i;
        EXPECT_EQ(image[4 * i + 3], 0x80) << "slot " << i;
    }
}

TEST(Settings, FullFileOverlayThenEncodeIsByteIdentical)
{
    FileImage file;
    for (std::size_t i = 0; i < file.size(); ++i)
        file[i] = static_cast<unsigned char>(0x11 + 7 * i);
    Settings s = defaults();
    overlaySettings(s, file.data(), file.size());
    EXPECT_EQ(encoded(s), file);
}

TEST(Settings, OverlayReplacesOnlyTheBytesTheFileHolds)
{
    // A file of any length lays its first bytes over the record; the rest keep
    // the defaults, and anything past the record's 52 bytes is ignored.
    const std::size_t sizes[] = {0, 1, 5, 8, 23, 51, 52, 53, 80};
    for (std::size_t size : sizes) {
        SCOPED_TRACE(size);
        unsigned char file[80];
        for (std::size_t i = 0; i < sizeof file; ++i)
            file[i] = static_cast<unsigned char>(0xC3 ^ i);

        Settings s = defaults();
        overlaySettings(s, file, size);

        FileImage expected = encoded(defaults());
        std::memcpy(expected.data(), file, size < kSettingsFileSize ? size : kSettingsFileSize);
        EXPECT_EQ(encoded(s), expected);
    }
}

TEST(Settings, EightByteFileSetsSoundAndTheWholeSampleRateSlot)
{
    const unsigned char file[8] = {0, 0, 0, 0, 0x03, 0x00, 0x34, 0x12};
    Settings s = defaults();
    overlaySettings(s, file, sizeof file);

    Settings expected = defaults();
    expected.soundEnabled = 0;
    expected.sampleRateIndex = 0x12340003;
    EXPECT_EQ(std::memcmp(&s, &expected, sizeof s), 0);
}

TEST(Settings, HighHalfFromFileSurvivesALowHalfEdit)
{
    struct Case {
        const char* field;
        std::size_t offset;
        std::int32_t Settings::*slot;
    };
    const Case cases[] = {
        {"sampleRateIndex", 4, &Settings::sampleRateIndex},
        {"frameskipLevel", 20, &Settings::frameskipLevel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        FileImage file = encoded(defaults());
        file[c.offset] = 0x02;
        file[c.offset + 1] = 0x00;
        file[c.offset + 2] = 0xCD;
        file[c.offset + 3] = 0xAB;

        Settings s = defaults();
        overlaySettings(s, file.data(), file.size());
        EXPECT_EQ(lowHalf(s.*c.slot), 2);
        setLowHalf(s.*c.slot, 7);

        FileImage expected = file;
        expected[c.offset] = 0x07;
        EXPECT_EQ(encoded(s), expected);
    }
}

TEST(Settings, AllOnesLowHalfFromFileReadsAsMinusOne)
{
    FileImage file = encoded(defaults());
    file[4] = file[5] = 0xFF;
    file[6] = 0x34;
    Settings s = defaults();
    overlaySettings(s, file.data(), file.size());
    EXPECT_EQ(lowHalf(s.sampleRateIndex), -1);
}

TEST(Settings, SetLowHalfMinusOneStoresFFFFAndKeepsHighHalf)
{
    Settings s = defaults();
    s.sampleRateIndex = 0x56780001;
    setLowHalf(s.sampleRateIndex, -1);
    FileImage image = encoded(s);
    EXPECT_EQ(image[4], 0xFF);
    EXPECT_EQ(image[5], 0xFF);
    EXPECT_EQ(image[6], 0x78);
    EXPECT_EQ(image[7], 0x56);
}

TEST(Settings, ToggleSwitchClearsOnlyOneAndSetsEverythingElse)
{
    const struct {
        std::int32_t before, after;
    } cases[] = {{1, 0}, {0, 1}, {2, 1}, {-1, 1}, {0x10001, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        std::int32_t field = c.before;
        toggleSwitch(field);
        EXPECT_EQ(field, c.after);
        if (c.before == 0 || c.before == 1) {
            toggleSwitch(field);
            EXPECT_EQ(field, c.before) << "second click";
        }
    }
}

// "Only games I have" lives beside the 52 bytes, in a text of its own.
TEST(MoreSettings, WrittenTextReadsBackAndAnythingElseIsOff)
{
    for (bool on : {false, true}) {
        char text[128];
        std::size_t length = 0;
        writeMoreSettings(MoreSettings{on}, text, sizeof text, length);
        EXPECT_EQ(readMoreSettings(text, length).onlyGamesFound, on);
    }
    const struct {
        const char* text;
        bool on;
    } cases[] = {
        {"only_games_i_have=1", true},   {"x\nonly_games_i_have=1\r\n", true}, {"only_games_i_have=2", false},
        {"only_games_i_have=11", false}, {"only_games_i_have =1", false},      {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readMoreSettings(c.text, std::strlen(c.text)).onlyGamesFound, c.on) << c.text;
}

} // namespace
