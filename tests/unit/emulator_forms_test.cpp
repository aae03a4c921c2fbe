// What an emulator's answers tell of the forms it takes, and the recording's game.
#include "emulator/emulator_forms.h"
#include "emulator/recording_game.h"

#include <gtest/gtest.h>

#include <string>

// Found by argument-dependent lookup, so beside ConfigAnswer.
bool operator==(const ConfigAnswer& a, const ConfigAnswer& b)
{
    return a.recognized == b.recognized && a.hardwareStretch == b.hardwareStretch && a.soundModule == b.soundModule;
}

std::ostream& operator<<(std::ostream& out, const ConfigAnswer& a)
{
    return out << "{recognized " << a.recognized << ", hws " << a.hardwareStretch << ", module " << a.soundModule
               << "}";
}

namespace {

const std::string kCore =
    "#\n# CORE CONFIGURATION OPTIONS\n#\nreadconfig                0\nwriteconfig               0\n";

TEST(ReadConfigAnswer, TellsTheFormsOfTheSwitches)
{
    const ConfigAnswer none{false, false, false};
    const struct {
        const char* label;
        std::string text;
        ConfigAnswer expected;
    } cases[] = {
        {"MAME 0.251",
         kCore + "\n#\n# CORE SOUND OPTIONS\n#\nsamplerate                48000\n"
                 "#\n# OSD SOUND OPTIONS\n#\nsound                     auto\n",
         {true, false, true}},
        {"a Windows build with DirectDraw and a plain sound switch",
         kCore + "#\n# WINDOWS VIDEO OPTIONS\n#\nhwstretch                 1\nsound                     1\n",
         {true, true, false}},
        {"sound off", kCore + "sound                     0\n", {true, false, false}},
        {"no sound", kCore + "sound none\n", {true, false, true}},
        {"CR LF line ends", "#\r\n# CORE CONFIGURATION OPTIONS\r\n#\r\nsound auto\r\nhws 1\r\n", {true, true, true}},
        {"a sound without value", kCore + "sound\n", {true, false, false}},
        {"names that only begin alike", kCore + "soundx auto\nhwstretchy 1\n", {true, false, false}},
        {"options only in comments", kCore + "# hwstretch 1\n#sound auto\n", {true, false, false}},
        {"a refusal", "Error: unknown option: -showconfig\n", none},
        {"options without the core sections", "sound auto\nhwstretch 1\n", none},
        {"the heading alone", "#\n# CORE CONFIGURATION OPTIONS\n#\n", none},
        {"nothing", "", none},
        {"no line end at the end", kCore + "sound auto", {true, false, true}},
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
        bool hardwareStretchSwitch, soundTakesModule, namesAsGiven;
    } cases[] = {
        {"nothing recognized: 2006", Learned::notYet, {false, false, false}, true, false, false},
        {"takes the sort switch: 2006", Learned::yes, {false, false, false}, true, false, false},
        {"refused the sort switch: names as given", Learned::no, {false, false, false}, true, false, true},
        {"today's answer", Learned::notYet, {true, false, true}, false, true, true},
        {"in between", Learned::no, {true, true, false}, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EmulatorForms forms{c.sortsListing, true, true, c.config};
        CommandForms result = commandForms(forms);
        EXPECT_EQ(result.hardwareStretchSwitch, c.hardwareStretchSwitch);
        EXPECT_EQ(result.soundTakesModule, c.soundTakesModule);
        EXPECT_EQ(result.namesAsGiven, c.namesAsGiven);
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

} // namespace
