// "Download and playback": the save dialog, the download window with its
// progress, failures and Cancel, then extraction and playback of the
// recording; over https, and from a service that stalls.
#include "tests/e2e/driver.h"

#include "resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace e2e;

namespace {

const char kSaveTitle[] = "Save downloaded recording as...";
// A stopped worker has ended by then: a read that gets nothing gives up at
// the request's timeout (15 s, or kShortWaits's 4 s).
const DWORD kWorkerEndMs = 20000;
// The program built to wait seconds (4 s for each read, 8 s for a feed)
// where a player's waits 15 and 25: the tests that wait out a stalled
// service's limit use it.
const char kShortWaits[] = "hobrin_short_waits.exe";

std::string scoreLine(const std::string& recording, const std::string& version = "0.106")
{
    return "('1000','1','a1','" + version + "','1100000000','" + recording +
           "','t','Ann',\"Pac-Man (Midway)\",'1','12.5','Run')<P>\n";
}

// What reached the prefix's serial and printer ports (see
// tools/device_standins.py), "" when nothing did.
std::string deviceWrites()
{
    const char* devices = std::getenv("HOBRIN_E2E_DEVICES");
    if (!devices || !*devices)
        return "";
    std::string writes;
    for (const std::string& name : directoryEntries(devices)) {
        std::ifstream file(std::string(devices) + "\\" + name, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (!bytes.empty())
            writes += name + ": " + bytes + "\n";
    }
    return writes;
}

// The temporary files of downloads and extractions left in a folder.
std::vector<std::string> temporaryFiles(const std::string& directory)
{
    std::vector<std::string> left;
    for (const std::string& name : directoryEntries(directory)) {
        if (name[0] == '~')
            left.push_back(name);
    }
    return left;
}

class DownloadTest : public HobrinTest {
protected:
    // The worker has ended without a box: a new download is let begin (a
    // worker that still ran would refuse it, one that failed would have
    // shown its box first), and no box is up.
    void expectEndedWithoutABox(const char* why)
    {
        press(properties_, IDC_SCORE_DOWNLOAD);
        EXPECT_NE(waitForWindow(processId(), kSaveTitle), nullptr) << why;
        EXPECT_EQ(findWindow(processId(), "Can't download"), nullptr) << why;
        cancelFileDialog(processId(), kSaveTitle);
        flushPostedMessages(properties_, IDC_SCORE_OK);
    }

    void SetUp() override
    {
        HobrinTest::SetUp();
        resetYorlData();
        writeFile("standin-listing.txt", "pacman \"Pac-Man (Midway)\"\ngalaga \"Galaga\"\n");
    }

    // Lists one high score for `game` whose recording is `recording`, opens
    // its Score Properties and presses "Download and playback".
    HWND startDownload(const std::string& recording, const std::string& version = "0.106",
                       const std::string& program = "hobrin.exe", const std::string& game = "pacman")
    {
        return startWithGame(recording, version, program, game) ? downloadTheScore() : nullptr;
    }

    // Starts the program with `game` selected, which has one high score.
    HWND startWithGame(const std::string& recording, const std::string& version, const std::string& program,
                       const std::string& game)
    {
        writeYorlFile("scores\\" + game + ".txt", "header\n" + scoreLine(recording, version));
        window_ = launch(program) ? waitForMainWindow(30000) : nullptr;
        if (window_) {
            setText(window_, IDC_MAIN_GOTO, game);
            press(window_, IDC_MAIN_FIND);
            flushPostedMessages(window_, IDC_MAIN_ABOUT);
        }
        return window_;
    }

    // Lists the game's high score, opens it and presses "Download and playback".
    HWND downloadTheScore()
    {
        // A list left from an earlier fetch would count as this one's answer,
        // and the answer arriving after the selection would clear it.
        SendDlgItemMessageA(window_, IDC_MAIN_SCORE_LIST, LB_RESETCONTENT, 0, 0);
        press(window_, IDC_MAIN_HIGH_SCORES);
        EXPECT_TRUE(waitUntil([&] { return listLines(window_, IDC_MAIN_SCORE_LIST).size() == 1; }));
        selectListItem(window_, IDC_MAIN_SCORE_LIST, 0);
        PostMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_MAIN_SCORE_LIST, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(GetDlgItem(window_, IDC_MAIN_SCORE_LIST)));
        properties_ = waitForWindow(processId(), "Score Properties");
        if (properties_)
            press(properties_, IDC_SCORE_DOWNLOAD);
        return properties_;
    }

    // Starts a download of big.zip that arrives as `mode` says, then closes
    // its window while it runs. False when a step failed.
    bool startClosedDownload(const std::string& recording, const std::string& mode)
    {
        serveRecording("big.zip", recording);
        writeYorlFile("inp\\" + recording + ".mode", mode);
        if (!startDownload(recording))
            return false;
        chooseFile(processId(), kSaveTitle, path(recording + ".zip"));
        HWND download = downloadWindow();
        if (!download)
            return false;
        EXPECT_TRUE(waitUntil([&] { return text(download, IDC_DOWNLOAD_PROGRESS).find("Recieved: ") == 0; }));
        PostMessageA(download, WM_SYSCOMMAND, SC_CLOSE, 0);
        return waitUntilGone(download, 2000);
    }

    HWND downloadWindow()
    {
        HWND found = nullptr;
        waitUntil([&] { return (found = findDialogByControlText(processId(), IDC_DOWNLOAD_DONE, "Done")) != nullptr; });
        return found;
    }

    // Waits for "Done", the last thing a complete download enables, and presses it.
    void finishDownload(HWND download)
    {
        ASSERT_NE(download, nullptr);
        EXPECT_TRUE(waitUntil([&] { return isEnabled(download, IDC_DOWNLOAD_DONE); }));
        EXPECT_EQ(text(download, IDC_DOWNLOAD_TITLE), "Download complete.");
        EXPECT_FALSE(isEnabled(download, IDC_DOWNLOAD_CANCEL));
        press(download, IDC_DOWNLOAD_DONE);
        EXPECT_TRUE(waitUntilGone(download));
    }

    HWND window_ = nullptr;
    HWND properties_ = nullptr;
};

TEST_F(DownloadTest, DownloadedRecordingIsPlayedBackAndRemoved)
{
    // Long enough a run to look at the windows and files while it lasts.
    writeFile("standin-control.txt", "run_ms=1500\n");
    writeFile("kept.zip.part", "the user's own file");
    // Its second block begins with "<HTML>": only an answer that begins so is an error page.
    serveRecording("htmlinside.zip", "pacman_1000_ann");
    ASSERT_NE(startDownload("pacman_1000_ann"), nullptr);
    chooseFile(processId(), kSaveTitle, path("kept.zip"));
    HWND download = downloadWindow();
    ASSERT_NE(download, nullptr);
    finishDownload(download);

    std::string view = answerMessageBox(processId(), "Commandline view");
    EXPECT_EQ(view.rfind(standinCommand(0) + " pacman ", 0), 0u) << view;
    EXPECT_NE(view.find(" -input_directory . -playback \"good\" [Length: "), std::string::npos) << view;
    EXPECT_TRUE(fileExists("good.inp")) << "extracted while the emulator runs";
    EXPECT_FALSE(IsWindowVisible(properties_));
    EXPECT_TRUE(waitUntilShown(properties_));
    EXPECT_TRUE(waitUntilShown(window_));
    EXPECT_TRUE(waitUntil([&] { return !fileExists("good.inp"); })) << "deleted after the run";
    EXPECT_TRUE(fileExists("good.cap")) << "companions are kept";
    EXPECT_EQ(readFile("kept.zip").substr(0, 2), "PK");
    EXPECT_EQ(readFile("kept.zip.part"), "the user's own file") << "a file named like a partial download is not ours";
    EXPECT_TRUE(temporaryFiles(directory()).empty());
    EXPECT_EQ(yorlRequests().back(), "/yorl/inp/pacman_1000_ann.zip");
    EXPECT_NE(emulatorCalls().back().find("-playback \"good\""), std::string::npos);
}

TEST_F(DownloadTest, RecordingPlaysInItsVersionOrElseTheSelectedOne)
{
    const struct {
        const char* recording;
        const char* version;
        int versionIndex;
    } cases[] = {
        {"galaga_5", "0.251", 1},
        // Not installed: the selected version plays it.
        {"galaga_6", "9.99", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        serveRecording("galaga.zip", c.recording);
        ASSERT_NE(startDownload(c.recording, c.version), nullptr);
        chooseFile(processId(), kSaveTitle, path("g.zip"));
        finishDownload(downloadWindow());
        std::string view = answerMessageBox(processId(), "Commandline view");
        EXPECT_EQ(view.rfind(standinCommand(c.versionIndex) + " galaga ", 0), 0u) << view;
        // That emulator read the recording extracted beside the program.
        EXPECT_EQ(waitForRunEnd(window_), "");
    }
}

// A recording of today's MAME names its game after its "MAMEINP" mark, and
// plays in today's emulator by its whole file name.
TEST_F(DownloadTest, TodaysRecordingPlaysByItsWholeNameInTheVersionThatMadeIt)
{
    const std::string today = standinCommand(1) + " -kind today";
    writeFile("versions.ini",
              "MAME 0.106\n" + standinCommand(0) + "\n0.106\nWin32\nMAME 0.251\n" + today + "\n0.251\nWin64\n");
    serveRecording("today.zip", "pacman_2000_bob");
    ASSERT_NE(startDownload("pacman_2000_bob", "0.251"), nullptr);
    chooseFile(processId(), kSaveTitle, path("today.zip"));
    finishDownload(downloadWindow());
    std::string view = answerMessageBox(processId(), "Commandline view");
    EXPECT_EQ(view.rfind(today + " pacman -nowindow -sound auto -sr 22050 ", 0), 0u) << view;
    EXPECT_NE(view.find(" -input_directory . -playback \"best_pacman.inp\" [Length: "), std::string::npos) << view;
    EXPECT_EQ(waitForRunEnd(window_), "");
    EXPECT_TRUE(waitUntil([&] { return !fileExists("best_pacman.inp"); })) << "deleted after the run";
}

// A player's recording of Pong made by MAME 0.251 (the test run has the
// installed MAME make it) plays back in the real MAME 0.251, whichever
// version is selected.
TEST_F(DownloadTest, RealMame0251RecordingPlaysBackInMame0251)
{
    if (realMameCommand().empty())
        GTEST_SKIP() << "HOBRIN_E2E_MAME_REAL names no MAME: tools/test.sh installs one in the 64-bit prefix";
    writeFile("versions.ini", "MAME 0.251\n" + realMameCommand() + "\n0.251\nWin64\nMAME 0.106\n" + standinCommand(0) +
                                  "\n0.106\nWin32\n");
    serveRecording("pong-0251.zip", "pong_9999_eve");
    ASSERT_NE(startWithGame("pong_9999_eve", "0.251", "hobrin.exe", "pong"), nullptr);
    // A playback from Score Properties takes the Additional Parameters of
    // the main window's last run: one that ends by itself, without a window.
    setText(window_, IDC_MAIN_ADDITIONAL_PARAMETERS, "-video none -seconds_to_run 3 -nothrottle");
    press(window_, IDC_MAIN_PLAY);
    answerMessageBox(processId(), "Commandline view", 30000);
    ASSERT_TRUE(waitUntilShown(window_, 60000));
    selectComboItem(window_, IDC_MAIN_VERSION, 1);
    ASSERT_NE(downloadTheScore(), nullptr);
    chooseFile(processId(), kSaveTitle, path("pong.zip"));
    finishDownload(downloadWindow());
    std::string view = answerMessageBox(processId(), "Commandline view", 30000);
    EXPECT_EQ(view.rfind(realMameCommand() + " pong -nowindow -sound auto ", 0), 0u) << view;
    EXPECT_NE(view.find(" -input_directory . -playback \"best_pong.inp\" [Length: "), std::string::npos) << view;
    EXPECT_EQ(waitForRunEnd(window_, 60000), "");
    EXPECT_NE(readFile("mame.out").find("Input file: best_pong.inp"), std::string::npos) << readFile("mame.out");
    EXPECT_TRUE(waitUntil([&] { return !fileExists("best_pong.inp"); })) << "deleted after the run";
}

TEST_F(DownloadTest, CancelledSaveDialogDownloadsNothing)
{
    serveRecording("good.zip", "pacman_1000_ann");
    ASSERT_NE(startDownload("pacman_1000_ann"), nullptr);
    cancelFileDialog(processId(), kSaveTitle);
    flushPostedMessages(properties_, IDC_SCORE_OK);
    EXPECT_EQ(yorlRequests().size(), 1u) << "only the high scores were asked for";
    EXPECT_TRUE(IsWindowVisible(properties_));
}

TEST_F(DownloadTest, ProgressCountsTheBlocksOfTheAnswer)
{
    const struct {
        std::size_t bytes;
        const char* mode;
        const char* progress;
    } cases[] = {
        {2048, "", "Recieved: 3 kB / 3 kB"},
        {1500, "", "Recieved: 2 kB / 2 kB"},
        {0, "", "Recieved: 1 kB / 1 kB"},
        {1500, "nolength", "Recieved: 2 kB"},
        {3000, "pieces=100,5", "Recieved: 3 kB / 3 kB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.progress);
        writeYorlFile("inp\\blob.zip", std::string(c.bytes, 'z'));
        writeYorlFile("inp\\blob.mode", c.mode);
        ASSERT_NE(startDownload("blob"), nullptr);
        chooseFile(processId(), kSaveTitle, path("blob.zip"));
        HWND download = downloadWindow();
        ASSERT_NE(download, nullptr);
        EXPECT_TRUE(waitUntil([&] { return isEnabled(download, IDC_DOWNLOAD_DONE); }));
        EXPECT_EQ(text(download, IDC_DOWNLOAD_PROGRESS), c.progress);
        EXPECT_EQ(readFile("blob.zip").size(), c.bytes);
        press(download, IDC_DOWNLOAD_DONE);
        // Not an archive: both extraction messages, nothing launched.
        EXPECT_EQ(answerMessageBox(processId(), "Zip error"), "Cannot open downloaded Zip file");
        EXPECT_EQ(answerMessageBox(processId(), "Can't playback"), "Could not extract INP from downloaded zipfile");
        deleteFile("blob.zip");
    }
    EXPECT_EQ(emulatorCalls().size(), 5u) << "only the listings ran";
}

TEST_F(DownloadTest, FailedDownloadKeepsTheFileThatWasThere)
{
    const std::string archive(3000, 'k');
    const struct {
        const char* label;
        std::string body;
        const char* mode;
        const char* title;
        const char* message;
        const char* program = "hobrin.exe";
    } cases[] = {
        {"missing on the service", "", "status=404", "Can't download", "Cannot retrieve data from URL"},
        // With the test build's bound of 4 MB.
        {"without end", archive, "endless", "Can't download",
         "The service sent more than 4 MB, which no recording's archive holds; it was not kept.", kShortWaits},
        {"cut short", archive, "cut=1500 cookie=yorl=s3cret", "Can't download", "Cannot retrieve data from URL"},
        {"logon asked", archive, "auth", "Can't download", "Cannot retrieve data from URL"},
        {"error page", "<HTML><BODY>down</BODY></HTML>", "", "Can't download",
         "HTML received instead of zip - probable server error"},
        {"error page in lower case, in pieces", "<html><body>down</body></html>", "pieces=3,50", "Can't download",
         "HTML received instead of zip - probable server error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        writeFile("keep.zip", "the good archive of an earlier download");
        writeYorlFile("inp\\bad.zip", c.body);
        writeYorlFile("inp\\bad.mode", c.mode);
        ASSERT_NE(startDownload("bad", "0.106", c.program), nullptr);
        chooseFile(processId(), kSaveTitle, path("keep.zip"));
        HWND download = downloadWindow();
        ASSERT_NE(download, nullptr);
        ASSERT_TRUE(waitUntil([&] { return findWindow(processId(), c.title) != nullptr; }));
        EXPECT_TRUE(IsWindow(download)) << "the window waits for the box";
        EXPECT_FALSE(isEnabled(download, IDC_DOWNLOAD_DONE));
        EXPECT_EQ(answerMessageBox(processId(), c.title), c.message);
        EXPECT_TRUE(waitUntilGone(download)) << "a failed download's window closes once its box is answered";
        EXPECT_EQ(readFile("keep.zip"), "the good archive of an earlier download");
        EXPECT_TRUE(temporaryFiles(directory()).empty());
        EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr);
    }
    EXPECT_EQ(yorlCredentials(), std::vector<std::string>{}) << "no cookie or logon was sent";
}

// On a full disk neither the archive nor the recording taken out of it
// leaves a part behind, and a player's file of the same name stays whole.
TEST_F(DownloadTest, FullDiskKeepsThePlayersFileAndLeavesNoPart)
{
    const std::string disk = smallDisk();
    ASSERT_FALSE(disk.empty()) << "HOBRIN_E2E_SMALL_DISK names no disk: run the tests through tools/test.sh";
    const std::string players(100 * 1024, 'p');
    serveRecording("big.zip", "big");
    const struct {
        const char* label;
        bool archiveOnDisk; // else the program's own folder is on it
        const char* title;
        const char* message;
    } cases[] = {
        {"archive", true, "Can't save recording", "Cannot write file to disk (disk full?)"},
        {"recording", false, "Zip error",
         "Cannot write \"big.inp\" into Hobrin's folder (disk full or read-only?), so nothing was played."},
    };
    // The archive of the second case goes where there is room.
    const std::string roomySaves = directory() + "-saves";
    auto emptyDisk = [&] {
        removeTree(disk + "\\saves");
        DeleteFileA((disk + "\\filler").c_str());
        removeTree(roomySaves);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        emptyDisk();
        if (!c.archiveOnDisk)
            useDirectory(disk + "\\hobrin");
        const std::string saves = c.archiveOnDisk ? disk + "\\saves" : roomySaves;
        ASSERT_TRUE(CreateDirectoryA(saves.c_str(), nullptr));
        const std::string kept = c.archiveOnDisk ? saves + "\\big.zip" : path("big.inp");
        std::ofstream(kept, std::ios::binary) << players;
        ASSERT_NE(startDownload("big"), nullptr);
        if (c.archiveOnDisk)
            fillDisk(disk, 64 * 1024);
        chooseFile(processId(), kSaveTitle, saves + "\\big.zip");
        HWND download = downloadWindow();
        ASSERT_NE(download, nullptr);
        if (!c.archiveOnDisk) {
            EXPECT_TRUE(waitUntil([&] { return isEnabled(download, IDC_DOWNLOAD_DONE); }));
            fillDisk(disk, 0);
            press(download, IDC_DOWNLOAD_DONE);
        }
        EXPECT_EQ(answerMessageBox(processId(), c.title), c.message);
        if (c.archiveOnDisk) {
            EXPECT_TRUE(waitUntilGone(download)) << "the failure's window closes once its box is answered";
        }
        std::ifstream file(kept, std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()) == players);
        EXPECT_TRUE(temporaryFiles(saves).empty());
        EXPECT_TRUE(temporaryFiles(directory()).empty());
        EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr);
    }
    emptyDisk();
}

// Cancel closes the window at once, whatever the worker is doing; the
// worker stops by itself (at its next block, or when a blocked read times
// out), shows no failure, and its temporary file is gone once it has ended.
TEST_F(DownloadTest, CancelStopsTheTransferAndLeavesNoFile)
{
    const struct {
        const char* label;
        const char* mode;
        unsigned leastKb; // shown received before Cancel is pressed
    } cases[] = {
        {"between blocks", "pieces=1024,100", 3},
        {"in a read that gets nothing", "stall=3000", 0},
    };
    // A kB a tenth of a second: a busy machine may show 2 kB, then 4.
    const auto receivedKb = [](const std::string& progress) {
        unsigned kb = 0;
        return std::sscanf(progress.c_str(), "Recieved: %u kB", &kb) == 1 ? static_cast<int>(kb) : -1;
    };
    serveRecording("big.zip", "slowone");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        writeYorlFile("inp\\slowone.mode", c.mode);
        ASSERT_NE(startDownload("slowone", "0.106", kShortWaits), nullptr);
        chooseFile(processId(), kSaveTitle, path("slow.zip"));
        HWND download = downloadWindow();
        ASSERT_NE(download, nullptr);
        EXPECT_TRUE(waitUntil([&] { return receivedKb(text(download, IDC_DOWNLOAD_PROGRESS)) >= int(c.leastKb); }))
            << text(download, IDC_DOWNLOAD_PROGRESS);
        press(download, IDC_DOWNLOAD_CANCEL);
        EXPECT_TRUE(waitUntilGone(download, 2000)) << "Cancel closes at once";
        flushPostedMessages(properties_, IDC_SCORE_OK);
        EXPECT_TRUE(IsWindowVisible(properties_));
        EXPECT_TRUE(waitUntil([&] { return temporaryFiles(directory()).empty(); }, kWorkerEndMs))
            << "the worker removes its file when it ends";
        EXPECT_FALSE(fileExists("slow.zip"));
        expectEndedWithoutABox("a failure after Cancel is not shown");
        EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr);
        press(properties_, IDC_SCORE_OK);
        EXPECT_TRUE(waitUntilGone(properties_));
    }
}

TEST_F(DownloadTest, ArchivesThatCannotBePlayedTellWhy)
{
    const struct {
        const char* archive;
        const char* title;
        const char* messageStart;
    } cases[] = {
        {"notrec.zip", "Can't playback", "Could not extract INP from downloaded zipfile"},
        {"corrupt.zip", "Zip error", "The member \"pacman.inp\" of the downloaded Zip file is damaged"},
        {"corruptcap.zip", "Zip error", "The member \"pacman.inp\" of the downloaded Zip file is damaged"},
        {"bzip2.zip", "Zip error",
         "The member \"pacman.inp\" of the downloaded Zip file is encrypted or compressed in a way that is not "
         "supported"},
        {"bomb.zip", "Zip error", "The member \"bomb.inp\" of the downloaded Zip file is larger than 256 MB"},
        {"hang.zip", "Can't playback", "Could not extract INP from downloaded zipfile"},
        {"unknown.zip", "Can't playback", "This recording is for the game \"nosuchgm\""},
        {"short.zip", "Can't playback", "The downloaded recording is too short"},
        {"shorttoday.zip", "Can't playback", "The downloaded recording is too short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive);
        // A companion of the user's own that a failed extraction must keep.
        writeFile("x.cap", "the user's own companion");
        serveRecording(c.archive, "rec");
        ASSERT_NE(startDownload("rec"), nullptr);
        chooseFile(processId(), kSaveTitle, path("rec.zip"));
        finishDownload(downloadWindow());
        std::string message = answerMessageBox(processId(), c.title);
        EXPECT_EQ(message.rfind(c.messageStart, 0), 0u) << message;
        EXPECT_EQ(readFile("x.cap"), "the user's own companion");
        // A recording that was extracted is removed once its message is answered.
        auto noRecording = [&] {
            for (const std::string& name : directoryEntries(directory())) {
                if (name.find(".inp") != std::string::npos)
                    return false;
            }
            return true;
        };
        EXPECT_TRUE(waitUntil(noRecording, 5000));
        EXPECT_TRUE(temporaryFiles(directory()).empty());
        EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr);
    }
    EXPECT_EQ(deviceWrites(), "");
}

TEST_F(DownloadTest, UnsafeMemberNamesAreNeverExtracted)
{
    for (const char* archive : {"unsafe.zip", "devices.zip"}) {
        SCOPED_TRACE(archive);
        serveRecording(archive, "rec");
        ASSERT_NE(startDownload("rec"), nullptr);
        chooseFile(processId(), kSaveTitle, path("rec.zip"));
        finishDownload(downloadWindow());
        std::string view = answerMessageBox(processId(), "Commandline view");
        EXPECT_NE(view.find("-playback \"safe\""), std::string::npos) << view;
        EXPECT_TRUE(waitUntilShown(window_));
        for (const std::string& name : directoryEntries(directory())) {
            EXPECT_NE(_strnicmp(name.c_str(), "CON", 3), 0) << name;
            EXPECT_NE(_strnicmp(name.c_str(), "COM", 3), 0) << name;
            EXPECT_EQ(name.find('?'), std::string::npos) << name;
        }
        EXPECT_TRUE(waitUntil([&] { return !fileExists("safe.inp"); }));
    }
    EXPECT_TRUE(fileExists("escape.cap")) << "its base name is safe and lands in the working folder";
    EXPECT_EQ(deviceWrites(), "");
}

TEST_F(DownloadTest, RecordingNamesThatAreNotFileNamesAreRefused)
{
    for (const char* name : {"C:\\evil", "..\\..\\evil", "a#b", "100%", "nul", "COM1 "}) {
        SCOPED_TRACE(name);
        ASSERT_NE(startDownload(name), nullptr);
        std::string message = answerMessageBox(processId(), "Can't download");
        EXPECT_EQ(message.rfind("This score's recording name, \"", 0), 0u) << message;
        EXPECT_EQ(findWindow(processId(), kSaveTitle), nullptr);
        EXPECT_EQ(yorlRequests().size(), 1u) << "only the high scores were asked for";
        resetYorlData();
    }
    // A blank is a file name's but not an address's: it is sent escaped.
    serveRecording("good.zip", "two words");
    ASSERT_NE(startDownload("two words"), nullptr);
    chooseFile(processId(), kSaveTitle, path("two words.zip"));
    finishDownload(downloadWindow());
    answerMessageBox(processId(), "Commandline view");
    EXPECT_EQ(yorlRequests().back(), "/yorl/inp/two%20words.zip");
}

TEST_F(DownloadTest, ChosenPathThatCannotTakeTheArchiveIsRefusedAtOnce)
{
    writeFile("ro.zip", "a read-only archive");
    SetFileAttributesA(path("ro.zip").c_str(), FILE_ATTRIBUTE_READONLY);
    serveRecording("good.zip", "rec");
    for (const char* chosen : {"ro.zip", "COM2", "lpt1 .zip"}) {
        SCOPED_TRACE(chosen);
        ASSERT_NE(startDownload("rec"), nullptr);
        chooseFile(processId(), kSaveTitle, path(chosen));
        EXPECT_EQ(answerMessageBox(processId(), "Can't save recording"), "Cannot create file (disk full?)");
        EXPECT_EQ(yorlRequests().size(), 1u) << "nothing was asked of the service";
        EXPECT_TRUE(IsWindowVisible(properties_));
        resetYorlData();
        serveRecording("good.zip", "rec");
    }
    EXPECT_EQ(readFile("ro.zip"), "a read-only archive");
    EXPECT_TRUE(temporaryFiles(directory()).empty());
    EXPECT_EQ(deviceWrites(), "");
}

TEST_F(DownloadTest, LongestChosenPathsStillWork)
{
    serveRecording("good.zip", "rec");
    // Folders that bring the chosen path to 255 and to 259 characters, the
    // longest that Windows takes.
    for (std::size_t wanted : {255u, 259u}) {
        SCOPED_TRACE(wanted);
        std::string folder = directory();
        while (wanted - folder.size() > 80) {
            folder += "\\" + std::string(60, 'd');
            CreateDirectoryA(folder.c_str(), nullptr);
        }
        const std::string chosen = folder + "\\" + std::string(wanted - folder.size() - 5, 'r') + ".zip";
        ASSERT_EQ(chosen.size(), wanted);
        ASSERT_NE(startDownload("rec"), nullptr);
        chooseFile(processId(), kSaveTitle, chosen);
        finishDownload(downloadWindow());
        answerMessageBox(processId(), "Commandline view");
        EXPECT_NE(GetFileAttributesA(chosen.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(temporaryFiles(folder).empty());
    }
}

TEST_F(DownloadTest, DonePressedTheMomentItIsEnabledAlwaysPlays)
{
    serveRecording("good.zip", "quick");
    ASSERT_NE(startDownload("quick"), nullptr);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        if (round > 0)
            press(properties_, IDC_SCORE_DOWNLOAD);
        chooseFile(processId(), kSaveTitle, path("quick.zip"));
        HWND download = downloadWindow();
        ASSERT_NE(download, nullptr);
        HWND done = GetDlgItem(download, IDC_DOWNLOAD_DONE);
        DWORD start = GetTickCount();
        while (!IsWindowEnabled(done) && GetTickCount() - start < kDefaultTimeoutMs)
            Sleep(0);
        press(download, IDC_DOWNLOAD_DONE);
        std::string view = answerMessageBox(processId(), "Commandline view");
        EXPECT_NE(view.find("-playback \"good\""), std::string::npos) << view;
        EXPECT_TRUE(waitUntilShown(properties_));
    }
}

} // namespace

namespace {

TEST_F(DownloadTest, WorkerStuckInTheRequestIsStoppedAfterTheWait)
{
    serveRecording("good.zip", "stuck");
    writeYorlFile("inp\\stuck.mode", "slow=20000");
    ASSERT_NE(startDownload("stuck", "0.106", kShortWaits), nullptr);
    chooseFile(processId(), kSaveTitle, path("stuck.zip"));
    HWND download = downloadWindow();
    ASSERT_NE(download, nullptr);
    press(download, IDC_DOWNLOAD_CANCEL);
    EXPECT_TRUE(waitUntilGone(download, 2000)) << "Cancel does not wait for the worker";
    // The worker waits for the answer until the request's timeout; no new
    // download starts meanwhile.
    press(properties_, IDC_SCORE_DOWNLOAD);
    EXPECT_EQ(answerMessageBox(processId(), "Can't download"),
              "The previous download is still finishing. Try again in a moment.");
    EXPECT_TRUE(waitUntil([&] { return temporaryFiles(directory()).empty(); }, kWorkerEndMs));
    EXPECT_FALSE(fileExists("stuck.zip"));
    expectEndedWithoutABox("the timeout after Cancel is not shown");
    EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr);
}

} // namespace

namespace {

TEST_F(DownloadTest, ClosedWindowEndsAtOnceWhileTheDownloadFinishesOnDisk)
{
    EXPECT_TRUE(startClosedDownload("background", "pieces=8192,150")) << "the close box ends the window at once";

    // A second download waits for the first to finish.
    press(properties_, IDC_SCORE_DOWNLOAD);
    EXPECT_EQ(answerMessageBox(processId(), "Can't download"),
              "The previous download is still finishing. Try again in a moment.");

    EXPECT_TRUE(waitUntil([&] { return fileExists("background.zip"); }, 20000))
        << "the worker still completes the file";
    EXPECT_TRUE(temporaryFiles(directory()).empty());
    EXPECT_GT(readFile("background.zip").size(), 200000u);
    EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr) << "no playback follows";
}

} // namespace

namespace {

TEST_F(DownloadTest, EndingTheProgramRemovesACutDownload)
{
    // A worker between blocks stops when asked; one blocked in a read is
    // left to end with the program, and its file goes all the same.
    for (const char* mode : {"pieces=1024,200", "stall=3000"}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(startClosedDownload("endless", mode));
        PostMessageA(properties_, WM_COMMAND, IDC_SCORE_OK, 0);
        EXPECT_TRUE(waitUntilGone(properties_));
        DWORD closed = GetTickCount();
        EXPECT_EQ(closeWithCloseBox(), 0u);
        EXPECT_LE(GetTickCount() - closed, 8000u) << "the program waits a bounded time for the download";
        EXPECT_TRUE(waitUntil([&] { return temporaryFiles(directory()).empty(); }, 5000));
        EXPECT_FALSE(fileExists("endless.zip")) << "a cut download is never put in place";
    }
}

} // namespace

namespace {

TEST_F(DownloadTest, HttpsRecordingIsSavedOnlyFromATrustedServiceThatStaysOnHttps)
{
    const std::string plainUrl = serviceUrl();
    const struct {
        const char* certificate;
        std::string mode;
        const char* failure; // "" when the recording is saved and played
    } cases[] = {
        {"otherhost", "", "Cannot connect to YORL"},
        {"untrusted", "", "Cannot connect to YORL"},
        {"", "status=301 redirect=" + plainUrl + "inp/plain.zip", "Cannot connect to YORL"},
        {"", "", ""},
    };
    serveRecording("good.zip", "tls");
    ASSERT_NE(startDownload("tls", "0.106", "hobrin_tls.exe"), nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.certificate) + c.mode);
        std::size_t asked = yorlRequests().size();
        writeYorlFile("tls.mode", std::string("cert=") + c.certificate);
        writeYorlFile("inp\\tls.mode", c.mode);
        if (&c != &cases[0])
            press(properties_, IDC_SCORE_DOWNLOAD);
        chooseFile(processId(), kSaveTitle, path("tls.zip"));
        HWND download = downloadWindow();
        ASSERT_NE(download, nullptr);
        if (*c.failure) {
            EXPECT_EQ(answerMessageBox(processId(), "Can't download"), c.failure);
            EXPECT_TRUE(waitUntilGone(download));
            EXPECT_FALSE(fileExists("tls.zip"));
            EXPECT_EQ(yorlRequests().size(), asked + (c.mode.empty() ? 0 : 1)) << "nothing asked of plain http";
            continue;
        }
        finishDownload(download);
        std::string view = answerMessageBox(processId(), "Commandline view");
        EXPECT_NE(view.find("-playback \"good\""), std::string::npos) << view;
        EXPECT_TRUE(waitUntilShown(properties_));
        EXPECT_EQ(yorlRequests().back(), "/yorl/inp/tls.zip");
    }
    EXPECT_TRUE(temporaryFiles(directory()).empty());
}

// A service that accepts and then says nothing holds neither the download
// nor the score list for more than the program's wait for a read; one that
// sends a byte just within each wait holds the score list for at most the
// fetch's limit. Run with the test build's waits (kShortWaits): what ends
// the stall is the same code, at a limit five times nearer.
TEST_F(DownloadTest, StalledServiceFreesDownloadAndScoreListInTime)
{
    const struct {
        const char* feedMode;
        const char* feedLine;
        const char* downloadMode;
        const char* downloadMessage;
        DWORD bound;
    } cases[] = {
        {"hang", "Cannot connect to YORL.", "stall=3000", "Cannot retrieve data from URL", 10000},
        {"stall=40", "Cannot access data at this time.", "hang", "Cannot connect to YORL", 10000},
        // A byte well within each read's wait: only the feed's own limit ends it.
        {"trickle=2500", "Cannot access data at this time.", "stall=3000", "Cannot retrieve data from URL", 14000},
    };
    serveRecording("big.zip", "stalled");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.feedMode);
        writeYorlFile("scores\\pacman.mode", "");
        writeYorlFile("inp\\stalled.mode", c.downloadMode);
        ASSERT_NE(startDownload("stalled", "0.106", kShortWaits), nullptr);
        writeYorlFile("scores\\pacman.mode", c.feedMode);
        DWORD stalled = GetTickCount();
        chooseFile(processId(), kSaveTitle, path("stalled.zip"));
        HWND download = downloadWindow();
        ASSERT_NE(download, nullptr);
        postCommand(window_, IDC_MAIN_HIGH_SCORES);
        auto left = [&] { return c.bound - std::min(c.bound, GetTickCount() - stalled); };
        EXPECT_EQ(answerMessageBox(processId(), "Can't download", left()), c.downloadMessage);
        EXPECT_TRUE(waitUntil(
            [&] { return listLines(window_, IDC_MAIN_SCORE_LIST) == std::vector<std::string>{c.feedLine}; }, left()));
        EXPECT_TRUE(waitUntilGone(download));
        EXPECT_FALSE(fileExists("stalled.zip"));
        EXPECT_TRUE(temporaryFiles(directory()).empty());

        // Free again: the next fetch lists the score (a press made before
        // the stalled worker has quite ended asks for patience: press again).
        writeYorlFile("scores\\pacman.mode", "");
        const std::vector<std::string> listed{"      1000 - Ann"};
        postCommand(window_, IDC_MAIN_HIGH_SCORES);
        EXPECT_TRUE(waitUntil([&] {
            std::vector<std::string> lines = listLines(window_, IDC_MAIN_SCORE_LIST);
            if (lines == std::vector<std::string>{"Patience, d00d..."})
                postCommand(window_, IDC_MAIN_HIGH_SCORES);
            return lines == listed;
        }));
    }
}

} // namespace

// While a message box is up, the program's windows take no click: a box of
// the download's worker ("Can't download") as much as one of the windows'
// own thread ("Zip error").
TEST_F(DownloadTest, NoWindowTakesAClickUnderAMessageBox)
{
    const struct {
        const char* archive;
        const char* mode;
        const char* title;
    } cases[] = {
        {"good.zip", "status=404", "Can't download"},
        {"corrupt.zip", "", "Zip error"},
    };
    writeYorlFile("scores\\pacman.txt", "header\n" + scoreLine("boxed"));
    window_ = start();
    ASSERT_NE(window_, nullptr);
    setText(window_, IDC_MAIN_GOTO, "pacman");
    press(window_, IDC_MAIN_FIND);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        serveRecording(c.archive, "boxed");
        writeYorlFile("inp\\boxed.mode", c.mode);
        ASSERT_NE(downloadTheScore(), nullptr);
        chooseFile(processId(), kSaveTitle, path("boxed.zip"));
        if (std::string(c.title) == "Zip error")
            finishDownload(downloadWindow());
        HWND box = nullptr;
        ASSERT_TRUE(waitUntil([&] { return (box = findWindow(processId(), c.title)) != nullptr; }));
        HWND download = findDialogByControlText(processId(), IDC_DOWNLOAD_DONE, "Done");
        for (HWND window : {window_, properties_, download}) {
            if (window) {
                EXPECT_TRUE(waitUntil([&] { return !IsWindowEnabled(window); }))
                    << (window == window_       ? "main"
                        : window == properties_ ? "properties"
                                                : "download");
            }
        }
        // A player clicks on "Download and playback" meanwhile: nothing opens.
        const bool clicked = clickWithMouse(properties_, IDC_SCORE_DOWNLOAD);
        answerMessageBox(processId(), c.title);
        // Whatever the click had queued is handled by now.
        if (clicked) {
            EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(properties_) != FALSE; }));
            flushPostedMessages(properties_, IDC_SCORE_OK);
            EXPECT_EQ(findWindow(processId(), kSaveTitle), nullptr);
        }
        if (download) {
            EXPECT_TRUE(waitUntilGone(download));
        }
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(properties_) != FALSE; }));
        press(properties_, IDC_SCORE_OK);
        EXPECT_TRUE(waitUntilGone(properties_));
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(window_) != FALSE; }));
    }
}
