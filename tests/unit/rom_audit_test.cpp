// MAME's audit answers of each era, the rompath of "-showconfig", and what "found.ini" keeps.
#include "emulator/rom_audit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

TEST(ReadAuditAnswer, NamesEverySetFoundInTheWordsOfEachEra)
{
    const std::string longName(64, 'n');
    const struct {
        const char* label;
        std::string text;
        Names found;
        bool closed;
        long setsFound;
    } cases[] = {
        {"MAME 0.251",
         "romset pong is best available\nromset pacman [puckman] is good\nromset galaga is bad\n"
         "galaga      : gg1_1b.3p (4096 bytes) - NOT FOUND\nromset \"dkong\" not found!\n"
         "3 romsets found, 2 were OK.\n",
         {"pong", "pacman", "galaga"},
         true,
         3},
        {"2006, CR LF and optional files",
         "romset mspacman [pacman] is missing optional files\r\nromset sf2 is good  \r\n"
         "2 romsets found, 2 were OK.\r\n",
         {"mspacman", "sf2"},
         true,
         2},
        {"the oldest releases",
         "pacman    correct\ngalaga    incorrect\ndkong     not found\n",
         {"pacman", "galaga"},
         false,
         -1},
        {"only the count", "0 romsets found, 0 were OK.\n", {}, true, 0},
        {"a cut last line names nothing", "romset pong is good\nromset pacman is go", {"pong"}, false, -1},
        {"a cut count is none", "romset pong is good\n1 romsets found, 1 were", {"pong"}, false, -1},
        {"other lines",
         "romset\nromset  is good\nis good\nromset pacman [puckman is good\nromset pacman is good!\n"
         "Error: unknown option: -verifyroms\n" +
             longName + " correct\n",
         {},
         false,
         -1},
        {"a zero byte ends no line but spoils its name",
         std::string("romset pa\0n is good\nromset b is good", 36),
         {"b"},
         false,
         -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        AuditAnswer answer = readAuditAnswer(c.text.data(), c.text.size());
        EXPECT_EQ(answer.found, c.found);
        EXPECT_EQ(answer.closed, c.closed);
        EXPECT_EQ(answer.setsFound, c.setsFound);
    }
}

TEST(ReadRomPath, TakesTheShowconfigValueOrMamesDefault)
{
    const struct {
        std::string text;
        const char* romPath;
    } cases[] = {
        {"# CORE SEARCH PATH OPTIONS\nrompath                   roms;C:\\roms\nhashpath  hash\n", "roms;C:\\roms"},
        {"rompath \"C:\\My ROMs\"\r\n", "C:\\My ROMs"},
        {"rompathx other\nsamplepath samples\n", "roms"},
        {"rompath\n", "roms"},
        {"rompath " + std::string(600, 'r') + "\n", "roms"},
        {"", "roms"},
    };
    for (const auto& c : cases) {
        char romPath[512];
        readRomPath(c.text.data(), c.text.size(), romPath, sizeof romPath);
        EXPECT_STREQ(romPath, c.romPath) << c.text;
    }
    EXPECT_EQ(splitRomPath("roms;;C:\\roms;"), (Names{"roms", "C:\\roms"}));
}

TEST(FoundGames, WrittenEntriesReadBackAndDamagedOnesAreSkipped)
{
    FoundGames mame{{"\"C:\\MAME\\mame.exe\"", 123, 456, "roms;D:\\roms", "789,0"}, {}};
    for (int i = 0; i < 150; ++i)
        mame.names.push_back("g" + std::to_string(1000 + i));
    FoundGames none{{"old.exe -kind 2006", 1, 2, "roms", ""}, {}};
    std::string text = writeFoundGames({mame, none});
    std::vector<FoundGames> read = readFoundGames(text.data(), text.size());
    ASSERT_EQ(read.size(), 2u);
    EXPECT_TRUE(read[0].key == mame.key);
    EXPECT_EQ(read[0].names, mame.names);
    EXPECT_TRUE(read[1].key == none.key);
    EXPECT_TRUE(read[1].names.empty());

    const std::string damaged =
        "[emulator]\ncommand=a\nsize=x\nwritten=1\nfolder_times=1\nfound=a\n"
        "[emulator]\nsize=1\nwritten=1\nfolder_times=1\n"
        "[emulator]\ncommand=b\nsize=1\nwritten=99999999999999999999\nfolder_times=\n"
        "found=zz aa aa " +
        std::string(64, 'n') + "\n[emulator]\ncommand=c\nsize=1\n";
    read = readFoundGames(damaged.data(), damaged.size());
    ASSERT_EQ(read.size(), 0u);
    const std::string fine =
        "[emulator]\ncommand=b\nsize=1\nwritten=2\nfolder_times=\nfound=zz aa aa " + std::string(64, 'n') + "\n";
    read = readFoundGames(fine.data(), fine.size());
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].names, (Names{"aa", "zz"}));
}

} // namespace
