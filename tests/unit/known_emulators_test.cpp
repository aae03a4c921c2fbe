// What emulators.ini keeps of each emulator: written, read back, and any damaged text read without harm.
#include "emulator/known_emulators.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

TEST(KnownEmulators, WrittenEntriesReadBackAndDamagedOnesAreSkipped)
{
    KnownEmulator written[2] = {
        {"mame-standin.exe",
         237056,
         133790000000000000ull,
         Learned::yes,
         true,
         {false, false, false, false, false},
         "",
         Learned::notYet,
         ""}, // of 2006
        {"\"C:\\Program Files\\MAME\\mame.exe\" -x=1",
         1,
         2,
         Learned::no,
         true,
         {true, false, true, true, false},
         "0.251",
         Learned::yes,
         "zac1b11107"}, // of today
    };
    const std::string text = writeKnownEmulators(written, 2), longCommand(600, 'c');
    const struct {
        const char* label;
        std::string text;
        int count;
    } cases[] = {
        {"as written", text, 2},
        {"empty", "", 0},
        {"binary", std::string("\0\xff[emulator]\r\x01=", 16), 0},
        {"a zero in a command", std::string("[emulator]\ncommand=\0a\nsize=1\nwritten=2\n", 39), 0},
        {"no time", "[emulator]\ncommand=a\nsize=1\n", 0},
        {"size not a number", "[emulator]\ncommand=a\nsize=1x\nwritten=2\n", 0},
        {"size past 64 bits", "[emulator]\ncommand=a\nsize=18446744073709551616\nwritten=2\n", 0},
        {"command too long", "[emulator]\ncommand=" + longCommand + "\nsize=1\nwritten=2\n", 0},
        {"an unsure answer is not known", "[emulator]\ncommand=a\nsize=1\nwritten=2\nshowconfig=today\nhwstretch=2\n",
         1},
        {"an answer kept before plugins and cheats were learned is not known",
         "[emulator]\ncommand=a\nsize=1\nwritten=2\nshowconfig=today\nhwstretch=0\nsound_module=1\n", 1},
    };
    for (const auto& c : cases) {
        KnownEmulator read[3] = {};
        ASSERT_EQ(readKnownEmulators(c.text.data(), c.text.size(), read, 3), c.count) << c.label;
        for (int i = 0; i < c.count && c.count == 2; ++i) {
            EXPECT_TRUE(isSameEmulator(read[i], written[i].command, written[i].size, written[i].written)) << i;
            EXPECT_EQ(read[i].sortsListing, written[i].sortsListing) << i;
            EXPECT_EQ(std::memcmp(&read[i].config, &written[i].config, sizeof read[i].config), 0) << i;
            EXPECT_STREQ(read[i].helpVersion, written[i].helpVersion) << i;
            EXPECT_EQ(read[i].listsDevices, written[i].listsDevices) << i;
            EXPECT_STREQ(read[i].firstDevice, written[i].firstDevice) << i;
        }
        EXPECT_EQ(read[0].configKnown, c.count == 2) << c.label;
    }
    EXPECT_EQ(readKnownEmulators(text.data(), text.size(), written, 1), 1) << "no more than the table holds";
    const std::string unnamed = "[emulator]\ncommand=a\nsize=1\nwritten=2\ndevices=listed\n";
    ASSERT_EQ(readKnownEmulators(unnamed.data(), unnamed.size(), written, 1), 1);
    EXPECT_EQ(written[0].listsDevices, Learned::notYet) << "devices are known only with the first one named";
    EXPECT_FALSE(isSameEmulator(written[0], "mame-standin.exe", 237057, 133790000000000000ull)) << "stale size";

    // The program whose file keys an entry: the command's first word.
    char program[64], tiny[4];
    EXPECT_TRUE(commandProgram("  \"C:\\Program Files\\MAME\\mame.exe\" -x", program, sizeof program));
    EXPECT_STREQ(program, "C:\\Program Files\\MAME\\mame.exe");
    EXPECT_TRUE(commandProgram("mame.exe -version 0.251", program, sizeof program));
    EXPECT_STREQ(program, "mame.exe");
    EXPECT_FALSE(commandProgram("\"\" -x", program, sizeof program));
    EXPECT_FALSE(commandProgram("mame.exe", tiny, sizeof tiny)) << "a cut name names another program";

    // The file that Windows starts: ".exe" added only where the file name has no extension.
    for (const auto& c : {std::pair<const char*, const char*>{"C:/MAME.0251/mame", "C:/MAME.0251/mame.exe"},
                          {"C:\\MAME.0251\\mame", "C:\\MAME.0251\\mame.exe"},
                          {"C:\\mame\\mame.exe", "C:\\mame\\mame.exe"},
                          {"D:mame", "D:mame.exe"}}) {
        EXPECT_TRUE(programFile(c.first, program, sizeof program));
        EXPECT_STREQ(program, c.second);
    }
    EXPECT_FALSE(programFile("C:\\m", tiny, sizeof tiny));
}

} // namespace
