// "Download and playback": the save dialog, the download window with its
// progress, failures and Cancel, then extraction and playback of the recording.
#include "tests/e2e/driver.h"

#include "resource.h"

using namespace e2e;

namespace {

const char kSaveTitle[] = "Save downloaded recording as...";

std::string scoreLine(const std::string& recording, const std::string& version = "0.106")
{
    return "('1000','1','a1','" + version + "','1100000000','" + recording +
           "','t','Ann',\"Pac-Man (Midway)\",'1','12.5','Run')<P>\n";
}

class DownloadTest : public HobrinTest {
protected:
    void SetUp() override
    {
        HobrinTest::SetUp();
        resetYorlData();
        writeFile("standin-listing.txt", "pacman \"Pac-Man (Midway)\"\ngalaga \"Galaga\"\n");
    }

    // Lists one high score for pacman whose recording is `recording`, opens
    // its Score Properties and presses "Download and playback".
    HWND startDownload(const std::string& recording, const std::string& version = "0.106")
    {
        writeYorlFile("scores\\pacman.txt", "header\n" + scoreLine(recording, version));
        window_ = start();
        if (!window_)
            return nullptr;
        selectListItem(window_, IDC_MAIN_GAME_LIST, 0);
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

    HWND downloadWindow()
    {
        HWND found = nullptr;
        waitUntil([&] { return (found = findDialogByControlText(processId(), IDC_DOWNLOAD_DONE, "Done")) != nullptr; });
        return found;
    }

    // Waits for "Download complete." and presses "Done".
    void finishDownload(HWND download)
    {
        ASSERT_NE(download, nullptr);
        EXPECT_TRUE(waitUntil([&] { return text(download, IDC_DOWNLOAD_TITLE) == "Download complete."; }));
        EXPECT_TRUE(isEnabled(download, IDC_DOWNLOAD_DONE));
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
    serveRecording("good.zip", "pacman_1000_ann");
    ASSERT_NE(startDownload("pacman_1000_ann"), nullptr);
    chooseFile(processId(), kSaveTitle, path("kept.zip"));
    HWND download = downloadWindow();
    ASSERT_NE(download, nullptr);
    finishDownload(download);

    std::string view = answerMessageBox(processId(), "Commandline view");
    EXPECT_NE(view.find("mame-standin.exe pacman "), std::string::npos) << view;
    EXPECT_NE(view.find(" -input_directory . -playback \"good\" [Length: "), std::string::npos) << view;
    EXPECT_TRUE(fileExists("good.inp")) << "extracted while the emulator runs";
    EXPECT_FALSE(IsWindowVisible(properties_));
    EXPECT_TRUE(waitUntilShown(properties_));
    EXPECT_TRUE(waitUntilShown(window_));
    EXPECT_TRUE(waitUntil([&] { return !fileExists("good.inp"); })) << "deleted after the run";
    EXPECT_TRUE(fileExists("good.cap")) << "companions are kept";
    EXPECT_EQ(readFile("kept.zip").substr(0, 2), "PK");
    EXPECT_FALSE(fileExists("kept.zip.part"));
    EXPECT_EQ(yorlRequests().back(), "/yorl/inp/pacman_1000_ann.zip");
    EXPECT_NE(emulatorCalls().back().find("-playback \"good\""), std::string::npos);
}

TEST_F(DownloadTest, RecordingOfAnotherVersionPlaysInThatVersion)
{
    serveRecording("galaga.zip", "galaga_5");
    ASSERT_NE(startDownload("galaga_5", "0.37b5"), nullptr);
    chooseFile(processId(), kSaveTitle, path("g.zip"));
    finishDownload(downloadWindow());
    std::string view = answerMessageBox(processId(), "Commandline view");
    EXPECT_EQ(view.rfind("mame-standin.exe -version 0.37b5 galaga ", 0), 0u) << view;
}

TEST_F(DownloadTest, UnknownVersionPlaysInTheSelectedOne)
{
    serveRecording("galaga.zip", "galaga_6");
    ASSERT_NE(startDownload("galaga_6", "9.99"), nullptr);
    chooseFile(processId(), kSaveTitle, path("g.zip"));
    finishDownload(downloadWindow());
    std::string view = answerMessageBox(processId(), "Commandline view");
    EXPECT_EQ(view.rfind("mame-standin.exe galaga ", 0), 0u) << view;
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
        EXPECT_TRUE(waitUntil([&] { return text(download, IDC_DOWNLOAD_TITLE) == "Download complete."; }));
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
    } cases[] = {
        {"missing on the service", "", "status=404", "Can't download", "Cannot retrieve data from URL"},
        {"cut short", archive, "cut=1500", "Can't download", "Cannot retrieve data from URL"},
        {"error page", "<HTML><BODY>down</BODY></HTML>", "", "Can't download",
         "HTML received instead of zip - probable server error"},
        {"error page in a later block", std::string(1024, 'a') + "<HTML>" + std::string(500, 'b'), "", "Can't download",
         "HTML received instead of zip - probable server error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        writeFile("keep.zip", "the good archive of an earlier download");
        writeYorlFile("inp\\bad.zip", c.body);
        writeYorlFile("inp\\bad.mode", c.mode);
        ASSERT_NE(startDownload("bad"), nullptr);
        chooseFile(processId(), kSaveTitle, path("keep.zip"));
        EXPECT_EQ(answerMessageBox(processId(), c.title), c.message);
        HWND download = downloadWindow();
        ASSERT_NE(download, nullptr);
        EXPECT_FALSE(isEnabled(download, IDC_DOWNLOAD_DONE));
        press(download, IDC_DOWNLOAD_CANCEL);
        EXPECT_TRUE(waitUntilGone(download));
        EXPECT_EQ(readFile("keep.zip"), "the good archive of an earlier download");
        EXPECT_FALSE(fileExists("keep.zip.part"));
        EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr);
    }
}

TEST_F(DownloadTest, CancelStopsTheTransferAndLeavesNoFile)
{
    serveRecording("big.zip", "slowone");
    writeYorlFile("inp\\slowone.mode", "pieces=1024,100");
    ASSERT_NE(startDownload("slowone"), nullptr);
    chooseFile(processId(), kSaveTitle, path("slow.zip"));
    HWND download = downloadWindow();
    ASSERT_NE(download, nullptr);
    EXPECT_TRUE(waitUntil([&] { return text(download, IDC_DOWNLOAD_PROGRESS).find("Recieved: 3 kB") == 0; }));
    press(download, IDC_DOWNLOAD_CANCEL);
    EXPECT_TRUE(waitUntilGone(download));
    flushPostedMessages(properties_, IDC_SCORE_OK);
    EXPECT_FALSE(fileExists("slow.zip"));
    EXPECT_FALSE(fileExists("slow.zip.part"));
    EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr);
    EXPECT_TRUE(IsWindowVisible(properties_));
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
        {"unknown.zip", "Can't playback", "This recording is for the game \"nosuchgm\""},
        {"short.zip", "Can't playback", "The downloaded recording is too short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive);
        serveRecording(c.archive, "rec");
        ASSERT_NE(startDownload("rec"), nullptr);
        chooseFile(processId(), kSaveTitle, path("rec.zip"));
        finishDownload(downloadWindow());
        std::string message = answerMessageBox(processId(), c.title);
        EXPECT_EQ(message.rfind(c.messageStart, 0), 0u) << message;
        EXPECT_FALSE(fileExists("pacman.inp"));
        EXPECT_FALSE(fileExists("unknown.inp"));
        EXPECT_FALSE(fileExists("short.inp"));
        EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr);
    }
}

TEST_F(DownloadTest, UnsafeMemberNamesAreNeverExtracted)
{
    serveRecording("unsafe.zip", "rec");
    ASSERT_NE(startDownload("rec"), nullptr);
    chooseFile(processId(), kSaveTitle, path("rec.zip"));
    finishDownload(downloadWindow());
    std::string view = answerMessageBox(processId(), "Commandline view");
    EXPECT_NE(view.find("-playback \"safe\""), std::string::npos) << view;
    EXPECT_TRUE(waitUntilShown(window_));
    // "CON.inp" names the console device, so only the folder's own entries tell.
    std::vector<std::string> entries;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(path("*").c_str(), &entry);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do
        entries.push_back(entry.cFileName);
    while (FindNextFileA(search, &entry));
    FindClose(search);
    for (const std::string& name : entries) {
        EXPECT_NE(_stricmp(name.c_str(), "CON.inp"), 0);
        EXPECT_EQ(name.find('?'), std::string::npos) << name;
    }
    EXPECT_TRUE(fileExists("escape.cap")) << "its base name is safe and lands in the working folder";
    EXPECT_TRUE(waitUntil([&] { return !fileExists("safe.inp"); }));
}

} // namespace

namespace {

TEST_F(DownloadTest, WorkerStuckInTheRequestIsStoppedAfterTheWait)
{
    serveRecording("good.zip", "stuck");
    writeYorlFile("inp\\stuck.mode", "slow=20000");
    ASSERT_NE(startDownload("stuck"), nullptr);
    chooseFile(processId(), kSaveTitle, path("stuck.zip"));
    HWND download = downloadWindow();
    ASSERT_NE(download, nullptr);
    DWORD pressed = GetTickCount();
    press(download, IDC_DOWNLOAD_CANCEL);
    EXPECT_TRUE(waitUntilGone(download, 10000));
    DWORD waited = GetTickCount() - pressed;
    EXPECT_GE(waited, 4500u) << "Cancel waits about five seconds for the worker";
    EXPECT_FALSE(fileExists("stuck.zip"));
    EXPECT_FALSE(fileExists("stuck.zip.part"));
    EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr);
}

} // namespace

namespace {

TEST_F(DownloadTest, ClosedWindowEndsAtOnceWhileTheDownloadFinishesOnDisk)
{
    serveRecording("big.zip", "background");
    writeYorlFile("inp\\background.mode", "pieces=8192,150");
    ASSERT_NE(startDownload("background"), nullptr);
    chooseFile(processId(), kSaveTitle, path("background.zip"));
    HWND download = downloadWindow();
    ASSERT_NE(download, nullptr);
    EXPECT_TRUE(waitUntil([&] { return text(download, IDC_DOWNLOAD_PROGRESS).find("Recieved: ") == 0; }));
    PostMessageA(download, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(waitUntilGone(download, 2000)) << "the close box ends the window at once";

    // A second download waits for the first to finish.
    press(properties_, IDC_SCORE_DOWNLOAD);
    EXPECT_EQ(answerMessageBox(processId(), "Can't download"),
              "The previous download is still finishing. Try again in a moment.");

    EXPECT_TRUE(waitUntil([&] { return fileExists("background.zip"); }, 20000))
        << "the worker still completes the file";
    EXPECT_FALSE(fileExists("background.zip.part"));
    EXPECT_GT(readFile("background.zip").size(), 200000u);
    EXPECT_EQ(findWindow(processId(), "Commandline view"), nullptr) << "no playback follows";
}

} // namespace
