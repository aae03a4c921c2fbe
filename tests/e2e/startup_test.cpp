// The main window as it opens, and the commands that must leave it in a sound state.
#include "tests/e2e/driver.h"

#include "resource.h"

using namespace e2e;

namespace {

const int kLaunchButtons[] = {IDC_MAIN_PLAYBACK, IDC_MAIN_RECORD, IDC_MAIN_PLAY, IDC_MAIN_EXIT};

class MainWindowTest : public HobrinTest {};

TEST_F(MainWindowTest, FirstStartShowsTheDefaultOptions)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);

    EXPECT_FALSE(isChecked(window, IDC_MAIN_NO_SOUND));
    EXPECT_FALSE(isChecked(window, IDC_MAIN_NO_HW_STRETCH));
    EXPECT_TRUE(isChecked(window, IDC_MAIN_AUTO_FRAMESKIP));
    for (int id : {IDC_MAIN_WINDOWED, IDC_MAIN_SORT_BY_DRIVER, IDC_MAIN_ASK_INP_NAME, IDC_MAIN_USE_MOUSE,
                   IDC_MAIN_USE_JOYSTICK, IDC_MAIN_KEEP_CFG, IDC_MAIN_SHOW_CONSOLE})
        EXPECT_FALSE(isChecked(window, id)) << "control " << id;

    EXPECT_EQ(comboLines(window, IDC_MAIN_SAMPLE_RATE), (std::vector<std::string>{"11,025Hz", "22,050Hz", "44,100Hz"}));
    EXPECT_EQ(text(window, IDC_MAIN_SAMPLE_RATE), "22,050Hz");
    EXPECT_TRUE(isEnabled(window, IDC_MAIN_SAMPLE_RATE));
    EXPECT_EQ(upDownPosition(window, IDC_MAIN_FRAMESKIP_UPDOWN), 0);
    EXPECT_EQ(text(window, IDC_MAIN_FRAMESKIP_EDIT), "0");
    LRESULT range = SendDlgItemMessageA(window, IDC_MAIN_FRAMESKIP_UPDOWN, UDM_GETRANGE, 0, 0);
    EXPECT_EQ(HIWORD(range), 0) << "minimum";
    EXPECT_EQ(LOWORD(range), 11) << "maximum";

    for (int id : {IDC_MAIN_PLAY, IDC_MAIN_RECORD, IDC_MAIN_PLAYBACK, IDC_MAIN_VERSION, IDC_MAIN_EXIT})
        EXPECT_TRUE(isEnabled(window, id)) << "control " << id;
    EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), -1);
    EXPECT_EQ(text(window, IDC_MAIN_SCORE_LABEL), "YORL high scores:");
    EXPECT_FALSE(fileExists("hobrin.cfg")) << "nothing is written before the window closes";
}

TEST_F(MainWindowTest, ListsEmulatorVersionsInFileOrderWithTheFirstSelected)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(comboLines(window, IDC_MAIN_VERSION),
              (std::vector<std::string>{"MAME 0.106 (stand-in)", "MAME 0.251 (stand-in)"}));
    EXPECT_EQ(comboSelection(window, IDC_MAIN_VERSION), 0);
}

TEST_F(MainWindowTest, ReadsAVersionsFileWithCrLfIndentsAndBlankLines)
{
    writeFile("versions.ini",
              "\r\n\r\nFirst build  \r\n  mame-standin.exe\r\n1.0\r\nWin32\r\n\r\n\t  Second "
              "build\r\nsecond.exe\r\n2.0\r\nWin32");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(comboLines(window, IDC_MAIN_VERSION), (std::vector<std::string>{"First build  ", "Second build"}));
}

// Notepad saves UTF-8 without a mark today, with one before; a file of the
// 2000s is in the legacy code page. Each names its emulator in a folder of
// its player's language, and Hobrin lists that emulator's games.
TEST_F(MainWindowTest, VersionsFileInEachFormNamesEmulatorsInAnyFolder)
{
    const std::string polish =
                          "Gry \xC5\x81\xC3\xB3"
                          "d\xC5\xBA",
                      japanese = "\xE3\x82\xA8\xE3\x83\x9F\xE3\x83\xA5",
                      greek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1";
    const struct {
        const char* form;
        std::string mark, folder, written; // the folder, and as the file writes it
    } cases[] = {
        {"UTF-8", "", polish + "\\" + japanese, polish + "\\" + japanese},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF", greek, greek},
        {"code page 1252", "", "\xC3\x89mulateurs", "\xC9mulateurs"},
    };
    makeDirectory(polish);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        makeDirectory(c.folder);
        ASSERT_TRUE(CopyFileA((moduleDirectory() + "\\mame-standin.exe").c_str(),
                              path(c.folder + "\\mame-standin.exe").c_str(), FALSE));
        writeFile("versions.ini",
                  c.mark + "MAME (" + c.written + ")\r\n\"" + c.written + "\\mame-standin.exe\"\r\n0.106\r\nWin32\r\n");
        HWND window = start();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(comboLines(window, IDC_MAIN_VERSION), std::vector<std::string>{"MAME (" + c.folder + ")"});
        EXPECT_GT(listLines(window, IDC_MAIN_GAME_LIST).size(), 10u);
        EXPECT_EQ(emulatorCalls().back(), "\"" + c.folder + "\\mame-standin.exe\" -listfull -sortname");
    }
}

TEST_F(MainWindowTest, EscapeDoesNothing)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    pressKey(window, VK_ESCAPE);
    postCommand(window, IDCANCEL);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(running());
}

// Players type a name and press Enter: in "Go to:" that finds the game, in
// "Split:" it asks for that split's scores, and elsewhere it plays.
TEST_F(MainWindowTest, EnterDoesWhatTheFieldWithTheCaretAsksFor)
{
    resetYorlData();
    writeFile("standin-listing.txt", "galaga \"Galaga\"\npacman \"Pac-Man\"\n");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    selectListItem(window, IDC_MAIN_GAME_LIST, 0);
    const struct {
        int field;
        const char* typed;
        int selected;
        std::size_t requests;
        bool plays;
    } cases[] = {
        {IDC_MAIN_GOTO, "pacman", 1, 0, false},
        {IDC_MAIN_SPLIT, "turbo", 1, 1, false},
        {IDC_MAIN_GAME_LIST, "", 1, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        ASSERT_TRUE(focusControl(window, c.field));
        typeText(window, c.typed);
        pressKey(window, VK_RETURN);
        flushPostedMessages(window, IDC_MAIN_ABOUT);
        bool played = findWindow(processId(), "Commandline view") != nullptr;
        EXPECT_EQ(played, c.plays);
        if (played || c.plays) {
            EXPECT_NE(answerMessageBox(processId(), "Commandline view").find("pacman"), std::string::npos);
            EXPECT_EQ(waitForRunEnd(window), "");
        }
        EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), c.selected);
        EXPECT_TRUE(waitUntil([&] { return yorlRequests().size() == c.requests; }));
    }
    EXPECT_EQ(yorlRequests(), std::vector<std::string>{"/yorl/index.cgi?mode=fe_scores&short=pacman-turbo"});
}

// Unpacked under Program Files, the program could keep nothing: it says so
// and where to move it, before it touches anything.
TEST_F(MainWindowTest, FolderThatCannotBeWrittenIsToldAndNothingStarts)
{
    const std::string folder = readOnlyFolder();
    ASSERT_FALSE(folder.empty()) << "HOBRIN_E2E_READONLY_DIR names no folder: run the tests through tools/test.sh";
    const std::vector<std::string> before = directoryEntries(folder);
    PROCESS_INFORMATION copy{};
    ASSERT_TRUE(startProgram(folder, copy));
    EXPECT_EQ(answerMessageBox(copy.dwProcessId, "Hobrin"),
              "Hobrin cannot write in its folder " + folder +
                  ". It keeps its settings, the game list and recordings there. Move the Hobrin folder to one "
                  "that you can write, such as C:\\Games\\Hobrin.");
    EXPECT_EQ(waitForExitOf(copy), 2u);
    EXPECT_EQ(directoryEntries(folder), before);
    stopProgram(copy);
}

// Players double-click twice: the second start shows the copy that runs in
// that folder and ends, touching nothing; while that copy is hidden, it
// says so. Copies in two folders run side by side.
TEST_F(MainWindowTest, OneCopyRunsPerFolder)
{
    writeFile("standin-control.txt", "run_ms=6000\n");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    ShowWindowAsync(window, SW_MINIMIZE);
    ASSERT_TRUE(waitUntil([&] { return IsIconic(window) != FALSE; }));
    auto secondStartEnds = [&](bool told = false) {
        PROCESS_INFORMATION second{};
        ASSERT_TRUE(startProgram(directory(), second));
        if (told) {
            EXPECT_NE(answerMessageBox(second.dwProcessId, "Hobrin").find("already runs in this folder"),
                      std::string::npos);
        }
        EXPECT_EQ(waitForExitOf(second), 0u);
        stopProgram(second);
    };
    const std::vector<std::string> files = directoryEntries(directory());
    secondStartEnds();
    EXPECT_TRUE(waitUntil([&] { return !IsIconic(window) && GetForegroundWindow() == window; }));
    EXPECT_EQ(directoryEntries(directory()), files);

    makeDirectory("other");
    writeFile("other\\versions.ini", standinVersions());
    PROCESS_INFORMATION other{};
    ASSERT_TRUE(startProgram(path("other"), other));
    EXPECT_NE(waitForWindow(other.dwProcessId, "Hobrin"), nullptr) << "a copy in another folder runs";
    stopProgram(other);

    // Hidden while its emulator runs, the running copy stays so.
    selectListItem(window, IDC_MAIN_GAME_LIST, 0);
    press(window, IDC_MAIN_PLAY);
    answerMessageBox(processId(), "Commandline view");
    secondStartEnds(true);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(waitForRunEnd(window), "");
}

TEST_F(MainWindowTest, HighScoresWithoutAGameAsksForOne)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_HIGH_SCORES);
    ASSERT_TRUE(waitUntil([&] { return !listLines(window, IDC_MAIN_SCORE_LIST).empty(); }));
    EXPECT_EQ(listLines(window, IDC_MAIN_SCORE_LIST), (std::vector<std::string>{"Select a game in the list first."}));
    EXPECT_EQ(text(window, IDC_MAIN_SCORE_LABEL), "YORL high scores:");
}

TEST_F(MainWindowTest, RecentUploadsSetsTheScoreLabel)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_RECENT_UPLOADS);
    EXPECT_TRUE(waitUntil([&] { return text(window, IDC_MAIN_SCORE_LABEL) == "YORL Recent uploads:"; }));
}

TEST_F(MainWindowTest, CancelledPlaybackDialogLaunchesNothingAndRestoresTheWindow)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    selectListItem(window, IDC_MAIN_GAME_LIST, 0);
    press(window, IDC_MAIN_ASK_INP_NAME);
    press(window, IDC_MAIN_PLAYBACK);
    cancelFileDialog(processId(), "Playback INP");
    EXPECT_TRUE(waitUntilShown(window));
    ASSERT_TRUE(waitUntil([&] { return isEnabled(window, IDC_MAIN_EXIT); }));
    for (int id : kLaunchButtons)
        EXPECT_TRUE(isEnabled(window, id)) << "control " << id;
}

TEST_F(MainWindowTest, PlaybackOfARecordingWithTooLongANameIsRefused)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    selectListItem(window, IDC_MAIN_GAME_LIST, 0);
    press(window, IDC_MAIN_ASK_INP_NAME);
    press(window, IDC_MAIN_PLAYBACK);
    chooseFile(processId(), "Playback INP", path(std::string(128, 'a') + ".inp"));
    std::string message = answerMessageBox(processId(), "Playback INP");
    EXPECT_NE(message.find("at most 127 characters"), std::string::npos) << message;
    EXPECT_TRUE(waitUntilShown(window));
    EXPECT_TRUE(waitUntil([&] { return isEnabled(window, IDC_MAIN_PLAY); }));
}

} // namespace
