// What an emulator's answers tell of the forms it takes, of its version and devices, and the recording's game.
#include "emulator/emulator_answers.h"
#include "emulator/emulator_forms.h"
#include "emulator/recording_game.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Found by argument-dependent lookup, so beside ConfigAnswer.
bool operator==(const ConfigAnswer& a, const ConfigAnswer& b)
{
    return a.recognized == b.recognized && a.hardwareStretch == b.hardwareStretch && a.soundModule == b.soundModule &&
           a.plugins == b.plugins && a.cheat == b.cheat;
}

std::ostream& operator<<(std::ostream& out, const ConfigAnswer& a)
{
    return out << "{recognized " << a.recognized << ", hws " << a.hardwareStretch << ", module " << a.soundModule
               << ", plugins " << a.plugins << ", cheat " << a.cheat << "}";
}

namespace {

const std::string kCore =
    "#\n# CORE CONFIGURATION OPTIONS\n#\nreadconfig                0\nwriteconfig               0\n";

TEST(ReadConfigAnswer, TellsTheFormsOfTheSwitches)
{
    const ConfigAnswer none{false, false, false, false, false};
    const struct {
        const char* label;
        std::string text;
        ConfigAnswer expected;
    } cases[] = {
        {"MAME 0.251",
         kCore + "\n#\n# CORE SOUND OPTIONS\n#\nsamplerate                48000\n"
                 "#\n# CORE MISC OPTIONS\n#\ncheat                     0\n"
                 "#\n# SCRIPTING OPTIONS\n#\nplugins                   1\npluginspath               plugins\n"
                 "#\n# OSD SOUND OPTIONS\n#\nsound                     auto\n",
         {true, false, true, true, true}},
        {"a Windows build with DirectDraw and a plain sound switch",
         kCore + "#\n# WINDOWS VIDEO OPTIONS\n#\nhwstretch                 1\nsound                     1\n",
         {true, true, false, false, false}},
        {"sound off", kCore + "sound                     0\n", {true, false, false, false, false}},
        {"no sound", kCore + "sound none\n", {true, false, true, false, false}},
        {"CR LF line ends",
         "#\r\n# CORE CONFIGURATION OPTIONS\r\n#\r\nsound auto\r\nhws 1\r\ncheat 1\r\n",
         {true, true, true, false, true}},
        {"a sound without value", kCore + "sound\n", {true, false, false, false, false}},
        {"names that only begin alike",
         kCore + "soundx auto\nhwstretchy 1\npluginspath p\ncheatpath c\n",
         {true, false, false, false, false}},
        {"options only in comments",
         kCore + "# hwstretch 1\n#sound auto\n# plugins 1\n",
         {true, false, false, false, false}},
        {"a refusal", "Error: unknown option: -showconfig\n", none},
        {"options without the core sections", "sound auto\nhwstretch 1\n", none},
        {"the heading alone", "#\n# CORE CONFIGURATION OPTIONS\n#\n", none},
        {"nothing", "", none},
        {"no line end at the end", kCore + "sound auto", {true, false, true, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(readConfigAnswer(c.text.data(), c.text.size()), c.expected);
    }
}

TEST(CommandForms, FollowWhatTheEmulatorAnswered)
{
    const struct {
        const char* label;
        Learned sortsListing;
        ConfigAnswer config;
        bool hardwareStretchSwitch, soundTakesModule, namesAsGiven, cleanCheck;
    } cases[] = {
        {"nothing recognized: 2006", Learned::notYet, {false, false, false, false, false}, true, false, false, false},
        {"takes the sort switch: 2006", Learned::yes, {false, false, false, false, false}, true, false, false, false},
        {"refused the sort switch: names as given",
         Learned::no,
         {false, false, false, false, false},
         true,
         false,
         true,
         false},
        {"today's answer", Learned::notYet, {true, false, true, true, true}, false, true, true, true},
        {"in between", Learned::no, {true, true, false, false, false}, true, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EmulatorForms forms{};
        forms.sortsListing = c.sortsListing;
        forms.configAsked = forms.configKept = true;
        forms.config = c.config;
        CommandForms result = commandForms(forms);
        EXPECT_EQ(result.hardwareStretchSwitch, c.hardwareStretchSwitch);
        EXPECT_EQ(result.soundTakesModule, c.soundTakesModule);
        EXPECT_EQ(result.namesAsGiven, c.namesAsGiven);
        EXPECT_EQ(result.pluginsSwitch && result.cheatSwitch, c.cleanCheck);
    }
}

std::string header(const std::string& game)
{
    std::string head("MAMEINP\0", 8);
    head += std::string("\xd6\xd0\x17\x6b\0\0\0\0\x03\0\0\0", 12);
    head += game + std::string(12 - game.size(), '\0');
    head += "MAME 0.251 (unknown)";
    return head;
}

TEST(ReadRecordingGame, NamesTheGameInEitherForm)
{
    const struct {
        const char* label;
        std::string head;
        bool read;
        const char* game;
    } cases[] = {
        {"2006: first eight bytes", std::string("pacman\0\0", 8) + "data", true, "pacman"},
        {"2006: eight letters", "mspacmanXYZ", true, "mspacman"},
        {"2006: exactly eight bytes", std::string("dkong\0\0\0", 8), true, "dkong"},
        {"2006: seven bytes", "pacman", false, ""},
        {"today: bytes 20 to 31", header("pong"), true, "pong"},
        {"today: twelve letters", header("elan_eu3a05c"), true, "elan_eu3a05c"},
        {"today: head cut before the name ends", header("pong").substr(0, 31), false, ""},
        {"today: the mark alone", std::string("MAMEINP\0", 8), false, ""},
        {"a mark without its zero byte is a name", "MAMEINPX", true, "MAMEINPX"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        char game[kRecordingGameSize];
        const std::string head = c.head.substr(0, kRecordingHeadSize);
        EXPECT_EQ(readRecordingGame(reinterpret_cast<const unsigned char*>(head.data()), head.size(), game), c.read);
        EXPECT_STREQ(game, c.game);
    }
}

TEST(ReadHelpBanner, NamesTheVersionAsTheLeaderboardWritesIt)
{
    const struct {
        std::string text;
        const char* id; // "" when it is no banner
    } cases[] = {
        {"M.A.M.E. v0.37 BETA 5 (Jul 28 2000) - Multiple Arcade Machine Emulator\nCopyright", "0.37b5"},
        {"M.A.M.E. v0.106 (May 14 2006) - Multiple Arcade Machine Emulator\r\n", "0.106"},
        {"M.A.M.E. v0.106u2 (May 28 2006) - Multiple Arcade Machine Emulator\n", "0.106u2"},
        {"MAME v0.120 RELEASE CANDIDATE 2 (Oct 2007)\n", "0.120rc2"},
        {"MAME v0.171 (Feb 24 2016)\nCopyright Nicola Salmoria and the MAME team\n", "0.171"},
        {"MAME v0.174\n", "0.174"},
        {"MAME v0.251 (mame0251)\nCopyright MAMEdev and contributors\n", "0.251"},
        {"\xEF\xBB\xBF\r\nMAMEUI64 v0.251 (unknown)", "0.251"},
        {"Usage: mame-standin [options] gamename\nMAME v0.251\n", ""},
        {"MAME v (unknown)\n", ""},
        {"MAME v.251\n", ""},
        {"MAME version 0.251\n", ""},
        {"MAMEv0.251\n", ""},
        {"MAME v0.251" + std::string(20, 'u') + "\n", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        char id[20] = "x";
        EXPECT_EQ(readHelpBanner(c.text.data(), c.text.size(), id, sizeof id), c.id[0] != '\0');
        EXPECT_STREQ(id, c.id);
    }
}

TEST(ReadMachineKind, TellsADeviceByItsMark)
{
    const std::string dtd =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE mame [\n<!ELEMENT mame (machine+)>\n"
        "\t<!ATTLIST machine isdevice (yes|no) \"no\">\n]>\n<mame build=\"0.251\">\n";
    const struct {
        std::string text;
        MachineKind kind;
    } cases[] = {
        {dtd + "\t<machine name=\"dac\" sourcefile=\"dac.h\" isdevice=\"yes\" runnable=\"no\">", MachineKind::device},
        {dtd + "\t<machine name=\"pacman\" cloneof=\"puckman\">\n\t<machine name=\"z80\" isdevice=\"yes\">",
         MachineKind::system},
        {dtd + "\t<machine name=\"pong\" isdevice=\"no\">", MachineKind::system},
        {"<mame build=\"0.106\">\n\t<game name=\"pacman\" sourcefile=\"pacman.c\">", MachineKind::system},
        {"<machine\tname=\"cut\" isdevice=\"yes\"", MachineKind::device},
        {dtd, MachineKind::unknown},
        {"No matching machines found for 'dac'\n", MachineKind::unknown},
        {"<machines><machine", MachineKind::unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readMachineKind(c.text.data(), c.text.size()), c.kind);
    }
}

// The listing's devices, found by asking the emulator about as few entries
// as it takes; each table's devices are those from `devices` on (-1: none).
TEST(FindFirstDevice, FindsWhereTheDevicesOfTodaysListingsBegin)
{
    const struct {
        const char* label;
        std::vector<const char*> names;
        int devices;
        int mostQuestions;
    } cases[] = {
        {"MAME 0.251: the first device sorts below the last system",
         {"005", "pacman", "zzyzzyxx2", "zac1b11107", "dac", "tilemap"},
         3,
         2},
        {"the first devices sort after the last system", {"galaga", "pacman", "xevious", "z80", "ym2151", "dac"}, 3, 4},
        {"devices alone", {"z80", "dac"}, 0, 2},
        {"MAME 0.171: systems sorted, no devices", {"005", "pacman", "zzyzzyxx2"}, -1, 1},
        {"MAME 0.106: the driver list's order", {"pacman", "mspacman", "galaga"}, -1, 1},
        {"nothing listed", {}, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        int questions = 0;
        DeviceSearch found = findFirstDevice(c.names.data(), static_cast<int>(c.names.size()), [&](int index) {
            ++questions;
            return c.devices >= 0 && index >= c.devices ? MachineKind::device : MachineKind::system;
        });
        EXPECT_TRUE(found.known);
        EXPECT_EQ(found.firstDevice, c.devices);
        EXPECT_LE(questions, c.mostQuestions);
    }
    const char* const names[] = {"pacman", "dac", "z80"};
    EXPECT_FALSE(findFirstDevice(names, 3, [](int) { return MachineKind::unknown; }).known)
        << "an emulator that does not answer is asked again later";
}

} // namespace
