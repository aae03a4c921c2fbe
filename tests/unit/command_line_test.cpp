// The emulator command lines of play, record and playback runs.
#include "emulator/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kGuardByte = '#';
constexpr std::size_t kLineSize = 1024;

struct Composed {
    bool fits;
    std::string line;
};

Composed compose(const LaunchRequest& request, std::size_t size = kLineSize)
{
    std::vector<char> buffer(size + 16, kGuardByte);
    Composed c;
    c.fits = composeLaunchLine(buffer.data(), size, request);
    for (std::size_t i = size; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], kGuardByte) << "byte " << i << " past the buffer written";
    c.line = std::string(buffer.data(), strnlen(buffer.data(), size));
    return c;
}

const std::string kDefaultSwitches = " -hws -nowindow -sound -sr 22050 -frameskip 0 -afs -nomouse -nojoy";

TEST(ComposeLaunchLine, BuildsTheLineForEachModeAndOption)
{
    const struct {
        const char* label;
        void (*edit)(Settings&);
        LaunchMode mode;
        const char* inputDirectory;
        const char* fileName;
        const char* additionalParameters;
        std::string expected;
    } cases[] = {
        {"play with defaults", [](Settings&) {}, LaunchMode::play, nullptr, nullptr, "",
         "mame.exe pacman" + kDefaultSwitches + " "},
        {"record", [](Settings&) {}, LaunchMode::record, nullptr, nullptr, "",
         "mame.exe pacman" + kDefaultSwitches + "  -nvram_directory NUL -cfg_directory NUL -record \"pacman\""},
        {"record keeping cfg", [](Settings& s) { s.keepCfg = 1; }, LaunchMode::record, nullptr, nullptr, "",
         "mame.exe pacman" + kDefaultSwitches + "  -nvram_directory NUL -record \"pacman\""},
        {"any non-zero keepCfg keeps cfg", [](Settings& s) { s.keepCfg = 2; }, LaunchMode::record, nullptr, nullptr, "",
         "mame.exe pacman" + kDefaultSwitches + "  -nvram_directory NUL -record \"pacman\""},
        {"record ignores playback's directory and name", [](Settings&) {}, LaunchMode::record, "dir", "abc", "",
         "mame.exe pacman" + kDefaultSwitches + "  -nvram_directory NUL -cfg_directory NUL -record \"pacman\""},
        {"playback of the game's own recording", [](Settings&) {}, LaunchMode::playback, nullptr, nullptr, "",
         "mame.exe pacman" + kDefaultSwitches + "  -nvram_directory NUL -cfg_directory NUL -playback \"pacman\""},
        {"playback of a chosen file", [](Settings&) {}, LaunchMode::playback, ".", "abc", "",
         "mame.exe pacman" + kDefaultSwitches +
             "  -nvram_directory NUL -cfg_directory NUL -input_directory . -playback \"abc\""},
        {"playback of a file named with its extension, without it", [](Settings&) {}, LaunchMode::playback, ".",
         "best.run.inp", "",
         "mame.exe pacman" + kDefaultSwitches +
             "  -nvram_directory NUL -cfg_directory NUL -input_directory . -playback \"best.run\""},
        // Unquoted, the emulator would read the rest of the folder as another argument.
        {"directory with a blank goes in quotes", [](Settings& s) { s.keepCfg = 1; }, LaunchMode::playback,
         "C:\\My Files", "abc", "",
         "mame.exe pacman" + kDefaultSwitches +
             "  -nvram_directory NUL -input_directory \"C:\\My Files\" -playback \"abc\""},
        {"its last backslash doubled before the quote", [](Settings& s) { s.keepCfg = 1; }, LaunchMode::playback,
         "\\\\my server\\", "abc", "",
         "mame.exe pacman" + kDefaultSwitches +
             "  -nvram_directory NUL -input_directory \"\\\\my server\\\\\" -playback \"abc\""},
        {"directory without blanks as it is", [](Settings& s) { s.keepCfg = 1; }, LaunchMode::playback, "C:\\", "abc",
         "", "mame.exe pacman" + kDefaultSwitches + "  -nvram_directory NUL -input_directory C:\\ -playback \"abc\""},
        {"additional parameters after the switches", [](Settings&) {}, LaunchMode::play, nullptr, nullptr, "-cheat",
         "mame.exe pacman" + kDefaultSwitches + " -cheat"},
        {"additional parameters before the recording switches", [](Settings&) {}, LaunchMode::record, nullptr, nullptr,
         "-cheat",
         "mame.exe pacman" + kDefaultSwitches + " -cheat -nvram_directory NUL -cfg_directory NUL -record \"pacman\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Settings options;
        setSettingsDefaults(options);
        c.edit(options);
        const LaunchRequest request{"mame.exe", "pacman",         &options,   c.additionalParameters,
                                    c.mode,     c.inputDirectory, c.fileName, CommandForms()};
        Composed composed = compose(request);
        EXPECT_TRUE(composed.fits);
        EXPECT_EQ(composed.line, c.expected);
    }
}

TEST(ComposeLaunchLine, OptionSwitchesFollowTheSettings)
{
    const struct {
        const char* label;
        void (*edit)(Settings&);
        const char* switches;
    } cases[] = {
        {"all on", [](Settings& s) { s.windowed = s.useMouse = s.useJoystick = 1; },
         " -hws -window -sound -sr 22050 -frameskip 0 -afs -mouse -joy"},
        {"toggles holding 2 are off",
         [](Settings& s) {
             s.hardwareStretch = s.windowed = s.soundEnabled = s.autoFrameskip = s.useMouse = s.useJoystick = 2;
         },
         " -nohws -nowindow -nosound -sr 22050 -frameskip 0 -noafs -nomouse -nojoy"},
        {"sample rate 0", [](Settings& s) { setLowHalf(s.sampleRateIndex, 0); },
         " -hws -nowindow -sound -sr 11025 -frameskip 0 -afs -nomouse -nojoy"},
        {"sample rate 2", [](Settings& s) { setLowHalf(s.sampleRateIndex, 2); },
         " -hws -nowindow -sound -sr 44100 -frameskip 0 -afs -nomouse -nojoy"},
        {"sample rate 3 has no switch", [](Settings& s) { setLowHalf(s.sampleRateIndex, 3); },
         " -hws -nowindow -sound -frameskip 0 -afs -nomouse -nojoy"},
        {"sample rate -1 has no switch",
         [](Settings& s) {
             s.soundEnabled = 0;
             setLowHalf(s.sampleRateIndex, -1);
         },
         " -hws -nowindow -nosound -frameskip 0 -afs -nomouse -nojoy"},
        {"sample rate reads the low half only", [](Settings& s) { s.sampleRateIndex = 0x00070002; },
         " -hws -nowindow -sound -sr 44100 -frameskip 0 -afs -nomouse -nojoy"},
        {"frameskip 11", [](Settings& s) { setLowHalf(s.frameskipLevel, 11); },
         " -hws -nowindow -sound -sr 22050 -frameskip 11 -afs -nomouse -nojoy"},
        {"frameskip low half is signed", [](Settings& s) { s.frameskipLevel = 0xFFFE; },
         " -hws -nowindow -sound -sr 22050 -frameskip -2 -afs -nomouse -nojoy"},
        {"frameskip high half ignored", [](Settings& s) { s.frameskipLevel = 0x00050003; },
         " -hws -nowindow -sound -sr 22050 -frameskip 3 -afs -nomouse -nojoy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Settings options;
        setSettingsDefaults(options);
        c.edit(options);
        char buffer[200];
        TextBuilder builder = startText(buffer, sizeof buffer);
        appendOptionSwitches(builder, options);
        EXPECT_FALSE(builder.overflowed);
        EXPECT_STREQ(buffer, c.switches);
    }
}

// Emulators of later years take other forms of some switches, and
// recordings by the names given.
TEST(ComposeLaunchLine, SwitchesInTheFormsOfTheEmulatorVersion)
{
    const CommandForms of2006, inBetween{true, false, true}, today{false, true, true};
    const std::string todaySwitches = " -nowindow -sound auto -sr 22050 -frameskip 0 -afs -nomouse -nojoy";
    const std::string recordingSwitches = "  -nvram_directory NUL -cfg_directory NUL";
    const struct {
        const char* label;
        CommandForms forms;
        bool soundOn;
        LaunchMode mode;
        const char* fileName;
        std::string expected;
    } cases[] = {
        {"2006: record", of2006, true, LaunchMode::record, nullptr,
         "mame.exe pacman" + kDefaultSwitches + recordingSwitches + " -record \"pacman\""},
        {"in between: old switches, whole names", inBetween, true, LaunchMode::record, nullptr,
         "mame.exe pacman" + kDefaultSwitches + recordingSwitches + " -record \"pacman.inp\""},
        {"today: play", today, true, LaunchMode::play, nullptr, "mame.exe pacman" + todaySwitches + " "},
        {"today: sound off", today, false, LaunchMode::play, nullptr,
         "mame.exe pacman -nowindow -sound none -sr 22050 -frameskip 0 -afs -nomouse -nojoy "},
        {"today: record", today, true, LaunchMode::record, nullptr,
         "mame.exe pacman" + todaySwitches + recordingSwitches + " -record \"pacman.inp\""},
        {"today: the game's own recording", today, true, LaunchMode::playback, nullptr,
         "mame.exe pacman" + todaySwitches + recordingSwitches + " -playback \"pacman.inp\""},
        {"today: a chosen file by its whole name", today, true, LaunchMode::playback, "best.run.inp",
         "mame.exe pacman" + todaySwitches + recordingSwitches + " -input_directory . -playback \"best.run.inp\""},
        {"today: a file without extension", today, true, LaunchMode::playback, "pacman",
         "mame.exe pacman" + todaySwitches + recordingSwitches + " -input_directory . -playback \"pacman\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Settings options;
        setSettingsDefaults(options);
        options.soundEnabled = c.soundOn ? 1 : 0;
        const LaunchRequest request{"mame.exe", "pacman", &options, "", c.mode, c.fileName ? "." : nullptr,
                                    c.fileName, c.forms};
        Composed composed = compose(request);
        EXPECT_TRUE(composed.fits);
        EXPECT_EQ(composed.line, c.expected);
    }
}

// A check plays the recording without a screen to its picture and keeps no state.
TEST(ComposeCheckLine, PlaysTheRecordingWithoutAScreenToItsPicture)
{
    const CommandForms of2006, today{false, true, true};
    const struct {
        const char* directory;
        CommandForms forms;
        unsigned seconds; // 0: to the recording's end, without a picture
        std::size_t size;
        const char* expected; // "" when it does not fit
    } cases[] = {
        {"C:\\My Files\\", today, 12, 512,
         "mame.exe pong -input_directory \"C:\\My Files\\\\\" -playback \"best.inp\" -video none -sound none "
         "-nothrottle -seconds_to_run 12 -snapshot_directory checks\\snapshot.tmp -nvram_directory NUL -cfg_directory "
         "NUL"},
        {"inp", of2006, 12, 512,
         "mame.exe pong -input_directory inp -playback \"best\" -video none -sound none -nothrottle -seconds_to_run 12 "
         "-snapshot_directory checks\\snapshot.tmp -nvram_directory NUL -cfg_directory NUL"},
        {"inp", today, 0, 512,
         "mame.exe pong -input_directory inp -playback \"best.inp\" -video none -sound none -nothrottle "
         "-exit_after_playback -nvram_directory NUL -cfg_directory NUL"},
        {"inp", of2006, 12, 80, ""},
        {"inp", CommandForms{false, true, true, true, true}, 0, 512,
         "mame.exe pong -input_directory inp -playback \"best.inp\" -video none -sound none -nothrottle "
         "-exit_after_playback -nvram_directory NUL -cfg_directory NUL -noplugins -nocheat"},
    };
    for (const auto& c : cases) {
        char line[512];
        const CheckRequest request{"mame.exe", "pong", c.directory, "best.inp", c.seconds, "checks\\snapshot.tmp",
                                   c.forms};
        EXPECT_EQ(composeCheckLine(line, c.size, request), c.expected[0] != '\0');
        if (c.expected[0] != '\0')
            EXPECT_STREQ(line, c.expected);
    }
}

TEST(ComposeLaunchLine, RefusesALineThatDoesNotFit)
{
    Settings options;
    setSettingsDefaults(options);
    // Fixed text of a play line besides the command and the extra parameters.
    const std::size_t fixed = std::strlen(" pacman") + kDefaultSwitches.size() + 1;
    const struct {
        const char* label;
        std::size_t commandLength, extraLength;
        LaunchMode mode;
        bool fits;
    } cases[] = {
        {"exactly 1023 characters", 512, 1023 - 512 - fixed, LaunchMode::play, true},
        {"1024 characters", 512, 1024 - 512 - fixed, LaunchMode::play, false},
        {"longest command and parameters", 512, 511, LaunchMode::play, false},
        {"recording switches overflow", 512, 1023 - 512 - fixed, LaunchMode::record, false},
        {"playback switches overflow", 512, 1023 - 512 - fixed - 30, LaunchMode::playback, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string command(c.commandLength, 'c'), extra(c.extraLength, 'x');
        const LaunchRequest request{command.c_str(), "pacman", &options, extra.c_str(),
                                    c.mode,          nullptr,  nullptr,  CommandForms()};
        Composed composed = compose(request);
        EXPECT_EQ(composed.fits, c.fits);
        if (c.fits)
            EXPECT_EQ(composed.line.size(), 1023u);
    }
}

} // namespace

// Only a system's name as MAME writes it reaches a command line, whoever
// composes the line: a launch, a check or the "-listxml" question.
TEST(SystemName, OnlyMameShortNamesAreComposedIntoALine)
{
    const struct {
        const char* name;
        bool plain;
    } cases[] = {
        {"pong", true},
        {"1942", true},
        {"dac_1bit", true},
        {"sf2ce", true},
        {"abcdefghijklmnop", true},
        {"-cc", false},
        {"pong -debug", false},
        {"pong\"", false},
        {"abcdefghijklmnopq", false},
        {"Pong", false},
        {"", false},
        {"_pong", false},
        {"pong.inp", false},
        {"..\\pong", false},
    };
    Settings options;
    setSettingsDefaults(options);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isMameSystemName(c.name), c.plain);
        char question[64], line[512];
        EXPECT_EQ(composeMachineQuestion(question, sizeof question, c.name), c.plain);
        if (c.plain)
            EXPECT_EQ(std::string(question), std::string("-listxml ") + c.name);
        const CheckRequest check{"mame.exe", c.name, "inp", "best.inp", 12, "checks\\snapshot.tmp", CommandForms()};
        EXPECT_EQ(composeCheckLine(line, sizeof line, check), c.plain);
        const LaunchRequest launch{"mame.exe",       c.name,  &options, "",
                                   LaunchMode::play, nullptr, nullptr,  CommandForms()};
        EXPECT_EQ(compose(launch).fits, c.plain);
    }
}
