// A real MAME of today (Debian's MAME 0.251, through tools/mame_bridge): its whole listing, sorted here, the
// games its audit finds, and game runs, recordings and playbacks of Pong, a game that needs no ROM files.
#include "tests/e2e/driver.h"

#include "resource.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

using namespace e2e;

namespace {

struct ListedGame {
    std::string shortName;
    std::wstring shown; // the title as the list shows it
    std::string key;    // what "sort by name" compares, in UTF-8 as the program holds it
};

std::string capturedText(const char* variable)
{
    const char* path = std::getenv(variable);
    std::ifstream file(path ? path : "", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The test's own reading of the listing: a short name, blanks, and the
// title between the line's first and last quotes; only the systems that
// MAME's -listbrothers names, no devices.
std::vector<ListedGame> capturedListing()
{
    std::set<std::string> systems;
    for (const std::string& line : splitLines(capturedText("HOBRIN_E2E_MAME_SYSTEMS"))) {
        std::istringstream words(line);
        std::string source, name;
        if (words >> source >> name)
            systems.insert(name);
    }
    std::vector<ListedGame> games;
    for (const std::string& line : splitLines(capturedText("HOBRIN_E2E_MAME_LISTING"))) {
        std::size_t open = line.find('"'), close = line.rfind('"');
        if (line.compare(0, 5, "Name:") == 0 || open == std::string::npos || close <= open + 1)
            continue;
        ListedGame game;
        game.shortName = line.substr(0, line.find(' '));
        if (systems.count(game.shortName) == 0)
            continue;
        std::string title = line.substr(open + 1, close - open - 1);
        int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, title.c_str(), -1, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, title.c_str(), -1, &wide[0], size);
        wide.resize(wide.size() - 1);
        game.shown = wide;
        const std::string name = title.substr(0, title.find(" ("));
        game.key = name.size() > 4 && name.compare(0, 4, "The ") == 0 ? name.substr(4) + ", The" : name;
        games.push_back(game);
    }
    return games;
}

std::vector<std::wstring> titlesOf(const std::vector<ListedGame>& games)
{
    std::vector<std::wstring> titles;
    for (const ListedGame& game : games)
        titles.push_back(game.shown);
    return titles;
}

// Names the first line that differs, instead of printing 45,000 lines.
::testing::AssertionResult sameLines(const std::vector<std::wstring>& shown, const std::vector<std::wstring>& expected)
{
    for (std::size_t i = 0; i < shown.size() && i < expected.size(); ++i) {
        if (shown[i] != expected[i])
            return ::testing::AssertionFailure()
                   << "line " << i << " is \"" << utf8(shown[i]) << "\", expected \"" << utf8(expected[i]) << "\"";
    }
    if (shown.size() != expected.size())
        return ::testing::AssertionFailure() << shown.size() << " lines, expected " << expected.size();
    return ::testing::AssertionSuccess();
}

int indexOf(const std::vector<ListedGame>& games, const std::string& shortName)
{
    for (std::size_t i = 0; i < games.size(); ++i) {
        if (games[i].shortName == shortName)
            return static_cast<int>(i);
    }
    return -1;
}

class RealMameTest : public HobrinTest {
protected:
    void SetUp() override
    {
        HobrinTest::SetUp();
        if (realMameCommand().empty())
            GTEST_SKIP() << "HOBRIN_E2E_MAME_REAL names no MAME: tools/test.sh installs one in the 64-bit prefix";
        writeFile("versions.ini", "MAME 0.251\n" + realMameCommand() + "\n0.251\nWin64\n");
    }

    // Starts the program with `game` selected and the switches that end a
    // run by itself in a second of emulated time, without a window.
    HWND startWithGame(const std::string& game)
    {
        HWND window = startRealMame();
        if (window) {
            find(window, game);
            setText(window, IDC_MAIN_ADDITIONAL_PARAMETERS, kRunBriefly);
        }
        return window;
    }

    // Presses a launch button, answers "Commandline view" and waits for the
    // run's end: the main window back, or a message box of a failed run,
    // whose text it returns. The line shown goes to `line`.
    std::string run(HWND window, int button, std::string* line = nullptr)
    {
        press(window, button);
        std::string view = answerMessageBox(processId(), "Commandline view", 30000);
        if (line)
            *line = view.substr(0, view.rfind(" [Length: "));
        return waitForRunEnd(window, 60000);
    }

    // A first start lists MAME's 45,000 lines through the bridge and asks
    // where its devices begin: seconds on a busy machine.
    HWND startRealMame() { return launch() ? waitForMainWindow(60000) : nullptr; }

    static constexpr const char* kRunBriefly = "-video none -seconds_to_run 1 -nothrottle";

    std::string total(HWND window) { return text(window, IDC_MAIN_TOTAL); }

    void find(HWND window, const std::string& shortName)
    {
        setText(window, IDC_MAIN_GOTO, shortName);
        press(window, IDC_MAIN_FIND);
        flushPostedMessages(window, IDC_MAIN_ABOUT);
    }
};

TEST_F(RealMameTest, PlaysPongWithTheDefaultsAndWithEachToggleFlipped)
{
    HWND window = startWithGame("pong");
    ASSERT_NE(window, nullptr);
    std::string line;
    EXPECT_EQ(run(window, IDC_MAIN_PLAY, &line), "");
    EXPECT_EQ(line, realMameCommand() + " pong -nowindow -sound auto -sr 22050 -frameskip 0 -afs -nomouse -nojoy " +
                        kRunBriefly);
    const int toggles[] = {IDC_MAIN_NO_HW_STRETCH,  IDC_MAIN_WINDOWED,  IDC_MAIN_NO_SOUND,
                           IDC_MAIN_AUTO_FRAMESKIP, IDC_MAIN_USE_MOUSE, IDC_MAIN_USE_JOYSTICK};
    for (int toggle : toggles) {
        SCOPED_TRACE(toggle);
        press(window, toggle);
        EXPECT_EQ(run(window, IDC_MAIN_PLAY, &line), "") << line;
        press(window, toggle);
    }
}

TEST_F(RealMameTest, RecordsPongAndPlaysItBackFromItsFolderAndFromAnother)
{
    HWND window = startWithGame("pong");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(run(window, IDC_MAIN_RECORD), "");
    std::string recording = readFile("inp\\pong.inp");
    ASSERT_GE(recording.size(), 32u);
    EXPECT_EQ(recording.substr(0, 8), std::string("MAMEINP\0", 8));
    EXPECT_EQ(recording.substr(20, 5), std::string("pong\0", 5));

    // MAME says what it played back.
    EXPECT_EQ(run(window, IDC_MAIN_PLAYBACK), "");
    EXPECT_NE(readFile("mame.out").find("Input file: pong.inp"), std::string::npos) << readFile("mame.out");
    // Only MAME's own words, as from a Windows MAME: none of the Linux machine's behind the bridge.
    EXPECT_EQ(readFile("mame.out").find("ALSA lib"), std::string::npos) << readFile("mame.out");

    makeDirectory("other folder");
    writeFile("other folder\\mine.inp", recording);
    press(window, IDC_MAIN_ASK_INP_NAME);
    press(window, IDC_MAIN_PLAYBACK);
    chooseFile(processId(), "Playback INP", path("other folder\\mine.inp"));
    std::string view = answerMessageBox(processId(), "Commandline view", 30000);
    EXPECT_NE(view.find(" -input_directory \"" + path("other folder") + "\" -playback \"mine.inp\" [Length: "),
              std::string::npos)
        << view;
    EXPECT_EQ(waitForRunEnd(window, 60000), "");
    EXPECT_NE(readFile("mame.out").find("Input file: mine.inp"), std::string::npos) << readFile("mame.out");
}

TEST_F(RealMameTest, GameWithoutItsRomFilesShowsMamesOwnWords)
{
    writeFile("hobrin.cfg", settingsBytes({1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1}));
    HWND window = startWithGame("pacman");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(run(window, IDC_MAIN_PLAY), "MAME returned an error [code 2]");
    HWND console = waitForWindow(processId(), "Console output");
    ASSERT_NE(console, nullptr);
    std::string shown = text(console, IDC_CONSOLE_TEXT);
    EXPECT_NE(shown.find("Required files are missing"), std::string::npos) << shown;
    press(console, IDC_CONSOLE_CLOSE);
    EXPECT_TRUE(waitUntilGone(console));
    EXPECT_TRUE(waitUntilShown(window));
}

TEST_F(RealMameTest, ListsEveryGameInBothSortOrdersAndFindsWholeShortNames)
{
    std::vector<ListedGame> games = capturedListing();
    ASSERT_GT(games.size(), 30000u) << "no listing captured from the installed MAME (HOBRIN_E2E_MAME_LISTING and "
                                       "HOBRIN_E2E_MAME_SYSTEMS)";
    const std::string count = std::to_string(games.size());

    HWND window = startRealMame();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(total(window), "Total number of MAME drivers: " + count);
    std::vector<ListedGame> byName = games;
    std::stable_sort(byName.begin(), byName.end(),
                     [](const ListedGame& a, const ListedGame& b) { return a.key < b.key; });
    EXPECT_TRUE(sameLines(wideListLines(window, IDC_MAIN_GAME_LIST), titlesOf(byName)));
    for (const char* name : {"20pacgalr0", "pong", "zzyzzyxx2"}) {
        find(window, name);
        EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), indexOf(byName, name)) << name;
    }
    // A device's short name names no game: the next title after the
    // selection that holds the word is found instead.
    std::size_t next = static_cast<std::size_t>(indexOf(byName, "zzyzzyxx2"));
    for (std::size_t step = 1; step <= byName.size(); ++step) {
        std::wstring title = byName[(next + step) % byName.size()].shown;
        std::transform(title.begin(), title.end(), title.begin(),
                       [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; });
        if (title.find(L"dac") != std::wstring::npos) {
            next = (next + step) % byName.size();
            break;
        }
    }
    find(window, "dac");
    EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), static_cast<int>(next));

    press(window, IDC_MAIN_SORT_BY_DRIVER);
    press(window, IDC_MAIN_REFRESH);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    ASSERT_TRUE(waitUntilShown(window));
    EXPECT_EQ(total(window), "Total number of MAME drivers: " + count);
    std::vector<ListedGame> byShortName = games;
    std::stable_sort(byShortName.begin(), byShortName.end(),
                     [](const ListedGame& a, const ListedGame& b) { return a.shortName < b.shortName; });
    EXPECT_TRUE(sameLines(wideListLines(window, IDC_MAIN_GAME_LIST), titlesOf(byShortName)));
    find(window, "20pacgalr0");
    EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), indexOf(byShortName, "20pacgalr0"));
}

// The sets that MAME's audit names ("romset NAME ... is") in an empty
// folder, as tools/test.sh captured it once, run as the bridge runs MAME.
std::set<std::string> setsMameFindsWithoutRoms()
{
    std::set<std::string> sets;
    const char* path = std::getenv("HOBRIN_E2E_MAME_AUDIT");
    std::ifstream file(path ? path : "", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    for (const std::string& each : splitLines(text.str())) {
        std::istringstream words(each);
        std::string romset, name;
        if (words >> romset >> name && romset == "romset" && each.find(" is ") != std::string::npos)
            sets.insert(name);
    }
    return sets;
}

// With no ROM in its folder, MAME finds the systems that need none: the
// list holds them, Pong among them, and nothing else.
TEST_F(RealMameTest, OnlyGamesIHaveListsTheSystemsThatNeedNoRoms)
{
    std::vector<ListedGame> games = capturedListing();
    ASSERT_GT(games.size(), 30000u) << "no listing captured from the installed MAME";
    std::set<std::string> found = setsMameFindsWithoutRoms();
    EXPECT_EQ(found.count("pong"), 1u) << "no audit captured from the installed MAME (HOBRIN_E2E_MAME_AUDIT)";
    EXPECT_EQ(found.count("pacman"), 0u);
    std::vector<ListedGame> expected;
    for (const ListedGame& game : games) {
        if (found.count(game.shortName))
            expected.push_back(game);
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const ListedGame& a, const ListedGame& b) { return a.key < b.key; });
    ASSERT_GT(expected.size(), 100u);

    writeFile("hobrin.ini", "only_games_i_have=1\r\n");
    HWND window = startRealMame();
    ASSERT_NE(window, nullptr);
    const std::string label = "Games found: " + std::to_string(expected.size()) + " of " + std::to_string(games.size());
    EXPECT_TRUE(waitUntil([&] { return total(window) == label; }, 180000)) << total(window) << ", expected " << label;
    EXPECT_TRUE(sameLines(wideListLines(window, IDC_MAIN_GAME_LIST), titlesOf(expected)));
    find(window, "pong");
    EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), indexOf(expected, "pong"));
}

} // namespace
