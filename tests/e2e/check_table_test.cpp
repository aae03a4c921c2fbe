// "Check all...": every listed score's recording checked in one table, side by side, with a report to save.
#include "tests/e2e/driver.h"

#include "resource.h"
#include "shell/speed_graph.h"

#include <algorithm>

using namespace e2e;

namespace {

// A high-score line of the leaderboard's feed.
std::string scoreLine(int position, const std::string& score, const std::string& version, const std::string& recording,
                      const std::string& player)
{
    return "('" + score + "','1','std','" + version + "','1700000000','" + recording + "','T','" + player +
           "',\"Pac-Man (Midway)\",'" + std::to_string(position) + "','10.0','A run')<P>\n";
}

// The fields of a CSV text's rows (RFC 4180), its byte-order mark left out.
std::vector<std::vector<std::string>> readCsv(std::string text)
{
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            field += text[i++];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            rows.back().push_back(std::move(field)), field.clear();
        else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            rows.back().push_back(std::move(field)), field.clear(), rows.emplace_back(), ++i;
        else
            field += c;
    }
    rows.pop_back();
    return rows;
}

// Players of four scripts: the report holds their names as they wrote them.
const char kWhole[] = "Whole \xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E"; // 山田太郎
const char kCut[] = "Cut \xC5\x81ukasz";
const char kNotes[] = "Notes \xCE\x95\xCE\xBB\xCE\xAD\xCE\xBD\xCE\xB7";
// A name that a spreadsheet would run as a formula.
const char kMissing[] = "=HYPERLINK(\"x\") J\xC3\xBCrgen";

int checkSlotsHere()
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return std::min(static_cast<int>(system.dwNumberOfProcessors), MAXIMUM_WAIT_OBJECTS);
}

// The rows of the table that listTable lists.
const std::size_t kTableRows = 7;

class CheckTableTest : public HobrinTest {
protected:
    // Lists pacman's table of seven scores, each recording as named, with the
    // stand-in as MAME 0.251 and `control` in its control file.
    HWND listTable(const std::string& control, const std::string& program = "hobrin.exe")
    {
        writeFile("versions.ini", "Today\n" + standinCommand(0) + " -kind today -version 0.251\n0.251\nWin32\n");
        writeFile("standin-control.txt", control);
        resetYorlData();
        writeYorlFile("scores/pacman.txt", "header\n" + scoreLine(1, "3333360", "0.251", "pacman_whole", kWhole) +
                                               scoreLine(2, "3000000", "0.251", "pacman_cut", kCut) +
                                               scoreLine(3, "2000000", "0.251", "pacman_notes", kNotes) +
                                               scoreLine(4, "1000000", "0.251", "pacman_missing", kMissing) +
                                               scoreLine(5, "900000", "0.251", "galaga_other", "Other") +
                                               scoreLine(6, "800000", "0.999", "pacman_elsewhere", "Elsewhere") +
                                               scoreLine(7, "700000", "0.251", "pacman_damaged", "Damaged"));
        serveRecording("table-whole.zip", "pacman_whole");
        serveRecording("table-cut.zip", "pacman_cut");
        serveRecording("table-notrec.zip", "pacman_notes");
        serveRecording("table-galaga.zip", "galaga_other");
        // Its frames show a loaded state and slow play.
        serveRecording("table-findings.zip", "pacman_elsewhere");
        serveRecording("table-damaged.zip", "pacman_damaged");
        HWND window = launch(program) ? waitForMainWindow() : nullptr;
        if (!window)
            return nullptr;
        setText(window, IDC_MAIN_GOTO, "pacman");
        press(window, IDC_MAIN_FIND);
        press(window, IDC_MAIN_HIGH_SCORES);
        EXPECT_TRUE(waitUntil([&] { return listLines(window, IDC_MAIN_SCORE_LIST).size() == kTableRows; }));
        return window;
    }

    // The rows of the report saved from the table window `table`.
    // Files of the player's own beside it, whose names a careless save
    // would take, are kept.
    std::vector<std::vector<std::string>> savedReport(HWND table)
    {
        writeFile("report.csv.tmp", "the player's own");
        writeFile("report.csv.old", "the player's own too");
        press(table, IDC_TABLE_SAVE);
        chooseFile(processId(), "Save report", path("report.csv"));
        EXPECT_TRUE(waitUntil([&] { return fileExists("report.csv"); }));
        // The save ends on the window's thread: once it answers, its spare file is gone.
        DWORD_PTR answer = 0;
        EXPECT_NE(SendMessageTimeoutA(table, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer), 0);
        EXPECT_EQ(readFile("report.csv.tmp"), "the player's own");
        EXPECT_EQ(readFile("report.csv.old"), "the player's own too");
        for (const std::string& name : directoryEntries(directory()))
            EXPECT_NE(name.compare(0, 3, "~rp"), 0) << name << " was left behind";
        return readCsv(readFile("report.csv"));
    }
};

// Seven recordings of a game's table, each told as a check of one would tell
// it, with the download's own failures; the report holds every row.
TEST_F(CheckTableTest, EveryRecordingOfTheTableGetsItsVerdict)
{
    HWND window = listTable("run_ms=300\n");
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_CHECK_ALL);
    HWND table = waitForWindow(processId(), "Recording checks");
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(waitUntil([&] { return isEnabled(table, IDC_TABLE_CLOSE); }, 60000));
    EXPECT_EQ(SendDlgItemMessageA(table, IDC_TABLE_LIST, LVM_GETITEMCOUNT, 0, 0), LRESULT(kTableRows));
    EXPECT_EQ(text(table, IDC_TABLE_PROGRESS).rfind("7 of 7 checked, ", 0), 0u) << text(table, IDC_TABLE_PROGRESS);
    const std::vector<std::vector<std::string>> report = savedReport(table);
    ASSERT_EQ(report.size(), kTableRows + 1);
    EXPECT_EQ(report[0],
              (std::vector<std::string>{"Position", "Score", "Player", "Version", "Checked with", "Verdict", "Frames",
                                        "Length", "Speed", "Lowest", "Paused", "States", "Picture"}));
    const struct {
        const char* player;
        const char* verdict; // its start
        const char* checkedWith;
        bool picture;
        const char* findings[3]; // the lowest speed, the pauses, the loaded states
        const char* graph;       // what the drawn speed says it draws, when the row is selected
    } rows[] = {
        {kWhole,
         "Plays to its end: 120 of 120 frames, 0:01. No pause, no slow play, no loaded state",
         "0.251",
         true,
         {"", "0", "0"},
         "Speed over 0:01: no pause, no slow stretch, no loaded state"},
        {kCut,
         "Cut short: the file ends inside its data; MAME played ",
         "0.251",
         true,
         {"", "0", "0"},
         "Speed over 0:00: no pause, no slow stretch, no loaded state"},
        {kNotes,
         "Fatal error: Input file is corrupt or invalid (missing header)",
         "0.251",
         false,
         {"", "", ""},
         kNoSpeedDrawn},
        {kMissing, "Can't download: Cannot retrieve data from URL", "0.251", false, {"", "", ""}, kNoSpeedDrawn},
        {"Other",
         "The recording is of \"galaga\", not of this score's game \"pacman\"; it was not checked.",
         "0.251",
         false,
         {"", "", ""},
         kNoSpeedDrawn},
        {"Elsewhere",
         "[Loaded state, slow] Plays to its end: 360 of 360 frames, 0:04. A saved state was loaded at 0:04: the time "
         "runs back 1.0 s there. Played slow at 0:02 for 2 s (80%). No pause; speed 80",
         "0.251",
         true,
         {"80%", "0", "1"},
         "Speed over 0:05: no pause, 1 slow stretch, 1 loaded state"},
        // Refused before MAME runs, with what its frames told up to the damage.
        {"Damaged",
         "[Slow] The file's data is damaged ",
         "0.251",
         false,
         {"80%", "0", "0"},
         "Speed over 0:05: no pause, 1 slow stretch, no loaded state"},
    };
    for (std::size_t i = 0; i < kTableRows; ++i) {
        SCOPED_TRACE(rows[i].player);
        const std::vector<std::string>& row = report[i + 1];
        ASSERT_EQ(row.size(), 13u);
        EXPECT_EQ(row[0], std::to_string(i + 1));
        EXPECT_EQ(row[2], (rows[i].player[0] == '=' ? "'" : "") + std::string(rows[i].player)) << "text, no formula";
        EXPECT_EQ(row[4], rows[i].checkedWith);
        EXPECT_EQ(row[5].rfind(rows[i].verdict, 0), 0u) << row[5];
        EXPECT_EQ((std::vector<std::string>{row[9], row[10], row[11]}),
                  (std::vector<std::string>{rows[i].findings[0], rows[i].findings[1], rows[i].findings[2]}));
        EXPECT_EQ(!row[12].empty(), rows[i].picture) << row[12];
        if (rows[i].picture) {
            EXPECT_EQ(readFile(row[12]).substr(1, 3), "PNG");
        }
        // The first row is selected; each next one a key press below it.
        if (i > 0) {
            ASSERT_TRUE(focusControl(table, IDC_TABLE_LIST));
            pressKey(table, VK_DOWN);
        }
        EXPECT_TRUE(waitUntil([&] { return text(table, IDC_TABLE_GRAPH) == rows[i].graph; }))
            << text(table, IDC_TABLE_GRAPH);
    }
    savePictureToLookAt(table, "check-table");
    EXPECT_EQ(report[6][3], "0.999") << "the version the score names, checked with the selected one";
    EXPECT_EQ(report[1][8], "100%");
    press(table, IDC_TABLE_CLOSE);
    EXPECT_TRUE(waitUntilGone(table));
    EXPECT_FALSE(fileExists("checks\\run1")) << "the extracted recordings are removed";
}

// Checks run side by side, never more at once than the machine has
// logical processors; Cancel ends every one of them at once. The runs never
// end by themselves, so how long a row takes to prepare does not matter.
TEST_F(CheckTableTest, ChecksRunSideBySideWithinTheProcessorsAndCancelEndsThem)
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const int sideBySide = std::min(static_cast<int>(system.dwNumberOfProcessors), 4);
    HWND window = listTable("run_ms=600000\n");
    ASSERT_NE(window, nullptr);
    const std::vector<DWORD> before = processesNamed("mame-standin.exe");
    const auto started = [this] {
        const std::string log = readFile("standin-checks.txt");
        int count = 0;
        for (std::size_t at = log.find("start"); at != std::string::npos; at = log.find("start", at + 1))
            ++count;
        return count;
    };
    press(window, IDC_MAIN_CHECK_ALL);
    HWND table = waitForWindow(processId(), "Recording checks");
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(waitUntil([&] { return started() == sideBySide; }, 60000)) << started();
    // The rows after them are prepared by now, and wait for a free slot.
    Sleep(1500);
    EXPECT_EQ(started(), sideBySide);
    EXPECT_EQ(readFile("standin-checks.txt").find("end"), std::string::npos);

    // Cancel: no emulator is left running, and every row has its verdict.
    press(table, IDC_TABLE_CANCEL);
    EXPECT_TRUE(waitUntil([&] { return isEnabled(table, IDC_TABLE_CLOSE); }, 10000));
    EXPECT_TRUE(waitUntil([&] { return processesNamed("mame-standin.exe") == before; }, 10000));
    const std::vector<std::vector<std::string>> report = savedReport(table);
    ASSERT_EQ(report.size(), kTableRows + 1);
    EXPECT_EQ(report[1][5], "Cancelled: MAME was ended before the recording's end.");
    press(table, IDC_TABLE_CLOSE);
    EXPECT_TRUE(waitUntilGone(table));
}

// Many runs at once, each with only its own files: MAME's audit for "Only
// games I have", a game run beside it, then a table of two rows more than
// the machine runs at once, of recordings of three lengths. No run's file
// stays behind, every row has its own verdict, and the next audit works.
TEST_F(CheckTableTest, ManyRunsAtOnceEachWithOnlyItsOwnFiles)
{
    const int slots = checkSlotsHere(), runs = slots + 2;
    writeFile("versions.ini", "Today\n" + standinCommand(0) + " -kind today -version 0.251\n0.251\nWin32\n");
    writeFile("standin-control.txt", "run_ms=200\nframe_ms=10\nfound=pacman\naudit_ms=2000\n");
    resetYorlData();
    const char* const recordings[] = {"table-whole.zip", "table-elsewhere.zip", "table-cut.zip"};
    std::string feed = "header\n";
    for (int i = 0; i < runs; ++i) {
        const std::string name = "pacman_run" + std::to_string(i);
        feed += scoreLine(i + 1, std::to_string(1000 - i), "0.251", name, "P" + std::to_string(i));
        serveRecording(recordings[i % 3], name);
    }
    writeYorlFile("scores/pacman.txt", feed);
    HWND window = start();
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_ONLY_FOUND);
    setText(window, IDC_MAIN_GOTO, "pacman");
    press(window, IDC_MAIN_FIND);
    EXPECT_EQ(runAndWait(window, IDC_MAIN_PLAY), "");
    press(window, IDC_MAIN_HIGH_SCORES);
    ASSERT_TRUE(waitUntil([&] { return listLines(window, IDC_MAIN_SCORE_LIST).size() == static_cast<size_t>(runs); }));
    press(window, IDC_MAIN_CHECK_ALL);
    HWND table = waitForWindow(processId(), "Recording checks");
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(waitUntil([&] { return isEnabled(table, IDC_TABLE_CLOSE); }, 60000));
    const std::vector<std::vector<std::string>> report = savedReport(table);
    ASSERT_EQ(report.size(), static_cast<std::size_t>(runs + 1));
    for (int i = 1; i <= runs; ++i)
        EXPECT_EQ(report[i][5].rfind(i % 3 == 0 ? "Cut short: " : "Plays to its end: ", 0), 0u) << report[i][5];
    // From the stand-in's own log: how many ran at once, at most.
    int running = 0, most = 0, started = 0;
    for (const std::string& line : splitLines(readFile("standin-checks.txt"))) {
        running += line.rfind("start", 0) == 0 ? 1 : -1;
        started += line.rfind("start", 0) == 0 ? 1 : 0;
        most = std::max(most, running);
    }
    EXPECT_EQ(started, runs);
    EXPECT_LE(most, slots);
    EXPECT_GE(most, std::min(slots, 2)) << "side by side";
    press(table, IDC_TABLE_CLOSE);
    ASSERT_TRUE(waitUntilGone(table));
    // The refresh audits anew (for 2 s); the old total stays until it looks.
    press(window, IDC_MAIN_REFRESH);
    EXPECT_TRUE(waitUntil([&] { return text(window, IDC_MAIN_TOTAL) == "Looking for ROMs..."; }, 30000));
    EXPECT_TRUE(waitUntil([&] { return text(window, IDC_MAIN_TOTAL).rfind("Games found: 1 of ", 0) == 0; }, 30000))
        << text(window, IDC_MAIN_TOTAL);
    for (const char* left : {"verifyroms.tmp", "audit-showconfig.tmp", "gamelist.tmp", "check.out", "check.err"})
        EXPECT_FALSE(fileExists(left)) << left;
    for (const std::string& name : directoryEntries(path("checks")))
        EXPECT_EQ(name.rfind(".png"), name.size() - 4) << name << " is no picture";
}

// A download whose read is blocked holds neither Cancel nor Close: the
// window is free at once, and the read, ending by itself, leaves no file.
TEST_F(CheckTableTest, CancelAndCloseDoNotWaitForABlockedDownload)
{
    for (bool close : {false, true}) {
        SCOPED_TRACE(close ? "Close" : "Cancel");
        // The test build's reads give up after 4 s instead of 15.
        HWND window = listTable("run_ms=300\n", "hobrin_short_waits.exe");
        ASSERT_NE(window, nullptr);
        writeYorlFile("inp\\pacman_whole.mode", "stall=100");
        press(window, IDC_MAIN_CHECK_ALL);
        HWND table = waitForWindow(processId(), "Recording checks");
        ASSERT_NE(table, nullptr);
        ASSERT_TRUE(waitUntil([] {
            const std::vector<std::string> requests = yorlRequests();
            return !requests.empty() && requests.back() == "/yorl/inp/pacman_whole.zip";
        }));
        if (close) {
            PostMessageA(table, WM_CLOSE, 0, 0);
            EXPECT_TRUE(waitUntilGone(table, 3000));
            EXPECT_TRUE(waitUntil([&] { return isEnabled(window, IDC_MAIN_CHECK_ALL); }, 3000));
        } else {
            press(table, IDC_TABLE_CANCEL);
            EXPECT_TRUE(waitUntil([&] { return isEnabled(table, IDC_TABLE_CLOSE); }, 3000));
            EXPECT_EQ(savedReport(table).at(1).at(5), "Cancelled: the recording was not checked.");
        }
        EXPECT_TRUE(waitUntil([&] { return !fileExists("checks\\run1"); })) << "the read's file goes";
    }
}

// MAME 0.251 itself: a table of a whole Pong recording, the same cut in
// half, and a file that is no recording.
TEST_F(CheckTableTest, RealMameChecksATableOfPongRecordings)
{
    if (realMameCommand().empty())
        GTEST_SKIP() << "HOBRIN_E2E_MAME_REAL names no MAME: tools/test.sh installs one in the 64-bit prefix";
    writeFile("versions.ini", "MAME 0.251\n" + realMameCommand() + "\n0.251\nWin64\n");
    resetYorlData();
    writeYorlFile("scores/pong.txt", "header\n" + scoreLine(1, "9", "0.251", "best_pong", "Whole") +
                                         scoreLine(2, "8", "0.251", "half_pong", "Half") +
                                         scoreLine(3, "7", "0.251", "notes_pong", "Notes"));
    serveRecording("pong-0251.zip", "best_pong");
    serveRecording("pong-0251-half.zip", "half_pong");
    serveRecording("table-notrec.zip", "notes_pong");
    ASSERT_TRUE(launch());
    HWND window = waitForMainWindow(60000);
    ASSERT_NE(window, nullptr);
    setText(window, IDC_MAIN_GOTO, "pong");
    press(window, IDC_MAIN_FIND);
    press(window, IDC_MAIN_HIGH_SCORES);
    ASSERT_TRUE(waitUntil([&] { return listLines(window, IDC_MAIN_SCORE_LIST).size() == 3; }));
    press(window, IDC_MAIN_CHECK_ALL);
    HWND table = waitForWindow(processId(), "Recording checks");
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(waitUntil([&] { return isEnabled(table, IDC_TABLE_CLOSE); }, 120000));
    const std::vector<std::vector<std::string>> report = savedReport(table);
    ASSERT_EQ(report.size(), 4u);
    const struct {
        const char* verdict;
        const char* picture;
    } rows[] = {
        {"Plays to its end: ", "checks\\best_pong.png"},
        {"Cut short: the file ends inside its data; MAME played ", "checks\\half_pong.png"},
        {"Fatal error: Input file is corrupt or invalid (missing header)", ""},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(rows[i].verdict);
        EXPECT_EQ(report[i + 1][5].rfind(rows[i].verdict, 0), 0u) << report[i + 1][5];
        EXPECT_EQ(report[i + 1][12], rows[i].picture);
    }
    press(table, IDC_TABLE_CLOSE);
    EXPECT_TRUE(waitUntilGone(table));
}

// With no score listed, "Check all..." says so and checks nothing.
TEST_F(CheckTableTest, NoScoresListedChecksNothing)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_CHECK_ALL);
    EXPECT_EQ(answerMessageBox(processId(), "Check all"),
              "No scores are listed to check: get a game's high scores or the recent uploads first.");
    EXPECT_EQ(findWindow(processId(), "Recording checks"), nullptr);
}

} // namespace
