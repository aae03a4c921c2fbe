// Playing, recording and playing back: the command line shown and run, the
// window during the run, failures and the console output.
#include "tests/e2e/driver.h"

#include "resource.h"

#include <algorithm>

using namespace e2e;

namespace {

const char kDefaultSwitches[] = " -hws -nowindow -sound -sr 22050 -frameskip 0 -afs -nomouse -nojoy";
const int kLaunchButtons[] = {IDC_MAIN_PLAYBACK, IDC_MAIN_RECORD, IDC_MAIN_PLAY, IDC_MAIN_EXIT};

class LaunchTest : public HobrinTest {
protected:
    void SetUp() override
    {
        HobrinTest::SetUp();
        writeFile("standin-listing.txt", "Name: Description:\npacman \"Pac-Man\"\ngalaga \"Galaga\"\n");
    }

    // Starts the program with `game` selected.
    HWND startWithGame(int game)
    {
        HWND window = start();
        if (window)
            selectListItem(window, IDC_MAIN_GAME_LIST, game);
        return window;
    }

    // Presses a launch button, answers "Commandline view" and returns the
    // command line it showed (without the length).
    std::string launchAndConfirm(HWND window, int button)
    {
        press(window, button);
        std::string view = answerMessageBox(processId(), "Commandline view");
        std::string::size_type cut = view.rfind(" [Length: ");
        if (cut == std::string::npos) {
            ADD_FAILURE() << "no length in " << view;
            return view;
        }
        std::string line = view.substr(0, cut);
        EXPECT_EQ(view.substr(cut), " [Length: " + std::to_string(line.size()) + "]");
        return line;
    }

    void expectWindowBack(HWND window)
    {
        EXPECT_TRUE(waitUntilShown(window));
        EXPECT_TRUE(waitUntil([&] { return isEnabled(window, IDC_MAIN_EXIT); }));
        for (int id : kLaunchButtons)
            EXPECT_TRUE(isEnabled(window, id)) << "control " << id;
    }

    std::string lastCall()
    {
        std::vector<std::string> calls = emulatorCalls();
        return calls.empty() ? std::string() : calls.back();
    }
};

TEST_F(LaunchTest, PlayShowsAndRunsTheExactCommandLine)
{
    HWND window = startWithGame(1);
    ASSERT_NE(window, nullptr);
    // Each version runs its own emulator: on 64-bit Windows, one is a 32-bit
    // program and the other a 64-bit one.
    const char* const banners[] = {"MAME stand-in 0.106\n", "MAME stand-in 0.251\n"};
    // Additional parameters reach the emulator as typed, in any script.
    const char* const parameters[] = {"", "-snapshot_directory \"\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0 snap\""};
    for (int version : {0, 1}) {
        SCOPED_TRACE(version);
        selectComboItem(window, IDC_MAIN_VERSION, version);
        setText(window, IDC_MAIN_ADDITIONAL_PARAMETERS, parameters[version]);
        std::string line = launchAndConfirm(window, IDC_MAIN_PLAY);
        EXPECT_EQ(line, standinCommand(version) + " galaga" + kDefaultSwitches + " " + parameters[version]);
        expectWindowBack(window);
        EXPECT_EQ(lastCall(), line);
        std::string output = readFile("mame.out");
        EXPECT_NE(output.find(banners[version]), std::string::npos)
            << "kept when the console output is not shown, and this run's own: " << output;
    }
}

TEST_F(LaunchTest, RecordWritesTheGamesRecording)
{
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    setText(window, IDC_MAIN_ADDITIONAL_PARAMETERS, "-window");
    std::string line = launchAndConfirm(window, IDC_MAIN_RECORD);
    EXPECT_EQ(line, standinCommand(0) + " pacman" + kDefaultSwitches +
                        " -window -nvram_directory NUL -cfg_directory NUL -record \"pacman\"");
    expectWindowBack(window);
    EXPECT_EQ(lastCall(), line);
    std::string recording = readFile("inp\\pacman.inp");
    ASSERT_GE(recording.size(), 8u);
    EXPECT_EQ(recording.substr(0, 8), std::string("pacman\0\0", 8));
}

TEST_F(LaunchTest, PlaybackUsesTheOptionsOfTheMomentAndTheGamesRecording)
{
    writeFile("hobrin.cfg", settingsBytes({1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0}));
    makeDirectory("inp");
    writeFile("inp\\galaga.inp", std::string("galaga\0\0recording", 17));
    HWND window = startWithGame(1);
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_WINDOWED);
    selectComboItem(window, IDC_MAIN_SAMPLE_RATE, 2);
    SendDlgItemMessageA(window, IDC_MAIN_FRAMESKIP_UPDOWN, UDM_SETPOS, 0, MAKELPARAM(11, 0));
    std::string line = launchAndConfirm(window, IDC_MAIN_PLAYBACK);
    EXPECT_EQ(line, standinCommand(0) +
                        " galaga -hws -window -sound -sr 44100 -frameskip 11 -afs -nomouse -nojoy "
                        " -nvram_directory NUL -playback \"galaga\"");
    expectWindowBack(window);
    EXPECT_EQ(lastCall(), line);
    EXPECT_FALSE(fileExists("hobrin.cfg.tmp"));
    EXPECT_EQ(settingsSlots(readFile("hobrin.cfg"))[1], 1u) << "the file changes only when the window closes";
}

TEST_F(LaunchTest, PlaybackThroughTheOpenDialogNamesTheChosenFile)
{
    makeDirectory("myinp");
    writeFile("myinp\\best.run.inp", std::string("pacman\0\0data", 12));
    writeFile("myinp\\nodot", std::string("pacman\0\0data", 12));
    // A MAME of 2006 gets the name without its extension and adds ".inp":
    // a file without one is then missing. Today's takes the whole name.
    const struct {
        const char* kind;
        const char* file;
        const char* name;
        bool playable;
    } cases[] = {{"2006", "best.run.inp", "best.run", true},
                 {"2006", "nodot", "nodot", false},
                 {"today", "best.run.inp", "best.run.inp", true},
                 {"today", "nodot", "nodot", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.file);
        writeFile("standin-control.txt", std::string("kind=") + c.kind + "\n");
        deleteFile("emulators.ini"); // another emulator now, in the same program file
        HWND window = startWithGame(0);
        ASSERT_NE(window, nullptr);
        press(window, IDC_MAIN_ASK_INP_NAME);
        press(window, IDC_MAIN_PLAYBACK);
        chooseFile(processId(), "Playback INP", path(std::string("myinp\\") + c.file));
        std::string view = answerMessageBox(processId(), "Commandline view");
        // The test's folder holds a blank, so it goes in quotes.
        std::string end = " -input_directory \"" + path("myinp") + "\" -playback \"" + c.name + "\"";
        EXPECT_NE(view.find(end + " [Length: "), std::string::npos) << view;
        if (!c.playable) {
            EXPECT_EQ(answerMessageBox(processId(), "Problem calling MAME"), "MAME returned an error [code 2]");
        }
        expectWindowBack(window);
        EXPECT_EQ(lastCall().substr(lastCall().size() - std::min(lastCall().size(), end.size())), end);
    }
}

// Emulators of three eras get the forms each takes, learned from its own
// answer to -showconfig at its first run, once a session: a MAME of 2006
// sees the lines it always saw.
TEST_F(LaunchTest, EachKindOfEmulatorGetsTheFormsItTakes)
{
    const std::string todaySwitches = " -nowindow -sound auto -sr 22050 -frameskip 0 -afs -nomouse -nojoy";
    const std::string recordingSwitches = "  -nvram_directory NUL -cfg_directory NUL";
    const struct {
        const char* kind;
        std::string switches, soundOff;
        const char* recording;
        std::string head;
    } cases[] = {
        {"2006", kDefaultSwitches, " -hws -nowindow -nosound -sr 22050 -frameskip 0 -afs -nomouse -nojoy", "pacman",
         std::string("pacman\0\0", 8)},
        {"between", kDefaultSwitches, " -hws -nowindow -nosound -sr 22050 -frameskip 0 -afs -nomouse -nojoy",
         "pacman.inp", std::string("pacman\0\0", 8)},
        {"today", todaySwitches, " -nowindow -sound none -sr 22050 -frameskip 0 -afs -nomouse -nojoy", "pacman.inp",
         std::string("MAMEINP\0", 8)},
    };
    // One game, the first whichever way the list is sorted.
    writeFile("standin-listing.txt", "Name: Description:\npacman \"Pac-Man\"\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        writeFile("standin-control.txt", std::string("kind=") + c.kind + "\n");
        deleteFile("emulators.ini"); // another emulator now, in the same program file
        deleteFile("standin-calls.txt");
        deleteFile("inp\\pacman.inp");
        HWND window = startWithGame(0);
        ASSERT_NE(window, nullptr);
        const std::string game = standinCommand(0) + " pacman";
        EXPECT_EQ(launchAndConfirm(window, IDC_MAIN_PLAY), game + c.switches + " ");
        expectWindowBack(window);
        EXPECT_EQ(launchAndConfirm(window, IDC_MAIN_RECORD),
                  game + c.switches + recordingSwitches + " -record \"" + c.recording + "\"");
        expectWindowBack(window);
        std::string recording = readFile("inp\\pacman.inp");
        EXPECT_EQ(recording.substr(0, 8), c.head);
        EXPECT_EQ(launchAndConfirm(window, IDC_MAIN_PLAYBACK),
                  game + c.switches + recordingSwitches + " -playback \"" + c.recording + "\"");
        expectWindowBack(window);
        press(window, IDC_MAIN_NO_SOUND);
        EXPECT_EQ(launchAndConfirm(window, IDC_MAIN_PLAY), game + c.soundOff + " ");
        expectWindowBack(window);
        std::vector<std::string> calls = emulatorCalls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), standinCommand(0) + " -showconfig"), 1);
    }
}

TEST_F(LaunchTest, MainWindowIsHiddenWithButtonsDisabledWhileTheEmulatorRuns)
{
    writeFile("standin-control.txt", "run_ms=2000\n");
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    launchAndConfirm(window, IDC_MAIN_PLAY);
    ASSERT_TRUE(waitUntil([&] { return lastCall().find(" pacman ") != std::string::npos; })) << "the game run started";
    EXPECT_FALSE(IsWindowVisible(window));
    for (int id : kLaunchButtons)
        EXPECT_FALSE(isEnabled(window, id)) << "control " << id;
    expectWindowBack(window);
}

TEST_F(LaunchTest, NonZeroExitCodeIsReportedThenTheConsoleOutputShown)
{
    writeFile("standin-control.txt", "exit_code=3\n");
    writeFile("hobrin.cfg", settingsBytes({1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1}));
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    launchAndConfirm(window, IDC_MAIN_PLAY);
    EXPECT_EQ(answerMessageBox(processId(), "Problem calling MAME"), "MAME returned an error [code 3]");
    HWND console = waitForWindow(processId(), "Console output");
    ASSERT_NE(console, nullptr);
    std::string shown = text(console, IDC_CONSOLE_TEXT);
    EXPECT_NE(shown.find("Loading pacman...\r\nLoaded pacman."), std::string::npos)
        << "a lone carriage return is followed by a line feed: " << shown;
    EXPECT_NE(shown.find("Warning"), std::string::npos) << "standard error is shown too: " << shown;
    EXPECT_FALSE(fileExists("mame.out"));
    EXPECT_FALSE(IsWindowVisible(window));

    pressKey(console, VK_ESCAPE);
    postCommand(console, IDCANCEL);
    flushPostedMessages(console, IDC_CONSOLE_CLOSE);
    EXPECT_TRUE(IsWindowVisible(console)) << "Escape leaves the window open";
    press(console, IDC_CONSOLE_CLOSE);
    EXPECT_TRUE(waitUntilGone(console));
    expectWindowBack(window);
}

TEST_F(LaunchTest, ConsoleOutputIsShownAsWrittenInUtf8OrTheLegacyCodePage)
{
    const std::wstring today = L"Probleml\u00f6sungs-Modul: \u30d1\u30c3\u30af \u0141\u00f3d\u017a";
    const std::string older = "Attach\xE9 (code page)";
    writeFile("hobrin.cfg", settingsBytes({1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1}));
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    const struct {
        std::string written;
        std::wstring shown;
    } outputs[] = {{utf8(today) + "\n", L"\n" + today + L"\n"},
                   {older + "\r\n", L"\n" + fromCodePage(older) + L"\r\n"}};
    for (const auto& output : outputs) {
        writeFile("standin-console.txt", output.written);
        launchAndConfirm(window, IDC_MAIN_PLAY);
        HWND console = waitForWindow(processId(), "Console output");
        ASSERT_NE(console, nullptr);
        std::wstring shown = wideText(console, IDC_CONSOLE_TEXT);
        EXPECT_NE(shown.find(output.shown), std::wstring::npos) << utf8(shown);
        press(console, IDC_CONSOLE_CLOSE);
        EXPECT_TRUE(waitUntilGone(console));
        expectWindowBack(window);
    }
}

TEST_F(LaunchTest, ExitCodeThatLooksLikeStillActiveDoesNotHang)
{
    writeFile("standin-control.txt", "exit_code=259\n");
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    launchAndConfirm(window, IDC_MAIN_PLAY);
    EXPECT_EQ(answerMessageBox(processId(), "Problem calling MAME"), "MAME returned an error [code 259]");
    expectWindowBack(window);
}

TEST_F(LaunchTest, UnknownSwitchInAdditionalParametersIsTheEmulatorsError)
{
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    setText(window, IDC_MAIN_ADDITIONAL_PARAMETERS, "-no-such-switch");
    launchAndConfirm(window, IDC_MAIN_PLAY);
    EXPECT_EQ(answerMessageBox(processId(), "Problem calling MAME"), "MAME returned an error [code 1]");
    expectWindowBack(window);
}

TEST_F(LaunchTest, EmulatorThatCannotStartIsReportedWithTheSystemError)
{
    writeFile("hobrin.cfg", settingsBytes({1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1}));
    writeFile("versions.ini", standinVersions() + "Missing\nno-such-emulator.exe\n0.0\nWin32\n");
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    selectComboItem(window, IDC_MAIN_VERSION, 2);
    launchAndConfirm(window, IDC_MAIN_PLAY);
    EXPECT_EQ(answerMessageBox(processId(), "Fatal error"), "Cannot call MAME - [2]");
    expectWindowBack(window);
    EXPECT_EQ(findWindow(processId(), "Console output"), nullptr) << "no console output after a failed start";
}

TEST_F(LaunchTest, LaunchWithoutAGameTellsTheUserAndRunsNothing)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    for (auto button : {std::make_pair(IDC_MAIN_PLAY, "Play game"), std::make_pair(IDC_MAIN_RECORD, "Record INP"),
                        std::make_pair(IDC_MAIN_PLAYBACK, "Playback INP")}) {
        press(window, button.first);
        EXPECT_EQ(answerMessageBox(processId(), button.second), "Select a game in the list first.");
    }
    for (const std::string& call : emulatorCalls())
        EXPECT_TRUE(call.find(" -listfull") != std::string::npos || call.find(" -showconfig") != std::string::npos)
            << "only the listing and the question of its forms ran: " << call;
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(LaunchTest, TooLongACommandLineIsRefusedNotCut)
{
    writeFile("versions.ini",
              standinVersions() + "Long\nmame-standin.exe -version " + std::string(480, '9') + "\nx\nWin32\n");
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    selectComboItem(window, IDC_MAIN_VERSION, 2);
    setText(window, IDC_MAIN_ADDITIONAL_PARAMETERS, std::string(511, 'x'));
    press(window, IDC_MAIN_PLAY);
    EXPECT_NE(answerMessageBox(processId(), "Command line too long").find("at most 1008 characters"),
              std::string::npos);
    expectWindowBack(window);
    EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr);
    for (const std::string& call : emulatorCalls())
        EXPECT_TRUE(call.find(" -listfull") != std::string::npos || call.find(" -showconfig") != std::string::npos)
            << "only the listing and the question of its forms ran: " << call;
}

} // namespace
