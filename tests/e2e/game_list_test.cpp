// The game list: built from the emulator's listing at start-up and on refresh, searched with "Find".
#include "tests/e2e/driver.h"

#include "resource.h"

#include <algorithm>
#include <sstream>

using namespace e2e;

namespace {

// A listing in the emulator's own form: a heading, then one game per line.
std::string listing(int games, const std::string& prefix = "g")
{
    std::ostringstream text;
    text << "Name:     Description:\n";
    for (int i = 0; i < games; ++i)
        text << prefix << i << "      \"Game number " << i << "\"\n";
    return text.str();
}

class GameListTest : public HobrinTest {
protected:
    std::string total(HWND window) { return text(window, IDC_MAIN_TOTAL); }
    std::string gameOfSelection(HWND window)
    {
        int line = listSelection(window, IDC_MAIN_GAME_LIST);
        std::vector<std::string> lines = listLines(window, IDC_MAIN_GAME_LIST);
        return line >= 0 && line < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(line)] : "";
    }
};

TEST_F(GameListTest, StartUpListsTheFirstVersionsGamesWithTheirTotal)
{
    writeFile("standin-listing.txt",
              "Name:     Description:\npacman    \"Pac-Man (Midway)\"\ngalaga\t\"Galaga (Namco rev. B)\"\n"
              "nodesc    \"\"\ndkong     \"Donkey Kong (US set 1)\"\n");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST),
              (std::vector<std::string>{"Pac-Man (Midway)", "Galaga (Namco rev. B)", "Donkey Kong (US set 1)"}));
    EXPECT_EQ(total(window), "Total number of MAME drivers: 3");
    EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), -1);
    EXPECT_EQ(emulatorCalls(), (std::vector<std::string>{standinCommand(0) + " -listfull -sortname"}));
    EXPECT_FALSE(fileExists("gamelist.tmp"));
}

TEST_F(GameListTest, TitlesAreShownAsWrittenInUtf8OrTheLegacyCodePage)
{
    // Today's emulators list in UTF-8, every script; one of 2006 in the
    // system's legacy code page, and its Refresh shows that as written too.
    const std::wstring utf8Titles[] = {
        L"Attach\u00e9 Case", L"Probleml\u00f6sungs-Modul", L"\u30d1\u30c3\u30af\u30de\u30f3 (Japan)",
        L"\u0393\u03ac\u03bb\u03b1\u03be\u03b9\u03b1\u03c2", L"Computech Integra-\u03b2 \u0141\u00f3d\u017a"};
    const std::string oldTitles[] = {"Attach\xE9 (code page)", "Odd \xC0\xAF (no UTF-8)"};
    std::string listing = "Name:     Description:\n", oldListing = listing;
    std::vector<std::wstring> shown, oldShown;
    for (const std::wstring& title : utf8Titles) {
        listing += "u" + std::to_string(listing.size()) + "    \"" + utf8(title) + "\"\n";
        shown.push_back(title);
    }
    for (const std::string& title : oldTitles) {
        oldListing += "a" + std::to_string(oldListing.size()) + "    \"" + title + "\"\n";
        oldShown.push_back(fromCodePage(title));
    }
    writeFile("standin-listing.txt", listing);
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(wideListLines(window, IDC_MAIN_GAME_LIST), shown);
    writeFile("standin-listing.txt", oldListing);
    press(window, IDC_MAIN_REFRESH);
    EXPECT_TRUE(waitUntil([&] { return wideListLines(window, IDC_MAIN_GAME_LIST) == oldShown; }))
        << utf8(wideListLines(window, IDC_MAIN_GAME_LIST).front());
}

TEST_F(GameListTest, SortByDriverAsksTheEmulatorForThatOrder)
{
    writeFile("hobrin.cfg", settingsBytes({1, 1, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0}));
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(emulatorCalls(), (std::vector<std::string>{standinCommand(0) + " -listfull -sortdriver"}));
    EXPECT_GT(listLines(window, IDC_MAIN_GAME_LIST).size(), 10u);
}

TEST_F(GameListTest, EmptyListingGivesAnEmptyList)
{
    writeFile("standin-listing.txt", "");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(listLines(window, IDC_MAIN_GAME_LIST).empty());
    EXPECT_EQ(total(window), "Total number of MAME drivers: 0");
    EXPECT_FALSE(fileExists("gamelist.tmp"));
}

TEST_F(GameListTest, ListsMoreThanFiveThousandGamesSilently)
{
    writeFile("standin-listing.txt", listing(5003));
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(total(window), "Total number of MAME drivers: 5003");
    std::vector<std::string> lines = listLines(window, IDC_MAIN_GAME_LIST);
    ASSERT_EQ(lines.size(), 5003u);
    EXPECT_EQ(lines.back(), "Game number 5002");
    EXPECT_FALSE(fileExists("gamelist.tmp"));
}

TEST_F(GameListTest, LongShortNamesAreListedWholeOverlongOnesNot)
{
    const std::string name63(63, 'n');
    writeFile("standin-listing.txt", "20pacgalr0        \"Pac-Man/Galaga (rev 0)\"\n" + name63 + " \"Longest\"\n" +
                                         name63 + "x \"Too long\"\npacman \"Pac-Man\"\n");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST),
              (std::vector<std::string>{"Pac-Man/Galaga (rev 0)", "Longest", "Pac-Man"}));
    for (const std::string& name : {std::string("20pacgalr0"), name63}) {
        setText(window, IDC_MAIN_GOTO, name);
        press(window, IDC_MAIN_FIND);
        flushPostedMessages(window, IDC_MAIN_ABOUT);
        EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), name == name63 ? 1 : 0) << name;
    }
    // The whole name asks for the game's high scores; being no name that
    // MAME gives, it is not run.
    resetYorlData();
    press(window, IDC_MAIN_HIGH_SCORES);
    EXPECT_TRUE(waitUntil([&] { return yorlRequests().size() == 1; }));
    EXPECT_EQ(yorlRequests().back(), "/yorl/index.cgi?mode=fe_scores&short=" + name63);
    std::size_t calls = emulatorCalls().size();
    press(window, IDC_MAIN_PLAY);
    EXPECT_EQ(answerMessageBox(processId(), "Play game"),
              "The game's short name \"" + name63 + "\" is no MAME system name; it was not run.");
    EXPECT_TRUE(waitUntilShown(window));
    EXPECT_EQ(emulatorCalls().size(), calls);
}

// Today's emulators refuse the sort switches and list by short name: the
// list is asked for once more without the switch and sorted here, and the
// next build asks only without it.
TEST_F(GameListTest, TodaysEmulatorIsListedWithoutTheSortSwitchAndSortedHere)
{
    writeFile("standin-control.txt", "kind=today\n");
    writeFile("standin-games.txt",
              "simpsons\tkonami\tThe Simpsons (4 Players World, set 1)\n"
              "pacplus\tpacman\tPac-Man Plus\n"
              "theglad\tigs\tThe Gladiator / Road of the Sword\n"
              "puckman\tpacman\tPuckMan (Japan set 1)\n"
              "pacman\tpacman\tPac-Man (Midway)\n"
              "simpbowl\tkonami\tThe Simpsons Bowling (GQ829 UAA)\n");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST),
              (std::vector<std::string>{"The Gladiator / Road of the Sword", "Pac-Man (Midway)", "Pac-Man Plus",
                                        "PuckMan (Japan set 1)", "The Simpsons Bowling (GQ829 UAA)",
                                        "The Simpsons (4 Players World, set 1)"}));
    EXPECT_EQ(total(window), "Total number of MAME drivers: 6");
    const std::string command = standinCommand(0);
    // Sorted by short name to its end: the last entry tells that no devices follow.
    EXPECT_EQ(emulatorCalls(), (std::vector<std::string>{command + " -listfull -sortname", command + " -listfull",
                                                         command + " -listxml theglad"}));

    press(window, IDC_MAIN_SORT_BY_DRIVER);
    press(window, IDC_MAIN_REFRESH);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    ASSERT_TRUE(waitUntilShown(window));
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST),
              (std::vector<std::string>{"Pac-Man (Midway)", "Pac-Man Plus", "PuckMan (Japan set 1)",
                                        "The Simpsons Bowling (GQ829 UAA)", "The Simpsons (4 Players World, set 1)",
                                        "The Gladiator / Road of the Sword"}));
    EXPECT_EQ(emulatorCalls(), (std::vector<std::string>{command + " -listfull -sortname", command + " -listfull",
                                                         command + " -listxml theglad", command + " -listfull"}));
}

// Today's emulators list their devices after their systems; the list holds
// the systems alone, learned at the first start and known at the next,
// which runs the one listing. Older emulators' lists stay as they were.
TEST_F(GameListTest, DevicesAreLeftOutOfTheListOnceLearned)
{
    const std::string command = standinCommand(0);
    const std::string sorted = command + " -listfull -sortname", plain = command + " -listfull";
    const struct {
        const char* label;
        const char* control;
        const char* listing; // "": the stand-in's own 25 games and 4 devices
        int games;
        std::vector<std::string> firstCalls;
        const char* kept;
    } cases[] = {
        {"a MAME of 2006", "", "", 25, {sorted}, "sort_switch=taken"},
        {"a MAME of 2016: sorted, no devices",
         "kind=between",
         "",
         25,
         {sorted, plain, command + " -listxml xevious"},
         "devices=none"},
        {"today's: the first device sorts after the last system",
         "kind=today",
         "",
         25,
         {sorted, plain, command + " -listxml ym2151", command + " -listxml z80", command + " -listxml tempest",
          command + " -listxml xevious"},
         "first_device=z80"},
        {"today's: as MAME 0.251 lists",
         "kind=today",
         "Name:             Description:\npacman            \"Pac-Man\"\nzzyzzyxx2         \"Zzyzzyxx\"\n"
         "zac1b11107        \"Zaccaria 1B11107 Sound Board\"\ndac               \"1-Bit DAC\"\n",
         2,
         {sorted, plain, command + " -listxml zac1b11107", command + " -listxml zzyzzyxx2"},
         "first_device=zac1b11107"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        writeFile("standin-control.txt", std::string(c.control) + "\n");
        deleteFile("standin-listing.txt");
        if (c.listing[0] != '\0')
            writeFile("standin-listing.txt", c.listing);
        deleteFile("emulators.ini");
        for (bool known : {false, true}) {
            deleteFile("standin-calls.txt");
            HWND window = start();
            ASSERT_NE(window, nullptr);
            std::vector<std::string> lines = listLines(window, IDC_MAIN_GAME_LIST);
            EXPECT_EQ(lines.size(), static_cast<std::size_t>(c.games)) << known;
            for (const char* device : {"Zilog Z80", "1-Bit DAC", "Zaccaria 1B11107 Sound Board"})
                EXPECT_EQ(std::count(lines.begin(), lines.end(), device), 0) << device;
            EXPECT_EQ(total(window), "Total number of MAME drivers: " + std::to_string(c.games));
            EXPECT_EQ(closeWithCloseBox(), 0u);
            EXPECT_EQ(emulatorCalls(),
                      known ? std::vector<std::string>{c.firstCalls.size() > 1 ? plain : sorted} : c.firstCalls);
        }
        EXPECT_NE(readFile("emulators.ini").find(std::string("\r\n") + c.kept + "\r\n"), std::string::npos)
            << readFile("emulators.ini");
    }
}

// What Hobrin learns of an emulator is kept in emulators.ini: a start with
// a known emulator runs it once, and a launch asks -showconfig only of one
// never seen. A missing, damaged or stale entry, or one that proves wrong,
// is learned again as at a first start.
TEST_F(GameListTest, KnownEmulatorIsListedWithOneRunPerStart)
{
    const std::string command = standinCommand(0);
    const std::string sorted = command + " -listfull -sortname", plain = command + " -listfull",
                      config = command + " -showconfig";
    enum Edit { keep, remove, damage, replaceProgram };
    const struct {
        const char* label;
        const char* control;
        Edit edit;
        bool play;
        std::vector<std::string> calls; // listings and -showconfig
        const char* kept;
    } cases[] = {
        {"today's, first start", "kind=today", keep, true, {sorted, plain, config}, "sort_switch=refused"},
        {"today's, known", "kind=today", keep, true, {plain}, "sort_switch=refused"},
        {"file damaged", "kind=today", damage, false, {sorted, plain}, "sort_switch=refused"},
        {"program replaced", "kind=today", replaceProgram, false, {sorted, plain}, "sort_switch=refused"},
        {"known answer proves wrong", "sort_needed=1", keep, false, {plain, sorted}, "sort_switch=taken"},
        {"an old emulator, known", "", keep, false, {sorted}, "sort_switch=taken"},
        {"an old emulator, file missing", "", remove, false, {sorted}, "sort_switch=taken"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        writeFile("standin-control.txt", std::string(c.control) + "\n");
        std::string known = readFile("emulators.ini");
        if (c.edit == remove)
            deleteFile("emulators.ini");
        if (c.edit == damage)
            writeFile("emulators.ini", std::string("\0\xff[emulator]\ncommand=", 21) + command + "\nsize=x\n");
        if (c.edit == replaceProgram && known.find("\nsize=") != std::string::npos) {
            char& digit = known[known.find("\nsize=") + 6];
            digit = digit == '9' ? '1' : static_cast<char>(digit + 1);
            writeFile("emulators.ini", known);
        }
        deleteFile("standin-calls.txt");
        HWND window = start();
        ASSERT_NE(window, nullptr);
        if (c.play) {
            selectListItem(window, IDC_MAIN_GAME_LIST, 0);
            EXPECT_EQ(runAndWait(window, IDC_MAIN_PLAY), "");
        }
        EXPECT_EQ(closeWithCloseBox(), 0u);
        std::vector<std::string> calls;
        for (const std::string& call : emulatorCalls()) {
            if (call.find(" -listfull") != std::string::npos || call.find(" -showconfig") != std::string::npos)
                calls.push_back(call);
        }
        EXPECT_EQ(calls, c.calls);
        EXPECT_NE(readFile("emulators.ini").find(std::string("\r\n") + c.kept + "\r\n"), std::string::npos)
            << readFile("emulators.ini");
    }
}

TEST_F(GameListTest, RefreshListsTheSelectedVersionBehindTheSplash)
{
    writeFile("standin-listing.txt", listing(5));
    HWND window = start();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(listLines(window, IDC_MAIN_GAME_LIST).size(), 5u);

    writeFile("standin-listing.txt", listing(2, "new"));
    writeFile("standin-control.txt", "listing_ms=1500\n");
    selectComboItem(window, IDC_MAIN_VERSION, 1);
    press(window, IDC_MAIN_REFRESH);
    HWND splash = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        return (splash = findDialogByControlText(processId(), IDC_SPLASH_TEXT,
                                                 "Loading MAME game list - please wait...")) != nullptr;
    }));
    EXPECT_TRUE(waitUntilHidden(window)) << "the main window hides during the refresh";
    EXPECT_TRUE(waitUntilGone(splash));
    EXPECT_TRUE(waitUntilShown(window));

    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST), (std::vector<std::string>{"Game number 0", "Game number 1"}));
    EXPECT_EQ(total(window), "Total number of MAME drivers: 2");
    EXPECT_EQ(emulatorCalls().back(), standinCommand(1) + " -listfull -sortname");

    // The games of the earlier, longer listing are gone.
    setText(window, IDC_MAIN_GOTO, "g3");
    press(window, IDC_MAIN_FIND);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), -1);
}

// A short name is compared whole; without one, the next title after the
// selection (wrapping round) that holds every word, in any letter case.
TEST_F(GameListTest, FindSelectsAShortNameElseTheNextTitleWithTheWords)
{
    const std::string title = "A title longer than sixty-four characters, as today's MAME has many (set 2)";
    writeFile("standin-listing.txt",
              "pacman \"Pac-Man\"\ngalaga \"Galaga\"\nabcdefgh \"Eight\"\nabcdefghi \"Nine\"\n"
              "galaga \"Galaga again\"\nlong \"" +
                  title + "\"\n");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    const struct {
        const char* typed;
        int selected;
    } cases[] = {
        {"galaga", 1},                                          // the first of two equal names
        {"GALAGA", 4},       {"GALAGA", 1},                     // no such short name: the next title, round again
        {"pacman", 0},       {"abcdefgh", 2}, {"abcdefghi", 3}, // names are read whole
        {"again GALAGA", 4}, {"nine", 3},     {"nosuch", -1},   {"", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        setText(window, IDC_MAIN_GOTO, c.typed);
        press(window, IDC_MAIN_FIND);
        flushPostedMessages(window, IDC_MAIN_ABOUT);
        EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), c.selected);
    }
    // "Go to:" takes a title's words as typed, and Enter finds them.
    setText(window, IDC_MAIN_GOTO, "");
    ASSERT_TRUE(focusControl(window, IDC_MAIN_GOTO));
    typeText(window, title.substr(0, 70));
    EXPECT_TRUE(waitUntil([&] { return text(window, IDC_MAIN_GOTO) == title.substr(0, 70); }))
        << text(window, IDC_MAIN_GOTO);
    pressKey(window, VK_RETURN);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), 5);
}

TEST_F(GameListTest, MissingEmulatorIsReportedAtStartUp)
{
    writeFile("versions.ini", "Broken\nno-such-emulator.exe\n0.1\nWin32\n");
    ASSERT_TRUE(launch());
    EXPECT_EQ(answerMessageBox(processId(), "Fatal error"), "Cannot call MAME");
    HWND window = waitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(total(window), "Total number of MAME drivers: -1");
}

// An emulator that answers "-help" as MAME does but never ends its listing
// (a launcher, a build with a window of its own) is ended at the listing's
// limit (3 s in this build), and the window shows with Add... and Remove.
TEST_F(GameListTest, ListingThatNeverEndsIsEndedAndTheWindowShows)
{
    writeFile("standin-control.txt", "listing_ms=600000\n");
    const std::vector<DWORD> before = processesNamed("mame-standin.exe");
    ASSERT_TRUE(launch("hobrin_short_waits.exe"));
    EXPECT_EQ(
        answerMessageBox(processId(), "Game list", 30000),
        "The emulator version \"MAME 0.106 (stand-in)\" did not finish listing its games within 3 seconds, so Hobrin "
        "ended it. No games are listed: choose another version, or remove this one.");
    HWND window = waitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(listLines(window, IDC_MAIN_GAME_LIST).empty());
    EXPECT_EQ(total(window), "No games: the emulator did not finish its list");
    EXPECT_TRUE(isEnabled(window, IDC_MAIN_ADD_VERSION) && isEnabled(window, IDC_MAIN_REMOVE_VERSION));
    EXPECT_TRUE(waitUntil([&] { return processesNamed("mame-standin.exe") == before; }, 5000))
        << "the listing was ended with all it started";
    EXPECT_FALSE(fileExists("gamelist.tmp"));
}

// "Only games I have": the sets that MAME's own audit names, looked for
// after the list shows; the box's state beside the settings file, whose 52
// bytes stay; what was found kept for the next start and asked again on
// "Refresh game list" or when the ROM folder changes.
TEST_F(GameListTest, OnlyGamesIHaveShowsWhatMamesAuditFound)
{
    writeFile("standin-control.txt", "found=pacman galaga dkong\n");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST).size(), 25u);
    const std::vector<std::string> found{"Donkey Kong (US set 1)", "Galaga (Namco rev. B)", "Pac-Man (Midway)"};
    auto audits = [&] {
        std::vector<std::string> calls = emulatorCalls();
        return std::count(calls.begin(), calls.end(), standinCommand(0) + " -verifyroms");
    };
    EXPECT_EQ(audits(), 0) << "nothing is looked for while the box is unticked";

    press(window, IDC_MAIN_ONLY_FOUND);
    EXPECT_TRUE(waitUntil([&] { return total(window) == "Games found: 3 of 25"; })) << total(window);
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST), found);
    for (const char* typed : {"galaga", "kong"}) {
        setText(window, IDC_MAIN_GOTO, typed);
        press(window, IDC_MAIN_FIND);
        flushPostedMessages(window, IDC_MAIN_ABOUT);
        EXPECT_EQ(listSelection(window, IDC_MAIN_GAME_LIST), typed[0] == 'g' ? 1 : 0) << typed;
    }
    press(window, IDC_MAIN_ONLY_FOUND);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST).size(), 25u);
    EXPECT_EQ(total(window), "Total number of MAME drivers: 25");
    EXPECT_EQ(gameOfSelection(window), "Donkey Kong (US set 1)") << "stays selected";
    press(window, IDC_MAIN_ONLY_FOUND);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST), found);
    EXPECT_EQ(audits(), 1);
    EXPECT_EQ(closeWithCloseBox(), 0u);
    EXPECT_EQ(readFile("hobrin.cfg"), settingsBytes({1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_NE(readFile("hobrin.ini").find("only_games_i_have=1"), std::string::npos);

    // Known at the next start, shown at once.
    writeFile("standin-control.txt", "found=pacman\n");
    window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(isChecked(window, IDC_MAIN_ONLY_FOUND));
    EXPECT_TRUE(waitUntil([&] { return listLines(window, IDC_MAIN_GAME_LIST) == found; }));
    press(window, IDC_MAIN_REFRESH);
    EXPECT_TRUE(waitUntil([&] { return total(window) == "Games found: 1 of 25"; }, 30000)) << total(window);
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST), std::vector<std::string>{"Pac-Man (Midway)"});
    EXPECT_EQ(closeWithCloseBox(), 0u);

    // A set added to the ROM folder changes the folder.
    writeFile("standin-control.txt", "found=pacman galaga\n");
    makeDirectory("roms");
    window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(waitUntil([&] { return total(window) == "Games found: 2 of 25"; }, 30000)) << total(window);
}

// MAME's audit runs hidden on a thread of its own and is ended at its
// limit (3 s in this build): meanwhile and afterwards the list is whole and
// works, and the label says why it is whole.
TEST_F(GameListTest, AuditThatNeverEndsLeavesTheListUsable)
{
    writeFile("standin-control.txt", "found=pacman\naudit_ms=600000\n");
    writeFile("hobrin.ini", "only_games_i_have=1\r\n");
    const std::vector<DWORD> before = processesNamed("mame-standin.exe");
    ASSERT_TRUE(launch("hobrin_short_waits.exe"));
    HWND window = waitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(waitUntil([&] { return total(window) == "Looking for ROMs..."; })) << total(window);
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST).size(), 25u);
    setText(window, IDC_MAIN_GOTO, "robotron");
    press(window, IDC_MAIN_FIND);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_EQ(gameOfSelection(window), "Robotron (Solid Blue label)");
    EXPECT_TRUE(waitUntil([&] { return total(window) == "All 25 games: MAME's audit of ROMs did not end"; }, 30000))
        << total(window);
    EXPECT_EQ(listLines(window, IDC_MAIN_GAME_LIST).size(), 25u);
    EXPECT_TRUE(waitUntil([&] { return processesNamed("mame-standin.exe") == before; }, 5000));
    EXPECT_FALSE(fileExists("verifyroms.tmp"));
    EXPECT_FALSE(fileExists("found.ini"));
}

} // namespace
