// What emulators.ini keeps of each emulator: written, read back, and any damaged text read without harm.
#include "emulator/known_emulators.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

KnownEmulator entry(const char* command, Learned sorts, bool configKnown, ConfigAnswer config = {false, false, false})
{
    KnownEmulator known{};
    std::strcpy(known.command, command);
    known.size = 237056;
    known.written = 133790000000000000ull;
    known.sortsListing = sorts;
    known.configKnown = configKnown;
    known.config = config;
    return known;
}

TEST(KnownEmulators, WrittenEntriesReadBackAndDamagedOnesAreSkipped)
{
    const KnownEmulator written[] = {
        entry("mame-standin.exe", Learned::yes, true),                                               // a MAME of 2006
        entry("\"C:\\Program Files\\MAME\\mame.exe\" -x=1", Learned::no, true, {true, false, true}), // of today
        entry("new.exe", Learned::notYet, false),
    };
    const std::string text = writeKnownEmulators(written, 3);
    KnownEmulator read[4];
    ASSERT_EQ(readKnownEmulators(text.data(), text.size(), read, 4), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(isSameEmulator(read[i], written[i].command, written[i].size, written[i].written)) << i;
        EXPECT_EQ(read[i].sortsListing, written[i].sortsListing) << i;
        EXPECT_EQ(read[i].configKnown, written[i].configKnown) << i;
        EXPECT_EQ(std::memcmp(&read[i].config, &written[i].config, sizeof read[i].config), 0) << i;
    }
    EXPECT_FALSE(isSameEmulator(read[0], "mame-standin.exe", 237057, written[0].written)) << "stale size";
    EXPECT_FALSE(isSameEmulator(read[0], "mame-standin.exe", 237056, 1)) << "stale time";
    EXPECT_EQ(readKnownEmulators(text.data(), text.size(), read, 1), 1) << "no more than the table holds";

    const std::string longCommand(600, 'c');
    const struct {
        const char* label;
        std::string text;
        int count;
    } damaged[] = {
        {"empty", "", 0},
        {"binary", std::string("\0\xff[emulator]\r\x01=", 16), 0},
        {"no time", "[emulator]\ncommand=a\nsize=1\n", 0},
        {"size not a number", "[emulator]\ncommand=a\nsize=1x\nwritten=2\n", 0},
        {"size past 64 bits", "[emulator]\ncommand=a\nsize=18446744073709551616\nwritten=2\n", 0},
        {"command too long", "[emulator]\ncommand=" + longCommand + "\nsize=1\nwritten=2\n", 0},
        {"lines before a section", "command=a\nsize=1\nwritten=2\n", 0},
        {"an unsure answer is not known", "[emulator]\ncommand=a\nsize=1\nwritten=2\nshowconfig=today\nhwstretch=2\n",
         1},
    };
    for (const auto& c : damaged) {
        KnownEmulator one[2] = {};
        EXPECT_EQ(readKnownEmulators(c.text.data(), c.text.size(), one, 2), c.count) << c.label;
        EXPECT_FALSE(one[0].configKnown) << c.label;
    }
}

TEST(KnownEmulators, ProgramIsTheCommandsFirstWord)
{
    const struct {
        const char* command;
        const char* program; // null: none
    } cases[] = {
        {"mame.exe -version 0.251", "mame.exe"},
        {"  \"C:\\Program Files\\MAME\\mame.exe\" -x", "C:\\Program Files\\MAME\\mame.exe"},
        {"\"C:\\no end", "C:\\no end"},
        {"", nullptr},
        {"\"\" -x", nullptr},
    };
    for (const auto& c : cases) {
        char program[64] = "stale";
        EXPECT_EQ(commandProgram(c.command, program, sizeof program), c.program != nullptr) << c.command;
        if (c.program)
            EXPECT_STREQ(program, c.program);
    }
    char tiny[4];
    EXPECT_FALSE(commandProgram("mame.exe", tiny, sizeof tiny)) << "a cut name names another program";
}

} // namespace
